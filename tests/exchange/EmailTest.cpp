#include "exchange/Email.h"

#include "core/Changes.h"
#include "core/Progress.h"
#include "core/RecordId.h"
#include "imaging/PageSave.h"
#include "platform/DbConnection.h"
#include "platform/Settings.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingProgressView.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestImages.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTimer>
#include <QtTest>

using Mail::System;

namespace {

QStringList texts(const QJsonValue &array)
{
    QStringList list;
    for (const QJsonValue &v : array.toArray())
        list.append(v.toString());
    return list;
}

void useSink(const SmtpSink &sink, const QString &security = "none")
{
    Mail::SmtpSettings smtp;
    smtp.host = "127.0.0.1";
    smtp.port = QString::number(sink.port());
    smtp.security = security;
    smtp.from = "vlm@example.test";
    Email::writeSmtp(smtp);
}

// Three page files of different kinds in a fresh folder.
QStringList pageFiles()
{
    const QString dir = TestEnvironment::root() + "/pages/";
    QDir().mkpath(dir);
    const QString bmp = dir + "p2.bmp";
    TestImages::filled(QSize(20, 10), Qt::red).save(bmp, "BMP");
    static const char pdf[] = "%PDF-1.4\r\n.\r\n..\n\x00\xff";
    TestFiles::write(dir + "offer.pdf", QByteArray(pdf, sizeof pdf - 1));
    return {TestImages::writeJpeg(dir + "p1.jpg", QSize(60, 40), 300), bmp, dir + "offer.pdf"};
}

// A page in cabinet "Home", drawer "Bills", folder "Power", document
// "Invoice", the folder's address set to email.
RecordId noticePage(const QVariant &email, const QString &shortcutFile = QString())
{
    const RecordId folderId = RecordFixture::folder(RecordFixture::drawer(RecordFixture::cabinet("Home"), "Bills"), "Power");
    DbConnection::execute("UPDATE Folder SET Email = ? WHERE FolderId = ?", {email, folderId});
    const RecordId documentId = RecordFixture::document(folderId, "Invoice");
    if (shortcutFile.isEmpty())
        return RecordFixture::page(documentId, 3);
    return RecordFixture::insert("INSERT INTO Page (DocumentId, PageNumber, ShortcutYN, Filename) VALUES (?, 0, 'Y', ?)",
                                 {documentId, shortcutFile});
}

// Puts a fake xdg-email first on the PATH for its lifetime; it writes its
// arguments, one a line, to argsFile.
struct FakeXdgEmail
{
    FakeXdgEmail()
    {
        const QString bin = TestEnvironment::root() + "/bin";
        QDir().mkpath(bin);
        argsFile = TestEnvironment::root() + "/xdg-email.args";
        QFile::remove(argsFile);
        TestFiles::write(bin + "/xdg-email", QString("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1.tmp'\n"
                                                     "mv '%1.tmp' '%1'\n").arg(argsFile).toUtf8());
        QFile::setPermissions(bin + "/xdg-email", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", bin.toUtf8() + ':' + path);
    }
    ~FakeXdgEmail() { qputenv("PATH", path); }

    QStringList args() const { return QString::fromUtf8(TestFiles::read(argsFile)).split('\n', Qt::SkipEmptyParts); }

    QByteArray path = qgetenv("PATH");
    QString argsFile;
};

// The notice sender and its batches as vlm installs them, for a test's
// lifetime; a short stall limit.
struct InstalledNotices
{
    InstalledNotices()
    {
        Email::connectNotices(&context);
        Mail::setStallLimit(1);
    }
    ~InstalledNotices() { Mail::setStallLimit(0); }

    QObject context;  // ends the connections
};

} // namespace

class EmailTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // The attachment list rule: the count of "|", the pieces before each.
    void attachmentList_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("paths");
        QTest::newRow("empty") << "" << 0 << QStringList{};
        QTest::newRow("one path") << "a" << 1 << QStringList{"a"};
        QTest::newRow("two framed") << "a|b|" << 2 << QStringList{"a", "b"};
        QTest::newRow("last not framed") << "a|b" << 1 << QStringList{"a"};
        QTest::newRow("empty piece") << "a||b|" << 3 << QStringList{"a", "b"};
    }
    void attachmentList()
    {
        QFETCH(QString, list);
        QFETCH(int, count);
        QFETCH(QStringList, paths);
        QCOMPARE(Email::attachmentCount(list), count);
        QCOMPARE(Email::attachmentPaths(list), paths);
    }

    // Stored "EmailSystem" values, compared exactly; the older names map
    // to the system that replaced them.
    void systemOfSetting_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("system");
        QTest::newRow("desktop") << "DESKTOP" << int(System::DesktopClient);
        QTest::newRow("MAPI") << "MAPI" << int(System::DesktopClient);
        QTest::newRow("SMTP") << "SMTP" << int(System::Smtp);
        QTest::newRow("CDONTS") << "CDONTS" << int(System::Smtp);
        QTest::newRow("lower case") << "smtp" << int(System::None);
        QTest::newRow("none") << "" << int(System::None);
    }
    void systemOfSetting()
    {
        QFETCH(QString, setting);
        QFETCH(int, system);
        QCOMPARE(int(Email::systemOf(setting)), system);
    }

    // What may stand in an address header: one plain address.
    void addressCheck_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "ann@example.test" << true;
        QTest::newRow("no at") << "ann.example.test" << false;
        QTest::newRow("nothing before at") << "@example.test" << false;
        QTest::newRow("two at") << "a@b@example.test" << false;
        QTest::newRow("blank") << "ann @example.test" << false;
        QTest::newRow("line break") << "ann@example.test\r\nBcc: x@y.test" << false;
        QTest::newRow("angle brackets") << "<ann@example.test>" << false;
        QTest::newRow("two addresses") << "a@x.test,b@y.test" << false;
        QTest::newRow("option-like") << "-ann@example.test" << false;
        QTest::newRow("empty") << "" << false;
    }
    void addressCheck()
    {
        QFETCH(QString, address);
        QFETCH(bool, valid);
        QCOMPARE(Mail::isValidAddress(address), valid);
    }

    // A message with three pages reaches a real server: envelope, From,
    // To, Date and Message-ID headers, a subject whose line break made no
    // header of its own, a first line of three spaces, and base64 parts
    // that decode to the page files.
    void smtpCarriesPages()
    {
        SmtpSink sink;
        QVERIFY2(sink.isRunning(), qPrintable(sink.error()));
        useSink(sink);
        const QStringList files = pageFiles();
        FakePrompt prompt;
        QVERIFY(Email::SendEmail(System::Smtp, "ann@example.test\r\n", "Pages\r\nBcc: eve@example.test", "See\nthem",
                                 files.join('|') + '|'));
        QCOMPARE(prompt.messages, QStringList{"Message sent."});
        const QList<QJsonObject> received = sink.messages();
        QCOMPARE(received.size(), 1);
        const QJsonObject mail = received.first();
        QCOMPARE(mail["from"].toString(), QString("vlm@example.test"));
        QCOMPARE(texts(mail["to"]), QStringList{"ann@example.test"});
        const QJsonObject headers = mail["headers"].toObject();
        QCOMPARE(texts(headers["Subject"]), QStringList{"PagesBcc: eve@example.test"});
        QVERIFY(!headers.contains("Bcc"));
        QCOMPARE(texts(headers["From"]), QStringList{"Vellumark <vlm@example.test>"});
        QCOMPARE(texts(headers["To"]), QStringList{"<ann@example.test>"});
        QVERIFY(QDateTime::fromString(texts(headers["Date"]).value(0), Qt::RFC2822Date).isValid());
        QVERIFY(QRegularExpression("^<[0-9a-f-]{36}@example\\.test>$").match(texts(headers["Message-ID"]).value(0)).hasMatch());

        const QJsonArray parts = mail["parts"].toArray();
        QCOMPARE(parts.size(), 4);
        QCOMPARE(parts[0].toObject()["type"].toString(), QString("text/plain"));
        QCOMPARE(QByteArray::fromBase64(parts[0].toObject()["data"].toString().toLatin1()), QByteArray("   \r\nSee\r\nthem"));
        const QStringList types{"image/jpeg", "image/bmp", "application/pdf"};
        for (int i = 0; i < 3; ++i) {
            const QJsonObject part = parts[i + 1].toObject();
            QCOMPARE(part["encoding"].toString(), QString("base64"));
            QCOMPARE(part["type"].toString(), types.at(i));
            QCOMPARE(part["filename"].toString(), QFileInfo(files.at(i)).fileName());
            QCOMPARE(QByteArray::fromBase64(part["data"].toString().toLatin1()), TestFiles::read(files.at(i)));
        }
    }

    // A subject beyond ASCII travels as an encoded word.
    void encodesSubject()
    {
        QCOMPARE(Mail::encodeHeaderText("Pages"), QByteArray("Pages"));
        QCOMPARE(Mail::encodeHeaderText(QString::fromUtf8("Grüße")), QByteArray("=?UTF-8?B?R3LDvMOfZQ==?="));
    }

    // Every way a send can fail is an error naming its cause, never
    // "Message sent.", and nothing reaches the server.
    void smtpFailures_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("security");
        QTest::addColumn<bool>("closedPort");
        QTest::addColumn<bool>("missingFile");
        QTest::addColumn<QString>("error");
        QTest::newRow("recipient refused") << "refused@example.test" << "none" << false << false
                                           << "SendEmail: Error  #55 ";
        QTest::newRow("no server") << "ann@example.test" << "none" << true << false << "SendEmail: Error  #7 ";
        QTest::newRow("not an address") << "ann example" << "none" << false << false
                                        << "SendEmail: Error  #10011 'ann example' is not an e-mail address.";
        QTest::newRow("empty address") << "" << "none" << false << false
                                       << "SendEmail: Error  #10011 '' is not an e-mail address.";
        QTest::newRow("attachment missing") << "ann@example.test" << "none" << false << true
                                            << "SendEmail: Error  #2 ";
        QTest::newRow("server without STARTTLS") << "ann@example.test" << "starttls" << false << false
                                                 << "SendEmail: Error  #64 ";
    }
    void smtpFailures()
    {
        QFETCH(QString, to);
        QFETCH(QString, security);
        QFETCH(bool, closedPort);
        QFETCH(bool, missingFile);
        QFETCH(QString, error);
        SmtpSink sink;
        QVERIFY2(sink.isRunning(), qPrintable(sink.error()));
        useSink(sink, security);
        if (closedPort)
            Settings::setValue("SmtpPort", QString::number(SmtpSink::closedPort()));
        QString attachments = pageFiles().first() + '|';
        if (missingFile)
            attachments += TestEnvironment::root() + "/gone.jpg|";
        FakePrompt prompt;
        QVERIFY(!Email::SendEmail(System::Smtp, to, "Subject", "Body", attachments));
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY2(prompt.messages.first().startsWith(error), qPrintable(prompt.messages.first()));
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Error});
        QCOMPARE(sink.messages().size(), 0);
    }

    // No server in the settings: the set-up message, not a connection.
    void smtpNotSetUp()
    {
        FakePrompt prompt;
        QVERIFY(!Email::SendEmail(System::Smtp, "ann@example.test", "S", "B", QString()));
        QVERIFY(prompt.messages.value(0).contains("No SMTP server is set up."));
    }

    // The notice's subject and body, for a scanned page and a shortcut.
    void noticeText()
    {
        const std::optional<Email::Notice> scanned = Email::newPageNotice(noticePage(" ann@example.test "));
        QVERIFY(scanned);
        QCOMPARE(scanned->address, QString("ann@example.test"));
        QCOMPARE(scanned->subject, QString("Vellumark: new page added"));
        QCOMPARE(scanned->body, QString(" Cabinet: Home\n  Drawer: Bills\n  Folder: Power\nDocument: Invoice\n\n"
                                        "New page scanned.  Page # 3"));
        const std::optional<Email::Notice> shortcut =
            Email::newPageNotice(noticePage("ann@example.test", "/home/ann/it's offer.pdf"));
        QVERIFY(shortcut);
        QVERIFY(shortcut->body.endsWith("\n\nNew file added: /home/ann/it's offer.pdf"));
        QVERIFY(!Email::newPageNotice(noticePage("   ")));
        QVERIFY(!Email::newPageNotice(noticePage(QVariant(QMetaType(QMetaType::QString)))));
    }

    // Which settings send the notice: none when "EmailSystem" is empty or
    // names nothing; a lower-case "smtp" still does (the notice compares
    // in upper case).
    void noticeSending_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("sent");
        QTest::newRow("no system") << "" << 0;
        QTest::newRow("unknown system") << "FAX" << 0;
        QTest::newRow("SMTP") << "SMTP" << 1;
        QTest::newRow("lower case smtp") << "smtp" << 1;
    }
    void noticeSending()
    {
        QFETCH(QString, setting);
        QFETCH(int, sent);
        SmtpSink sink;
        QVERIFY2(sink.isRunning(), qPrintable(sink.error()));
        useSink(sink);
        Settings::setValue("EmailSystem", setting);
        FakePrompt prompt;
        Email::SendNewPageNotification(noticePage("ann@example.test"));
        QCOMPARE(sink.messages().size(), sent);
        QCOMPARE(prompt.messages, sent ? QStringList{"Message sent."} : QStringList{});
        if (sent)
            QCOMPARE(texts(sink.messages().first()["headers"].toObject()["Subject"]),
                     QStringList{"Vellumark: new page added"});
    }

    // A server that says nothing for the stall limit fails the send with
    // "did not answer", whatever it was waited for: its greeting, its
    // answer to the message's end, or its answer to QUIT.
    void smtpStalls_data()
    {
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<int>("taken");
        QTest::newRow("never greets") << int(SmtpSink::Behaviour::Silent) << 0;
        QTest::newRow("stalls after the data") << int(SmtpSink::Behaviour::StallData) << 0;
        QTest::newRow("stalls at QUIT") << int(SmtpSink::Behaviour::StallQuit) << 1;
    }
    void smtpStalls()
    {
        QFETCH(int, behaviour);
        QFETCH(int, taken);
        SmtpSink sink{SmtpSink::Behaviour(behaviour)};
        QVERIFY2(sink.isRunning(), qPrintable(sink.error()));
        useSink(sink);
        Mail::setStallLimit(1);
        FakePrompt prompt;
        const bool sent = Email::SendEmail(System::Smtp, "ann@example.test", "S", "B", QString());
        Mail::setStallLimit(0);
        QVERIFY(!sent);
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Error});
        QVERIFY2(prompt.messages.first().startsWith("SendEmail: Error  #28 The mail server 127.0.0.1:"),
                 qPrintable(prompt.messages.first()));
        QVERIFY2(prompt.messages.first().contains("did not answer"), qPrintable(prompt.messages.first()));
        QCOMPARE(sink.messages().size(), taken);
    }

    // A server silent after the message's end holds the send for one stall
    // limit in all: then the connection is dropped, and QUIT is neither
    // sent nor waited for a second limit.
    void smtpStallAfterDataWaitsOnce()
    {
        SmtpSink sink{SmtpSink::Behaviour::StallData};
        QVERIFY2(sink.isRunning(), qPrintable(sink.error()));
        useSink(sink);
        Mail::setStallLimit(1);
        FakePrompt prompt;
        const bool sent = Email::SendEmail(System::Smtp, "ann@example.test", "S", "B", QString());
        Mail::setStallLimit(0);
        QVERIFY(!sent);
        QVERIFY2(prompt.messages.value(0).endsWith(" did not answer within 1 s."), qPrintable(prompt.messages.value(0)));
        QTRY_COMPARE(sink.closedConnections(), 1);
        const QByteArray transcript = sink.transcript();
        QVERIFY2(transcript.contains("\r\n.\r\n"), transcript.constData());
        QVERIFY2(!transcript.contains("QUIT"), transcript.constData());
    }

    // While a send runs, its progress window shows a busy bar, not an
    // empty one that stands still while the server is waited for.
    void smtpShowsBusyBar()
    {
        SmtpSink sink;
        QVERIFY2(sink.isRunning(), qPrintable(sink.error()));
        useSink(sink);
        FakePrompt prompt;
        RecordingProgressView progress;
        QVERIFY(Email::SendEmail(System::Smtp, "ann@example.test", "S", "B", QString()));
        QCOMPARE(progress.events, QStringList({"start Sending mail to ann@example.test 1..2", "busy", "stop"}));
    }

    // The text travels as quoted-printable within 76 characters a line,
    // with the blanks at a line's end, "=" and a full stop opening a line
    // encoded.
    void quotedPrintable_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("plain") << QByteArray("plain text") << QByteArray("plain text");
        QTest::newRow("equals sign") << QByteArray("a=b") << QByteArray("a=3Db");
        QTest::newRow("blanks at line ends") << QByteArray("end \r\ntab\t\r\n   ") << QByteArray("end=20\r\ntab=09\r\n  =20");
        QTest::newRow("full stops opening lines") << QByteArray(".\r\n..x\r\na.") << QByteArray("=2E\r\n=2E.x\r\na.");
        QTest::newRow("UTF-8") << QString::fromUtf8("Grüße").toUtf8() << QByteArray("Gr=C3=BC=C3=9Fe");
        QTest::newRow("long line") << QByteArray(80, 'a') << QByteArray(73, 'a') + "=\r\n" + QByteArray(7, 'a');
        QTest::newRow("long line of encoded bytes") << QByteArray(30, '=') << QByteArray("=3D").repeated(25) + "=\r\n"
                                                                                   + QByteArray("=3D").repeated(5);
    }
    void quotedPrintable()
    {
        QFETCH(QByteArray, text);
        QTEST(Mail::quotedPrintable(text), "encoded");
    }

    // A text of awkward lines and pages whose names are no ASCII reach the
    // server whole: the names as RFC 2231 parameters, never raw UTF-8 in a
    // header; a plain name as it is.
    void smtpCarriesAwkwardTextAndNames()
    {
        SmtpSink sink;
        QVERIFY2(sink.isRunning(), qPrintable(sink.error()));
        useSink(sink);
        const QString dir = TestEnvironment::root() + "/names/";
        const QString german = dir + QString::fromUtf8("Grüße Seite 1.jpg");
        const QString plain = dir + "it's page 2.jpg";
        QDir().mkpath(dir);
        TestImages::writeJpeg(german, QSize(20, 10), 300);
        TestImages::writeJpeg(plain, QSize(20, 10), 300);
        const QString body = QString::fromUtf8(".first\nGrüße = regards   \n") + QString(100, QLatin1Char('x')) + "\n.";
        FakePrompt prompt;
        QVERIFY(Email::SendEmail(System::Smtp, "ann@example.test", "S", body, german + '|' + plain + '|'));
        const QJsonArray parts = sink.messages().value(0)["parts"].toArray();
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts[0].toObject()["encoding"].toString(), QString("quoted-printable"));
        QCOMPARE(QByteArray::fromBase64(parts[0].toObject()["data"].toString().toLatin1()),
                 Mail::crlfBody(Email::bodyWithAttachmentLine(body, 2)));
        QCOMPARE(parts[1].toObject()["filename"].toString(), QFileInfo(german).fileName());
        QCOMPARE(parts[1].toObject()["disposition"].toString(),
                 QString("attachment; filename*=UTF-8''Gr%C3%BC%C3%9Fe%20Seite%201.jpg"));
        QCOMPARE(QByteArray::fromBase64(parts[1].toObject()["data"].toString().toLatin1()), TestFiles::read(german));
        QCOMPARE(parts[2].toObject()["filename"].toString(), QString("it's page 2.jpg"));
    }

    // Cancel ends a send the server holds, long before the stall limit,
    // while the caller's events go on (the Cancel itself arrives as one).
    void smtpCancel()
    {
        SmtpSink sink{SmtpSink::Behaviour::StallData};
        QVERIFY2(sink.isRunning(), qPrintable(sink.error()));
        useSink(sink);
        Mail::setStallLimit(600);
        FakePrompt prompt;
        QTimer::singleShot(300, [] { Progress::setProgressCancelled(true); });
        const bool sent = Email::SendEmail(System::Smtp, "ann@example.test", "S", "B", QString());
        Mail::setStallLimit(0);
        QVERIFY(!sent);
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QCOMPARE(prompt.messages, QStringList{"Sending was cancelled; the message was not sent."});
    }

    // A server refusing the message is quoted, not "Weird server reply".
    void smtpRefusalInServersWords()
    {
        SmtpSink sink{SmtpSink::Behaviour::RejectData};
        QVERIFY2(sink.isRunning(), qPrintable(sink.error()));
        useSink(sink);
        FakePrompt prompt;
        QVERIFY(!Email::SendEmail(System::Smtp, "ann@example.test", "S", "B", QString()));
        QVERIFY2(prompt.messages.value(0).contains("refused the message: 554 5.7.1 Message refused as spam"),
                 qPrintable(prompt.messages.value(0)));
    }

    // A ten-sheet feeder batch into a folder with an address, against a
    // server that never greets: one connection waits out the stall limit,
    // the other notices are not tried, one message names all ten pages,
    // and the pages are stored.
    void feederBatchStopsNoticesAtFirstFailure()
    {
        SmtpSink sink{SmtpSink::Behaviour::Silent};
        QVERIFY2(sink.isRunning(), qPrintable(sink.error()));
        useSink(sink);
        Settings::setValue("EmailSystem", "SMTP");
        const RecordId folderId = RecordFixture::folder(RecordFixture::drawer(RecordFixture::cabinet("Home"), "Bills"), "Power");
        DbConnection::execute("UPDATE Folder SET Email = ? WHERE FolderId = ?", {"ann@example.test", folderId});
        InstalledNotices notices;
        std::vector<PageSave::SaveRequest> sheets(10);
        for (PageSave::SaveRequest &sheet : sheets) {
            sheet.addMode = true;
            sheet.key = QString("FLD%1").arg(folderId);
            sheet.image = TestImages::filled(QSize(40, 60), Qt::white);
        }
        FakePrompt prompt;
        const PageSave::BatchResult stored = PageSave::saveScannedPages(sheets);
        QVERIFY(!stored.error);
        QCOMPARE(int(stored.saved.size()), 10);
        QCOMPARE(sink.connections(), 1);
        QCOMPARE(prompt.messages.size(), 1);
        const QString text = prompt.messages.first();
        QVERIFY2(text.startsWith("Error # 28 The mail server 127.0.0.1:"), qPrintable(text));
        for (int n = 1; n <= 10; ++n)
            QVERIFY2(text.contains(QString("New document, page %1\n").arg(n)) || text.endsWith(QString("New document, page %1").arg(n)),
                     qPrintable(text));
    }

    // With a working server each notice of a batch still says "Message
    // sent.", and every page gets its notice.
    void batchNoticesToWorkingServer()
    {
        SmtpSink sink;
        QVERIFY2(sink.isRunning(), qPrintable(sink.error()));
        useSink(sink);
        Settings::setValue("EmailSystem", "SMTP");
        InstalledNotices notices;
        const int first = noticePage("ann@example.test");
        FakePrompt prompt;
        {
            const NoticeBatch batch;
            Q_EMIT Changes::instance().pageAdded(first);
            Q_EMIT Changes::instance().pageAdded(first);
        }
        QCOMPARE(prompt.messages, QStringList({"Message sent.", "Message sent."}));
        QCOMPARE(sink.messages().size(), 2);
    }

    // Two pages whose files share a name reach the desktop client as two
    // files, each with its own page's bytes.
    void desktopClientKeepsSameNamedPagesApart()
    {
        const QString a = TestEnvironment::root() + "/a/offer.pdf";
        const QString b = TestEnvironment::root() + "/b/offer.pdf";
        QDir().mkpath(QFileInfo(a).path());
        QDir().mkpath(QFileInfo(b).path());
        TestFiles::write(a, "first offer");
        TestFiles::write(b, "second offer");
        FakeXdgEmail xdg;
        FakePrompt prompt;
        QVERIFY(Email::SendEmail(System::DesktopClient, "ann@example.test", "S", "B", a + '|' + b + '|'));
        QTRY_VERIFY(QFileInfo::exists(xdg.argsFile));
        const QStringList args = xdg.args();
        const int at = args.indexOf("--attach");
        QVERIFY(at > 0);
        QCOMPARE(args.at(at + 2), QString("--attach"));
        QVERIFY(args.at(at + 1) != args.at(at + 3));
        QCOMPARE(TestFiles::read(args.at(at + 1)), QByteArray("first offer"));
        QCOMPARE(TestFiles::read(args.at(at + 3)), QByteArray("second offer"));
    }

    // The desktop client gets copies of the pages that outlive the page
    // files, the subject without its line break, and the address last.
    void desktopClientGetsCopies()
    {
        const QStringList files = pageFiles();
        const QByteArray jpegBytes = TestFiles::read(files.at(0));
        FakePrompt prompt;
        bool sent = false;
        QString record;
        {
            FakeXdgEmail xdg;
            record = xdg.argsFile;
            sent = Email::SendEmail(System::DesktopClient, "ann@example.test", "Two\npages", "Body",
                                    files.at(0) + '|' + files.at(1) + '|');
        }
        QVERIFY(sent);
        QCOMPARE(prompt.messages, QStringList{Email::messageSentText(System::DesktopClient)});
        QTRY_VERIFY(QFileInfo::exists(record));
        const QStringList args = QString::fromUtf8(TestFiles::read(record)).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(args.size(), 11);
        QCOMPARE(args.mid(0, 4), QStringList({"--utf8", "--subject", "Twopages", "--body"}));
        QCOMPARE(args.mid(4, 2), QStringList({"  ", "Body"}));  // the body's two lines
        QCOMPARE(args.at(6), QString("--attach"));
        QCOMPARE(args.at(8), QString("--attach"));
        QCOMPARE(args.last(), QString("ann@example.test"));
        QVERIFY(args.at(7).startsWith(Mail::attachmentFolder() + '/'));
        QVERIFY(QFile::remove(files.at(0)));
        QCOMPARE(TestFiles::read(args.at(7)), jpegBytes);
        QCOMPARE(QFileInfo(args.at(9)).fileName(), QString("p2.bmp"));
    }

    // Without xdg-email on the path the send fails with a message.
    void desktopClientMissing()
    {
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(TestEnvironment::root() + "/nowhere"));
        FakePrompt prompt;
        const bool sent = Email::SendEmail(System::DesktopClient, "ann@example.test", "S", "B", QString());
        qputenv("PATH", path);
        QVERIFY(!sent);
        QVERIFY(prompt.messages.value(0).startsWith("SendEmail: Error  #10010 xdg-email was not found"));
    }
};

VLM_TEST_GUILESS_MAIN(EmailTest)
#include "EmailTest.moc"

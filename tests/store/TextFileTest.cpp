#include "platform/AppError.h"
#include "store/TextFile.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <cerrno>

class TextFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_dir = TestEnvironment::freshDataFolder(); }

    // Files from Windows, Unix and old Mac editors split alike; a final line
    // end adds no empty line, but empty lines inside are kept.
    void splitLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF") << "a\r\nb\r\n" << QStringList{"a", "b"};
        QTest::newRow("LF") << "a\nb\n" << QStringList{"a", "b"};
        QTest::newRow("lone CR") << "a\rb\r" << QStringList{"a", "b"};
        QTest::newRow("mixed ends") << "a\r\nb\nc\rd" << QStringList{"a", "b", "c", "d"};
        QTest::newRow("no final line end") << "a\r\nb" << QStringList{"a", "b"};
        QTest::newRow("empty lines inside") << "\r\na\n\nb\r\r\n" << QStringList{"", "a", "", "b", ""};
        QTest::newRow("two final line ends") << "a\r\n\r\n" << QStringList{"a", ""};
        QTest::newRow("line end alone") << "\r\n" << QStringList{""};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void splitLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(TextFile::splitLines(text), lines);
    }

    // UTF-8 unless the bytes are not valid UTF-8, then Latin-1 throughout;
    // only a leading byte-order mark is dropped.
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8") << QByteArray("Caf\xc3\xa9") << QStringLiteral("Caf\u00e9");
        QTest::newRow("latin-1") << QByteArray("Caf\xe9\r\n") << QStringLiteral("Caf\u00e9\r\n");
        // The last byte would start a UTF-8 sequence that never ends.
        QTest::newRow("latin-1 last byte") << QByteArray("Caf\xe9") << QStringLiteral("Caf\u00e9");
        QTest::newRow("utf-8 cut short") << QByteArray("Caf\xc3") << QStringLiteral("Caf\u00c3");
        QTest::newRow("latin-1 with utf-8 look-alike")
            << QByteArray("Caf\xc3\xa9 \xe9") << QStringLiteral("Caf\u00c3\u00a9 \u00e9");
        QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf" "DRW=a") << QStringLiteral("DRW=a");
        QTest::newRow("byte-order mark inside kept")
            << QByteArray("a\xef\xbb\xbf" "b") << QStringLiteral("a\ufeffb");
        QTest::newRow("line ends untouched") << QByteArray("a\r\nb\r") << QStringLiteral("a\r\nb\r");
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(TextFile::decode(bytes), text);
    }

    // Only the space character is trimmed.
    void trimSpaces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("both ends") << "  a b  " << "a b";
        QTest::newRow("spaces only") << "   " << "";
        QTest::newRow("tabs kept") << "\ta\t" << "\ta\t";
        QTest::newRow("spaces outside tabs") << " \t a \t " << "\t a \t";
        QTest::newRow("line end kept") << "a \r" << "a \r";
        QTest::newRow("no-break space kept") << QStringLiteral("\u00a0a ") << QStringLiteral("\u00a0a");
        QTest::newRow("empty") << "" << "";
    }
    void trimSpaces()
    {
        QFETCH(QString, text);
        QFETCH(QString, trimmed);
        QCOMPARE(TextFile::trimSpaces(text), trimmed);
    }

    // Kind and value of a "KIND=value" line.
    void entryOf_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "DRW=Home" << "DRW" << "Home";
        QTest::newRow("spaces everywhere") << "  FLD =  Bills  " << "FLD" << "Bills";
        QTest::newRow("longer word") << "CABINET = Office" << "CAB" << "Office";
        QTest::newRow("equals signs in value") << "DOC=a = b=c" << "DOC" << "a = b=c";
        QTest::newRow("no equals sign") << "DRW Home" << "DRW" << "";
        QTest::newRow("case kept") << "drw=a" << "drw" << "a";
        QTest::newRow("tab not trimmed") << "\tFLD=f" << "\tFL" << "f";
        QTest::newRow("empty") << "" << "" << "";
    }
    void entryOf()
    {
        QFETCH(QString, line);
        QFETCH(QString, kind);
        QFETCH(QString, value);
        const TextFile::Entry entry = TextFile::entryOf(line);
        QCOMPARE(entry.kind, kind);
        QCOMPARE(entry.value, value);
    }

    // Every line, the last too, ends with CR LF; splitting gives them back.
    void joinCrLf()
    {
        const QStringList lines{"", "a", "", "b c"};
        QCOMPARE(TextFile::joinCrLf(lines), QStringLiteral("\r\na\r\n\r\nb c\r\n"));
        QCOMPARE(TextFile::splitLines(TextFile::joinCrLf(lines)), lines);
        QCOMPARE(TextFile::joinCrLf({}), QString());
    }

    // A file is read decoded; a missing one is no error and leaves the text
    // alone.
    void read()
    {
        const QString path = m_dir + "/a.txt";
        QString text = "untouched";
        QVERIFY(!TextFile::read(path, &text));
        QCOMPARE(text, QStringLiteral("untouched"));
        TestFiles::write(path, "\xef\xbb\xbf" "DRW=Caf\xc3\xa9\r\n");
        QVERIFY(TextFile::read(path, &text));
        QCOMPARE(text, QStringLiteral("DRW=Caf\u00e9\r\n"));
    }

    // Something that exists but cannot be read is an error naming it.
    void readFailure()
    {
        const QString path = m_dir + "/folder.txt";
        QVERIFY(QDir().mkpath(path));
        QString text = "untouched";
        try {
            TextFile::read(path, &text);
            QFAIL("no error for a folder");
        } catch (const AppError &e) {
            QVERIFY(e.code != 0);
            QVERIFY2(e.text.startsWith(path + ": ") && e.text.size() > path.size() + 2, qPrintable(e.text));
        }
        QCOMPARE(text, QStringLiteral("untouched"));
    }

    // A file of an imported tree is read only when it lies inside the tree
    // once links are resolved: a link to another file of the tree is
    // followed; one that leads out of it (to a file of the user's, to a
    // device) or nowhere is refused with its reason, and the text is left
    // alone. Without a root, the same link is read.
    void readInsideTree_data()
    {
        QTest::addColumn<QString>("target");   // the link's target; "" for a plain file
        QTest::addColumn<QString>("reason");   // "" when the file is read
        QTest::newRow("plain file") << "" << "";
        QTest::newRow("link inside the tree") << "<tree>/shared.txt" << "";
        QTest::newRow("link out of the tree") << "<outside>/secret.txt"
                                              << "It is a link that leads out of the folder being imported (to <outside>/secret.txt).";
        QTest::newRow("link to a device") << "/dev/zero"
                                          << "It is a link that leads out of the folder being imported (to /dev/zero).";
        QTest::newRow("link to nothing") << "<tree>/gone.txt" << "It is a link that leads nowhere.";
        QTest::newRow("link to itself") << "<tree>/D/Drawer.txt" << "It is a link that leads nowhere.";
    }
    void readInsideTree()
    {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        const QString tree = m_dir + "/tree";
        const QString outside = m_dir + "/outside";
        TestFiles::writeFile(tree + "/shared.txt", "shared text");
        TestFiles::writeFile(outside + "/secret.txt", "secret text");
        const QString path = tree + "/D/Drawer.txt";
        target.replace("<tree>", tree).replace("<outside>", outside);
        reason.replace("<outside>", outside);
        if (target.isEmpty())
            TestFiles::writeFile(path, "own text");
        else
            QVERIFY(QDir().mkpath(tree + "/D") && QFile::link(target, path));
        QString text = "untouched";
        try {
            QVERIFY(TextFile::read(path, &text, 1024, tree + "/"));
            QVERIFY2(reason.isEmpty(), "no error for a file out of the tree");
            QCOMPARE(text, target.isEmpty() ? QString("own text") : QString("shared text"));
        } catch (const AppError &e) {
            QCOMPARE(e.code, int(ErrorCode::InvalidValue));
            QCOMPARE(e.text, path + ": " + reason);
            QCOMPARE(text, QString("untouched"));
        }
        if (target.startsWith(outside)) {
            QVERIFY(TextFile::read(path, &text, 1024));
            QCOMPARE(text, QString("secret text"));
        }
    }

    // Writing replaces the file with the text's UTF-8 bytes, leaving no
    // temporary file.
    void write()
    {
        const QString path = m_dir + "/a.txt";
        TestFiles::write(path, "a much longer old text\r\n");
        QString error;
        QVERIFY(TextFile::write(path, QStringLiteral("Caf\u00e9\r\n"), &error));
        QCOMPARE(error, QString());
        QCOMPARE(TestFiles::read(path), QByteArray("Caf\xc3\xa9\r\n"));
        QCOMPARE(QDir(m_dir).entryList(QDir::Files), QStringList{"a.txt"});
    }

    // A write cut short (here by a size limit, as by a full disk) is
    // reported with the system's code and reason; the old file stays whole
    // and no temporary file is left.
    void shortWriteKeepsOldFile()
    {
        const QString path = m_dir + "/a.txt";
        TestFiles::write(path, "old\r\n");
        QString error;
        {
            FileSizeLimit limit(8);
            QVERIFY(!TextFile::write(path, QStringLiteral("a text longer than the limit\r\n"), &error));
        }
        const QString prefix = QStringLiteral("Error # %1 %2: ").arg(EFBIG).arg(path);
        QVERIFY2(error.startsWith(prefix) && error.size() > prefix.size(), qPrintable(error));
        QCOMPARE(TestFiles::read(path), QByteArray("old\r\n"));
        QCOMPARE(QDir(m_dir).entryList(QDir::Files), QStringList{"a.txt"});
    }

    // A file whose folder cannot exist is reported; without an error text
    // the failure still shows in the result.
    void writeWhereNoFileCanBe()
    {
        const QString path = TestFiles::pathUnderFile("blocker") + "/a.txt";
        QString error;
        QVERIFY(!TextFile::write(path, QStringLiteral("a"), &error));
        QVERIFY2(error.startsWith("Error # ") && error.contains(path + ": "), qPrintable(error));
        QVERIFY2(!error.endsWith(": "), qPrintable(error));
        QVERIFY(!TextFile::write(path, QStringLiteral("a"), nullptr));
        QVERIFY(!QFile::exists(path));
    }

private:
    QString m_dir;
};

VLM_TEST_GUILESS_MAIN(TextFileTest)
#include "TextFileTest.moc"

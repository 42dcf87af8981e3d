#include "navigation/PageClipboard.h"

#include <QDir>
#include <QDirIterator>
#include <QGuiApplication>
#include <QImage>
#include <QtTest>

#include "core/RecordId.h"
#include "platform/ClipboardFiles.h"
#include "platform/DbConnection.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "store/Passwords.h"
#include "tests/support/BirthTrace.h"
#include "tests/support/CancellingProgressView.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/PageFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingChanges.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestImages.h"

using namespace PageClipboard;

Q_DECLARE_METATYPE(PageClipboard::SkipReason)

namespace {

// Every file under the page store.
QStringList storedFiles()
{
    QStringList files;
    QDirIterator it(QDir(qEnvironmentVariable("VLM_DATA_DIR")).filePath(QStringLiteral("Pages")),
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    return files;
}

using RecordFixture::pageCount;

} // namespace

class PageClipboardTest : public QObject
{
    Q_OBJECT

private:
    QString m_files;      // the user's own files, outside the store

    static RecordId document() { return RecordFixture::documentInNewFolder(); }
    QString userFile(const QString &name, const QByteArray &bytes = QByteArray(300, 'x'))
    {
        const QString path = m_files + QLatin1Char('/') + name;
        TestFiles::write(path, bytes);
        return path;
    }
    QString jpeg(const QString &name)
    {
        const QString path = m_files + QLatin1Char('/') + name;
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        if (!image.save(path, "JPG"))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private Q_SLOTS:
    void init()
    {
        TestEnvironment::openFreshDatabase();
        m_files = TestEnvironment::root() + QStringLiteral("/user-%1").arg(QTest::currentDataTag());
        QDir(m_files).removeRecursively();
        QDir().mkpath(m_files);
    }

    // How each kind of file is filed: images are copied into the store,
    // other files become shortcut pages that stay put.
    void addsEachKindOfFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("shortcut");
        QTest::addColumn<QString>("filetype");
        QTest::newRow("jpeg") << "scan.jpg" << false << "jpg";
        QTest::newRow("upper-case JPEG") << "SCAN.JPEG" << false << "jpg";
        QTest::newRow("bitmap") << "scan.bmp" << false << "bmp";
        QTest::newRow("pdf") << "it's a letter.pdf" << true << "pdf";
        // The type goes into the row as a bound value, quote and all.
        QTest::newRow("quote in the type") << "odd.a'b" << true << "a'b";
    }
    void addsEachKindOfFile()
    {
        QFETCH(QString, name);
        QFETCH(bool, shortcut);
        const int doc = document();
        const QString path = shortcut ? userFile(name) : jpeg(name);
        const QByteArray bytes = TestFiles::read(path);
        const PasteResult result = pasteFilesIntoDocument({path}, doc);
        QCOMPARE(result.skipped.size(), 0);
        QCOMPARE(result.added.size(), 1);
        const RecordId id = result.added[0].pageId;
        QCOMPARE(result.added[0].shortcut, shortcut);
        const Pages::PageRow row = Pages::readDocumentPages(doc).value(0);
        QCOMPARE(row.pageId, id);
        QCOMPARE(row.fileSize, QString::number(bytes.size()));
        QTEST(row.filetype, "filetype");
        QVERIFY(QDateTime::fromString(row.scanDate, Pages::ScanDateFormat).isValid());
        QVERIFY(QFile::exists(path));  // the user's file is never moved
        if (shortcut) {
            QCOMPARE(row.pageNumber, 0);
            QCOMPARE(row.filename, path);
            QCOMPARE(row.shortcutYN, QStringLiteral("Y"));
            QVERIFY(storedFiles().isEmpty());
        } else {
            QCOMPARE(row.pageNumber, 1);
            QCOMPARE(row.filename, QString());
            QCOMPARE(TestFiles::read(PagePaths::GetDefaultPageFilePath(id)), bytes);
        }
    }

    // Files that cannot be pages are skipped with their reason; no row
    // and no stored file remains for them.
    void skipsWhatCannotBeAPage_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<SkipReason>("reason");
        QTest::newRow("folder") << "folder" << SkipReason::NotRegularFile;
        QTest::newRow("missing file") << "missing" << SkipReason::NotFound;
        QTest::newRow("name ending jpg without a dot") << "photojpg" << SkipReason::NotAccepted;
        QTest::newRow("store refuses the bytes") << "too big" << SkipReason::CopyFailed;
        QTest::newRow("store folder cannot be made") << "blocked" << SkipReason::CopyFailed;
        QTest::newRow("rows do not commit") << "commit" << SkipReason::StoreFailed;
        // Named as an image, but no image can be read from it.
        QTest::newRow("empty file named jpg") << "empty" << SkipReason::NotAccepted;
        QTest::newRow("random bytes named jpg") << "random" << SkipReason::NotAccepted;
        QTest::newRow("bitmap claiming 60000 by 60000") << "huge bmp" << SkipReason::NotAccepted;
    }
    void skipsWhatCannotBeAPage()
    {
        QFETCH(QString, kind);
        const int doc = document();
        QString path = jpeg(QStringLiteral("page.jpg"));
        std::unique_ptr<FileSizeLimit> limit;
        BirthTrace trace;
        if (kind == QLatin1String("folder")) {
            path = m_files + QStringLiteral("/album.jpg");
            QDir().mkpath(path);
        } else if (kind == QLatin1String("missing")) {
            path = m_files + QStringLiteral("/gone.jpg");
        } else if (kind == QLatin1String("photojpg")) {
            path = userFile(QStringLiteral("photojpg"));
        } else if (kind == QLatin1String("too big")) {
            // The limit leaves room for the database and its journal. A
            // real image, padded past its end.
            path = userFile(QStringLiteral("big.jpg"), TestFiles::read(path) + QByteArray(4 << 20, 'j'));
            limit = std::make_unique<FileSizeLimit>(1 << 20);
        } else if (kind == QLatin1String("empty")) {
            path = userFile(QStringLiteral("empty.jpg"), QByteArray());
        } else if (kind == QLatin1String("random")) {
            path = userFile(QStringLiteral("random.jpg"), QByteArray::fromHex("8d3a11f07c0e9b52").repeated(500));
        } else if (kind == QLatin1String("huge bmp")) {
            path = userFile(QStringLiteral("huge.bmp"), TestImages::bmpHeaderClaiming(60000, 60000));
        } else if (kind == QLatin1String("blocked")) {
            TestFiles::blockDataFolder(QStringLiteral("not-a-folder"));
        } else {
            // The copy is on the disk; its row does not commit.
            trace.failNextCommit();
        }
        SkippedFile skipped;
        const RecordingChanges notices;
        const AddedPage added = AddFileAsPage(path, doc, &skipped);
        limit.reset();
        QVERIFY(notices.pages.isEmpty());
        QCOMPARE(added.pageId, 0);
        QCOMPARE(skipped.path, path);
        QTEST(skipped.reason, "reason");
        QVERIFY(!skipped.text.isEmpty());
        QCOMPARE(pageCount(), 0);
        QVERIFY2(storedFiles().isEmpty(), qPrintable(storedFiles().join(' ')));
        QVERIFY(QFileInfo::exists(path) || kind == QLatin1String("missing"));
    }

    // An image too large for the viewer to show whole is still filed (its
    // thumbnail decodes at an eighth), with the reason as a warning.
    void imageTooLargeToShowIsNoted()
    {
        const int doc = document();
        const QString path = TestImages::writeGreyJpeg(m_files + QStringLiteral("/huge.jpg"), QSize(20000, 20000));
        const PasteResult result = pasteFilesIntoDocument({path}, doc);
        QCOMPARE(result.added.size(), 1);
        QVERIFY2(result.added[0].note.contains(QStringLiteral("20000 by 20000 pixels is too large to show")),
                 qPrintable(result.added[0].note));
        const QString small = jpeg(QStringLiteral("small.jpg"));
        QCOMPARE(pasteFilesIntoDocument({small}, doc).added.value(0).note, QString());
    }

    // A file at a new page's paths (the page of a restored backup, a killed
    // run's leftover) is never written over: that id is passed over, and
    // the notice goes out for the page stored.
    void takenPathIsPassedOver_data()
    {
        QTest::addColumn<bool>("image");
        QTest::newRow("an image at page 1's path") << true;
        QTest::newRow("a thumbnail at page 1's path") << false;
    }
    void takenPathIsPassedOver()
    {
        QFETCH(bool, image);
        const int doc = document();
        const QString source = jpeg(QStringLiteral("fresh.jpg"));
        const QString taken = image ? PagePaths::GetDefaultPageFilePath(1) : PagePaths::GetDefaultThumbFilePath(1);
        PageFixture::leftover(taken);
        const RecordingChanges notices;
        const PasteResult result = pasteFilesIntoDocument({source}, doc);
        QCOMPARE(result.added.size(), 1);
        QCOMPARE(result.added[0].pageId, 2);
        QCOMPARE(TestFiles::read(taken), PageFixture::LeftoverBytes);
        QCOMPARE(TestFiles::read(PagePaths::GetDefaultPageFilePath(2)), TestFiles::read(source));
        QCOMPARE(notices.pages, QList<RecordId>{2});
    }

    // A paste keeps the order of its files, goes on past a bad one and
    // files everything into the one document it was given, which must exist.
    void pasteKeepsOrderAndGoesOn()
    {
        const int doc = document();
        const QString first = jpeg(QStringLiteral("a.jpg"));
        const QString folder = m_files + QStringLiteral("/sub");
        QDir().mkpath(folder);
        const QString second = jpeg(QStringLiteral("b.jpg"));
        const QString notes = userFile(QStringLiteral("notes.txt"));
        const PasteResult result = pasteFilesIntoDocument({first, folder, second, notes}, doc);
        QCOMPARE(result.documentId, doc);
        QCOMPARE(result.added.size(), 3);
        QCOMPARE(result.skipped.size(), 1);
        QCOMPARE(result.skipped[0].path, folder);
        QStringList listed;
        for (const Pages::PageRow &row : Pages::readDocumentPages(doc))
            listed.append(QStringLiteral("%1:%2").arg(row.pageNumber).arg(row.filetype));
        QCOMPARE(listed, (QStringList{"0:txt", "1:jpg", "2:jpg"}));

        // A document deleted before the paste gets nothing.
        QVERIFY_THROWS_EXCEPTION(AppError, (void)pasteFilesIntoDocument({first}, doc + 100));
        QCOMPARE(pageCount(), 3);
    }

    // Cancel between files ends a paste; the pages added before it stay.
    void cancelledPasteKeepsAddedPages()
    {
        const int doc = document();
        CancellingProgressView progress(2);
        const PasteResult result = pasteFilesIntoDocument({jpeg("a.jpg"), jpeg("b.jpg"), jpeg("c.jpg")}, doc);
        QVERIFY(progress.cancelShown && result.stopped);
        QCOMPARE(result.added.size(), 1);
        QCOMPARE(result.offered, 3);
        QCOMPARE(Pages::readDocumentPages(doc).size(), 1);
    }

    // Paste moves the cut pages (numbered by the store) and empties the
    // cut list, so the next paste adds the files instead.
    void cutAndPasteMovesPages()
    {
        const int a = document();
        const int b = document();
        // Pages whose files are in the page store, which is then there.
        const RecordId a1 = PageFixture::storedPage(a, 1, "a1");
        const RecordId a2 = PageFixture::storedPage(a, 2, "a2");
        cutList().CutPageIds = {a1, a2};
        const QString file = jpeg(QStringLiteral("c.jpg"));
        const PasteResult moved = PasteIntoDocument(b, {file});
        QCOMPARE(moved.movedPages, 2);
        QVERIFY(moved.added.isEmpty());
        QCOMPARE(cutList().CutPageCount(), 0);
        QCOMPARE(Pages::readDocumentPages(b).size(), 2);
        QCOMPARE(PasteIntoDocument(b, {file}).added.size(), 1);
        QCOMPARE(Pages::readDocumentPages(b).size(), 3);
    }

    // Cut pages deleted before the paste are counted as missing, so the
    // user hears why nothing or less was moved.
    void pasteCountsCutPagesDeletedMeanwhile()
    {
        const int a = document();
        const int b = document();
        const int a1 = RecordFixture::page(a, 1);
        const int a2 = RecordFixture::page(a, 2);
        cutList().CutPageIds = {a1, a2};
        DbConnection::execute(QStringLiteral("DELETE FROM Page WHERE PageId = ?"), {a2});
        const PasteResult result = PasteIntoDocument(b, {});
        QCOMPARE(result.movedPages, 1);
        QCOMPARE(result.missingPages, 1);
        QCOMPARE(cutList().CutPageCount(), 0);
    }

    // A move that fails keeps the cut list, so the user can paste again.
    void failedMoveKeepsTheCutList()
    {
        const int a = document();
        const int b = document();
        const int page = RecordFixture::page(a, 1);
        cutList().CutPageIds = {page};
        DbConnection::failAfterStatements(3);
        QVERIFY_THROWS_EXCEPTION(AppError, (void)PasteIntoDocument(b, {}));
        DbConnection::failAfterStatements(0);
        QCOMPARE(cutList().CutPageIds, QList<RecordId>{page});
        QCOMPARE(Pages::readDocumentPages(a).size(), 1);
    }

    // Paste into a document of a locked cabinet needs the cabinet's
    // password, for cut pages and files alike; refused, nothing is moved
    // or added and the cut list stays for another paste.
    void pasteIntoLockedCabinet_data()
    {
        QTest::addColumn<bool>("cut");
        QTest::addColumn<QVariant>("reply");
        QTest::addColumn<bool>("pastes");
        QTest::newRow("cut pages, cancelled") << true << QVariant() << false;
        QTest::newRow("cut pages, wrong password") << true << QVariant("PW") << false;
        QTest::newRow("cut pages, right password") << true << QVariant("pw") << true;
        QTest::newRow("files, cancelled") << false << QVariant() << false;
        QTest::newRow("files, right password") << false << QVariant("pw") << true;
    }
    void pasteIntoLockedCabinet()
    {
        QFETCH(bool, cut);
        QFETCH(QVariant, reply);
        QFETCH(bool, pastes);
        using namespace RecordFixture;
        FakePrompt prompt;
        prompt.passwords = {reply.isValid() ? std::optional<QString>(reply.toString()) : std::nullopt};
        const RecordId page = PageFixture::storedPage(document(), 1, "page 1");
        const int target = RecordFixture::document(folder(drawer(cabinet("Vault", "pw"), "Safe"), "Deeds"), "Will");
        if (cut)
            cutList().CutPageIds = {page};
        const PasteResult result = PasteIntoDocument(target, {jpeg(QStringLiteral("a.jpg"))});
        QCOMPARE(prompt.passwordPrompts, 1);
        QCOMPARE(result.refused, !pastes);
        QCOMPARE(Pages::readDocumentPages(target).size(), pastes ? 1 : 0);
        QCOMPARE(cutList().CutPageCount(), cut && !pastes ? 1 : 0);
        QCOMPARE(Passwords::UnlockedCabinets().size(), pastes ? 1 : 0);
    }

    // Copy cancels a pending cut and offers the pages' files in order:
    // a shortcut page's own file, a stored page's image in the store.
    void copyPutsPageFilesOnTheClipboard()
    {
        const int doc = document();
        const QString notes = userFile(QStringLiteral("notes.pdf"));
        const PasteResult result = pasteFilesIntoDocument({jpeg(QStringLiteral("a.jpg")), notes}, doc);
        const int stored = result.added[0].pageId;
        const int shortcut = result.added[1].pageId;
        cutList().CutPageIds = {stored};
        QVERIFY(CopyPagesToClipboard({shortcut, stored, 999999}));
        QCOMPARE(cutList().CutPageCount(), 0);
        QStringList onClipboard;
        QCOMPARE(ClipboardFiles::GetFilesFromClipboard(onClipboard), 2);
        QCOMPARE(onClipboard, (QStringList{notes, PagePaths::GetDefaultPageFilePath(stored)}));

        // Nothing selected: the clipboard keeps what it had.
        QVERIFY(!CopyPagesToClipboard({}));
        QCOMPARE(ClipboardFiles::GetFilesFromClipboard(onClipboard), 2);
    }
};

VLM_TEST_GUI_MAIN(PageClipboardTest)
#include "PageClipboardTest.moc"

#include "imaging/PageSave.h"

#include "core/RecordId.h"
#include "imaging/ImageOps.h"
#include "imaging/PageFileNames.h"
#include "imaging/ScannerSettings.h"
#include "platform/DbConnection.h"
#include "platform/Settings.h"
#include "store/PagePaths.h"
#include "tests/support/BirthTrace.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/PageFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingChanges.h"
#include "tests/support/RecordingNavigationSink.h"
#include "tests/support/RecordingProgressView.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestImages.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QtTest>

using namespace PageFileNames;
using namespace PageSave;

namespace {

using RecordFixture::rowCount;

RecordId storageCabinet(const QString &path)
{
    return RecordFixture::insert("INSERT INTO Cabinet (Name, Storage, StoragePath) VALUES (?, 1, ?)",
                                 {QStringLiteral("Own"), path});
}

RecordId documentIn(RecordId cabinetId)
{
    const RecordId folderId = RecordFixture::folder(RecordFixture::drawer(cabinetId, "Drawer"), "Folder");
    return RecordFixture::document(folderId, "Doc");
}

QString storageFolder()
{
    const QString path = TestEnvironment::root() + QStringLiteral("/own%1").arg(rowCount("Cabinet"));
    QDir().mkpath(path);
    return path;
}

RecordId folderOf(RecordId documentId)
{
    return DbConnection::queryValue("SELECT FolderId FROM Document WHERE DocumentId = ?", {documentId})
        .toLongLong();
}

QImage page(const QSize &size = QSize(300, 200))
{
    return TestImages::filled(size, QColor(20, 40, 160), 300);
}

using RecordFixture::pageColumn;

// The page's row names its image and size, and both files are in place.
void verifyStored(RecordId pageId, const QString &imagePath, const QSize &size)
{
    QCOMPARE(PagePaths::GetPageFilePath(pageId), imagePath);
    QVERIFY2(QFileInfo::exists(imagePath), qPrintable(imagePath));
    QCOMPARE(pageColumn(pageId, "FileSize").toLongLong(), QFileInfo(imagePath).size());
    QCOMPARE(QImageReader(imagePath).size(), size);
    QCOMPARE(QImageReader(PagePaths::GetThumbFilePath(pageId)).size(), QSize(100, 100));
}

} // namespace

class PageSaveTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    void checkFileName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("boxText");
        const int accept = int(NameVerdict::Accept);
        const int refuse = int(NameVerdict::Refuse);
        const QString chars = QStringLiteral("The following characters are not allowed:\n\\ / : * ? \" < > | .");
        const QString extension = QStringLiteral("The file extension must be .JPG (please change filename).");
        QTest::newRow("only the folder") << "/s/" << refuse << "Please enter a filename." << "/s/";
        QTest::newRow("invalid character removed") << "/s/a*b?.jpg" << refuse << chars << "/s/ab.jpg";
        QTest::newRow("empty offers a name") << "" << int(NameVerdict::AskAutoAssign) << "" << "";
        QTest::newRow("no dot gets .jpg") << "/s/letter" << accept << "" << "/s/letter.jpg";
        QTest::newRow("dot only in a folder") << "/s/v1.2/letter" << accept << "" << "/s/v1.2/letter.jpg";
        QTest::newRow("capital JPG") << "/s/a.JPG" << accept << "" << "/s/a.JPG";
        QTest::newRow("another extension") << "/s/a.png" << refuse << extension << "/s/a.png";
        QTest::newRow("relative goes into the storage path") << "letter.jpg" << accept << "" << "/s/letter.jpg";
    }
    // The checks of a name typed for a cabinet with its own storage path.
    void checkFileName()
    {
        QFETCH(QString, typed);
        QFETCH(int, verdict);
        QFETCH(QString, message);
        QFETCH(QString, boxText);
        const NameCheck check = PageFileNames::checkFileName(typed, QStringLiteral("/s"));
        QCOMPARE(int(check.verdict), verdict);
        QCOMPARE(check.message, message);
        QCOMPARE(check.boxText, boxText);
    }

    void quality_data()
    {
        QTest::addColumn<QString>("pic");
        QTest::addColumn<QString>("doc");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("add");
        QTest::addColumn<int>("expected");
        QTest::newRow("edit, defaults") << "" << "" << "" << false << 30;
        QTest::newRow("add, defaults: document") << "" << "" << "" << true << 50;
        QTest::newRow("add, Picture in capitals") << "" << "" << "PICTURE" << true << 30;
        QTest::newRow("edit ignores the type") << "12" << "40" << "document" << false << 12;
        QTest::newRow("add document, own quality") << "12" << "40" << "document" << true << 40;
        QTest::newRow("picture 0 is out of range") << "0" << "" << "" << false << 30;
        QTest::newRow("picture 255 is the end") << "255" << "" << "" << false << 255;
        QTest::newRow("picture 1 is the end") << "1" << "" << "" << false << 1;
        QTest::newRow("document 256 is out of range") << "" << "256" << "" << true << 50;
        QTest::newRow("document not a number") << "" << "abc" << "" << true << 50;
    }
    // The quality a page is written with, from the scanner defaults.
    void quality()
    {
        QFETCH(QString, pic);
        QFETCH(QString, doc);
        QFETCH(QString, type);
        QFETCH(bool, add);
        QFETCH(int, expected);
        if (!pic.isEmpty())
            Settings::setValue("PicQualityOverride", pic);
        if (!doc.isEmpty())
            Settings::setValue("DocQualityOverride", doc);
        if (!type.isEmpty())
            Settings::setValue("TWAINImageType", type);
        QCOMPARE(ScannerSettings::pageQuality(add), expected);
    }

    void savePaths_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("ownStorage");
        // A document of that id goes in first (0 for none); the folder's new
        // document then counts on from it.
        QTest::addColumn<RecordId>("highDocumentId");
        QTest::newRow("add into a folder") << "FLD" << false << RecordId(0);
        QTest::newRow("add into a document") << "DOC" << false << RecordId(0);
        QTest::newRow("add after a page") << "PAG" << false << RecordId(0);
        QTest::newRow("edit") << "edit" << false << RecordId(0);
        QTest::newRow("add into own storage") << "DOC" << true << RecordId(0);
        QTest::newRow("edit in own storage") << "edit" << true << RecordId(0);
        QTest::newRow("add into a folder, new document past 32 bits") << "FLD" << false << RecordId(4294967296LL);
    }
    // Every way of saving leaves the rows and the files consistent: the row
    // names the image, its size is the file's, the thumbnail is there, and
    // a new page follows the document's highest number.
    void savePaths()
    {
        QFETCH(QString, target);
        QFETCH(bool, ownStorage);
        QFETCH(RecordId, highDocumentId);
        RecordingNavigationSink sink;
        RecordingProgressView progress;
        const QString folder = ownStorage ? storageFolder() : QString();
        const RecordId cabinetId = ownStorage ? storageCabinet(folder) : RecordFixture::cabinet("Cab");
        const RecordId documentId = documentIn(cabinetId);
        const int existing = int(PageFixture::storedPage(documentId, 7, "page 7"));
        if (highDocumentId != 0)
            RecordFixture::insert("INSERT INTO Document (DocumentId, FolderId, Name) VALUES (?, ?, 'High')",
                                  {highDocumentId, folderOf(documentId)});
        const int documents = rowCount("Document");

        SaveRequest request;
        request.image = page();
        request.addMode = target != QLatin1String("edit");
        request.filename = ownStorage ? folder + QStringLiteral("/letter.jpg") : QString();
        if (target == QLatin1String("FLD"))
            request.key = QStringLiteral("FLD%1").arg(folderOf(documentId));
        else if (target == QLatin1String("PAG"))
            request.key = QStringLiteral("PAG%1").arg(existing);
        else
            request.key = QStringLiteral("DOC%1").arg(documentId);
        request.pageId = request.addMode ? 0 : existing;

        const SaveResult saved = SavePage(request);
        const QString expectedPath =
            ownStorage ? request.filename : PagePaths::GetDefaultPageFilePath(saved.pageId);
        verifyStored(saved.pageId, expectedPath, QSize(300, 200));
        QCOMPARE(saved.imagePath, expectedPath);
        // The row names the file as the box held it: the empty text, not
        // Null, for the page store.
        const QVariant filename = pageColumn(saved.pageId, "Filename");
        QVERIFY(!filename.isNull());
        QCOMPARE(filename.toString(), ownStorage ? expectedPath : QString());
        QVERIFY(progress.closedOrNeverOpened());
        QCOMPARE(progress.stepCount("Save complete"), 1);
        if (!request.addMode) {
            QCOMPARE(saved.pageId, existing);
            QCOMPARE(rowCount("Page"), 1);
            return;
        }
        QCOMPARE(rowCount("Page"), 2);
        QCOMPARE(pageColumn(saved.pageId, "Filetype").toString(), QStringLiteral("JPG"));
        QVERIFY(!pageColumn(saved.pageId, "ScanDate").isNull());
        if (target == QLatin1String("FLD")) {
            QCOMPARE(rowCount("Document"), documents + 1);
            QVERIFY(saved.documentId != documentId);
            QCOMPARE(pageColumn(saved.pageId, "DocumentId").toLongLong(), saved.documentId);
            if (highDocumentId != 0)
                QCOMPARE(saved.documentId, highDocumentId + 1);
            QCOMPARE(pageColumn(saved.pageId, "PageNumber").toInt(), 1);
            QCOMPARE(sink.namesOf("document"), QStringList{"New document"});
        } else {
            QCOMPARE(saved.documentId, documentId);
            QCOMPARE(pageColumn(saved.pageId, "PageNumber").toInt(), 8);
            QVERIFY(sink.calls.isEmpty());
        }
    }

    void failureLeavesNoRow_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("image write refused") << "image";
        QTest::newRow("rows do not commit") << "row";
    }
    // A new page whose save fails leaves no row, no new document and no
    // file, and says why.
    void failureLeavesNoRow()
    {
        QFETCH(QString, failure);
        RecordingProgressView progress;
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const int documents = rowCount("Document");
        SaveRequest request;
        request.addMode = true;
        request.key = QStringLiteral("FLD%1").arg(folderOf(documentId));
        request.image = page(QSize(1200, 1600));
        std::unique_ptr<FileSizeLimit> limit;
        BirthTrace trace;
        if (failure == QLatin1String("image"))
            limit = std::make_unique<FileSizeLimit>(1000);
        else
            trace.failNextCommit();  // the files are on the disk, the rows never commit
        bool thrown = false;
        try {
            (void)SavePage(request);
        } catch (const AppError &e) {
            thrown = true;
            QVERIFY(!e.text.isEmpty());
        }
        limit.reset();
        QVERIFY(thrown);
        QCOMPARE(rowCount("Page"), 0);
        QCOMPARE(rowCount("Document"), documents);
        QCOMPARE(QDir(qEnvironmentVariable("VLM_DATA_DIR") + "/Pages/0000000").entryList(QDir::Files),
                 QStringList());
        QCOMPARE(QDir(qEnvironmentVariable("VLM_DATA_DIR") + "/Thumbs/0000000").entryList(QDir::Files),
                 QStringList());
        QVERIFY(progress.closedOrNeverOpened());
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("no image") << "no image";
        QTest::newRow("shortcut page") << "shortcut";
        QTest::newRow("missing document") << "missing";
        QTest::newRow("cabinet key") << "cabinet";
    }
    // What cannot be saved is refused before anything is written; the file
    // of a shortcut page, the user's own, is never replaced.
    void refusals()
    {
        QFETCH(QString, kind);
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const QString own = TestEnvironment::root() + QStringLiteral("/report.pdf");
        TestFiles::write(own, "the user's report");
        const int shortcut = RecordFixture::insert(
            "INSERT INTO Page (DocumentId, PageNumber, Filename, ShortcutYN) VALUES (?, 0, ?, 'Y')",
            {documentId, own});
        SaveRequest request;
        request.image = page();
        request.addMode = true;
        request.key = QStringLiteral("DOC%1").arg(documentId);
        if (kind == QLatin1String("no image"))
            request.image = QImage();
        else if (kind == QLatin1String("shortcut"))
            request = SaveRequest{false, QString(), shortcut, page(), own, false, 30, QString(), {}, QString()};
        else if (kind == QLatin1String("missing"))
            request.key = QStringLiteral("DOC%1").arg(documentId + 100);
        else
            request.key = QStringLiteral("CAB1");
        QVERIFY_THROWS_EXCEPTION(AppError, (void)SavePage(request));
        QCOMPARE(rowCount("Page"), 1);
        QCOMPARE(TestFiles::read(own), QByteArray("the user's report"));
        QCOMPARE(pageColumn(shortcut, "Filename").toString(), own);
    }

    void editWhereTheDiskIsNotThere_data()
    {
        QTest::addColumn<bool>("mountPointLeft");
        QTest::newRow("its mount point left empty") << true;
        QTest::newRow("its mount point gone") << false;
    }
    // An edited page of a cabinet whose storage disk went after the page
    // was opened is refused: nothing is made or written there, and the row
    // keeps its name and size, for a save once the disk is back.
    void editWhereTheDiskIsNotThere()
    {
        QFETCH(bool, mountPointLeft);
        const QString folder = TestEnvironment::root() + QStringLiteral("/disk%1").arg(int(mountPointLeft));
        QVERIFY(QDir().mkpath(folder));
        const RecordId documentId = documentIn(storageCabinet(folder));
        const int pageId = RecordFixture::page(documentId, 1);
        const QString file = folder + QStringLiteral("/letter.jpg");
        TestImages::writeJpeg(file, page());
        DbConnection::execute("UPDATE Page SET Filename = ?, FileSize = 17 WHERE PageId = ?", {file, pageId});
        QVERIFY(QDir(folder).removeRecursively());
        if (mountPointLeft)
            QVERIFY(QDir().mkpath(folder));

        SaveRequest request{false, QString(), pageId, ImageOps::rotate(page(), 90), file, false, 30, QString(), {}, QString()};
        try {
            (void)SavePage(request);
            QFAIL("saved where the disk is not there");
        } catch (const AppError &e) {
            QCOMPARE(e.code, int(ErrorCode::StorageUnavailable));
        }
        QCOMPARE(QFileInfo(folder).isDir(), mountPointLeft);
        if (mountPointLeft)
            QVERIFY(QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        QCOMPARE(pageColumn(pageId, "Filename").toString(), file);
        QCOMPARE(pageColumn(pageId, "FileSize").toLongLong(), 17);
    }

    // Clearing the name of a page in its cabinet's own folder stores it in
    // the default folders; the old file and its thumbnail go, but the file
    // just written is never deleted, even when it is the one loaded.
    void deleteOldFilesSparesTheSavedOnes()
    {
        const QString folder = storageFolder();
        const RecordId documentId = documentIn(storageCabinet(folder));
        const int moved = int(PageFixture::storedPage(documentId, 1, "page 1"));
        const int stayed = int(PageFixture::storedPage(documentId, 2, "page 2"));
        const QString old = folder + QStringLiteral("/old.jpg");
        TestImages::writeJpeg(old, page());
        TestFiles::write(folder + QStringLiteral("/Thumbs/old.jpg"), "thumb");

        SaveResult saved = SavePage(SaveRequest{false, QString(), moved, page(), QString(), true, 30, QString(), {}, QString()});
        deleteOldFiles(old, saved);
        QVERIFY(!QFileInfo::exists(old));
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/Thumbs/old.jpg")));
        verifyStored(moved, PagePaths::GetDefaultPageFilePath(moved), QSize(300, 200));

        // Loaded from the default path and saved there again.
        const QString defaultPath = PagePaths::GetDefaultPageFilePath(stayed);
        QDir().mkpath(PagePaths::GetFolderPart(defaultPath));
        TestImages::writeJpeg(defaultPath, page());
        saved = SavePage(SaveRequest{false, QString(), stayed, page(), QString(), true, 30, QString(), {}, QString()});
        deleteOldFiles(defaultPath, saved);
        verifyStored(stayed, defaultPath, QSize(300, 200));
    }

    // An unchanged page saved over another existing file (the user said
    // Yes to overwrite it) keeps its bytes, and the thumbnail there, which
    // showed the other file, is made anew.
    void unchangedPageOverAnotherFile()
    {
        const QString folder = storageFolder();
        const RecordId documentId = documentIn(storageCabinet(folder));
        const int pageId = RecordFixture::page(documentId, 1);
        const QString loaded = folder + QStringLiteral("/mine.jpg");
        const QString other = folder + QStringLiteral("/other.jpg");
        TestImages::writeJpeg(loaded, page());
        TestImages::writeJpeg(other, page(QSize(50, 50)));
        TestFiles::write(folder + QStringLiteral("/Thumbs/other.jpg"), "the other file's thumbnail");
        DbConnection::execute("UPDATE Page SET Filename = ? WHERE PageId = ?", {loaded, pageId});
        SaveRequest request{false, QString(), pageId, page(), other, false, 30, QString(), {}, loaded};
        (void)SavePage(request);
        QCOMPARE(TestFiles::read(other), TestFiles::read(loaded));
        verifyStored(pageId, other, QSize(300, 200));
    }

    void scannedPagesUpToAFailure_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<int>("kept");
        QTest::newRow("all stored") << "" << 4;
        QTest::newRow("page 3 has no image") << "image" << 2;
        QTest::newRow("page 1 has no image") << "first" << 0;
        QTest::newRow("rows do not commit") << "commit" << 0;
    }
    // A feeder batch of four pages from a folder goes into one new document
    // in order; a page that fails ends the batch with its error: the pages
    // before it are stored whole, it and the ones after leave no row and no
    // file (and no document when none is kept), and only the stored pages
    // are announced.
    void scannedPagesUpToAFailure()
    {
        QFETCH(QString, failure);
        QFETCH(int, kept);
        RecordingNavigationSink sink;
        RecordingProgressView progress;
        RecordingChanges noticed;
        BirthTrace trace;
        const QString folder = storageFolder();
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
        const RecordId documentId = documentIn(storageCabinet(folder));
        const int documents = rowCount("Document");
        const int pagesBefore = rowCount("Page");
        const int first = PageFixture::nextPageId();
        std::vector<SaveRequest> requests;
        for (int i = 0; i < 4; ++i)
            requests.push_back(SaveRequest{true, QStringLiteral("FLD%1").arg(folderOf(documentId)), 0,
                                           page(QSize(300 + i, 200)), QString(), false, 30, folder, {}, QString()});
        if (failure == QLatin1String("image"))
            requests[2].image = QImage();
        else if (failure == QLatin1String("first"))
            requests[0].image = QImage();
        else if (failure == QLatin1String("commit"))
            trace.failNextCommit();

        const BatchResult stored = saveScannedPages(requests);
        QCOMPARE(int(stored.saved.size()), kept);
        QCOMPARE(stored.error.has_value(), !failure.isEmpty());
        QCOMPARE(rowCount("Page"), pagesBefore + kept);
        QCOMPARE(rowCount("Document"), documents + (kept > 0 ? 1 : 0));
        QList<RecordId> ids;
        for (int i = 0; i < kept; ++i) {
            const SaveResult &saved = stored.saved[size_t(i)];
            ids.append(saved.pageId);
            QCOMPARE(saved.documentId, stored.saved.front().documentId);
            QCOMPARE(pageColumn(saved.pageId, "PageNumber").toInt(), i + 1);
            verifyStored(saved.pageId, QStringLiteral("%1/%2.jpg").arg(folder).arg(saved.pageId), QSize(300 + i, 200));
        }
        for (RecordId id = first + kept; id < first + 4; ++id) {
            QVERIFY(!QFileInfo::exists(QStringLiteral("%1/%2.jpg").arg(folder).arg(id)));
            QVERIFY(!QFileInfo::exists(QStringLiteral("%1/Thumbs/%2.jpg").arg(folder).arg(id)));
        }
        QCOMPARE(noticed.pages, ids);
        QCOMPARE(noticed.outermostBatches(), 1);
        QCOMPARE(noticed.pagesOutsideBatches(), 0);
        QCOMPARE(sink.namesOf("document"), kept > 0 ? QStringList{"New document"} : QStringList());
        QVERIFY(progress.closedOrNeverOpened());
    }

    void takenPathsArePassedOver_data()
    {
        QTest::addColumn<bool>("ownStorage");
        QTest::addColumn<bool>("feeder");
        QTest::addColumn<bool>("imageOnly");
        QTest::newRow("page store, image and thumbnail") << false << false << false;
        QTest::newRow("page store, thumbnail only") << false << false << true;
        QTest::newRow("own storage, named by id") << true << false << false;
        QTest::newRow("own storage, feeder batch") << true << true << true;
    }
    // Files at the paths of the next page ids (a restored backup's pages, a
    // killed run's leftovers) are never written over: a scan or save passes
    // those ids over and the files stay as they were, in the page store and
    // in a cabinet's own folder, where the pages are named by id.
    void takenPathsArePassedOver()
    {
        QFETCH(bool, ownStorage);
        QFETCH(bool, feeder);
        QFETCH(bool, imageOnly);
        RecordingProgressView progress;
        const QString folder = ownStorage ? storageFolder() : QString();
        if (ownStorage) {
            QDir(folder).removeRecursively();
            QVERIFY(QDir().mkpath(folder));
        }
        const RecordId documentId = documentIn(ownStorage ? storageCabinet(folder) : RecordFixture::cabinet("Cab"));
        const int first = PageFixture::nextPageId();
        const int pages = feeder ? 2 : 1;
        const auto imageOf = [&](RecordId id) {
            return ownStorage ? QStringLiteral("%1/%2.jpg").arg(folder).arg(id) : PagePaths::GetDefaultPageFilePath(id);
        };
        const auto thumbOf = [&](RecordId id) {
            return ownStorage ? QStringLiteral("%1/Thumbs/%2.jpg").arg(folder).arg(id) : PagePaths::GetDefaultThumbFilePath(id);
        };
        QStringList taken;
        for (RecordId id = first; id < first + pages; ++id) {
            taken.append(imageOnly && !ownStorage ? thumbOf(id) : imageOf(id));
            if (!imageOnly)
                taken.append(thumbOf(id));
        }
        for (const QString &path : std::as_const(taken))
            PageFixture::leftover(path);
        std::vector<SaveRequest> requests;
        for (int i = 0; i < pages; ++i)
            requests.push_back(SaveRequest{true, QStringLiteral("DOC%1").arg(documentId), 0, page(QSize(300 + i, 200)),
                                           QString(), false, 30, folder, {}, QString()});

        std::vector<SaveResult> saved;
        if (feeder) {
            const BatchResult batch = saveScannedPages(requests);
            QVERIFY2(!batch.error, qPrintable(batch.error ? batch.error->message() : QString()));
            saved = batch.saved;
        } else {
            saved.push_back(SavePage(requests.front()));
        }
        QCOMPARE(int(saved.size()), pages);
        for (int i = 0; i < pages; ++i) {
            const RecordId id = first + pages + i;
            QCOMPARE(saved[size_t(i)].pageId, id);
            verifyStored(id, imageOf(id), QSize(300 + i, 200));
            QCOMPARE(PagePaths::GetThumbFilePath(id), thumbOf(id));
        }
        for (const QString &path : std::as_const(taken))
            QCOMPARE(TestFiles::read(path), PageFixture::LeftoverBytes);
    }

    // The notice of a new page goes out once its rows are stored, never for
    // an edit or a save that failed.
    void newPageNotice()
    {
        RecordingChanges noticed;
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const SaveResult added =
            SavePage(SaveRequest{true, QStringLiteral("DOC%1").arg(documentId), 0, page(), QString(), false, 30, QString(), {}, QString()});
        (void)SavePage(SaveRequest{false, QString(), added.pageId, page(), QString(), false, 30, QString(), {}, QString()});
        try {
            (void)SavePage(SaveRequest{true, QStringLiteral("DOC999"), 0, page(), QString(), false, 30, QString(), {}, QString()});
        } catch (const AppError &) {
        }
        QCOMPARE(noticed.pages, QList<RecordId>{added.pageId});
    }
};

VLM_TEST_GUI_MAIN(PageSaveTest)
#include "PageSaveTest.moc"

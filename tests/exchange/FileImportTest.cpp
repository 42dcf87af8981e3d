#include "FileImport.h"

#include "CancellingProgressView.h"
#include "DataFolder.h"
#include "DbConnection.h"
#include "ExchangeState.h"
#include "FakePrompt.h"
#include "PagePaths.h"
#include "RecordFixture.h"
#include "RecordingProgressView.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestImages.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QtTest>

using namespace FileImport;

namespace {

int g_dirs = 0;

// A source folder whose path holds an apostrophe and blanks.
QString newSourceDir()
{
    const QString dir = QStringLiteral("%1/it's a source %2/").arg(TestEnvironment::root()).arg(++g_dirs);
    QDir().mkpath(dir);
    return dir;
}

QString jpeg(const QString &path, const QColor &colour = QColor(200, 30, 30))
{
    return TestImages::writeJpeg(path, QSize(120, 80), 300, colour);
}

int count(const QString &sql, const QVariantList &binds = {})
{
    return DbConnection::QueryValue(sql, binds).toInt();
}

// The page of a document named name: PageId, PageNumber, Filetype,
// ShortcutYN, Filename.
QVariantList pageRow(RecordId documentId, const QString &name)
{
    const Recordset rs = DbConnection::OpenRecordset(
        "SELECT PageId, PageNumber, Filetype, ShortcutYN, Filename FROM Page WHERE DocumentId = ? AND Name = ?",
        {documentId, name});
    if (rs.isEmpty())
        return {};
    return {rs.value(0, 0), rs.value(0, 1), rs.value(0, 2), rs.value(0, 3), rs.value(0, 4)};
}

RecordId documentNamed(RecordId folderId, const QString &name)
{
    return count("SELECT DocumentId FROM Document WHERE FolderId = ? AND Name = ?", {folderId, name});
}

QStringList stagingLeft()
{
    return QDir(DataFolder::filePath("Pages")).entryList({".import-*"}, QDir::Dirs | QDir::Hidden);
}

RecordId newFolder()
{
    return RecordFixture::folder(RecordFixture::drawer(RecordFixture::cabinet("Cab"), "Drawer"), "Folder");
}

} // namespace

class FileImportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        TestEnvironment::openFreshDatabase();
        ExchangeState::instance() = ExchangeState();
        setDocumentAdded({});
    }

    // Into a folder: one document per file, images copied byte for byte
    // with thumbnails, other files as shortcuts where they lie; marker
    // names, hidden files and sub-folders are left out, and a file that
    // cannot be read leaves no row behind and is named at the end.
    void importsDirectoryIntoFolder()
    {
        const RecordId folderId = newFolder();
        const QString dir = newSourceDir();
        jpeg(dir + "a.jpg");
        QVERIFY(TestImages::filled(QSize(30, 20), Qt::blue).save(dir + "b.bmp", "BMP"));
        TestFiles::write(dir + "c.pdf", "%PDF-1.4 offer");
        TestFiles::write(dir + "README", "read me");
        TestFiles::write(dir + "Cabinet.txt", "[Description]");
        TestFiles::write(dir + ".hidden", "x");
        jpeg(dir + "it's \"quoted\".jpg");
        QDir().mkpath(dir + "sub");
        jpeg(dir + "sub/inner.jpg");
        // Opens, but every read fails (EIO), also for root.
        QVERIFY(QFile::link("/proc/self/mem", dir + "locked.jpg"));

        QList<QPair<int, QString>> added;
        setDocumentAdded([&](int folder, int, const QString &name) { added.append({folder, name}); });
        FakePrompt prompt;
        RecordingProgressView progress;
        const ImportResult result = ImportFiles(folderId, dir, ProgressTarget::ProgressWindow, TargetKind::Folder, "");

        const QStringList documents{"a.jpg", "b.bmp", "c.pdf", "it's \"quoted\".jpg", "README"};
        QCOMPARE(result.imported, 5);
        QCOMPARE(count("SELECT COUNT(*) FROM Document WHERE FolderId = ?", {folderId}), 5);
        QCOMPARE(added.size(), 5);
        for (const QString &name : documents) {
            const RecordId documentId = documentNamed(folderId, name);
            QVERIFY2(documentId > 0, qPrintable(name));
            const QVariantList page = pageRow(documentId, name);
            QVERIFY2(!page.isEmpty(), qPrintable(name));
            const RecordId pageId = page.at(0).toLongLong();
            const bool image = name.endsWith(".jpg") || name.endsWith(".bmp");
            if (image) {
                QCOMPARE(page.at(2).toString(), QString("JPG"));
                QVERIFY(page.at(3).toString() != "Y");
                QVERIFY(page.at(4).isNull());
                QCOMPARE(page.at(1).toInt(), 1);
                QCOMPARE(TestFiles::read(PagePaths::GetDefaultPageFilePath(pageId)), TestFiles::read(dir + name));
                QVERIFY(QImage(PagePaths::GetDefaultThumbFilePath(pageId)).size() == QSize(100, 100));
            } else {
                QCOMPARE(page.at(3).toString(), QString("Y"));
                QCOMPARE(page.at(1).toInt(), 0);
                QCOMPARE(page.at(4).toString(), dir + name);
                QVERIFY(!QFileInfo::exists(PagePaths::GetDefaultPageFilePath(pageId)));
            }
        }
        QCOMPARE(pageRow(documentNamed(folderId, "c.pdf"), "c.pdf").at(2).toString(), QString("pdf"));
        QCOMPARE(pageRow(documentNamed(folderId, "README"), "README").at(2).toString(), QString("dme"));
        QCOMPARE(documentNamed(folderId, "locked.jpg"), 0);
        QCOMPARE(count("SELECT COUNT(*) FROM Page"), 5);
        QCOMPARE(ExchangeState::instance().ImportedFileCount, 3);
        QCOMPARE(ExchangeState::instance().ImportedShortcutCount, 2);

        QCOMPARE(result.failures.size(), 1);
        QCOMPARE(result.failures.first().fileName, QString("locked.jpg"));
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QVERIFY(prompt.messages.first().startsWith("1 file could not be imported:\nlocked.jpg: "));
        QCOMPARE(progress.events.mid(0, 4), QStringList({"start Count files to import 1..2",
                                                         "step Counting files to import", "stop",
                                                         "start Import files 1..6"}));
        QVERIFY(progress.closedOrNeverOpened());
        QCOMPARE(stagingLeft(), QStringList());
    }

    // Into a document, a "Page N" name fixes the number (halves to even);
    // any other image follows the last page; a shortcut gets 0.
    void numbersPagesByName_data()
    {
        QTest::addColumn<int>("existing");  // the number of a page already there, -1 for none
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        QTest::newRow("Page 7 in a short document") << 2 << "Page 7.jpg" << 7;
        QTest::newRow("half rounds down to even") << -1 << "page 2.5.jpg" << 2;
        QTest::newRow("half rounds up to even") << -1 << "PAGE 3.5.jpg" << 4;
        QTest::newRow("no number after page") << 4 << "Page x.jpg" << 0;
        QTest::newRow("number too large is no number") << 4 << "Page 99999999999.jpg" << 5;
        QTest::newRow("other name after the last") << 4 << "Scan.jpg" << 5;
        QTest::newRow("other name in empty document") << -1 << "Scan.jpg" << 1;
        QTest::newRow("shortcut") << 4 << "Page 9.txt" << 0;
    }
    void numbersPagesByName()
    {
        QFETCH(int, existing);
        QFETCH(QString, name);
        QFETCH(int, number);
        const RecordId documentId = RecordFixture::documentInNewFolder();
        if (existing >= 0)
            RecordFixture::page(documentId, existing);
        const QString dir = newSourceDir();
        if (name.endsWith(".jpg"))
            jpeg(dir + name);
        else
            TestFiles::write(dir + name, "text");
        FakePrompt prompt;
        const ImportResult result = ImportFiles(documentId, dir, ProgressTarget::ProgressWindow, TargetKind::Document, "");
        QCOMPARE(result.imported, 1);
        QCOMPARE(pageRow(documentId, name).value(1).toInt(), number);
        QCOMPARE(prompt.messages, QStringList());
    }

    // Which files a type list keeps. "zzzzz" (nothing chosen) keeps none,
    // not even files of that extension; an empty entry matches nothing.
    void filtersByType_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("every type") << "" << QStringList{"abc.", "README", "x.jpg", "x.jpgx", "x.pg", "Y.JPG", "y.zzzzz"};
        QTest::newRow("JPG only") << "JPG," << QStringList{"x.jpg", "Y.JPG"};
        QTest::newRow("nothing chosen") << NoFileTypesChosen << QStringList{};
        QTest::newRow("type ZZZZZ chosen") << "ZZZZZ," << QStringList{"y.zzzzz"};
        QTest::newRow("type without extension") << "README," << QStringList{"README"};
        QTest::newRow("empty entry") << "JPG,," << QStringList{"x.jpg", "Y.JPG"};
    }
    void filtersByType()
    {
        QFETCH(QString, list);
        QFETCH(QStringList, kept);
        const QString dir = newSourceDir();
        for (const char *name : {"x.jpg", "Y.JPG", "x.pg", "x.jpgx", "README", "abc.", "y.zzzzz", "vlm.txt"})
            TestFiles::write(dir + name, "x");
        QCOMPARE(FilesToImport(dir, list), kept);
    }

    // The chooser's list: upper case, in listing order, no empty type,
    // marker files' types included, at most 100.
    void listsFileTypes()
    {
        const QString dir = newSourceDir();
        for (const char *name : {"b.pdf", "a.jpg", "c.JPG", "Cabinet.txt", "README", "abc."})
            TestFiles::write(dir + name, "x");
        QCOMPARE(ListFileTypes(dir), QStringList({"JPG", "PDF", "TXT", "README"}));
        const QString many = newSourceDir();
        for (int i = 0; i < MaxFileTypes + 5; ++i)
            TestFiles::write(many + QString("f.e%1").arg(i, 3, 10, QChar('0')), "x");
        const QStringList types = ListFileTypes(many);
        QCOMPARE(types.size(), MaxFileTypes);
        QCOMPARE(types.last(), QString("E099"));
        QCOMPARE(FileTypeListOf({"JPG", "PDF"}), QString("JPG,PDF,"));
        QCOMPARE(FileTypeListOf({}), NoFileTypesChosen);
    }

    // A second import of the same directory finds every row again, keeps a
    // stored image that was changed since, and makes the thumbnail anew.
    void reimportChangesNothing()
    {
        const RecordId folderId = newFolder();
        const QString dir = newSourceDir();
        jpeg(dir + "a.jpg");
        TestFiles::write(dir + "c.pdf", "pdf");
        FakePrompt prompt;
        (void)ImportFiles(folderId, dir, ProgressTarget::ProgressWindow, TargetKind::Folder, "");
        const RecordId pageId = pageRow(documentNamed(folderId, "a.jpg"), "a.jpg").at(0).toLongLong();
        const QString stored = PagePaths::GetDefaultPageFilePath(pageId);
        const QString thumb = PagePaths::GetDefaultThumbFilePath(pageId);
        jpeg(stored, Qt::green);
        const QByteArray changed = TestFiles::read(stored);
        QVERIFY(QFile::remove(thumb));

        const ImportResult again = ImportFiles(folderId, dir, ProgressTarget::ProgressWindow, TargetKind::Folder, "");
        QCOMPARE(again.imported, 2);
        QCOMPARE(count("SELECT COUNT(*) FROM Document"), 2);
        QCOMPARE(count("SELECT COUNT(*) FROM Page"), 2);
        QCOMPARE(TestFiles::read(stored), changed);
        QVERIFY(QFileInfo::exists(thumb));
        // Made from the stored image, not from the file imported again.
        const QColor corner = QImage(thumb).pixelColor(10, 10);
        QVERIFY2(corner.green() > 200 && corner.red() < 60, qPrintable(corner.name()));
        QCOMPARE(ExchangeState::instance().ImportedFileCount, 1);
        QCOMPARE(prompt.messages, QStringList());
    }

    // Cancel during the second file: it is finished, no further file is
    // started, and what was imported stays with its thumbnails.
    void cancelKeepsWhatWasImported()
    {
        const RecordId folderId = newFolder();
        const QString dir = newSourceDir();
        for (const char *name : {"1.jpg", "2.jpg", "3.jpg", "4.jpg"})
            jpeg(dir + name);
        CancellingProgressView progress(3);  // "Counting", "Import 1.jpg", "Import 2.jpg"
        const ImportResult result = ImportFiles(folderId, dir, ProgressTarget::ProgressWindow, TargetKind::Folder, "");
        QVERIFY(result.cancelled);
        QCOMPARE(result.imported, 2);
        QCOMPARE(count("SELECT COUNT(*) FROM Document"), 2);
        for (const char *name : {"1.jpg", "2.jpg"}) {
            const RecordId pageId = pageRow(documentNamed(folderId, name), name).at(0).toLongLong();
            QVERIFY(QFileInfo::exists(PagePaths::GetDefaultPageFilePath(pageId)));
            QVERIFY(QFileInfo::exists(PagePaths::GetDefaultThumbFilePath(pageId)));
        }
        QCOMPARE(stagingLeft(), QStringList());
        QVERIFY(progress.closedOrNeverOpened());
    }

    // A statement that fails while a file's rows are written leaves neither
    // its document nor its page nor its copy; the next file goes in.
    void failedRowsLeaveNoCopy_data()
    {
        QTest::addColumn<int>("failingStatement");
        // The batch's BEGIN, then the file's SAVEPOINT, document look-up,
        // document insert (SAVEPOINT, folder check, INSERT, RELEASE), page
        // look-up, number, page insert, RELEASE
        QTest::newRow("page insert") << 10;
        QTest::newRow("release of the file's rows") << 11;
    }
    void failedRowsLeaveNoCopy()
    {
        QFETCH(int, failingStatement);
        const RecordId folderId = newFolder();
        const QString dir = newSourceDir();
        jpeg(dir + "a.jpg");
        jpeg(dir + "b.jpg");
        FakePrompt prompt;
        DbConnection::failAfterStatements(failingStatement);
        const ImportResult result = ImportFiles(folderId, dir, ProgressTarget::ImportDialog, TargetKind::Folder, "");
        QCOMPARE(result.imported, 1);
        QCOMPARE(documentNamed(folderId, "a.jpg"), 0);
        QVERIFY(documentNamed(folderId, "b.jpg") > 0);
        QCOMPARE(count("SELECT COUNT(*) FROM Page"), 1);
        const RecordId pageId = pageRow(documentNamed(folderId, "b.jpg"), "b.jpg").at(0).toLongLong();
        QStringList stored;
        QDirIterator it(DataFolder::filePath("Pages"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            stored.append(it.next());
        QCOMPARE(stored, QStringList{PagePaths::GetDefaultPageFilePath(pageId)});
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY(prompt.messages.first().contains("a.jpg: Error # 10001"));
    }

    // The rows of a batch of files are one transaction: when it cannot
    // commit, none of its documents, pages or copies stay, no document is
    // announced, and every file of it is named.
    void failedBatchLeavesNothing()
    {
        const RecordId folderId = newFolder();
        const QString dir = newSourceDir();
        jpeg(dir + "a.jpg");
        jpeg(dir + "b.jpg");
        int announced = 0;
        setDocumentAdded([&](int, int, const QString &) { ++announced; });
        FakePrompt prompt;
        // The BEGIN, two files of ten statements (see above), the COMMIT.
        DbConnection::failAfterStatements(1 + 2 * 10 + 1);
        const ImportResult result = ImportFiles(folderId, dir, ProgressTarget::ImportDialog, TargetKind::Folder, "");
        QCOMPARE(result.imported, 0);
        QCOMPARE(count("SELECT COUNT(*) FROM Document"), 0);
        QCOMPARE(count("SELECT COUNT(*) FROM Page"), 0);
        QCOMPARE(announced, 0);
        QCOMPARE(ExchangeState::instance().ImportedFileCount, 0);
        QDirIterator it(DataFolder::filePath("Pages"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        QVERIFY2(!it.hasNext(), qPrintable(it.hasNext() ? it.next() : QString()));
        QCOMPARE(result.failures.size(), 2);
        QCOMPARE(result.failures.at(0).fileName, QString("a.jpg"));
        QCOMPARE(result.failures.at(1).fileName, QString("b.jpg"));
        QVERIFY(prompt.messages.first().contains("b.jpg: Error # 10001"));
    }

    // A page store that cannot be written ends the import with an error
    // and no rows, before anything is copied.
    void unwritableStoreImportsNothing()
    {
        const RecordId folderId = newFolder();
        const QString dir = newSourceDir();
        jpeg(dir + "a.jpg");
        TestFiles::blockDataFolder("blocked");
        FakePrompt prompt;
        RecordingProgressView progress;
        const ImportResult result = ImportFiles(folderId, dir, ProgressTarget::ProgressWindow, TargetKind::Folder, "");
        QCOMPARE(result.imported, 0);
        QCOMPARE(count("SELECT COUNT(*) FROM Document"), 0);
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Error});
        QVERIFY2(prompt.messages.first().startsWith("Error # 10006 "), qPrintable(prompt.messages.first()));
        QVERIFY(progress.closedOrNeverOpened());
    }

    // The document command for a document that is gone does nothing.
    void unknownDocumentDoesNothing()
    {
        const QString dir = newSourceDir();
        jpeg(dir + "a.jpg");
        FakePrompt prompt;
        RecordingProgressView progress;
        const ImportResult result = ImportFiles(999, dir, ProgressTarget::ProgressWindow, TargetKind::Document, "");
        QCOMPARE(result.imported, 0);
        QCOMPARE(count("SELECT COUNT(*) FROM Page"), 0);
        QCOMPARE(progress.events, QStringList());
        QCOMPARE(prompt.messages, QStringList());
    }
};

VLM_TEST_GUI_MAIN(FileImportTest)
#include "FileImportTest.moc"
#include "RecordId.h"

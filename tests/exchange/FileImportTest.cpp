#include "exchange/FileImport.h"

#include "core/Changes.h"
#include "core/RecordId.h"
#include "exchange/ExchangeState.h"
#include "exchange/ImportNames.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/PagePaths.h"
#include "tests/support/BirthTrace.h"
#include "tests/support/CancellingProgressView.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/PageFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingExchangeProgress.h"
#include "tests/support/RecordingProgressView.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestImages.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtTest>

#include <climits>
#include <sys/stat.h>

using namespace FileImport;
using namespace ImportNames;

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
    return DbConnection::queryValue(sql, binds).toInt();
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
    // As both programs set it at start-up.
    void initTestCase() { QImageReader::setAllocationLimit(1024); }
    void init() { TestEnvironment::openFreshDatabase(); }

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
        QObject receiver;
        connect(&Changes::instance(), &Changes::recordAdded, &receiver,
                [&](RecordLevel, RecordId folder, RecordId, const QString &name) { added.append({int(folder), name}); });
        FakePrompt prompt;
        RecordingProgressView progress;
        const ImportResult result = ImportFiles(folderId, dir, TargetKind::Folder, "");

        const QStringList documents{"a.jpg", "b.bmp", "c.pdf", "it's \"quoted\".jpg", "README"};
        QCOMPARE(result.imported, 5);
        QCOMPARE(count("SELECT COUNT(*) FROM Document WHERE FolderId = ?", {folderId}), 5);
        QCOMPARE(added.size(), 5);
        for (const QString &name : documents) {
            const RecordId documentId = documentNamed(folderId, name);
            QVERIFY2(documentId > 0, qPrintable(name));
            // Only the folder and the name are set: no empty description,
            // no amount of 0 that an export would write out.
            QCOMPARE(count("SELECT COUNT(*) FROM Document WHERE DocumentId = ? AND Description IS NULL"
                           " AND Amount IS NULL AND DateOnDocument IS NULL", {documentId}), 1);
            const QVariantList page = pageRow(documentId, name);
            QVERIFY2(!page.isEmpty(), qPrintable(name));
            const RecordId pageId = page.at(0).toLongLong();
            const bool image = name.endsWith(".jpg") || name.endsWith(".bmp");
            if (image) {
                QCOMPARE(page.at(2).toString(), QString("JPG"));
                QCOMPARE(page.at(3).toString(), QString("N"));
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
        QTest::addColumn<QString>("warning");  // the start of the file's warning, "" for none
        QTest::newRow("Page 7 in a short document") << 2 << "Page 7.jpg" << 7 << "";
        QTest::newRow("half rounds down to even") << -1 << "page 2.5.jpg" << 2 << "";
        QTest::newRow("half rounds up to even") << -1 << "PAGE 3.5.jpg" << 4 << "";
        QTest::newRow("no number after page") << 4 << "Page x.jpg" << 0 << "";
        QTest::newRow("number too large is no number")
            << 4 << "Page 99999999999.jpg" << 5 << "The page number in its name is larger than 2147483647";
        QTest::newRow("other name after the last") << 4 << "Scan.jpg" << 5 << "";
        QTest::newRow("other name in empty document") << -1 << "Scan.jpg" << 1 << "";
        QTest::newRow("shortcut") << 4 << "Page 9.txt" << 0 << "";
        // The next number would wrap round to a negative one.
        QTest::newRow("after the highest number")
            << INT_MAX << "Page 99999999999.jpg" << INT_MAX << "No higher page number is possible";
        QTest::newRow("other name after the highest number")
            << INT_MAX << "Scan.jpg" << INT_MAX << "No higher page number is possible";
    }
    void numbersPagesByName()
    {
        QFETCH(int, existing);
        QFETCH(QString, name);
        QFETCH(int, number);
        QFETCH(QString, warning);
        const RecordId documentId = RecordFixture::documentInNewFolder();
        if (existing >= 0)
            PageFixture::storedPage(documentId, existing, "an earlier page");
        const QString dir = newSourceDir();
        if (name.endsWith(".jpg"))
            jpeg(dir + name);
        else
            TestFiles::write(dir + name, "text");
        FakePrompt prompt;
        const ImportResult result = ImportFiles(documentId, dir, TargetKind::Document, "");
        QCOMPARE(result.imported, 1);
        QCOMPARE(pageRow(documentId, name).value(1).toInt(), number);
        if (warning.isEmpty()) {
            QCOMPARE(prompt.messages, QStringList());
            QCOMPARE(result.notes.size(), 0);
        } else {
            QCOMPARE(result.notes.size(), 1);
            QVERIFY2(result.notes.first().reason.startsWith(warning), qPrintable(result.notes.first().reason));
            QCOMPARE(prompt.messages.size(), 1);
            QVERIFY2(prompt.messages.first().startsWith("1 file was imported with a warning:\n" + name + ": "),
                     qPrintable(prompt.messages.first()));
        }
    }

    // What a crafted folder holds is refused with its name and reason, and
    // read no further than it may be: links to devices and out of the
    // folder, files that are not regular, names the system cannot decode,
    // files named as images that do not decode, names longer than a page's.
    void refusesHostileFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");    // as the report names it
        QTest::addColumn<QString>("reason");  // a part of the reason
        QTest::newRow("link to /dev/zero") << "dev:/dev/zero" << "Page 1.jpg" << "leads out of the folder";
        QTest::newRow("link to /dev/urandom") << "dev:/dev/urandom" << "Page 1.jpg" << "leads out of the folder";
        QTest::newRow("link to a file outside") << "outside" << "Page 1.jpg" << "leads out of the folder";
        QTest::newRow("link leading nowhere") << "dangling" << "Page 1.jpg" << "leads nowhere";
        QTest::newRow("FIFO") << "fifo" << "Page 1.jpg" << "not a regular file";
        QTest::newRow("name not UTF-8") << "raw" << QString("Page %1 2.jpg").arg(QChar(QChar::ReplacementCharacter))
                                        << "not valid in the system's character encoding";
        QTest::newRow("zero bytes") << "bytes:" << "Page 1.jpg" << "Invalid file format";
        QTest::newRow("random bytes") << "bytes:random" << "Page 1.jpg" << "Invalid file format";
        QTest::newRow("corrupt header") << "corrupt" << "Page 1.jpg" << "Invalid file format";
        QTest::newRow("bitmap claiming 60000 by 60000") << "huge bmp" << "Page 1.bmp" << "Page 1.bmp";
        QTest::newRow("name longer than a page name")
            << "long" << QString(236, QLatin1Char('n')) + ".jpg" << "is longer than 80 characters";
    }
    void refusesHostileFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, reason);
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const QString dir = newSourceDir();
        jpeg(dir + "Page 3.jpg");  // the good file still goes in
        if (kind.startsWith("dev:"))
            QVERIFY(QFile::link(kind.mid(4), dir + name));
        else if (kind == "outside")
            QVERIFY(QFile::link(jpeg(TestEnvironment::root() + "/private.jpg"), dir + name));
        else if (kind == "dangling")
            QVERIFY(QFile::link(dir + "gone.jpg", dir + name));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(dir + name).constData(), 0644), 0);
        else if (kind == "raw")
            TestFiles::writeRaw(dir, "Page \xff 2.jpg", TestFiles::read(dir + "Page 3.jpg"));
        else if (kind == "bytes:random")
            TestFiles::write(dir + name, QByteArray::fromHex("8d3a11f07c0e9b52aa4410ee") .repeated(300));
        else if (kind == "bytes:")
            TestFiles::write(dir + name, QByteArray());
        else if (kind == "corrupt")
            TestImages::writeCorruptJpeg(dir + name);
        else if (kind == "huge bmp")
            TestFiles::write(dir + name, TestImages::bmpHeaderClaiming(60000, 60000));
        else if (kind == "long")
            jpeg(dir + name);
        FakePrompt prompt;
        const ImportResult result =
            ImportFiles(documentId, dir, TargetKind::Document, "");
        QCOMPARE(result.imported, 1);
        QCOMPARE(count("SELECT COUNT(*) FROM Page WHERE DocumentId = ?", {documentId}), 1);
        QVERIFY(!pageRow(documentId, "Page 3.jpg").isEmpty());
        QCOMPARE(result.failures.size(), 1);
        QCOMPARE(result.failures.first().fileName, name);
        QVERIFY2(result.failures.first().reason.contains(reason), qPrintable(result.failures.first().reason));
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY2(prompt.messages.first().startsWith("1 file could not be imported:\n" + name + ": "),
                 qPrintable(prompt.messages.first()));
        QCOMPARE(stagingLeft(), QStringList());
    }

    // A JPEG that ends early still decodes (the rest in grey), and one
    // too large for the viewer to show whole still has its thumbnail (from
    // its DC values): each is filed and the report says why it may
    // disappoint. One whose DC values cannot be read (its header claims
    // more blocks than it holds) is decoded no further and has none.
    void imageFiledWithWarning_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("warning");
        QTest::newRow("ends early") << "truncated" << "Page 1.jpg: The image ends early";
        QTest::newRow("too large to show") << "large"
                                           << "Page 1.jpg: The image of 20000 by 20000 pixels is too large to show";
        QTest::newRow("header claims 65000 by 65000")
            << "claims" << "Page 1.jpg: The image of 65000 by 65000 pixels is too large to show";
    }
    void imageFiledWithWarning()
    {
        QFETCH(QString, kind);
        QFETCH(QString, warning);
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const QString dir = newSourceDir();
        if (kind == QLatin1String("truncated"))
            TestFiles::write(dir + "Page 1.jpg", TestImages::truncatedJpeg(QSize(400, 300)));
        else if (kind == QLatin1String("claims"))
            TestFiles::write(dir + "Page 1.jpg", TestImages::jpegHeaderClaiming(65000, 65000));
        else
            TestImages::writeGreyJpeg(dir + "Page 1.jpg", QSize(20000, 20000));
        FakePrompt prompt;
        const ImportResult result =
            ImportFiles(documentId, dir, TargetKind::Document, "");
        QCOMPARE(result.imported, 1);
        QCOMPARE(result.failures.size(), 0);
        const QVariantList page = pageRow(documentId, "Page 1.jpg");
        QVERIFY(!page.isEmpty());
        QCOMPARE(TestFiles::read(PagePaths::GetDefaultPageFilePath(page.at(0).toInt())),
                 TestFiles::read(dir + "Page 1.jpg"));
        QCOMPARE(QFileInfo::exists(PagePaths::GetDefaultThumbFilePath(page.at(0).toInt())), kind != "claims");
        QCOMPARE(result.notes.size(), 1);
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY2(prompt.messages.first().startsWith("1 file was imported with a warning:\n" + warning),
                 qPrintable(prompt.messages.first()));
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
        QCOMPARE(filesToImport(dir, list), kept);
    }

    // The chooser's list: upper case, in listing order, no empty type,
    // marker files' types included, at most 100.
    void listsFileTypes()
    {
        const QString dir = newSourceDir();
        for (const char *name : {"b.pdf", "a.jpg", "c.JPG", "Cabinet.txt", "README", "abc."})
            TestFiles::write(dir + name, "x");
        QCOMPARE(listFileTypes(dir), QStringList({"JPG", "PDF", "TXT", "README"}));
        const QString many = newSourceDir();
        for (int i = 0; i < MaxFileTypes + 5; ++i)
            TestFiles::write(many + QString("f.e%1").arg(i, 3, 10, QChar('0')), "x");
        const QStringList types = listFileTypes(many);
        QCOMPARE(types.size(), MaxFileTypes);
        QCOMPARE(types.last(), QString("E099"));
        QCOMPARE(fileTypeListOf({"JPG", "PDF"}), QString("JPG,PDF,"));
        QCOMPARE(fileTypeListOf({}), NoFileTypesChosen);
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
        (void)ImportFiles(folderId, dir, TargetKind::Folder, "");
        const RecordId pageId = pageRow(documentNamed(folderId, "a.jpg"), "a.jpg").at(0).toLongLong();
        const QString stored = PagePaths::GetDefaultPageFilePath(pageId);
        const QString thumb = PagePaths::GetDefaultThumbFilePath(pageId);
        jpeg(stored, Qt::green);
        const QByteArray changed = TestFiles::read(stored);
        QVERIFY(QFile::remove(thumb));

        const ImportResult again = ImportFiles(folderId, dir, TargetKind::Folder, "");
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

    // Files at the paths of the next page ids (the pages of a restored
    // backup, a killed run's leftovers) are never written over: those ids
    // are passed over and the files stay for link repair to rescue.
    void takenIdsArePassedOver()
    {
        const RecordId folderId = newFolder();
        const QString dir = newSourceDir();
        jpeg(dir + "a.jpg");
        jpeg(dir + "b.jpg", Qt::green);
        const int first = PageFixture::nextPageId();
        PageFixture::leftoverPageFiles(first);
        PageFixture::leftover(PagePaths::GetDefaultThumbFilePath(first + 1));
        FakePrompt prompt;
        const ImportResult result = ImportFiles(folderId, dir, TargetKind::Folder, "");
        QCOMPARE(result.imported, 2);
        QCOMPARE(prompt.messages, QStringList());
        for (const char *name : {"a.jpg", "b.jpg"}) {
            const RecordId pageId = pageRow(documentNamed(folderId, name), name).at(0).toLongLong();
            QVERIFY(pageId == first + 2 || pageId == first + 3);
            QCOMPARE(TestFiles::read(PagePaths::GetDefaultPageFilePath(pageId)), TestFiles::read(dir + name));
            QCOMPARE(QImage(PagePaths::GetDefaultThumbFilePath(pageId)).size(), QSize(100, 100));
        }
        QCOMPARE(TestFiles::read(PagePaths::GetDefaultPageFilePath(first)), PageFixture::LeftoverBytes);
        QCOMPARE(TestFiles::read(PagePaths::GetDefaultThumbFilePath(first)), PageFixture::LeftoverBytes);
        QCOMPARE(TestFiles::read(PagePaths::GetDefaultThumbFilePath(first + 1)), PageFixture::LeftoverBytes);
        QCOMPARE(ExchangeState::instance().ImportedFileCount, 2);
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
        const ImportResult result = ImportFiles(folderId, dir, TargetKind::Folder, "");
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

    // A run that has set up a bar of its own (the cabinet import's dialog)
    // gets the file steps on it: the bar is not reset, no progress window
    // opens, and a Cancel on the bar stops the import between files.
    void stepsGoToTheCallersBar_data()
    {
        QTest::addColumn<int>("cancelAt");
        QTest::addColumn<int>("imported");
        QTest::newRow("every file") << 0 << 3;
        QTest::newRow("cancel at the first file") << 1 << 1;
    }
    void stepsGoToTheCallersBar()
    {
        QFETCH(int, cancelAt);
        QFETCH(int, imported);
        const RecordId folderId = newFolder();
        const QString dir = newSourceDir();
        for (const char *name : {"1.jpg", "2.jpg", "3.jpg"})
            jpeg(dir + name);
        RecordingProgressView window;
        RecordingExchangeProgress bar(cancelAt);
        bar.Reset(1, 10);
        Progress::setProgressCancelled(false);
        ImportOptions options;
        options.progress = &bar;
        const ImportResult result = ImportFiles(folderId, dir, TargetKind::Folder, "", options);
        QCOMPARE(result.imported, imported);
        QCOMPARE(result.cancelled, cancelAt != 0);
        QCOMPARE(bar.steps, QStringList({"Import 1.jpg", "Import 2.jpg", "Import 3.jpg"}).mid(0, imported));
        QCOMPARE(bar.ranges.size(), 1);
        QCOMPARE(bar.value, imported);
        QCOMPARE(bar.stops, 0);
        QCOMPARE(window.events, QStringList());
        Progress::setProgressCancelled(false);
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
        const ImportResult result = ImportFiles(folderId, dir, TargetKind::Folder, "");
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

    // A file that is not an image, copied into the page store, whose row
    // cannot be given the copy's name: neither row nor copy stays.
    void failedShortcutRowLeavesNoCopy()
    {
        const RecordId folderId = newFolder();
        const QString dir = newSourceDir();
        TestFiles::write(dir + "c.pdf", "%PDF-1.4 offer");
        FakePrompt prompt;
        ImportOptions options;
        options.copyNonImages = true;
        // The batch's BEGIN, the file's SAVEPOINT, document look-up and
        // insert (four), two page look-ups, the page insert, then the
        // look-up and update that name the copy.
        DbConnection::failAfterStatements(12);
        const ImportResult result =
            ImportFiles(folderId, dir, TargetKind::Folder, "", options);
        QCOMPARE(result.imported, 0);
        QCOMPARE(count("SELECT COUNT(*) FROM Page"), 0);
        QDirIterator it(DataFolder::filePath("Pages"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        QVERIFY2(!it.hasNext(), qPrintable(it.hasNext() ? it.next() : QString()));
        QVERIFY(prompt.messages.first().contains("c.pdf: Error # 10001"));
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
        QObject receiver;
        connect(&Changes::instance(), &Changes::recordAdded, &receiver, [&] { ++announced; });
        FakePrompt prompt;
        // The copies are on the disk; the batch's commit fails.
        BirthTrace trace;
        trace.failNextCommit();
        const ImportResult result = ImportFiles(folderId, dir, TargetKind::Folder, "");
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

    // The data folder fills up while the files' rows are written, and
    // SQLite ends the batch's transaction in the middle. No file after that
    // may go in on its own: every page row left has its image, every image
    // in the page store has its row, no document is left without its page,
    // and the failure is shown once.
    void fullDiskLeavesNoRowWithoutFile()
    {
        const RecordId folderId = newFolder();
        const QString dir = newSourceDir();
        constexpr int kFiles = 48;
        for (int i = 0; i < kFiles; ++i)
            jpeg(dir + QStringLiteral("%1 %2.jpg").arg(i, 3, 10, QLatin1Char('0')).arg(QString(70, 'x')));
        FakePrompt prompt;
        // SQLite writes its pages while the batch goes on, as it does with
        // a batch bigger than its cache; the database file may grow by
        // three pages only.
        (void)DbConnection::queryValue("PRAGMA cache_size = 2");
        const qint64 pageSize = DbConnection::queryValue("PRAGMA page_size").toLongLong();
        ImportResult result;
        {
            FileSizeLimit full(QFileInfo(DbConnection::fileName()).size() + 3 * pageSize);
            result = ImportFiles(folderId, dir, TargetKind::Folder, "");
        }
        const Recordset pages = DbConnection::OpenRecordset("SELECT PageId FROM Page");
        QSet<int> rows;
        for (int row = 0; row < pages.recordCount(); ++row) {
            const RecordId pageId = pages.value(row, 0).toLongLong();
            rows.insert(pageId);
            QVERIFY2(QFileInfo::exists(PagePaths::GetDefaultPageFilePath(pageId)), qPrintable(QString::number(pageId)));
        }
        QDirIterator it(DataFolder::filePath("Pages"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo file(it.next());
            QVERIFY2(rows.contains(file.completeBaseName().toInt()), qPrintable(file.filePath()));
        }
        QCOMPARE(count("SELECT COUNT(*) FROM Document WHERE DocumentId NOT IN (SELECT DocumentId FROM Page)"), 0);
        QCOMPARE(result.imported, int(rows.size()));
        QVERIFY(!result.failures.isEmpty());
        QCOMPARE(result.imported + result.failures.size(), kFiles);
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY2(prompt.messages.first().contains(": Error # 778 "), qPrintable(prompt.messages.first()));
    }

    // A page store that cannot be made (its data folder lies under a file)
    // ends the import with the refusal and no rows, before anything is
    // copied.
    void unwritableStoreImportsNothing()
    {
        const RecordId folderId = newFolder();
        const QString dir = newSourceDir();
        jpeg(dir + "a.jpg");
        TestFiles::blockDataFolder("blocked");
        FakePrompt prompt;
        RecordingProgressView progress;
        const ImportResult result = ImportFiles(folderId, dir, TargetKind::Folder, "");
        QCOMPARE(result.imported, 0);
        QCOMPARE(count("SELECT COUNT(*) FROM Document"), 0);
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QVERIFY2(prompt.messages.first().startsWith("The folder \"" + DataFolder::pagesFolder() + "\" cannot be made"),
                 qPrintable(prompt.messages.first()));
        QVERIFY(progress.closedOrNeverOpened());
    }

    // The document command for a document that is gone does nothing.
    void unknownDocumentDoesNothing()
    {
        const QString dir = newSourceDir();
        jpeg(dir + "a.jpg");
        FakePrompt prompt;
        RecordingProgressView progress;
        const ImportResult result = ImportFiles(999, dir, TargetKind::Document, "");
        QCOMPARE(result.imported, 0);
        QCOMPARE(count("SELECT COUNT(*) FROM Page"), 0);
        QCOMPARE(progress.events, QStringList());
        QCOMPARE(prompt.messages, QStringList());
    }
};

VLM_TEST_GUI_MAIN(FileImportTest)
#include "FileImportTest.moc"

#include "platform/DataFolder.h"
#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "platform/Recordset.h"
#include "store/Database.h"
#include "store/PageBirth.h"
#include "store/PagePaths.h"
#include "tests/support/BirthTrace.h"
#include "tests/support/CancellingProgressView.h"
#include "tests/support/PageFixture.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingProgressView.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestImages.h"
#include "tools/LinkRepair.h"
#include "tools/ToolsFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLockFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

using RecordFixture::linkedPage;
using PageFixture::pageWithFiles;

RecordId parentOf(const QString &table, const QString &parentColumn, RecordId id)
{
    return DbConnection::queryValue(QStringLiteral("SELECT %1 FROM %2 WHERE %2Id = ?").arg(parentColumn, table), {id}).toInt();
}

bool exists(const QString &table, RecordId id)
{
    return !DbConnection::queryValue(QStringLiteral("SELECT 1 FROM %1 WHERE %1Id = ?").arg(table), {id}).isNull();
}

int chainCount()
{
    return DbConnection::queryValue("SELECT COUNT(*) FROM Cabinet WHERE Name = '<Repaired Data>'").toInt();
}

QString report(int repairs, int skipped = 0)
{
    QString text = QStringLiteral("Repair broken links completed.\n%1 repairs made.").arg(repairs);
    if (skipped == 1)
        text += QStringLiteral("\n1 page skipped (location not available).");
    else if (skipped)
        text += QStringLiteral("\n%1 pages skipped (location not available).").arg(skipped);
    return text;
}

// A file of the data folder by its path there ("Pages/0000000/4.jpg").
QString data(const QString &relative)
{
    return DataFolder::filePath(relative);
}

QString relativeToData(const QString &path)
{
    return QDir(DataFolder::path()).relativeFilePath(path);
}

// Lays a file at a path of the data folder: a page image (in the page
// store or the storage folder "own") is a real JPEG,
// each of its own size so that no two hold the same bytes; anything else
// holds its own path.
void lay(const QString &relative)
{
    const QString path = data(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString name = QFileInfo(path).fileName();
    const bool pageFolder = relative.startsWith(QLatin1String("Pages/")) || relative.startsWith(QLatin1String("own/"));
    if (pageFolder && name.endsWith(QLatin1String(".jpg")))
        TestImages::writeJpeg(path, QSize(40 + name.section(QLatin1Char('.'), 0, 0).toInt(), 60), 96);
    else
        TestFiles::write(path, relative.toUtf8());
}

// The documents of the "<Repaired Data>" folder that runs filed page files
// in ("Page files found <date> <time>", with its date); none of them is
// the chain's own document.
QList<RecordId> runDocuments()
{
    const Recordset rs = DbConnection::OpenRecordset(
        "SELECT d.DocumentId, d.Name, d.DateOnDocument FROM Document d JOIN Folder f ON f.FolderId = d.FolderId"
        " JOIN Drawer w ON w.DrawerId = f.DrawerId JOIN Cabinet c ON c.CabinetId = w.CabinetId"
        " WHERE c.Name = '<Repaired Data>' AND w.Name = '<Repaired Data>' AND f.Name = '<Repaired Data>'"
        " ORDER BY d.DocumentId");
    QList<RecordId> ids;
    const QRegularExpression name("^Page files found \\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d$");
    for (int row = 0; row < rs.recordCount(); ++row) {
        if (rs.value(row, 1).toString() == "<Repaired Data>")
            continue;
        if (!name.match(rs.value(row, 1).toString()).hasMatch()
            || !dateFromValue(rs.value(row, 2)).isValid())
            QTest::qFail(qPrintable("not a run's document: " + rs.value(row, 1).toString()), __FILE__, __LINE__);
        ids.append(rs.value(row, 0).toLongLong());
    }
    return ids;
}

// A document's pages by id: "<id> <file in the data folder> <number> <Y|N>",
// Y for a shortcut page.
QStringList pagesOf(RecordId documentId)
{
    const Recordset rs = DbConnection::OpenRecordset(
        "SELECT PageId, Filename, PageNumber, ShortcutYN FROM Page WHERE DocumentId = ? ORDER BY PageId", {documentId});
    QStringList pages;
    for (int row = 0; row < rs.recordCount(); ++row) {
        const RecordId id = rs.value(row, 0).toLongLong();
        pages.append(QStringLiteral("%1 %2 %3 %4")
                         .arg(id)
                         .arg(relativeToData(PagePaths::GetPageFilePath(id, rs.value(row, 1).toString())))
                         .arg(rs.value(row, 2).toInt())
                         .arg(rs.value(row, 3).toString() == "Y" ? "Y" : "N"));
    }
    return pages;
}

// The hashes of the files under a folder, links not followed.
QSet<QByteArray> hashesUnder(const QString &folder)
{
    QSet<QByteArray> hashes;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!QFileInfo(path).isSymLink())
            hashes.insert(TestFiles::hashOf(path));
    }
    return hashes;
}

// The rows of a fresh database for a restored backup: pages 1..rows, each
// with its image and thumbnail in the page store; with elsewhere, page 2
// keeps its image in its cabinet's own storage folder ("own/2.jpg").
RecordId layRows(int rows, bool elsewhere = false)
{
    const RecordId doc = RecordFixture::documentInNewFolder();
    if (elsewhere)
        DbConnection::execute("UPDATE Cabinet SET Storage = 1, StoragePath = ?", {data("own")});
    for (int id = 1; id <= rows; ++id) {
        RecordId made = 0;
        if (elsewhere && id == 2) {
            TestFiles::writeFile(data("own/2.jpg"), "own page");
            made = RecordFixture::linkedPage(doc, data("own/2.jpg"));
        } else {
            made = PageFixture::pageWithFiles(doc);
        }
        if (made != id)
            QTest::qFail("the rows are not pages 1 and on", __FILE__, __LINE__);
    }
    return doc;
}

} // namespace

class LinkRepairTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every kind of broken link in one database: missing files (page store,
    // storage path), a page without document, a document without folder, a
    // folder without drawer, a drawer without cabinet; what must stay,
    // stays; a second run finds nothing more.
    void repairsEveryKindOfOrphan()
    {
        TestEnvironment::openFreshDatabase();
        const int cab = RecordFixture::cabinet("C");
        const int drw = RecordFixture::drawer(cab, "D");
        const int fld = RecordFixture::folder(drw, "F");
        const int doc = RecordFixture::document(fld, "Doc");
        const int kept = pageWithFiles(doc);
        const int fileGone = pageWithFiles(doc, false);
        const int noDocument = pageWithFiles(9001);
        const QString own = DataFolder::filePath("own");
        QDir().mkpath(own + "/Thumbs");
        // The cabinet keeps its pages in its own folder, where they may go.
        DbConnection::execute("UPDATE Cabinet SET Storage = 1, StoragePath = ? WHERE CabinetId = ?", {own, cab});
        TestFiles::write(own + "/letter.pdf", "pdf");
        const int shortcut = linkedPage(doc, own + "/letter.pdf", "Y");
        const int storageGone = linkedPage(doc, own + "/7.jpg");
        TestFiles::write(own + "/Thumbs/7.jpg", "thumb");
        // The folder holds the file of another of its pages: it is there.
        TestFiles::write(own + "/8.jpg", "page");
        const int storageKept = linkedPage(doc, own + "/8.jpg");
        const int unmounted = linkedPage(doc, "/media/vellumark-not-mounted/scan.pdf", "Y");
        const int noFolder = RecordFixture::document(9002, "Lost doc");
        const int noDrawer = RecordFixture::folder(9003, "Lost folder");
        const int noCabinet = RecordFixture::drawer(9004, "Lost drawer");
        DbConnection::close();

        RecordingProgressView progress;
        const ToolResult r = LinkRepair::FixBrokenLinks();
        QCOMPARE(r.texts(), QStringList{report(6, 1)});
        QVERIFY(r.succeeded());
        const int pages = 7, total = pages + 2 + 2 + 2;
        QCOMPARE(progress.events.first(), QStringLiteral("start Repair broken links 1..%1").arg(total + pages));
        QCOMPARE(progress.stepCount("Scanning for missing files"), pages);
        QVERIFY(progress.closedOrNeverOpened());
        QVERIFY(!DbConnection::isOpen());

        DbConnection::open(ToolsFiles::GetDbPath());
        for (RecordId id : {kept, noDocument, shortcut, unmounted, storageKept})
            QVERIFY2(exists("Page", id), qPrintable(QString::number(id)));
        QVERIFY(!exists("Page", fileGone));
        QVERIFY(!exists("Page", storageGone));
        QVERIFY(!QFile::exists(PagePaths::GetDefaultThumbFilePath(fileGone)));
        QVERIFY(!QFile::exists(own + "/Thumbs/7.jpg"));
        QVERIFY(QFile::exists(PagePaths::GetDefaultThumbFilePath(kept)));
        QVERIFY(QFile::exists(own + "/letter.pdf"));

        QCOMPARE(chainCount(), 1);
        const int chainCab = DbConnection::queryValue("SELECT CabinetId FROM Cabinet WHERE Name = '<Repaired Data>'").toInt();
        QCOMPARE(DbConnection::queryValue("SELECT [Password] FROM Cabinet WHERE CabinetId = ?", {chainCab}).toString(), QString());
        const int chainDrw = DbConnection::queryValue("SELECT DrawerId FROM Drawer WHERE CabinetId = ? AND Name = '<Repaired Data>'", {chainCab}).toInt();
        const int chainFld = DbConnection::queryValue("SELECT FolderId FROM Folder WHERE DrawerId = ? AND Name = '<Repaired Data>'", {chainDrw}).toInt();
        const int chainDoc = DbConnection::queryValue("SELECT DocumentId FROM Document WHERE FolderId = ? AND Name = '<Repaired Data>'", {chainFld}).toInt();
        QCOMPARE(parentOf("Page", "DocumentId", noDocument), chainDoc);
        QCOMPARE(parentOf("Document", "FolderId", noFolder), chainFld);
        QCOMPARE(parentOf("Folder", "DrawerId", noDrawer), chainDrw);
        QCOMPARE(parentOf("Drawer", "CabinetId", noCabinet), chainCab);
        QCOMPARE(parentOf("Page", "DocumentId", kept), doc);
        DbConnection::close();

        // The unmounted page is still skipped, and nothing else is found.
        QCOMPARE(LinkRepair::FixBrokenLinks().texts(), QStringList{report(0, 1)});
        DbConnection::open(ToolsFiles::GetDbPath());
        QCOMPARE(chainCount(), 1);
        DbConnection::close();
    }

    void unnamedFilesAreFiled_data()
    {
        QTest::addColumn<bool>("withPages");
        QTest::newRow("beside pages") << true;
        QTest::newRow("database without rows") << false;
    }
    // Files of the page store named by a page id that has no row (what a
    // run killed before its rows committed left, what a restored backup
    // forgot) are filed under <Repaired Data>, also when the database has
    // no rows at all: the image where it lies with its thumbnail, another
    // file as a shortcut page to it. A page's own files, files not named by
    // a page id, files outside their id's bucket, links and what they point
    // at stay as they were and are not filed. A second run files nothing.
    void unnamedFilesAreFiled()
    {
        QFETCH(bool, withPages);
        TestEnvironment::openFreshDatabase();
        const int doc = withPages ? RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(RecordFixture::cabinet("C"), "D"), "F"), "Doc") : 0;
        const int kept = withPages ? pageWithFiles(doc) : 0;
        const int copy = withPages ? linkedPage(doc, PagePaths::GetDefaultPageFolder(kept + 1) + QStringLiteral("/%1.pdf").arg(kept + 1), "Y") : 0;
        const QString copyPath = withPages ? PagePaths::GetPageFilePath(copy) : QString();
        if (withPages)
            TestFiles::write(copyPath, "pdf");
        DbConnection::close();
        const int lost = copy + 1;
        const QString lostImage = PagePaths::GetDefaultPageFilePath(lost);
        const QString lostThumb = PagePaths::GetDefaultThumbFilePath(lost);
        const QString lostCopy = PagePaths::GetDefaultPageFolder(lost + 1) + QStringLiteral("/%1.pdf").arg(lost + 1);
        for (const QString &path : {lostImage, lostThumb, lostCopy}) {
            PagePaths::MakePath(PagePaths::GetFolderPart(path));
            TestFiles::write(path, "left over");
        }
        const QString own = DataFolder::filePath("own");
        QDir().mkpath(own);
        TestFiles::write(own + "/9000000.jpg", "mine");
        const QString linkToFile = PagePaths::GetDefaultPageFilePath(lost + 2);
        const QString brokenLink = PagePaths::GetDefaultThumbFilePath(lost + 3);
        const QString linkToFolder = PagePaths::GetDefaultPageFilePath(lost + 4);
        for (const QString &path : {linkToFile, brokenLink, linkToFolder})
            PagePaths::MakePath(PagePaths::GetFolderPart(path));
        QVERIFY(QFile::link(own + "/9000000.jpg", linkToFile));
        QVERIFY(QFile::link(own + "/missing.jpg", brokenLink));
        QVERIFY(QFile::link(own, linkToFolder));
        const QStringList stay{DataFolder::filePath("Pages/0000000/notes.txt"), DataFolder::filePath("Pages/0000001/5.jpg"),
                               own + "/9000000.jpg"};
        PagePaths::MakePath(DataFolder::filePath("Pages/0000001"));
        for (const QString &path : stay.mid(0, 2))
            TestFiles::write(path, "not a leftover");
        // A bucket that is a link to the user's own folder is not looked in.
        QVERIFY(QFile::link(own, DataFolder::filePath("Thumbs/0009000")));

        const ToolResult r = LinkRepair::FixBrokenLinks();
        QCOMPARE(r.texts(), QStringList{report(0) + "\n2 page files without a page were filed under <Repaired Data>."});
        QVERIFY(r.succeeded());
        for (const QString &path : {lostImage, lostThumb, lostCopy})
            QCOMPARE(TestFiles::read(path), QByteArray("left over"));
        for (const QString &path : {linkToFile, brokenLink, linkToFolder})
            QVERIFY2(QFileInfo(path).isSymLink(), qPrintable(path));
        for (const QString &path : stay)
            QVERIFY2(QFile::exists(path), qPrintable(path));
        QCOMPARE(TestFiles::read(own + "/9000000.jpg"), QByteArray("mine"));
        if (withPages) {
            QVERIFY(QFile::exists(PagePaths::GetDefaultPageFilePath(kept)));
            QVERIFY(QFile::exists(PagePaths::GetDefaultThumbFilePath(kept)));
            QVERIFY(QFile::exists(copyPath));
        }
        DbConnection::open(ToolsFiles::GetDbPath());
        const QList<RecordId> filedIn = runDocuments();
        QCOMPARE(filedIn.size(), 1);
        const QString lostRelative = relativeToData(lostImage);
        QCOMPARE(pagesOf(filedIn.first()),
                 (QStringList{QStringLiteral("%1 %2 1 N").arg(lost).arg(lostRelative),
                              QStringLiteral("%1 %2 0 Y").arg(lost + 1).arg(relativeToData(lostCopy))}));
        for (RecordId id : {lost + 2, lost + 3, lost + 4})
            QVERIFY(!exists("Page", id));
        DbConnection::close();
        QCOMPARE(LinkRepair::FixBrokenLinks().texts(), QStringList{report(0)});
    }

    // A page whose file is missing while a file stands where its thumbnail
    // would be: only a thumbnail inside the page folders or the cabinet's
    // storage path goes with the row. A crafted Filename (outside, relative
    // to the working folder, with "..", or through a link) deletes nothing
    // outside, nor a file of the data folder, though the row goes.
    void thumbnailOutsideKept_data()
    {
        QTest::addColumn<QString>("storage");   // the cabinet's storage path, "" for none
        QTest::addColumn<QString>("filename");  // "%" the data folder, "@" the test root
        QTest::addColumn<QString>("link");      // made as a link to linkTarget when set
        QTest::addColumn<QString>("linkTarget");
        QTest::addColumn<QString>("thumb");     // the file the thumbnail path reaches
        QTest::addColumn<bool>("kept");
        QTest::newRow("own thumbnail in storage path") << "%/Store" << "%/Store/gone.jpg" << "" << ""
                                                       << "%/Store/Thumbs/gone.jpg" << false;
        QTest::newRow("outside the data folder") << "" << "@/outside/gone.jpg" << "" << ""
                                                 << "@/outside/Thumbs/gone.jpg" << true;
        QTest::newRow("relative to the working folder") << "" << "sub/gone.jpg" << "" << ""
                                                        << "@/cwd/sub/Thumbs/gone.jpg" << true;
        QTest::newRow("parent steps") << "%/Store" << "%/Store/../../outside/gone.jpg" << "" << ""
                                      << "@/outside/Thumbs/gone.jpg" << true;
        QTest::newRow("link out of the storage path") << "%/Store" << "%/Store/gone.jpg" << "%/Store/Thumbs"
                                                      << "@/outside" << "@/outside/gone.jpg" << true;
        QTest::newRow("link to the data folder") << "%/Store" << "%/Store/vlm.bak" << "%/Store/Thumbs" << "%"
                                                 << "%/vlm.bak" << true;
        QTest::newRow("user's documents as storage") << "@/Documents" << "@/Documents/gone.odt" << "" << ""
                                                     << "@/Documents/Thumbs/gone.odt" << true;
    }
    void thumbnailOutsideKept()
    {
        QFETCH(QString, storage);
        QFETCH(QString, filename);
        QFETCH(QString, link);
        QFETCH(QString, linkTarget);
        QFETCH(QString, thumb);
        QFETCH(bool, kept);
        TestEnvironment::openFreshDatabase();
        const auto expand = [](QString path) {
            return path.replace("%", DataFolder::path()).replace("@", TestEnvironment::root());
        };
        const int cab = RecordFixture::cabinet("C");
        if (!storage.isEmpty()) {
            QVERIFY(QDir().mkpath(expand(storage)));
            DbConnection::execute("UPDATE Cabinet SET Storage = 1, StoragePath = ? WHERE CabinetId = ?",
                                  {expand(storage), cab});
        }
        const int doc = RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(cab, "D"), "F"), "Doc");
        const int gone = linkedPage(doc, expand(filename));
        // A page beside it whose file is there: its folder holds its pages.
        const QString sibling = expand(QFileInfo(filename).path() + "/here.jpg");
        linkedPage(doc, sibling);
        DbConnection::close();
        QVERIFY(QDir().mkpath(TestEnvironment::root() + "/cwd/sub"));
        QVERIFY(QDir().mkpath(TestEnvironment::root() + "/outside"));
        TestFiles::write(QFileInfo(sibling).isRelative() ? TestEnvironment::root() + "/cwd/" + sibling : sibling, "page");
        if (!link.isEmpty()) {
            QFile::remove(expand(link));
            QVERIFY(QFile::link(expand(linkTarget), expand(link)));
        }
        QVERIFY(QDir().mkpath(QFileInfo(expand(thumb)).absolutePath()));
        TestFiles::write(expand(thumb), "precious");
        const QString oldCwd = QDir::currentPath();
        QDir::setCurrent(TestEnvironment::root() + "/cwd");
        const ToolResult r = LinkRepair::FixBrokenLinks();
        QDir::setCurrent(oldCwd);
        QCOMPARE(r.texts(), QStringList{report(1)});
        QCOMPARE(QFile::exists(expand(thumb)), kept);
        if (!link.isEmpty())
            QVERIFY(QFileInfo(expand(link)).isSymLink());
        DbConnection::open(ToolsFiles::GetDbPath());
        QVERIFY(!exists("Page", gone));
        DbConnection::close();
    }

    // A database of the first version, which has no Filename column: its
    // pages lie in the page store and are checked there.
    void pageFileThroughLinks_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("kept");
        QTest::newRow("the page file is a link to a file") << "link" << true;
        QTest::newRow("the page file is a broken link") << "broken" << false;
        QTest::newRow("the page's folder is a link") << "folder" << true;
    }
    // A page's file is looked for as a path is opened, links followed: a
    // link to a file or through a linked folder finds it, a broken link
    // does not, and the page's row goes.
    void pageFileThroughLinks()
    {
        QFETCH(QString, kind);
        QFETCH(bool, kept);
        TestEnvironment::openFreshDatabase();
        const int doc = RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(RecordFixture::cabinet("C"), "D"), "F"), "Doc");
        const QString own = DataFolder::filePath("own");
        QDir().mkpath(own + "/real");
        TestFiles::write(own + "/real/8.jpg", "page");
        // A page whose file is there: the page store holds its pages.
        pageWithFiles(doc);
        int page = 0;
        if (kind == QLatin1String("folder")) {
            QVERIFY(QFile::link(own + "/real", own + "/linked"));
            page = linkedPage(doc, own + "/linked/8.jpg", "Y");
        } else {
            page = pageWithFiles(doc);
            const QString path = PagePaths::GetDefaultPageFilePath(page);
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::link(kind == QLatin1String("link") ? own + "/real/8.jpg" : own + "/missing.jpg", path));
        }
        DbConnection::close();

        const ToolResult r = LinkRepair::FixBrokenLinks();
        QVERIFY(r.succeeded());
        DbConnection::open(ToolsFiles::GetDbPath());
        QCOMPARE(exists("Page", page), kept);
        DbConnection::close();
        QVERIFY(QFile::exists(own + "/real/8.jpg"));
    }

    void databaseOfFirstVersion()
    {
        TestEnvironment::freshDataFolder();
        Database::CreateDatabase(ToolsFiles::GetDbPath());
        DbConnection::open(ToolsFiles::GetDbPath());
        const int doc = RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(RecordFixture::cabinet("C"), "D"), "F"), "Doc");
        const int kept = RecordFixture::insert("INSERT INTO Page (DocumentId, Name) VALUES (?, 'p')", {doc});
        const int gone = RecordFixture::insert("INSERT INTO Page (DocumentId, Name) VALUES (?, 'p')", {doc});
        DbConnection::close();
        PagePaths::MakePath(PagePaths::GetDefaultPageFolder(kept));
        TestFiles::write(PagePaths::GetDefaultPageFilePath(kept), "jpeg");
        QCOMPARE(LinkRepair::FixBrokenLinks().texts(), QStringList{report(1)});
        DbConnection::open(ToolsFiles::GetDbPath());
        QVERIFY(exists("Page", kept));
        QVERIFY(!exists("Page", gone));
        DbConnection::close();
    }

    // An empty database: no repairs and no progress window.
    void emptyDatabase()
    {
        TestEnvironment::openFreshDatabase();
        DbConnection::close();
        RecordingProgressView progress;
        QCOMPARE(LinkRepair::FixBrokenLinks().texts(), QStringList{report(0)});
        QVERIFY(progress.events.isEmpty());
    }

    // A stop in the file scan keeps the rows deleted so far, skips the
    // link passes and reports the count so far.
    void stopInFileScan()
    {
        TestEnvironment::openFreshDatabase();
        const int doc = RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(RecordFixture::cabinet("C"), "D"), "F"), "Doc");
        const int kept = pageWithFiles(doc);
        const int first = pageWithFiles(doc, false);
        const int second = pageWithFiles(doc, false);
        const int orphan = RecordFixture::document(9005, "Lost");
        DbConnection::close();
        CancellingProgressView progress(2);
        QCOMPARE(LinkRepair::FixBrokenLinks().texts(), QStringList{report(1)});
        QVERIFY(progress.closedOrNeverOpened());
        DbConnection::open(ToolsFiles::GetDbPath());
        QVERIFY(exists("Page", kept));
        QVERIFY(!exists("Page", first));
        QVERIFY(exists("Page", second));
        QCOMPARE(parentOf("Document", "FolderId", orphan), 9005);
        QCOMPARE(chainCount(), 0);
        DbConnection::close();
    }

    // The chain deleted between two runs is made again, valid, rather than
    // pointing orphans at rows that are gone.
    void chainDeletedBetweenRuns()
    {
        TestEnvironment::openFreshDatabase();
        RecordFixture::document(9006, "Lost");
        DbConnection::close();
        QCOMPARE(LinkRepair::FixBrokenLinks().texts(), QStringList{report(1)});
        DbConnection::open(ToolsFiles::GetDbPath());
        for (const char *table : {"Cabinet", "Drawer", "Folder", "Document"})
            DbConnection::execute(QStringLiteral("DELETE FROM %1 WHERE Name = '<Repaired Data>'").arg(QLatin1String(table)));
        const int orphan = RecordFixture::document(9007, "Lost again");
        DbConnection::close();
        QCOMPARE(LinkRepair::FixBrokenLinks().texts(), QStringList{report(2)});
        DbConnection::open(ToolsFiles::GetDbPath());
        QVERIFY(exists("Folder", parentOf("Document", "FolderId", orphan)));
        QCOMPARE(chainCount(), 1);
        DbConnection::close();
    }

    void filesNoRowNames_data()
    {
        QTest::addColumn<int>("rows");             // pages 1..rows with their files (layRows)
        QTest::addColumn<bool>("elsewhere");       // page 2's image lies in a folder of its own
        QTest::addColumn<QStringList>("files");    // further files laid in the data folder
        QTest::addColumn<QStringList>("filed");    // the run's document's pages (pagesOf)
        QTest::addColumn<QStringList>("gone");     // laid files no longer at their paths
        QTest::addColumn<QString>("lines");        // what the report adds to its counts
        const QStringList fourToSix{"Pages/0000000/4.jpg", "Thumbs/0000000/4.jpg", "Pages/0000000/5.jpg",
                                    "Thumbs/0000000/5.jpg", "Pages/0000000/6.jpg", "Thumbs/0000000/6.jpg"};
        QTest::newRow("restored backup: rows 1-3, files 1-6")
            << 3 << false << fourToSix
            << QStringList{"4 Pages/0000000/4.jpg 1 N", "5 Pages/0000000/5.jpg 2 N", "6 Pages/0000000/6.jpg 3 N"}
            << QStringList{} << "\n3 page files without a page were filed under <Repaired Data>.";
        QTest::newRow("empty database over a full page store")
            << 0 << false << QStringList{"Pages/0000000/1.jpg", "Thumbs/0000000/1.jpg", "Pages/0000000/2.jpg", "Pages/0000000/3.jpg"}
            << QStringList{"1 Pages/0000000/1.jpg 1 N", "2 Pages/0000000/2.jpg 2 N", "3 Pages/0000000/3.jpg 3 N"}
            << QStringList{} << "\n3 page files without a page were filed under <Repaired Data>.";
        QTest::newRow("a tree import's copy of a non-image file")
            << 3 << false << QStringList{"Pages/0000000/4.pdf"}
            << QStringList{"4 Pages/0000000/4.pdf 0 Y"}
            << QStringList{} << "\n1 page file without a page was filed under <Repaired Data>.";
        QTest::newRow("a file without extension")
            << 3 << false << QStringList{"Pages/0000000/4"}
            << QStringList{"4 Pages/0000000/4 0 Y"}
            << QStringList{} << "\n1 page file without a page was filed under <Repaired Data>.";
        QTest::newRow("an image whose id's row keeps its image elsewhere")
            << 3 << true << QStringList{"Pages/0000000/2.jpg"}
            << QStringList{"4 Pages/0000000/4.jpg 1 N"}
            << QStringList{"Pages/0000000/2.jpg"} << "\n1 page file without a page was filed under <Repaired Data>.";
        QTest::newRow("another extension than its id's row names")
            << 3 << false << QStringList{"Pages/0000000/2.png"}
            << QStringList{"4 Pages/0000000/4.png 0 Y"}
            << QStringList{"Pages/0000000/2.png"} << "\n1 page file without a page was filed under <Repaired Data>.";
        QTest::newRow("a two-dot temporary")
            << 3 << false << QStringList{"Pages/0000000/5.jpg.AbC123", "Thumbs/0000000/2.jpg.XyZ789"}
            << QStringList{} << QStringList{} << "";
        QTest::newRow("a thumbnail without its image")
            << 3 << false << QStringList{"Thumbs/0000000/9.jpg", "Thumbs/0000005/5123.jpg"}
            << QStringList{} << QStringList{"Thumbs/0000000/9.jpg", "Thumbs/0000005/5123.jpg"}
            << "\n2 thumbnails without a page image were removed.";
        // Its image may be on a disk that is not connected.
        QTest::newRow("a thumbnail while the page store holds no page folder")
            << 0 << false << QStringList{"Thumbs/0000000/9.jpg"} << QStringList{} << QStringList{} << "";
        QTest::newRow("a storage folder's file no row names")
            << 3 << true << QStringList{"own/7.jpg", "own/8.png"} << QStringList{"7 own/7.jpg 1 N"}
            << QStringList{} << "\n1 page file without a page was filed under <Repaired Data>.";
        QTest::newRow("a storage folder's file whose id has a row")
            << 3 << true << QStringList{"own/3.jpg"} << QStringList{"4 own/4.jpg 1 N"}
            << QStringList{"own/3.jpg"} << "\n1 page file without a page was filed under <Repaired Data>.";
    }
    // The files of the page store that no row names become pages of one new
    // document under <Repaired Data>, in id order, numbered in order (a
    // shortcut page 0): in place under their own id when it has no row,
    // else moved to a free one; their thumbnails kept, missing ones made.
    // No page file is deleted; only a thumbnail whose page has neither row
    // nor image goes. A second run files nothing more.
    void filesNoRowNames()
    {
        QFETCH(int, rows);
        QFETCH(bool, elsewhere);
        QFETCH(QStringList, files);
        QFETCH(QStringList, filed);
        QFETCH(QStringList, gone);
        QFETCH(QString, lines);
        TestEnvironment::openFreshDatabase();
        layRows(rows, elsewhere);
        DbConnection::close();
        QHash<QString, QByteArray> laid;
        for (const QString &file : files) {
            lay(file);
            laid.insert(file, TestFiles::hashOf(data(file)));
        }
        const QSet<QByteArray> imagesBefore = hashesUnder(data("Pages"));

        RecordingProgressView progress;
        const ToolResult r = LinkRepair::FixBrokenLinks();
        QCOMPARE(r.texts(), QStringList{report(0) + lines});
        QVERIFY(progress.closedOrNeverOpened());
        QCOMPARE(progress.stepCount("Filing page files without a page"), int(filed.size()));

        // Every image is still there, at its path or a new one.
        QVERIFY(hashesUnder(data("Pages")).contains(imagesBefore));
        for (auto it = laid.cbegin(); it != laid.cend(); ++it) {
            if (gone.contains(it.key()))
                QVERIFY2(!QFileInfo::exists(data(it.key())), qPrintable(it.key()));
            else
                QVERIFY2(TestFiles::hashOf(data(it.key())) == *it, qPrintable(it.key()));
        }
        DbConnection::open(ToolsFiles::GetDbPath());
        QCOMPARE(RecordFixture::pageCount(), rows + int(filed.size()));
        const QList<RecordId> documents = runDocuments();
        QCOMPARE(documents.size(), filed.isEmpty() ? 0 : 1);
        // No empty document of the chain's own is made for them.
        QCOMPARE(DbConnection::queryValue("SELECT COUNT(*) FROM Document WHERE Name = '<Repaired Data>'").toInt(), 0);
        if (!filed.isEmpty()) {
            QCOMPARE(pagesOf(documents.first()), filed);
            // Each filed image has its thumbnail: the one found, or one made.
            for (const QString &page : filed) {
                const QStringList parts = page.split(' ');
                if (parts.at(3) == "N")
                    QVERIFY2(QFileInfo(PagePaths::GetThumbFilePath(parts.at(0).toLongLong())).size() > 0,
                             qPrintable(page));
            }
        }
        DbConnection::close();

        QCOMPARE(LinkRepair::FixBrokenLinks().texts(), QStringList{report(0)});
        DbConnection::open(ToolsFiles::GetDbPath());
        QCOMPARE(RecordFixture::pageCount(), rows + int(filed.size()));
        QCOMPARE(runDocuments().size(), filed.isEmpty() ? 0 : 1);
        DbConnection::close();
    }

    void placeNotAvailableKeepsRows_data()
    {
        QTest::addColumn<QString>("place");   // "storage" or "store"
        QTest::addColumn<QString>("state");   // "empty", "missing" or "absent link"
        QTest::addColumn<QString>("note");    // the report's line on the place, "%" the place
        QTest::addColumn<bool>("warned");     // a warning that it could not be looked into
        QTest::newRow("storage folder: an empty mount point")
            << "storage" << "empty" << "The storage folder \"%\" holds none of this cabinet's 10 pages: is its disk connected?" << false;
        QTest::newRow("storage folder: missing") << "storage" << "missing" << "" << false;
        QTest::newRow("storage folder: a link to an absent disk") << "storage" << "absent link" << "" << false;
        QTest::newRow("page store: an empty mount point")
            << "store" << "empty" << "The page folder \"%\" holds none of its 10 pages: is its disk connected?" << false;
        QTest::newRow("page store: missing") << "store" << "missing" << "" << false;
        QTest::newRow("page store: a link to an absent disk") << "store" << "absent link" << "" << true;
        QTest::newRow("shortcuts: an empty mount point") << "shortcuts" << "empty" << "" << false;
        QTest::newRow("shortcuts: missing") << "shortcuts" << "missing" << "" << false;
    }
    // A place that holds none of the files its rows name (the empty mount
    // point of a disk that is not connected, a missing folder, a link to a
    // disk that is gone) is not available: its rows are kept and counted
    // as skipped, and nothing there is removed, not even a thumbnail.
    void placeNotAvailableKeepsRows()
    {
        QFETCH(QString, place);
        QFETCH(QString, state);
        QFETCH(QString, note);
        QFETCH(bool, warned);
        TestEnvironment::openFreshDatabase();
        const QString folder = place == "store" ? DataFolder::pagesFolder() : DataFolder::path() + "-disk";
        const int cab = RecordFixture::cabinet("On a disk");
        if (place == "storage")
            DbConnection::execute("UPDATE Cabinet SET Storage = 1, StoragePath = ? WHERE CabinetId = ?", {folder, cab});
        const int doc = RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(cab, "D"), "F"), "Doc");
        QList<int> pages;
        for (int i = 0; i < 10; ++i) {
            const QString file = folder + QStringLiteral("/%1.jpg").arg(i + 1);
            const int id = place == "storage" ? linkedPage(doc, file)
                : place == "shortcuts"
                ? int(RecordFixture::insert("INSERT INTO Page (DocumentId, PageNumber, Filename, ShortcutYN)"
                                            " VALUES (?, 0, ?, 'Y')", {doc, file}))
                : linkedPage(doc);
            pages.append(id);
            if (place == "store")
                TestFiles::writeFile(PagePaths::GetDefaultThumbFilePath(id), "thumb");
        }
        DbConnection::close();
        // A thumbnail whose page has no row: its image may be on the disk.
        if (place == "store")
            TestFiles::writeFile(data("Thumbs/0000000/99.jpg"), "thumb");
        if (state == "empty")
            QVERIFY(QDir().mkpath(folder));
        else if (state == "absent link")
            QVERIFY(QFile::link(TestEnvironment::root() + "/absent-disk", folder));

        const ToolResult r = LinkRepair::FixBrokenLinks();
        QStringList expected{report(0, 10) + (note.isEmpty() ? QString() : "\n" + QString(note).replace("%", folder))};
        QCOMPARE(r.texts().first(), expected.first());
        QCOMPARE(r.entries.size(), warned ? 2 : 1);
        if (warned) {
            QCOMPARE(r.entries.last().kind, ToolResult::Kind::Warning);
            QVERIFY2(r.texts().last().startsWith("Could not look into " + folder + ": "), qPrintable(r.texts().last()));
        }
        DbConnection::open(ToolsFiles::GetDbPath());
        for (int id : pages)
            QVERIFY(exists("Page", id));
        DbConnection::close();
        if (place == "store") {
            for (int id : pages)
                QVERIFY(QFile::exists(PagePaths::GetDefaultThumbFilePath(id)));
            QVERIFY(QFile::exists(data("Thumbs/0000000/99.jpg")));
        }
        // Nothing is made in the place either.
        if (state == "empty")
            QVERIFY(QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System));
        else
            QVERIFY(!QFileInfo(folder).isDir());
    }

    // A stale thumbnail that cannot be removed (its folder read-only) is
    // named in the report, not passed over as if the run had removed it.
    void staleThumbnailKeptIsNamed()
    {
        TestEnvironment::openFreshDatabase();
        layRows(1);
        DbConnection::close();
        lay("Thumbs/0000000/9.jpg");
        const ReadOnlyFolder readOnly(data("Thumbs/0000000"));
        if (!readOnly.holds())
            QSKIP("the folder cannot be made read-only here");
        const QStringList texts = LinkRepair::FixBrokenLinks().texts();
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts.first().startsWith(report(0) + "\n1 thumbnail could not be removed: "
                                          + data("Thumbs/0000000/9.jpg") + ": "),
                 qPrintable(texts.first()));
        QVERIFY(QFile::exists(data("Thumbs/0000000/9.jpg")));
    }

    void linkedStoreFollowed_data()
    {
        QTest::addColumn<bool>("thumbsLinked");
        QTest::newRow("Pages a link") << false;
        QTest::newRow("Pages and Thumbs links") << true;
    }
    // "Pages" (and "Thumbs") moved to a larger disk with a link left in
    // their place are followed: a page whose image is gone there loses its
    // row, a file there that no row names is filed. Links inside them are
    // not: a link in a bucket is not filed, a bucket that is a link is not
    // looked into, and what they point at is untouched.
    void linkedStoreFollowed()
    {
        QFETCH(bool, thumbsLinked);
        TestEnvironment::openFreshDatabase();
        const QString disk = DataFolder::path() + "-disk";
        QVERIFY(QDir().mkpath(disk + "/Pages"));
        QVERIFY(QFile::link(disk + "/Pages", DataFolder::pagesFolder()));
        if (thumbsLinked) {
            QVERIFY(QDir().mkpath(disk + "/Thumbs"));
            QVERIFY(QFile::link(disk + "/Thumbs", DataFolder::thumbsFolder()));
        }
        const RecordId doc = layRows(3);
        DbConnection::close();
        QVERIFY(QFile::remove(data("Pages/0000000/3.jpg")));
        lay("Pages/0000000/4.jpg");
        QVERIFY(QDir().mkpath(disk + "/own"));
        TestFiles::write(disk + "/own/photo.jpg", "photo");
        TestFiles::write(disk + "/own/1000.jpg", "mine");
        QVERIFY(QFile::link(disk + "/own/photo.jpg", data("Pages/0000000/5.jpg")));
        QVERIFY(QFile::link(disk + "/own", data("Pages/0000001")));

        const ToolResult r = LinkRepair::FixBrokenLinks();
        QCOMPARE(r.texts(), QStringList{report(1) + "\n1 page file without a page was filed under <Repaired Data>."});
        QVERIFY(QFileInfo(DataFolder::pagesFolder()).isSymLink());
        QCOMPARE(QFileInfo(DataFolder::thumbsFolder()).isSymLink(), thumbsLinked);
        QVERIFY(!QFile::exists(data("Thumbs/0000000/3.jpg")));
        QVERIFY(QFile::exists(disk + "/Pages/0000000/4.jpg"));
        QVERIFY(QFile::exists(data("Thumbs/0000000/4.jpg")));
        QVERIFY(QFileInfo(data("Pages/0000000/5.jpg")).isSymLink());
        QCOMPARE(TestFiles::read(disk + "/own/photo.jpg"), QByteArray("photo"));
        QCOMPARE(TestFiles::read(disk + "/own/1000.jpg"), QByteArray("mine"));
        DbConnection::open(ToolsFiles::GetDbPath());
        QVERIFY(!exists("Page", 3));
        for (RecordId id : {1, 2})
            QCOMPARE(parentOf("Page", "DocumentId", id), int(doc));
        QCOMPARE(pagesOf(runDocuments().value(0)), QStringList{"4 Pages/0000000/4.jpg 1 N"});
        QVERIFY(!exists("Page", 5));
        QVERIFY(!exists("Page", 1000));
        DbConnection::close();
    }

    void failedCommitLeavesFiles_data()
    {
        QTest::addColumn<bool>("elsewhere");      // page 2's image lies in a folder of its own
        QTest::addColumn<QStringList>("files");   // further files laid in the data folder
        QTest::newRow("an image moved to a free id") << true << QStringList{"Pages/0000000/2.jpg", "Pages/0000000/4.jpg"};
        QTest::newRow("another extension moved to a free id") << false << QStringList{"Pages/0000000/2.png", "Pages/0000000/4.jpg", "Thumbs/0000000/4.jpg"};
    }
    // When the rows of the filed pages do not commit, every file is where it
    // was (a moved one moved back), no page or document is left, and the
    // run says why.
    void failedCommitLeavesFiles()
    {
        QFETCH(bool, elsewhere);
        QFETCH(QStringList, files);
        TestEnvironment::openFreshDatabase();
        layRows(3, elsewhere);
        DbConnection::close();
        QHash<QString, QByteArray> laid;
        for (const QString &file : files) {
            lay(file);
            laid.insert(file, TestFiles::hashOf(data(file)));
        }
        const int documents = [] {
            DbConnection::open(ToolsFiles::GetDbPath());
            const int n = RecordFixture::rowCount("Document");
            DbConnection::close();
            return n;
        }();

        BirthTrace trace;
        trace.failNextCommit();
        RecordingProgressView progress;
        const ToolResult r = LinkRepair::FixBrokenLinks();
        QCOMPARE(r.entries.size(), 1);
        QCOMPARE(r.entries.first().kind, ToolResult::Kind::Error);
        QVERIFY2(r.texts().first().startsWith("Error # 10001 occurred in FixBrokenLinks: "), qPrintable(r.texts().first()));
        // Id 4 is taken by the file filed in place, so the moved one was
        // given 5, and taken back.
        const QString moved = data("Pages/0000000/5" + QString(elsewhere ? ".jpg" : ".png"));
        QVERIFY(trace.events().contains("sync " + moved));
        QVERIFY(!QFileInfo::exists(moved));
        QVERIFY(progress.closedOrNeverOpened());
        for (auto it = laid.cbegin(); it != laid.cend(); ++it)
            QVERIFY2(TestFiles::hashOf(data(it.key())) == *it, qPrintable(it.key()));
        DbConnection::open(ToolsFiles::GetDbPath());
        QCOMPARE(RecordFixture::pageCount(), 3);
        QCOMPARE(RecordFixture::rowCount("Document"), documents);
        QCOMPARE(chainCount(), 0);
        DbConnection::close();
    }

    void fileThatCannotMoveStays_data()
    {
        QTest::addColumn<QStringList>("files");   // laid in the read-only first bucket
        QTest::addColumn<QString>("lines");
        QTest::newRow("one to move, one in place") << QStringList{"Pages/0000000/2.png", "Pages/0000000/4.jpg"}
            << "\n1 page file without a page was filed under <Repaired Data>."
               "\n1 page file without a page could not be filed and was left where it is.";
        QTest::newRow("two to move") << QStringList{"Pages/0000000/2.png", "Pages/0000000/3.tif"}
            << "\n2 page files without a page could not be filed and were left where they are.";
    }
    // A file that must move to a free id but cannot (its folder read-only)
    // stays where it is and is counted; the others are filed.
    void fileThatCannotMoveStays()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, lines);
        TestEnvironment::openFreshDatabase();
        layRows(3);
        DbConnection::close();
        for (const QString &file : files)
            lay(file);
        const ReadOnlyFolder readOnly(data("Pages/0000000"));
        if (!readOnly.holds())
            QSKIP("the folder cannot be made read-only here");
        QCOMPARE(LinkRepair::FixBrokenLinks().texts(), QStringList{report(0) + lines});
        for (const QString &file : files)
            QVERIFY2(QFile::exists(data(file)), qPrintable(file));
        DbConnection::open(ToolsFiles::GetDbPath());
        const int filed = files.contains("Pages/0000000/4.jpg") ? 1 : 0;
        QCOMPARE(RecordFixture::pageCount(), 3 + filed);
        // No document is left empty.
        QCOMPARE(runDocuments().size(), filed);
        DbConnection::close();
    }

    void olderDatabaseFilesNothing_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("version 0: no Filename") << 0;
        QTest::newRow("version 2: no ShortcutYN") << 2;
    }
    // The tools never upgrade a database, and a filed page needs columns an
    // older one lacks: its files stay unfiled, and the report says why.
    void olderDatabaseFilesNothing()
    {
        QFETCH(int, version);
        TestEnvironment::freshDataFolder();
        Database::CreateDatabase(ToolsFiles::GetDbPath());
        DbConnection::open(ToolsFiles::GetDbPath());
        if (version >= 1)
            Database::UpgradeDbToVersion1();
        if (version >= 2)
            Database::upgradeDbToVersion2();
        const int doc = RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(RecordFixture::cabinet("C"), "D"), "F"), "Doc");
        const int kept = RecordFixture::insert("INSERT INTO Page (DocumentId, Name) VALUES (?, 'p')", {doc});
        DbConnection::close();
        lay(relativeToData(PagePaths::GetDefaultPageFilePath(kept)));
        lay("Pages/0000000/7.jpg");
        lay("Pages/0000000/8.pdf");
        QCOMPARE(LinkRepair::FixBrokenLinks().texts(),
                 QStringList{report(0) + "\n2 page files without a page were not filed: the database is of an older"
                                         " version. Start Vellumark once to bring it up to date, then repair again."});
        QVERIFY(QFile::exists(data("Pages/0000000/7.jpg")));
        QVERIFY(QFile::exists(data("Pages/0000000/8.pdf")));
        DbConnection::open(ToolsFiles::GetDbPath());
        QCOMPARE(RecordFixture::pageCount(), 1);
        QCOMPARE(chainCount(), 0);
        DbConnection::close();
    }

    // The refusals: vlm running, no database (and none is made).
    void refusals()
    {
        TestEnvironment::freshDataFolder();
        ToolResult r = LinkRepair::FixBrokenLinks();
        QCOMPARE(r.texts(), QStringList{ToolsFiles::NoDatabaseText});
        QCOMPARE(r.entries.first().kind, ToolResult::Kind::Warning);
        QVERIFY(!QFile::exists(ToolsFiles::GetDbPath()));

        TestEnvironment::openFreshDatabase();
        RecordFixture::document(9008, "Lost");
        DbConnection::close();
        QLockFile vlm(DataFolder::filePath("vlm.lock"));
        QVERIFY(vlm.tryLock(0));
        r = LinkRepair::FixBrokenLinks();
        QCOMPARE(r.texts(), QStringList{ToolsFiles::VlmRunningText});
        DbConnection::open(ToolsFiles::GetDbPath());
        QCOMPARE(chainCount(), 0);
        DbConnection::close();
    }

    // A failing statement is reported with its number, leaves the pass's
    // changes undone and closes connection and progress.
    void failureRollsBackThePass()
    {
        TestEnvironment::openFreshDatabase();
        const int orphan = RecordFixture::document(9009, "Lost");
        DbConnection::close();
        RecordingProgressView progress;
        // The open's probes (2), the counts (4), the file scan's two column
        // checks and its list, two reads for each of two passes and BEGIN
        // come first (14); then the chain's cabinet is looked up and
        // inserted, its drawer looked up and, as the 18th statement,
        // inserted: that one fails.
        DbConnection::failAfterStatements(18);
        const ToolResult r = LinkRepair::FixBrokenLinks();
        DbConnection::failAfterStatements(0);
        QCOMPARE(r.entries.size(), 1);
        QVERIFY2(r.texts().first().startsWith("Error # 10001 occurred in FixBrokenLinks: "), qPrintable(r.texts().first()));
        QVERIFY(progress.closedOrNeverOpened());
        QVERIFY(!DbConnection::isOpen());
        DbConnection::open(ToolsFiles::GetDbPath());
        QCOMPARE(parentOf("Document", "FolderId", orphan), 9009);
        QCOMPARE(chainCount(), 0);
        DbConnection::close();
    }
};

VLM_TEST_GUILESS_MAIN(LinkRepairTest)
#include "LinkRepairTest.moc"

#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/Database.h"
#include "store/PagePaths.h"
#include "store/RecordId.h"
#include "tests/support/CancellingProgressView.h"
#include "tests/support/PageFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingProgressView.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tools/LinkRepair.h"
#include "tools/ToolsFiles.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTest>

namespace {

using RecordFixture::linkedPage;
using PageFixture::pageWithFiles;

RecordId parentOf(const QString &table, const QString &parentColumn, RecordId id)
{
    return DbConnection::QueryValue(QStringLiteral("SELECT %1 FROM %2 WHERE %2Id = ?").arg(parentColumn, table), {id}).toInt();
}

bool exists(const QString &table, RecordId id)
{
    return !DbConnection::QueryValue(QStringLiteral("SELECT 1 FROM %1 WHERE %1Id = ?").arg(table), {id}).isNull();
}

int chainCount()
{
    return DbConnection::QueryValue("SELECT COUNT(*) FROM Cabinet WHERE Name = '<Repaired Data>'").toInt();
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
        DbConnection::Execute("UPDATE Cabinet SET Storage = 1, StoragePath = ? WHERE CabinetId = ?", {own, cab});
        TestFiles::write(own + "/letter.pdf", "pdf");
        const int shortcut = linkedPage(doc, own + "/letter.pdf", "Y");
        const int storageGone = linkedPage(doc, own + "/7.jpg");
        TestFiles::write(own + "/Thumbs/7.jpg", "thumb");
        const int unmounted = linkedPage(doc, "/media/vellumark-not-mounted/scan.pdf", "Y");
        const int noFolder = RecordFixture::document(9002, "Lost doc");
        const int noDrawer = RecordFixture::folder(9003, "Lost folder");
        const int noCabinet = RecordFixture::drawer(9004, "Lost drawer");
        DbConnection::close();

        RecordingProgressView progress;
        const ToolResult r = LinkRepair::FixBrokenLinks();
        QCOMPARE(r.texts(), QStringList{report(6, 1)});
        QVERIFY(r.succeeded());
        const int pages = 6, total = pages + 2 + 2 + 2;
        QCOMPARE(progress.events.first(), QStringLiteral("start Repair broken links 1..%1").arg(total + pages));
        QCOMPARE(progress.stepCount("Scanning for missing files"), pages);
        QVERIFY(progress.closedOrNeverOpened());
        QVERIFY(!DbConnection::isOpen());

        DbConnection::open(ToolsFiles::GetDbPath());
        for (RecordId id : {kept, noDocument, shortcut, unmounted})
            QVERIFY2(exists("Page", id), qPrintable(QString::number(id)));
        QVERIFY(!exists("Page", fileGone));
        QVERIFY(!exists("Page", storageGone));
        QVERIFY(!QFile::exists(PagePaths::GetDefaultThumbFilePath(fileGone)));
        QVERIFY(!QFile::exists(own + "/Thumbs/7.jpg"));
        QVERIFY(QFile::exists(PagePaths::GetDefaultThumbFilePath(kept)));
        QVERIFY(QFile::exists(own + "/letter.pdf"));

        QCOMPARE(chainCount(), 1);
        const int chainCab = DbConnection::QueryValue("SELECT CabinetId FROM Cabinet WHERE Name = '<Repaired Data>'").toInt();
        QCOMPARE(DbConnection::QueryValue("SELECT [Password] FROM Cabinet WHERE CabinetId = ?", {chainCab}).toString(), QString());
        const int chainDrw = DbConnection::QueryValue("SELECT DrawerId FROM Drawer WHERE CabinetId = ? AND Name = '<Repaired Data>'", {chainCab}).toInt();
        const int chainFld = DbConnection::QueryValue("SELECT FolderId FROM Folder WHERE DrawerId = ? AND Name = '<Repaired Data>'", {chainDrw}).toInt();
        const int chainDoc = DbConnection::QueryValue("SELECT DocumentId FROM Document WHERE FolderId = ? AND Name = '<Repaired Data>'", {chainFld}).toInt();
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

    void removesOrphanPageFiles_data()
    {
        QTest::addColumn<bool>("withPages");
        QTest::newRow("beside pages") << true;
        QTest::newRow("database without rows") << false;
    }
    // Files of the page store named by a page id that has no row (what a
    // run killed before its rows committed left at the paths the next
    // pages get) are removed and counted in the result, also when the
    // database has no rows at all. A page's own files, files not named by
    // a page id, files outside their id's bucket and what a link points at
    // stay. A second run finds nothing.
    void removesOrphanPageFiles()
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
        const QStringList orphans{PagePaths::GetDefaultPageFilePath(lost), PagePaths::GetDefaultThumbFilePath(lost),
                                  PagePaths::GetDefaultPageFolder(lost + 1) + QStringLiteral("/%1.pdf").arg(lost + 1)};
        for (const QString &path : orphans) {
            PagePaths::MakePath(PagePaths::GetFolderPart(path));
            TestFiles::write(path, "left over");
        }
        const QString own = DataFolder::filePath("own");
        QDir().mkpath(own);
        TestFiles::write(own + "/9000000.jpg", "mine");
        // Links named by a page id go themselves, whatever they point at,
        // unless they point at a folder; what they point at stays.
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
        QCOMPARE(r.texts(), QStringList{report(0) + "\n5 page files without a page removed."});
        QVERIFY(r.succeeded());
        for (const QString &path : orphans + QStringList{linkToFile, brokenLink})
            QVERIFY2(!QFileInfo(path).isSymLink() && !QFile::exists(path), qPrintable(path));
        QVERIFY(QFileInfo(linkToFolder).isSymLink());
        for (const QString &path : stay)
            QVERIFY2(QFile::exists(path), qPrintable(path));
        if (withPages) {
            QVERIFY(QFile::exists(PagePaths::GetDefaultPageFilePath(kept)));
            QVERIFY(QFile::exists(PagePaths::GetDefaultThumbFilePath(kept)));
            QVERIFY(QFile::exists(copyPath));
        }
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
            DbConnection::Execute("UPDATE Cabinet SET Storage = 1, StoragePath = ? WHERE CabinetId = ?",
                                  {expand(storage), cab});
        }
        const int doc = RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(cab, "D"), "F"), "Doc");
        const int gone = linkedPage(doc, expand(filename));
        DbConnection::close();
        QVERIFY(QDir().mkpath(TestEnvironment::root() + "/cwd/sub"));
        QVERIFY(QDir().mkpath(TestEnvironment::root() + "/outside"));
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
        const int first = pageWithFiles(doc, false);
        const int second = pageWithFiles(doc, false);
        const int orphan = RecordFixture::document(9005, "Lost");
        DbConnection::close();
        CancellingProgressView progress(1);
        QCOMPARE(LinkRepair::FixBrokenLinks().texts(), QStringList{report(1)});
        QVERIFY(progress.closedOrNeverOpened());
        DbConnection::open(ToolsFiles::GetDbPath());
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
            DbConnection::Execute(QStringLiteral("DELETE FROM %1 WHERE Name = '<Repaired Data>'").arg(QLatin1String(table)));
        const int orphan = RecordFixture::document(9007, "Lost again");
        DbConnection::close();
        QCOMPARE(LinkRepair::FixBrokenLinks().texts(), QStringList{report(2)});
        DbConnection::open(ToolsFiles::GetDbPath());
        QVERIFY(exists("Folder", parentOf("Document", "FolderId", orphan)));
        QCOMPARE(chainCount(), 1);
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

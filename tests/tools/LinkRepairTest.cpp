#include "CancellingProgressView.h"
#include "DataFolder.h"
#include "Database.h"
#include "DbConnection.h"
#include "LinkRepair.h"
#include "PagePaths.h"
#include "RecordFixture.h"
#include "RecordingProgressView.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "ToolsFiles.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTest>

namespace {

RecordId page(RecordId documentId, const QVariant &filename = QVariant(), const QString &shortcut = QStringLiteral("N"))
{
    return RecordFixture::insert(
        "INSERT INTO Page (DocumentId, Name, PageNumber, Filename, ShortcutYN) VALUES (?, 'p', 1, ?, ?)",
        {documentId, filename.isValid() ? filename : QVariant(QMetaType(QMetaType::QString)), shortcut});
}

// A page of the page store with its image (and thumbnail) on disk.
RecordId storedPage(RecordId documentId, bool withFile = true)
{
    const RecordId id = page(documentId);
    PagePaths::MakePath(PagePaths::GetDefaultPageFolder(id));
    PagePaths::MakePath(PagePaths::GetDefaultThumbFolder(id));
    if (withFile)
        TestFiles::write(PagePaths::GetDefaultPageFilePath(id), "jpeg");
    TestFiles::write(PagePaths::GetDefaultThumbFilePath(id), "thumb");
    return id;
}

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
    if (skipped)
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
        const int kept = storedPage(doc);
        const int fileGone = storedPage(doc, false);
        const int noDocument = storedPage(9001);
        const QString own = DataFolder::filePath("own");
        QDir().mkpath(own + "/Thumbs");
        TestFiles::write(own + "/letter.pdf", "pdf");
        const int shortcut = page(doc, own + "/letter.pdf", "Y");
        const int storageGone = page(doc, own + "/7.jpg");
        TestFiles::write(own + "/Thumbs/7.jpg", "thumb");
        const int unmounted = page(doc, "/media/vellumark-not-mounted/scan.pdf", "Y");
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

    // A database of the first version, which has no Filename column: its
    // pages lie in the page store and are checked there.
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
        const int first = storedPage(doc, false);
        const int second = storedPage(doc, false);
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
#include "RecordId.h"

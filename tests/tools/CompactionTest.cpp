#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tools/Compaction.h"
#include "tools/ToolsFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using Compaction::Step;
Q_DECLARE_METATYPE(Compaction::Step)

namespace {

// A database with many deleted rows, so compaction has space to win; the
// cabinet with the largest id is deleted too. Left closed.
void makeDatabaseWithGaps()
{
    TestEnvironment::openFreshDatabase();
    DbConnection::Transaction t;
    const int cabinet = RecordFixture::cabinet("Kept");
    const QString filler(500, QLatin1Char('x'));
    for (int i = 0; i < 400; ++i)
        RecordFixture::insert("INSERT INTO Drawer (CabinetId, Name, Description) VALUES (?, ?, ?)",
                              {cabinet, QString::number(i), filler});
    const int last = RecordFixture::cabinet("Last");
    DbConnection::execute("DELETE FROM Drawer WHERE DrawerId % 4 <> 0");
    DbConnection::execute("DELETE FROM Cabinet WHERE CabinetId = ?", {last});
    t.commit();
    DbConnection::close();
}

// What a database file holds: the integrity check, the rows of each table
// and the id counters, read on a connection of its own.
QString describe(const QString &path)
{
    QString out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "inspect");
        db.setDatabaseName(path);
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (!db.open())
            return QStringLiteral("cannot open");
        QSqlQuery q(db);
        q.exec("PRAGMA integrity_check");
        out = q.next() ? q.value(0).toString() : QStringLiteral("no answer");
        for (const char *table : {"Cabinet", "Drawer", "Page"}) {
            q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)));
            out += QStringLiteral(" %1=%2").arg(QLatin1String(table)).arg(q.next() ? q.value(0).toInt() : -1);
        }
        q.exec("SELECT name, seq FROM sqlite_sequence ORDER BY name");
        while (q.next())
            out += QStringLiteral(" %1:%2").arg(q.value(0).toString(), q.value(1).toString());
    }
    QSqlDatabase::removeDatabase("inspect");
    return out;
}

} // namespace

class CompactionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { Compaction::setFaultHook({}); }

    // The old file becomes the backup byte for byte, the new one is smaller
    // and whole, and ids go on after the largest ever given. A "vlm.mdb"
    // that is a link stays one: the file it leads to is compacted in its
    // own folder, where the backup is kept and named.
    void compactsKeepingBackup_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("in the data folder") << "";
        QTest::newRow("a link to another disk") << "disk/archive.db";
    }
    void compactsKeepingBackup()
    {
        QFETCH(QString, target);
        makeDatabaseWithGaps();
        const QString db = ToolsFiles::GetDbPath();
        const QString file = target.isEmpty() ? db : TestFiles::madeTempPath(target);
        if (!target.isEmpty())
            QVERIFY(QFile::rename(db, file) && QFile::link(file, db));
        const QString folder = target.isEmpty() ? DataFolder::path() : QFileInfo(file).canonicalPath();
        const QString backup = folder + "/vlm.bak";
        const QString note = target.isEmpty() ? "" : "\nThe previous copy is kept as \"" + backup + "\".";
        const QByteArray oldBytes = TestFiles::read(db);
        const QString before = describe(db);
        const ToolResult r = Compaction::CompactDb();
        QVERIFY2(r.succeeded(), qPrintable(r.texts().join('|')));
        const qint64 saved = oldBytes.size() - QFile(db).size();
        QVERIFY(saved > 0);
        QCOMPARE(r.texts(),
                 QStringList{"Compact database complete.\n" + Compaction::formatBytes(saved) + " bytes saved." + note});
        QCOMPARE(TestFiles::read(backup), oldBytes);
        QVERIFY(!QFile::exists(folder + "/tempvlm.mdb"));
        QCOMPARE(QFileInfo(db).symLinkTarget(), target.isEmpty() ? QString() : file);
        QCOMPARE(describe(db), before);
        QVERIFY(before.startsWith("ok "));

        DbConnection::open(db);
        const int last = DbConnection::queryValue("SELECT MAX(CabinetId) FROM Cabinet").toInt();
        QCOMPARE(RecordFixture::cabinet("New"), last + 2);
        DbConnection::close();
    }

    // A work file an interrupted run left does not stop the next one; a
    // second run backs up the result of the first.
    void leftoverAndSecondRun()
    {
        makeDatabaseWithGaps();
        TestFiles::write(ToolsFiles::GetTempDbPath(), "junk from an interrupted run");
        QVERIFY(Compaction::CompactDb().succeeded());
        const QByteArray firstResult = TestFiles::read(ToolsFiles::GetDbPath());
        const ToolResult second = Compaction::CompactDb();
        QVERIFY(second.succeeded());
        QCOMPARE(TestFiles::read(ToolsFiles::GetBackupDbPath()), firstResult);
        QVERIFY(!QFile::exists(ToolsFiles::GetTempDbPath()));
    }

    // No database: the error, and no database file of any name is made.
    void missingDatabaseCreatesNothing()
    {
        TestEnvironment::freshDataFolder();
        const ToolResult r = Compaction::CompactDb();
        QCOMPARE(r.texts(), QStringList{"CompactDb Error #2 - No such file or directory"});
        QCOMPARE(r.entries.first().kind, ToolResult::Kind::Error);
        QVERIFY(!QFile::exists(ToolsFiles::GetDbPath()));
        QVERIFY(!QFile::exists(ToolsFiles::GetTempDbPath()));
        QString message;
        QVERIFY(!ToolsFiles::OpenToolsDatabase(&message));
        QCOMPARE(message, ToolsFiles::NoDatabaseText);
        // Should the file vanish after that check, the open itself fails.
        QVERIFY_THROWS_EXCEPTION(AppError, DbConnection::open(ToolsFiles::existingFileUri(ToolsFiles::GetDbPath())));
        QVERIFY(!QFile::exists(ToolsFiles::GetDbPath()));
    }

    // A disk too full for the compacted copy: the error, the database as
    // it was, and neither "tempvlm.mdb" nor its journal left behind.
    void fullDiskLeavesNoWorkFiles()
    {
        makeDatabaseWithGaps();
        const QString db = ToolsFiles::GetDbPath();
        const QByteArray oldBytes = TestFiles::read(db);
        ToolResult r;
        {
            FileSizeLimit full(4096);
            r = Compaction::CompactDb();
        }
        QCOMPARE(r.entries.size(), 1);
        QCOMPARE(r.entries.first().kind, ToolResult::Kind::Error);
        QVERIFY2(r.texts().first().startsWith("CompactDb Error #"), qPrintable(r.texts().first()));
        QCOMPARE(TestFiles::read(db), oldBytes);
        QVERIFY(!QFile::exists(ToolsFiles::GetTempDbPath()));
        QVERIFY(!QFile::exists(ToolsFiles::GetTempDbPath() + "-journal"));
    }

    // While vlm runs on the data folder the file is left alone.
    void refusedWhileVlmRuns()
    {
        makeDatabaseWithGaps();
        const QByteArray oldBytes = TestFiles::read(ToolsFiles::GetDbPath());
        QLockFile vlm(ToolsFiles::GetDbPath().replace("vlm.mdb", "vlm.lock"));
        QVERIFY(vlm.tryLock(0));
        QVERIFY(ToolsFiles::isVlmRunning());
        const ToolResult r = Compaction::CompactDb();
        QCOMPARE(r.texts(), QStringList{ToolsFiles::VlmRunningText});
        QCOMPARE(r.entries.first().kind, ToolResult::Kind::Warning);
        QCOMPARE(TestFiles::read(ToolsFiles::GetDbPath()), oldBytes);
        QVERIFY(!QFile::exists(ToolsFiles::GetBackupDbPath()));
        vlm.unlock();
        QVERIFY(!ToolsFiles::isVlmRunning());
    }

    // The tool's own open connection is closed around the file moves and
    // works on the new file afterwards.
    void reopensOwnConnection()
    {
        makeDatabaseWithGaps();
        DbConnection::open(ToolsFiles::GetDbPath());
        QVERIFY(Compaction::CompactDb().succeeded());
        QVERIFY(DbConnection::isOpen());
        RecordFixture::cabinet("After");
        DbConnection::close();
        QVERIFY(describe(ToolsFiles::GetDbPath()).contains("Cabinet=2"));
        QVERIFY(describe(ToolsFiles::GetBackupDbPath()).contains("Cabinet=1"));
    }

    // A failure at any step leaves "vlm.mdb" whole: the old database until
    // the rename, the new one from then on; an earlier backup survives a
    // failed backup step.
    void failureAtEachStep_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<bool>("newInPlace");
        QTest::addColumn<bool>("backupDone");
        QTest::newRow("leftover") << Step::RemoveLeftover << false << false;
        QTest::newRow("vacuum") << Step::Vacuum << false << false;
        QTest::newRow("sync copy") << Step::SyncCopy << false << false;
        QTest::newRow("backup") << Step::Backup << false << false;
        QTest::newRow("replace") << Step::Replace << false << false;
        QTest::newRow("keep backup") << Step::KeepBackup << true << false;
        QTest::newRow("sync folder") << Step::SyncFolder << true << true;
    }
    void failureAtEachStep()
    {
        QFETCH(Step, step);
        QFETCH(bool, newInPlace);
        QFETCH(bool, backupDone);
        makeDatabaseWithGaps();
        const QString db = ToolsFiles::GetDbPath();
        TestFiles::write(ToolsFiles::GetBackupDbPath(), "earlier backup");
        const QByteArray oldBytes = TestFiles::read(db);
        const QString contents = describe(db);
        Compaction::setFaultHook([step](Step s) { return s != step; });
        const ToolResult r = Compaction::CompactDb();
        QCOMPARE(r.entries.size(), 1);
        QCOMPARE(r.entries.first().kind, ToolResult::Kind::Error);
        QVERIFY(r.texts().first().startsWith("CompactDb Error #"));
        QCOMPARE(describe(db), contents);
        if (!newInPlace)
            QCOMPARE(TestFiles::read(db), oldBytes);
        else
            QVERIFY(TestFiles::read(db) != oldBytes);
        // The old database is kept somewhere whole whatever failed.
        const QString work = ToolsFiles::GetBackupDbPath() + ".new";
        QCOMPARE(TestFiles::read(ToolsFiles::GetBackupDbPath()),
                 backupDone ? oldBytes : QByteArray("earlier backup"));
        QCOMPARE(QFile::exists(work), newInPlace && !backupDone);
        if (QFile::exists(work))
            QCOMPARE(TestFiles::read(work), oldBytes);
        QVERIFY(!QFile::exists(ToolsFiles::GetTempDbPath()));
        QVERIFY(!DbConnection::isOpen());
    }
};

VLM_TEST_GUILESS_MAIN(CompactionTest)
#include "CompactionTest.moc"

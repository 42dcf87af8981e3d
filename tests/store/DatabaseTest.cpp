#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/Database.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

namespace {

QStringList columnsOf(const QString &table)
{
    QStringList out;
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table});
    for (int i = 0; i < rs.recordCount(); ++i)
        out << rs.value(i, 0).toString();
    return out;
}

int count(const QString &sql)
{
    return DbConnection::queryValue(sql).toInt();
}

// Writes a database file by hand at a given version: the version-0 tables
// plus the columns of the steps up to `version`.
void writeOldDatabase(const QString &file, int version, const QVariant &versionRow)
{
    const QString conn = QStringLiteral("old");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery q(db);
        const QStringList ddl = {
            "CREATE TABLE Cabinet (CabinetId INTEGER PRIMARY KEY AUTOINCREMENT, Name VARCHAR(80), [Password] VARCHAR(10), Description TEXT)",
            "CREATE TABLE Drawer (DrawerId INTEGER PRIMARY KEY AUTOINCREMENT, CabinetId INTEGER NOT NULL, Name VARCHAR(80), Description TEXT)",
            "CREATE TABLE Folder (FolderId INTEGER PRIMARY KEY AUTOINCREMENT, DrawerId INTEGER NOT NULL, Name VARCHAR(80), Description TEXT)",
            "CREATE TABLE Document (DocumentId INTEGER PRIMARY KEY AUTOINCREMENT, FolderId INTEGER NOT NULL, Name VARCHAR(80), Description TEXT, DateOnDocument TEXT, Amount REAL)",
            "CREATE TABLE Page (PageId INTEGER PRIMARY KEY AUTOINCREMENT, DocumentId INTEGER NOT NULL, Name VARCHAR(80), PageNumber INTEGER, FileSize INTEGER, ZoomFactor INTEGER, XOff INTEGER, YOff INTEGER, InternalStatus VARCHAR(2), ScanDate TEXT)",
            "CREATE TABLE Version (Version INTEGER)",
        };
        for (const QString &s : ddl)
            QVERIFY2(q.exec(s), qPrintable(q.lastError().text()));
        if (version >= 1) {
            QVERIFY(q.exec("ALTER TABLE Cabinet ADD COLUMN Storage INTEGER"));
            QVERIFY(q.exec("ALTER TABLE Cabinet ADD COLUMN StoragePath VARCHAR(250) NULL"));
            QVERIFY(q.exec("ALTER TABLE Page ADD COLUMN Filename VARCHAR(250) NULL"));
        }
        QVERIFY(q.exec("INSERT INTO Page (DocumentId, PageNumber) VALUES (1, 1)"));
        if (versionRow.isValid()) {
            q.prepare("INSERT INTO Version (Version) VALUES (?)");
            q.addBindValue(versionRow);
            QVERIFY(q.exec());
        }
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(conn);
}

} // namespace

class DatabaseTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { DbConnection::close(); }

    // A first start builds the tables, upgrades them to version 4 and keeps
    // exactly one Version row.
    void freshStartReachesCurrentVersion()
    {
        TestEnvironment::freshDataFolder();
        QVERIFY(!QFile::exists(Database::databaseFile()));
        Database::OpenDatabase();
        QVERIFY(QFile::exists(Database::databaseFile()));
        QVERIFY(!QFile::exists(Database::databaseFile() + ".tmp"));
        Database::UpdateDatabase();
        QCOMPARE(count("SELECT count(*) FROM Version"), 1);
        QCOMPARE(Database::readDbVersion(), 4);
        const QStringList cabinet = columnsOf("Cabinet");
        QCOMPARE(cabinet, (QStringList{"CabinetId", "Name", "Password", "Description", "Storage", "StoragePath"}));
        QCOMPARE(columnsOf("Page"),
                 (QStringList{"PageId", "DocumentId", "Name", "PageNumber", "FileSize", "ZoomFactor", "XOff",
                              "YOff", "InternalStatus", "ScanDate", "Filename", "Filetype", "ShortcutYN"}));
        QCOMPARE(columnsOf("Folder"), (QStringList{"FolderId", "DrawerId", "Name", "Description", "Email"}));
        QCOMPARE(columnsOf("Document"),
                 (QStringList{"DocumentId", "FolderId", "Name", "Description", "DateOnDocument", "Amount"}));
        // Opening again changes nothing.
        DbConnection::close();
        Database::OpenDatabase();
        Database::UpdateDatabase();
        QCOMPARE(count("SELECT count(*) FROM Version"), 1);
        QCOMPARE(Database::readDbVersion(), 4);
    }

    void upgradesFromOlderVersions_data()
    {
        QTest::addColumn<int>("built");
        QTest::addColumn<QVariant>("versionRow");
        QTest::newRow("version 1") << 1 << QVariant(1);
        QTest::newRow("version 0 row") << 0 << QVariant(0);
        QTest::newRow("Null version") << 0 << QVariant(QMetaType(QMetaType::Int));
        QTest::newRow("no version row") << 0 << QVariant();
        QTest::newRow("version 3 row, columns of 1") << 1 << QVariant(3);
    }
    // Existing pages get the "JPG" file type when step 2 runs; a version row
    // that is missing or Null counts as 0.
    void upgradesFromOlderVersions()
    {
        QFETCH(int, built);
        QFETCH(QVariant, versionRow);
        TestEnvironment::freshDataFolder();
        writeOldDatabase(Database::databaseFile(), built, versionRow);
        Database::OpenDatabase();
        Database::UpdateDatabase();
        QCOMPARE(Database::readDbVersion(), 4);
        QCOMPARE(count("SELECT count(*) FROM Version"), 1);
        QVERIFY(Database::tableHasColumn("Folder", "Email"));
        if (versionRow.toInt() < 3) {
            QVERIFY(Database::tableHasColumn("Page", "ShortcutYN"));
            QCOMPARE(DbConnection::queryValue("SELECT Filetype FROM Page").toString(), QStringLiteral("JPG"));
        }
    }

    void newerDatabaseIsLeftAlone()
    {
        TestEnvironment::freshDataFolder();
        writeOldDatabase(Database::databaseFile(), 1, 5);
        Database::OpenDatabase();
        Database::UpdateDatabase();
        QCOMPARE(Database::readDbVersion(), 5);
        QVERIFY(!Database::tableHasColumn("Page", "Filetype"));
        QVERIFY(!Database::tableHasColumn("Folder", "Email"));
    }

    // A step that fails half-way leaves neither its first column nor a new
    // version behind, and the next start completes the upgrade.
    void failedStepRollsBackAndNextStartSucceeds()
    {
        TestEnvironment::freshDataFolder();
        Database::OpenDatabase();
        // The version read, BEGIN, then per column a look-up and an ALTER:
        // the sixth statement is the second ALTER.
        DbConnection::failAfterStatements(6);
        QVERIFY_THROWS_EXCEPTION(AppError, Database::UpdateDatabase());
        DbConnection::failAfterStatements(0);
        QCOMPARE(Database::readDbVersion(), 0);
        QVERIFY(!Database::tableHasColumn("Cabinet", "Storage"));
        DbConnection::close();

        Database::OpenDatabase();
        Database::UpdateDatabase();
        QCOMPARE(Database::readDbVersion(), 4);
        QVERIFY(Database::tableHasColumn("Cabinet", "Storage"));
        QVERIFY(Database::tableHasColumn("Cabinet", "StoragePath"));
    }

    // A column that exists although the version row says otherwise is
    // skipped instead of stopping every start.
    void columnAheadOfVersionIsSkipped()
    {
        TestEnvironment::openFreshDatabase();
        Database::SetDbVersion(2);
        Database::UpdateDatabase();
        QCOMPARE(Database::readDbVersion(), 4);
    }

    // Ids name page files and tree keys: deleting the newest row must not
    // hand its id out again.
    void idsAreNeverReused()
    {
        TestEnvironment::openFreshDatabase();
        for (const char *table : {"Cabinet", "Page"}) {
            const QString t = QLatin1String(table);
            const QString insert = t == "Cabinet" ? "INSERT INTO Cabinet (Name) VALUES ('a')"
                                                  : "INSERT INTO Page (DocumentId) VALUES (1)";
            DbConnection::execute(insert);
            DbConnection::execute(insert);
            const qint64 last = DbConnection::lastInsertId();
            DbConnection::execute(QStringLiteral("DELETE FROM %1 WHERE %1Id = %2").arg(t).arg(last));
            DbConnection::execute(insert);
            QCOMPARE(DbConnection::lastInsertId(), last + 1);
        }
    }

    // Names compare without regard to letter case.
    void namesCompareWithoutCase()
    {
        TestEnvironment::openFreshDatabase();
        DbConnection::execute("INSERT INTO Cabinet (Name) VALUES ('Taxes')");
        QCOMPARE(count("SELECT count(*) FROM Cabinet WHERE Name = 'TAXES'"), 1);
    }

    // A template in the data folder is copied, then upgraded from the
    // version it records.
    void templateIsCopiedAndUpgraded()
    {
        const QString dir = TestEnvironment::freshDataFolder();
        writeOldDatabase(dir + "/empty.mdb", 1, 1);
        Database::OpenDatabase();
        Database::UpdateDatabase();
        QCOMPARE(Database::readDbVersion(), 4);
        QCOMPARE(count("SELECT count(*) FROM Page"), 1);
        QVERIFY(QFile::exists(dir + "/empty.mdb"));
    }

    // A file that is not a database is refused and left as it was.
    void corruptFileIsRefusedUntouched()
    {
        TestEnvironment::freshDataFolder();
        QFile f(Database::databaseFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("This is not a database, it is a letter to the tax office.\n");
        f.close();
        QVERIFY_THROWS_EXCEPTION(AppError, Database::OpenDatabase());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("This is not a database, it is a letter to the tax office.\n"));
    }

    void driverIsAvailable()
    {
        QString message;
        QVERIFY2(Database::checkDatabaseDriver(&message), qPrintable(message));
    }
};

VLM_TEST_GUILESS_MAIN(DatabaseTest)
#include "DatabaseTest.moc"

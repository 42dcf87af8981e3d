#include "Database.h"

#include "DataFolder.h"
#include "DbConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

using DbConnection::Execute;

namespace {

// The version-0 tables. Ids never get reused (AUTOINCREMENT): they name page
// files and tree keys. Names compare without regard to case, as the filing
// rules expect.
const char *const kSchema[] = {
    "CREATE TABLE Cabinet (CabinetId INTEGER PRIMARY KEY AUTOINCREMENT,"
    " Name VARCHAR(80) COLLATE NOCASE, [Password] VARCHAR(10), Description TEXT)",
    "CREATE TABLE Drawer (DrawerId INTEGER PRIMARY KEY AUTOINCREMENT,"
    " CabinetId INTEGER NOT NULL, Name VARCHAR(80) COLLATE NOCASE, Description TEXT)",
    "CREATE INDEX Drawer_CabinetId ON Drawer(CabinetId)",
    "CREATE TABLE Folder (FolderId INTEGER PRIMARY KEY AUTOINCREMENT,"
    " DrawerId INTEGER NOT NULL, Name VARCHAR(80) COLLATE NOCASE, Description TEXT)",
    "CREATE INDEX Folder_DrawerId ON Folder(DrawerId)",
    "CREATE TABLE Document (DocumentId INTEGER PRIMARY KEY AUTOINCREMENT,"
    " FolderId INTEGER NOT NULL, Name VARCHAR(80) COLLATE NOCASE, Description TEXT,"
    " DateOnDocument TEXT, Amount REAL)",
    "CREATE INDEX Document_FolderId ON Document(FolderId)",
    "CREATE TABLE Page (PageId INTEGER PRIMARY KEY AUTOINCREMENT,"
    " DocumentId INTEGER NOT NULL, Name VARCHAR(80), PageNumber INTEGER, FileSize INTEGER,"
    " ZoomFactor INTEGER, XOff INTEGER, YOff INTEGER, InternalStatus VARCHAR(2),"
    " ScanDate TEXT)",
    "CREATE INDEX Page_DocumentId ON Page(DocumentId, PageNumber)",
    "CREATE TABLE Version (Version INTEGER NOT NULL)",
};

struct AddColumn
{
    const char *table;
    const char *column;
    const char *sql;
};

// Runs one upgrade step: its column additions (each skipped when the column
// is already there, so a database whose columns ran ahead of its version row
// still starts), its other statements, and the new version, all in one
// transaction.
void runStep(int version, std::initializer_list<AddColumn> columns,
             std::initializer_list<const char *> statements = {})
{
    DbConnection::Transaction tx;
    for (const AddColumn &c : columns) {
        if (!Database::HasColumn(QLatin1String(c.table), QLatin1String(c.column)))
            Execute(QLatin1String(c.sql));
    }
    for (const char *sql : statements)
        Execute(QLatin1String(sql));
    Database::SetDbVersion(version);
    tx.commit();
}

void buildSchema(const QString &fileName)
{
    const QString conn = QStringLiteral("vlm-create");
    DbError failure;
    bool failed = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
        db.setDatabaseName(fileName);
        if (!db.open()) {
            failure = sqlError(db.lastError(), fileName);
            failed = true;
        } else {
            QSqlQuery q(db);
            db.transaction();
            for (const char *sql : kSchema) {
                if (!q.exec(QLatin1String(sql))) {
                    failure = sqlError(q.lastError(), QLatin1String(sql));
                    failed = true;
                    break;
                }
            }
            if (failed)
                db.rollback();
            else if (!db.commit()) {
                failure = sqlError(db.lastError(), fileName);
                failed = true;
            }
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(conn);
    if (failed)
        throw failure;
}

} // namespace

namespace Database {

QString DatabaseFile()
{
    return DataFolder::filePath(QStringLiteral("vlm.mdb"));
}

bool CheckDatabaseDriver(QString *message)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        if (message)
            *message = QStringLiteral("The SQLite database driver of Qt (qt6 sqlite plugin) is not installed.");
        return false;
    }
    QString version;
    const QString conn = QStringLiteral("vlm-check");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("SELECT sqlite_version()")) && q.next())
                version = q.value(0).toString();
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(conn);
    const QStringList parts = version.split(QLatin1Char('.'));
    const int major = parts.value(0).toInt();
    const int minor = parts.value(1).toInt();
    if (major > 3 || (major == 3 && minor >= 35))
        return true;
    if (message)
        *message = QStringLiteral("SQLite 3.35 or later is needed; this system has %1.")
                       .arg(version.isEmpty() ? QStringLiteral("none that works") : version);
    return false;
}

void CreateDatabase(const QString &fileName)
{
    const QString temp = fileName + QStringLiteral(".tmp");
    QFile::remove(temp);
    const QString tmpl = QFileInfo(fileName).absoluteDir().filePath(QStringLiteral("empty.mdb"));
    try {
        if (QFileInfo::exists(tmpl)) {
            QFile src(tmpl);
            if (!src.copy(temp))
                throw fileError(src, tmpl);
        } else {
            buildSchema(temp);
        }
        QFile made(temp);
        if (!made.rename(fileName))
            throw fileError(made, fileName);
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
}

void CreateDatabase()
{
    CreateDatabase(DatabaseFile());
}

void OpenDatabase(const QString &fileName)
{
    if (!QFileInfo::exists(fileName))
        CreateDatabase(fileName);
    DbConnection::open(fileName);
}

void OpenDatabase()
{
    OpenDatabase(DatabaseFile());
}

int ReadDbVersion()
{
    const QVariant v = DbConnection::QueryValue(QStringLiteral("SELECT Version FROM Version"));
    return v.isNull() ? 0 : v.toInt();
}

void UpdateDatabase()
{
    int version = ReadDbVersion();
    if (version == 0) {
        UpgradeDbToVersion1();
        version = 1;
    }
    if (version == 1) {
        UpgradeDbToVersion2();
        version = 2;
    }
    if (version == 2) {
        UpgradeDbToVersion3();
        version = 3;
    }
    if (version == 3)
        UpgradeDbToVersion4();
}

void UpgradeDbToVersion1()
{
    runStep(1, {{"Cabinet", "Storage", "ALTER TABLE Cabinet ADD COLUMN Storage INTEGER"},
                {"Cabinet", "StoragePath", "ALTER TABLE Cabinet ADD COLUMN StoragePath VARCHAR(250) NULL"},
                {"Page", "Filename", "ALTER TABLE Page ADD COLUMN Filename VARCHAR(250) NULL"}});
}

void UpgradeDbToVersion2()
{
    runStep(2, {{"Page", "Filetype", "ALTER TABLE Page ADD COLUMN Filetype VARCHAR(3) NULL"}},
            {"UPDATE Page SET Filetype='JPG' WHERE Filetype IS NULL"});
}

void UpgradeDbToVersion3()
{
    runStep(3, {{"Page", "ShortcutYN", "ALTER TABLE Page ADD COLUMN ShortcutYN VARCHAR(1) NULL"}});
}

void UpgradeDbToVersion4()
{
    runStep(4, {{"Folder", "Email", "ALTER TABLE Folder ADD COLUMN Email VARCHAR(100) NULL"}});
}

void SetDbVersion(int version)
{
    DbConnection::Transaction tx;
    Execute(QStringLiteral("DELETE FROM Version"));
    Execute(QStringLiteral("INSERT INTO Version (Version) VALUES (?)"), {version});
    tx.commit();
}

bool HasColumn(const QString &table, const QString &column)
{
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table});
    for (int i = 0; i < rs.recordCount(); ++i) {
        if (rs.value(i, 0).toString().compare(column, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace Database

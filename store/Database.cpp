#include "store/Database.h"

#include "platform/DataFolder.h"
#include "platform/DbConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>

#include <cerrno>
#include <functional>
#include <optional>

using DbConnection::execute;

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
        if (!Database::tableHasColumn(QLatin1String(c.table), QLatin1String(c.column)))
            execute(QLatin1String(c.sql));
    }
    for (const char *sql : statements)
        execute(QLatin1String(sql));
    Database::SetDbVersion(version);
    tx.commit();
}

void buildSchema(const QString &fileName)
{
    const QString conn = QStringLiteral("vlm-create");
    AppError failure;
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

// The tables and the version-0 columns every Vellumark database has; a file
// without them belongs to another program.
const struct
{
    const char *table;
    const char *columns[4];
} kOurTables[] = {
    {"Cabinet", {"CabinetId", "Name", "Password", "Description"}},
    {"Drawer", {"DrawerId", "CabinetId", "Name", "Description"}},
    {"Folder", {"FolderId", "DrawerId", "Name", "Description"}},
    {"Document", {"DocumentId", "FolderId", "Name", "DateOnDocument"}},
    {"Page", {"PageId", "DocumentId", "PageNumber", "FileSize"}},
    {"Version", {"Version", nullptr, nullptr, nullptr}},
};

// SQLITE_NOTADB, the code SQLite itself gives such a file.
constexpr int kSqliteNotADatabase = 26;

quint32 bigEndian(const QByteArray &bytes, int at, int size)
{
    quint32 v = 0;
    for (int i = 0; i < size; ++i)
        v = (v << 8) | quint8(bytes.at(at + i));
    return v;
}

// The 100-byte SQLite header: the magic text, the page size and, when the
// header's own check says it is valid, the page count. A file shorter than
// page size times page count has lost its end.
void checkHeader(const QString &fileName)
{
    // QFile refuses a folder without setting errno; the number must still
    // be the system's own for it.
    if (QFileInfo(fileName).isDir())
        throw errnoError(EISDIR, fileName);
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw fileError(file, fileName);
    const QByteArray header = file.read(100);
    const qint64 size = file.size();
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        throw AppError(kSqliteNotADatabase, QStringLiteral("file is not a database"));
    quint32 pageSize = bigEndian(header, 16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    const quint32 pageCount = bigEndian(header, 28, 4);
    const bool countValid = pageCount != 0 && header.mid(24, 4) == header.mid(92, 4);
    if (countValid && size < qint64(pageSize) * pageCount)
        throw AppError(ErrorCode::DatabaseDamaged,
                       QStringLiteral("the file is cut short: it holds %1 bytes of %2").arg(size).arg(
                          qint64(pageSize) * pageCount));
}

bool hasColumn(QSqlDatabase &db, const char *table, const char *column)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    q.addBindValue(QLatin1String(table));
    if (!q.exec())
        throw sqlError(q.lastError());
    while (q.next()) {
        if (q.value(0).toString().compare(QLatin1String(column), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Opens a connection of its own on fileName with the URI query and options
// given, runs use on it, and closes it again, whatever use throws; an open
// that fails throws the driver's error.
void withSideConnection(const QString &connection, const QString &fileName, const QString &query,
                        const QString &options, const std::function<void(QSqlDatabase &)> &use)
{
    std::optional<AppError> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        QUrl url = QUrl::fromLocalFile(fileName);
        url.setQuery(query);
        db.setDatabaseName(url.toString(QUrl::FullyEncoded));
        db.setConnectOptions(options);
        if (!db.open()) {
            failure = sqlError(db.lastError(), fileName);
        } else {
            try {
                use(db);
            } catch (const AppError &e) {
                failure = e;
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (failure)
        throw *failure;
}

void checkSchema(const QString &fileName)
{
    // Read-only and immutable: recognising the file must not change a byte
    // of it nor leave a journal, WAL or lock file beside it.
    withSideConnection(QStringLiteral("vlm-recognise"), fileName, QStringLiteral("mode=ro&immutable=1"),
                       QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"), [](QSqlDatabase &db) {
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
            throw sqlError(probe.lastError());
        probe.finish();
        for (const auto &t : kOurTables) {
            for (const char *column : t.columns) {
                if (column && !hasColumn(db, t.table, column))
                    throw AppError(ErrorCode::NotOurDatabase, QStringLiteral("it has no %1 column in a %2 table")
                                                                 .arg(QLatin1String(column), QLatin1String(t.table)));
            }
        }
    });
}

bool isReadOnly(const QString &fileName)
{
    const QFileInfo info(fileName);
    // The permission bits too: the tests and an administrator run as root,
    // whom the system lets write anything.
    const QFile::Permissions write = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !info.isWritable() || !(info.permissions() & write);
}

bool nonEmptyFile(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.isFile() && info.size() > 0;
}

QString journalWithoutDatabaseText(const QString &fileName)
{
    const QString journal = fileName + DataFolder::JournalSuffix;
    const QString left = nonEmptyFile(journal) ? journal : fileName + DataFolder::WalSuffix;
    return QStringLiteral("\"%1\" holds an unfinished change, but its database is %2")
        .arg(left, QFileInfo::exists(fileName) ? QStringLiteral("empty") : QStringLiteral("missing"));
}

// Opens the file as the program would, so that SQLite finds the journal
// hot and rolls it back (or checkpoints a write-ahead log), then closes
// again. mode=rw: the file is never created here.
void rollBackJournal(const QString &fileName)
{
    withSideConnection(QStringLiteral("vlm-recover"), fileName, QStringLiteral("mode=rw"),
                       QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"), [&](QSqlDatabase &db) {
        QSqlQuery read(db);
        if (!read.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
            throw sqlError(read.lastError(), fileName);
    });
}

} // namespace

namespace Database {

bool hasJournal(const QString &fileName)
{
    return nonEmptyFile(fileName + DataFolder::JournalSuffix) || nonEmptyFile(fileName + DataFolder::WalSuffix);
}

void recoverDatabase(const QString &fileName)
{
    if (!hasJournal(fileName))
        return;
    const QFileInfo info(fileName);
    // SQLite deletes the journal of an empty file as obsolete; that journal
    // may belong to a database that was moved away and is put back later.
    if (!info.exists() || (info.isFile() && info.size() == 0))
        throw AppError(ErrorCode::JournalWithoutDatabase, journalWithoutDatabaseText(fileName));
    if (!info.isFile())
        return;  // a folder or such: the checks say what it is
    if (isReadOnly(fileName))
        throw AppError(ErrorCode::DatabaseReadOnly,
                       QStringLiteral("the file is read-only, and an unfinished change must be undone in it"));
    rollBackJournal(fileName);
}

void checkDatabaseFile(const QString &fileName)
{
    recoverDatabase(fileName);
    checkHeader(fileName);
    checkSchema(fileName);
    if (isReadOnly(fileName))
        throw AppError(ErrorCode::DatabaseReadOnly, QStringLiteral("the file is read-only"));
}


QString databaseFile()
{
    return DataFolder::databaseFile();
}

bool checkDatabaseDriver(QString *message)
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
    if (hasJournal(fileName))
        throw AppError(ErrorCode::JournalWithoutDatabase, journalWithoutDatabaseText(fileName));
    const QString temp = fileName + QStringLiteral(".tmp");
    // A journal of a killed earlier attempt would be played into the new
    // temporary file.
    QFile::remove(temp + DataFolder::JournalSuffix);
    QFile::remove(temp);
    const QString tmpl = QFileInfo(fileName).absoluteDir().filePath(DataFolder::TemplateDatabaseName);
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
    CreateDatabase(databaseFile());
}

void OpenDatabase(const QString &fileName)
{
    if (!QFileInfo::exists(fileName))
        CreateDatabase(fileName);
    DbConnection::open(fileName);
}

void OpenDatabase()
{
    OpenDatabase(databaseFile());
}

int readDbVersion()
{
    const QVariant v = DbConnection::queryValue(QStringLiteral("SELECT Version FROM Version"));
    return v.isNull() ? 0 : v.toInt();
}

void UpdateDatabase()
{
    int version = readDbVersion();
    if (version == 0) {
        UpgradeDbToVersion1();
        version = 1;
    }
    if (version == 1) {
        upgradeDbToVersion2();
        version = 2;
    }
    if (version == 2) {
        upgradeDbToVersion3();
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

void upgradeDbToVersion2()
{
    runStep(2, {{"Page", "Filetype", "ALTER TABLE Page ADD COLUMN Filetype VARCHAR(3) NULL"}},
            {"UPDATE Page SET Filetype='JPG' WHERE Filetype IS NULL"});
}

void upgradeDbToVersion3()
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
    execute(QStringLiteral("DELETE FROM Version"));
    execute(QStringLiteral("INSERT INTO Version (Version) VALUES (?)"), {version});
    tx.commit();
}

bool tableHasColumn(const QString &table, const QString &column)
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

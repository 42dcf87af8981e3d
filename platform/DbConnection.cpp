#include "platform/DbConnection.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QHash>
#include <QSqlQuery>

#include <optional>
#include <utility>

#include <sqlite3.h>

#include "platform/PlatformLog.h"

namespace {

const QString kConnection = QStringLiteral("vlm");
int g_transactionDepth = 0;
int g_failCountdown = 0;
// Set when SQLite ended the open transaction by itself: after a full disk,
// an I/O error or running out of memory it may roll the whole transaction
// back, savepoints included. Until the outermost Transaction ends, every
// statement fails with this error, so that nothing of the unit runs on in
// autocommit mode, one committed row at a time.
std::optional<AppError> g_abandoned;

void checkFault()
{
    if (g_failCountdown > 0 && --g_failCountdown == 0)
        throw AppError(ErrorCode::InjectedFailure, QStringLiteral("Injected failure"));
}

void checkAbandoned()
{
    if (g_transactionDepth > 0 && g_abandoned)
        throw *g_abandoned;
}

// True while SQLite holds a transaction open on the connection.
bool sqliteInTransaction()
{
    const QVariant handle = QSqlDatabase::database(kConnection, false).driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3 *db = *static_cast<sqlite3 *const *>(handle.constData());
    return db != nullptr && sqlite3_get_autocommit(db) == 0;
}

// The error of a failed statement; notes when it ended the transaction the
// statement ran in.
AppError failed(AppError error)
{
    if (g_transactionDepth > 0 && !g_abandoned && !sqliteInTransaction()) {
        g_abandoned = error;
        qCWarning(lcPlatform) << "SQLite ended the transaction:" << error.code << error.text;
        return *g_abandoned;
    }
    return error;
}

// Statements prepared once and run again: SQLite compiles a statement in
// about the time it takes to run a small one, and imports run the same few
// statements for every file. Each caller reads its rows before the next
// statement runs, so one prepared query per text suffices; finish() after
// use leaves it holding no lock. Emptied when the connection closes.
constexpr int kCachedStatements = 64;
// Never destroyed: at exit it may outlive the driver.
QHash<QString, QSqlQuery> &g_statements = *new QHash<QString, QSqlQuery>;

// The cached query for sql. The reference holds until the next statement is
// prepared (which may empty or grow the cache), so a caller is done with it
// before it runs another one; QSqlQuery is not meant to be copied.
QSqlQuery &prepared(const QString &sql)
{
    const auto found = g_statements.find(sql);
    if (found != g_statements.end())
        return *found;
    QSqlQuery q(DbConnection::database());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw failed(sqlError(q.lastError(), sql));
    if (g_statements.size() >= kCachedStatements)
        g_statements.clear();
    return *g_statements.emplace(sql, std::move(q));
}

// The query, run; the caller reads what it needs, then calls done(), before
// it runs another statement.
QSqlQuery &run(const QString &sql, const QVariantList &binds)
{
    checkAbandoned();
    checkFault();
    QSqlQuery &q = prepared(sql);
    for (int i = 0; i < binds.size(); ++i)
        q.bindValue(i, binds.at(i));
    if (!q.exec()) {
        const AppError error = sqlError(q.lastError(), sql);
        q.finish();
        throw failed(error);
    }
    return q;
}

void done(QSqlQuery &q)
{
    q.finish();
}

void runDone(const QString &sql)
{
    QSqlQuery &q = run(sql, {});
    done(q);
}

qint64 g_lastInsertId = 0;

} // namespace

namespace DbConnection {

void open(const QString &fileName)
{
    close();
    std::optional<AppError> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
        db.setDatabaseName(fileName);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.isValid())
            failure = AppError(ErrorCode::DriverMissing, QStringLiteral("The SQLite database driver of Qt is not installed."));
        else if (!db.open())
            failure = sqlError(db.lastError(), fileName);
    }
    if (failure) {
        close();
        throw *failure;
    }
    try {
        // SQLite opens any file; the first read tells whether it is a database.
        QSqlQuery &probe = run(QStringLiteral("SELECT count(*) FROM sqlite_master"), {});
        done(probe);
        QSqlQuery &journal = run(QStringLiteral("PRAGMA journal_mode=DELETE"), {});
        done(journal);
        // A commit is on the disk when it returns: FULL syncs the database
        // but not the removal of its journal, which a power cut right after
        // could bring back and play, undoing a commit the user was told of.
        QSqlQuery &synchronous = run(QStringLiteral("PRAGMA synchronous=EXTRA"), {});
        done(synchronous);
    } catch (const AppError &) {
        close();
        throw;
    }
}

void close()
{
    if (!QSqlDatabase::contains(kConnection))
        return;
    g_statements.clear();
    {
        QSqlDatabase db = QSqlDatabase::database(kConnection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(kConnection);
    g_transactionDepth = 0;
    g_abandoned.reset();
}

bool isOpen()
{
    return QSqlDatabase::contains(kConnection)
        && QSqlDatabase::database(kConnection, false).isOpen();
}

QString fileName()
{
    if (!QSqlDatabase::contains(kConnection))
        return {};
    return QSqlDatabase::database(kConnection, false).databaseName();
}

QSqlDatabase database()
{
    if (!isOpen())
        throw AppError(ErrorCode::NotOpen, QStringLiteral("The database is not open."));
    return QSqlDatabase::database(kConnection, false);
}

void execute(const QString &sql, const QVariantList &binds)
{
    QSqlQuery &q = run(sql, binds);
    const QVariant id = q.lastInsertId();
    if (id.isValid())
        g_lastInsertId = id.toLongLong();
    done(q);
}

Recordset OpenRecordset(const QString &sql, const QVariantList &binds)
{
    QSqlQuery &q = run(sql, binds);
    Recordset rs(q);
    done(q);
    return rs;
}

QVariant queryValue(const QString &sql, const QVariantList &binds)
{
    QSqlQuery &q = run(sql, binds);
    QVariant value = q.next() ? q.value(0) : QVariant();
    done(q);
    return value;
}

qint64 lastInsertId()
{
    return g_lastInsertId;
}

Statement::Statement(const QString &sql)
    : m_query(new QSqlQuery(database())), m_sql(sql)
{
    if (!m_query->prepare(sql)) {
        const AppError err = sqlError(m_query->lastError(), sql);
        delete m_query;
        throw err;
    }
}

Statement::~Statement()
{
    delete m_query;
}

void Statement::run(const QVariantList &binds)
{
    checkAbandoned();
    checkFault();
    for (int i = 0; i < binds.size(); ++i)
        m_query->bindValue(i, binds.at(i));
    if (!m_query->exec())
        throw failed(sqlError(m_query->lastError(), m_sql));
    const QVariant id = m_query->lastInsertId();
    if (id.isValid())
        g_lastInsertId = id.toLongLong();
}

qint64 Statement::lastInsertId() const
{
    return m_query->lastInsertId().toLongLong();
}

Transaction::Transaction() : m_depth(g_transactionDepth)
{
    if (m_depth == 0)
        runDone(QStringLiteral("BEGIN IMMEDIATE"));
    else
        runDone(QStringLiteral("SAVEPOINT sp%1").arg(m_depth));
    ++g_transactionDepth;
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    g_transactionDepth = m_depth;
    if (g_abandoned) {
        // SQLite has rolled everything back already; there is no savepoint
        // left to roll back to.
        if (m_depth == 0)
            g_abandoned.reset();
        return;
    }
    try {
        if (m_depth == 0) {
            runDone(QStringLiteral("ROLLBACK"));
        } else {
            runDone(QStringLiteral("ROLLBACK TO sp%1").arg(m_depth));
            runDone(QStringLiteral("RELEASE sp%1").arg(m_depth));
        }
    } catch (const AppError &e) {
        qCWarning(lcPlatform) << "rollback failed:" << e.text;
    }
}

void Transaction::commit()
{
    if (m_depth == 0)
        runDone(QStringLiteral("COMMIT"));
    else
        runDone(QStringLiteral("RELEASE sp%1").arg(m_depth));
    m_done = true;
    g_transactionDepth = m_depth;
}

void failAfterStatements(int n)
{
    g_failCountdown = n;
}

} // namespace DbConnection

QString NullToEmpty(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    return value.toString();
}

QVariant dateValue(const QDate &date)
{
    if (!date.isValid())
        return QVariant(QMetaType(QMetaType::QString));
    return date.toString(Qt::ISODate);
}

QDate dateFromValue(const QVariant &value)
{
    if (value.isNull())
        return {};
    return QDate::fromString(value.toString().left(10), Qt::ISODate);
}

#pragma once

#include "platform/AppError.h"
#include "platform/Recordset.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVariantList>

class QSqlDatabase;
class QSqlQuery;

// The program's one database connection, open from start-up to exit, and the
// SQL helpers every writer uses. Every function that reaches SQLite throws
// AppError on failure.
namespace DbConnection {

// Opens the SQLite file (which must exist) and runs a probe query, so that a
// file that is not a database fails here and is left untouched.
void open(const QString &fileName);
void close();
bool isOpen();
QString fileName();
QSqlDatabase database();

// Runs one statement; each value in binds fills a "?" placeholder.
void execute(const QString &sql, const QVariantList &binds = {});
// Runs a query and returns a snapshot of all its rows.
Recordset OpenRecordset(const QString &sql, const QVariantList &binds = {});
// The first column of the first row, or a null QVariant when there is none.
QVariant queryValue(const QString &sql, const QVariantList &binds = {});
// The id SQLite gave the last row inserted on this connection.
qint64 lastInsertId();

// A statement prepared once and run many times (bulk inserts, benchmarks).
class Statement
{
public:
    explicit Statement(const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    void run(const QVariantList &binds);
    qint64 lastInsertId() const;

private:
    QSqlQuery *m_query;
    QString m_sql;
};

// One unit of change: BEGIN in the constructor, COMMIT on commit(), ROLLBACK
// when destroyed uncommitted (an exception on the way out). Nested
// transactions become savepoints of the outer one.
class Transaction
{
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();

private:
    int m_depth;
    bool m_done = false;
};

// Test hook: when set, Execute throws for the n-th statement from now on
// (1 = the next one), then clears itself. Lets tests break a multi-step
// change half-way.
void failAfterStatements(int n);

} // namespace DbConnection

// An empty text for a Null (or invalid) value, else the value as text.
QString NullToEmpty(const QVariant &value);
// The value to bind for a date column: ISO text, or Null for an invalid date.
QVariant dateValue(const QDate &date);
// A stored date column back to a QDate (invalid for Null or bad text).
QDate dateFromValue(const QVariant &value);

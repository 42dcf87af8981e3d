#pragma once

#include <QString>

#include <exception>

class QFileDevice;
class QSqlError;

// The numbers of failures that are neither SQLite's nor the system's. They
// lie above every SQLite extended result code and every errno value, so
// "Error # <n>" always tells the three apart.
enum class ErrorCode : int {
    Unexpected = 10000,    // an exception that is not one of ours
    InjectedFailure,       // the test fault hook
    NotOpen,               // the database is not open
    NotOurDatabase,        // a SQLite file that is not a Vellumark database
    DatabaseDamaged,       // our schema, but cut short or inconsistent
    DatabaseReadOnly,      // the database file cannot be written
    DataFolderUnwritable,  // the data folder cannot be written
    AlreadyRunning,        // another vlm holds the data folder's lock
    RecordMissing,         // the row a command works on is gone
    UnsafePath,            // a stored file name outside the page folders
    LaunchFailed,          // no program could be started
    InvalidValue,          // a value that cannot be stored
    DriverMissing,         // Qt's SQLite driver is not installed
    PrintFailed,           // a print job the printer did not take
    JournalWithoutDatabase, // an unfinished commit's journal, its database missing
    StorageUnavailable,    // a cabinet's storage folder holds none of its pages' files
};

// The one error type of the store. It is thrown inside the store and caught
// at the boundary of every event handler (guard()), where it is shown as
// "Error # <code> <text>"; it never crosses the Qt event loop.
struct AppError : std::exception
{
    int code = 0;      // SQLite's extended result code, errno, or an ErrorCode
    QString text;      // readable description

    AppError() = default;
    AppError(int c, QString t) : code(c), text(std::move(t)), m_what(text.toUtf8()) {}
    AppError(ErrorCode c, QString t) : AppError(int(c), std::move(t)) {}
    const char *what() const noexcept override { return m_what.constData(); }

    // "Error # 1 no such table: Foo", the form every message box shows.
    QString message() const { return QStringLiteral("Error # %1 %2").arg(code).arg(text); }

private:
    QByteArray m_what;
};

// The failure of a query: SQLite's extended result code and its text
// (context, such as the statement's purpose, when the driver gives none).
AppError sqlError(const QSqlError &error, const QString &context = QString());
// The failure of a file operation on path: the errno of the failing call
// (read right after it failed, else derived from the device's error) and
// the device's description.
AppError fileError(const QFileDevice &file, const QString &path);
// The failure of a system call on path, from its errno.
AppError errnoError(int errnoValue, const QString &path);

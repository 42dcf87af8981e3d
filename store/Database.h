#pragma once

#include <QString>

// The schema of "vlm.mdb": its creation, opening and upgrade to the current
// version. Every function throws AppError on failure.
namespace Database {

inline constexpr int CurrentVersion = 4;

// "vlm.mdb" in the data folder.
QString databaseFile();

// True when Qt's SQLite driver is installed and SQLite is recent enough;
// otherwise false with the message to show.
bool checkDatabaseDriver(QString *message);

// Creates the database file at version 0: a copy of "empty.mdb" when the
// data folder has one, else the tables built by code. The file is built
// under a temporary name and renamed into place, so a failure leaves no
// half-made database behind. Refused (ErrorCode::JournalWithoutDatabase)
// while a journal of the missing file is left: SQLite would play it into
// the new file and corrupt it, and the journal may be the only copy of what
// the missing database needs to become whole again.
void CreateDatabase(const QString &fileName);
void CreateDatabase();

// True when a journal ("-journal") or write-ahead log ("-wal") that is not
// empty lies beside the file: a commit that never ended, which only SQLite
// may judge and undo.
bool hasJournal(const QString &fileName);

// When a journal is left beside the file (hasJournal), lets SQLite undo the
// unfinished commit by opening the file read-write once with a connection
// of its own; otherwise does nothing. Throws AppError:
// ErrorCode::JournalWithoutDatabase when the file is missing or empty
// (SQLite would then drop the journal, and with it the pages the database
// needs), ErrorCode::DatabaseReadOnly when the file cannot be written, or
// SQLite's own error.
void recoverDatabase(const QString &fileName);

// Checks an existing database file before anything may change it. First a
// journal left beside it is rolled back (recoverDatabase), since the file
// is only whole once that is done. Then, with a connection of its own that
// only reads: that it is an SQLite file (else the driver's "file is not a
// database", code 26; a folder gives EISDIR), that it is not shorter than
// its header says (ErrorCode::DatabaseDamaged), that it holds the filing
// store's tables (ErrorCode::NotOurDatabase, naming the first table or
// column missing) and that it can be written (ErrorCode::DatabaseReadOnly).
// Apart from the rollback, the file is left byte for byte as it was.
// Throws AppError.
void checkDatabaseFile(const QString &fileName);

// Creates the database when missing, then opens the program's connection.
void OpenDatabase(const QString &fileName);
void OpenDatabase();

// The version the open database records (0 for no row or a Null value).
int readDbVersion();
// Brings the open database to CurrentVersion, one step at a time; each step
// and its version row commit together. A database above it is left alone.
void UpdateDatabase();
void UpgradeDbToVersion1();
void upgradeDbToVersion2();
void upgradeDbToVersion3();
void UpgradeDbToVersion4();
void SetDbVersion(int version);

// Whether a table of the open database has a column.
bool tableHasColumn(const QString &table, const QString &column);

} // namespace Database

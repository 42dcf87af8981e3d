#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Files a test lays out or inspects byte for byte, past the code under test.
namespace TestFiles {

// Replaces the file at path with bytes; a file that cannot be opened fails
// the running test.
void write(const QString &path, const QByteArray &bytes);

// The bytes of the file at path; empty when it cannot be read.
QByteArray read(const QString &path);

// Creates a file (with bytes) or a folder under dir whose name is rawName
// byte for byte, a name that need not be valid in the system's encoding;
// a failure fails the running test.
void writeRaw(const QString &dir, const QByteArray &rawName, const QByteArray &bytes);
void makeRawDirectory(const QString &dir, const QByteArray &rawName);

// Creates the file <test root>/<name> and returns a path below it, where no
// folder or file can ever be made.
QString pathUnderFile(const QString &name);

// Points the data folder below a file (see pathUnderFile), so that nothing
// can be written there; until the next fresh data folder.
void blockDataFolder(const QString &name);

// Another program's SQLite file at path, made without our code by running
// the statements; a failure fails the running test.
void writeForeignDatabase(const QString &path, const QStringList &statements);

// The path <test root>/<name>; its folder is not made.
QString tempPath(const QString &name);
// The path <test root>/<name>, its folder made.
QString madeTempPath(const QString &name);

// Replaces the file at path with bytes, making its folder first; a failure
// fails the running test.
void writeFile(const QString &path, const QByteArray &bytes = QByteArrayLiteral("page"));

// The SHA-256 of the file at path (of nothing when it cannot be read).
QByteArray hashOf(const QString &path);

} // namespace TestFiles

#pragma once

#include <QString>
#include <QStringList>

// The plain text files users edit by hand next to the database (the drawer
// templates, the sample outline): reading them whatever editor saved them,
// their "KIND=value" lines, and replacing them without ever leaving a half
// written file behind.
namespace TextFile {

// One "KIND=value" line: kind is the first three characters of the line
// without its surrounding spaces, value the text after the first "=",
// trimmed of spaces (empty when there is no "=").
struct Entry
{
    QString kind;
    QString value;
};

// The text of a file's bytes: UTF-8, or Latin-1 when the bytes are not valid
// UTF-8 (a file saved in a Western code page); a leading byte-order mark is
// dropped. Never fails.
QString decode(const QByteArray &bytes);

// The lines of a text ended by CR LF, LF or a lone CR, in any mix. A line
// end at the very end ends the last line rather than starting an empty one;
// an empty text has no lines.
QStringList splitLines(QString text);

// The text without its leading and trailing spaces. Only the space character
// is trimmed: tabs and other white space stay.
QString trimSpaces(const QString &s);

// The entry a line holds, as described at Entry.
Entry entryOf(const QString &line);

// The lines joined, each one (the last too) ended by CR LF.
QString joinCrLf(const QStringList &lines);

// Reads the file at path and decodes it into *text. False, *text untouched,
// when there is no such file; throws AppError (the reason, after the path)
// when it exists but cannot be read, a folder in its place included.
bool read(const QString &path, QString *text);
// The same for a file that comes from outside the program (an imported
// tree): only a regular file of at most maxBytes is read, so a huge file
// or a device in its place costs nothing; anything else throws AppError
// (ErrorCode::InvalidValue, the path and the reason). With a root, the
// file is read only when it lies inside root once links are resolved (the
// file actually opened is the one checked): a link that leads out of the
// tree or nowhere throws the same way, so that no text from elsewhere on
// the machine lands in a record.
bool read(const QString &path, QString *text, qint64 maxBytes, const QString &root = QString());

// Replaces the file at path with text, written as UTF-8. The text goes to a
// temporary file renamed over the old one, so a failure (no folder, disk
// full, size limit) keeps the old file and leaves no temporary file; it then
// gives false and "Error # <code> <path>: <reason>" in *error (when given),
// the code being errno where the system gave one.
[[nodiscard]] bool write(const QString &path, const QString &text, QString *error);

} // namespace TextFile

#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The file-name rules of the file import: which files of a directory are
// imported, the file types the chooser offers, and the page number a file's
// name gives its page. A document made for a file is named after the file,
// extension included.
namespace ImportNames {

// The files an import takes from directory, by name without regard to
// case: not directories, not hidden, not one of the marker and description
// names, and passing extensionList ("" keeps all, NoFileTypesChosen none).
// Links, devices and names the system cannot decode are listed too, so
// that the import names them when it refuses them.
QStringList filesToImport(const QString &directory, const QString &extensionList);

// The chooser's list: the distinct upper-case extensions of the
// directory's files in first-seen order (names without extension and
// marker names included), at most MaxFileTypes.
inline constexpr int MaxFileTypes = 100;
QStringList listFileTypes(const QString &directory);
// ImportFileTypeList for the chosen types: each followed by a comma, or
// NoFileTypesChosen when none was chosen.
QString fileTypeListOf(const QStringList &chosen);

// What follows the last "."; the whole name without one; "" when the name
// ends in ".".
QString GetFileExtension(const QString &name);
// One of "vlm.txt", "cabinet.txt", "drawer.txt", "folder.txt",
// "document.txt", trimmed and without regard to case.
bool isMarkerName(const QString &name);
// The page number a file name gives: "Page 3.jpg" gives 3 (the number
// after "page ", halves rounded to even, 0 when none); nothing for any
// other name, and for a number no page can carry (above 2147483647).
std::optional<int> pageNumberOfName(const QString &name);
// The warning for a file whose name gives a page number no page can carry;
// "" for any other name.
QString pageNumberNote(const QString &name);

} // namespace ImportNames

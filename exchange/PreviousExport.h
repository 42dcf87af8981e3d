#pragma once

#include <QString>

#include <functional>
#include <optional>

#include "platform/AppError.h"

// An earlier export of a cabinet in the folder a new export goes to. Files
// are replaced by name, so without clearing, pages moved or deleted since
// would stay in the tree and come back on import. Only what an export
// wrote is ever removed, and no link is followed. Which files those are,
// its record says (ExportRecord): each of them still there, wherever in
// the tree's directories it lies:
//
//   <cabinet>/<drawer>/<folder>/<document>/<file>
//
// An export made before records were kept is judged by the names an
// export gives:
//
//   <cabinet>/Cabinet.txt                      the details
//   <cabinet>/<drawer>/Drawer.txt
//   <cabinet>/<drawer>/<folder>/Folder.txt
//   <cabinet>/<drawer>/<folder>/<document>/Document.txt
//   <cabinet>/<drawer>/<folder>/<document>/Page <n>.jpg, Page <n> (<k>).jpg
//
// A link standing for one of these files is removed itself; one standing
// for a directory is left as it is, and nothing below it is looked at.
// Anything else stays: the user's files anywhere, hidden directories,
// directories inside a document directory. Drawer, folder and document
// directories left empty are removed, so that a document that is gone
// does not come back as an empty one; one holding anything stays. The
// marker goes last of the export's files, once every other one is gone,
// so that while any is left the next export asks again. The record is
// emptied before it and removed after it: a marker found without its
// record would be judged by names.
namespace PreviousExport {

// The cabinet's directory folderName in destination when it holds an
// earlier export: a directory (not a link) holding the marker (a file, not
// a link), in any letter case. Nothing otherwise.
std::optional<QString> find(const QString &destination, const QString &folderName);

// The question asked before an export into such a directory.
QString question(const QString &cabinetFolder);

struct Cleared
{
    int removed = 0;             // files and directories removed
    // The first removal that failed, or a record that cannot be read; the
    // clearing ended there, the marker and the record left in place.
    std::optional<AppError> error;
};

// Removes from cabinetFolder what an earlier export wrote (see above).
// step is called before each file is removed, with its path relative to
// cabinetFolder.
Cleared clear(const QString &cabinetFolder, const std::function<void(const QString &relative)> &step = {});

} // namespace PreviousExport

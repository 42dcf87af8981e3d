#pragma once

#include <QString>

#include <functional>
#include <optional>

#include "platform/AppError.h"

// An earlier export of a cabinet in the folder a new export goes to. Files
// are replaced by name, so without clearing, pages moved or deleted since
// would stay in the tree and come back on import. Only what an export
// writes is ever removed, and no link is followed:
//
//   <cabinet>/VLM.txt, Cabinet.txt             the marker and the details
//   <cabinet>/<drawer>/Drawer.txt
//   <cabinet>/<drawer>/<folder>/Folder.txt
//   <cabinet>/<drawer>/<folder>/<document>/*   Document.txt and the page
//                                              files (every file the import
//                                              takes as a page)
//
// A link standing for one of these files is removed itself; one standing
// for a directory is left as it is, and nothing below it is looked at.
// Anything else stays: other files of the cabinet, drawer and folder
// directories, hidden entries, directories inside a document directory.
// Drawer, folder and document directories left empty are removed, so that
// a document that is gone does not come back as an empty one.
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
    bool stopped = false;        // step asked to stop
    std::optional<AppError> error;  // the first removal that failed; the clearing ended there
};

// Removes from cabinetFolder what an export writes (see above). step is
// called before each file is removed, with its path relative to
// cabinetFolder; false stops the clearing there.
Cleared clear(const QString &cabinetFolder, const std::function<bool(const QString &relative)> &step = {});

} // namespace PreviousExport

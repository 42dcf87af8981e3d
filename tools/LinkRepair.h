#pragma once

#include "tools/ToolResult.h"

// The repair of the filing hierarchy: Page rows whose image file is gone
// are deleted (with their thumbnails), and every row whose parent row is
// missing (a page without its document, a document without its folder, a
// folder without its drawer, a drawer without its cabinet) is moved under
// a chain of records all named "<Repaired Data>": one cabinet (open, no
// password), a drawer in it, a folder in that and a document in that. A
// chain from an earlier run is found by name and reused.
namespace LinkRepair {

inline const QString RepairedDataName = QStringLiteral("<Repaired Data>");

// Runs the five passes with a cancellable progress ("Repair broken links").
// A page whose file is missing is deleted only when the place it should lie
// in is there: the file's folder for a page with a stored file name, the
// "Pages" folder for the page store. Otherwise (an unmounted disk or share)
// the row is kept and counted as skipped. Each pass's changes are one
// transaction; thumbnails are deleted after it commits. A stop request
// ends the run after the current pass's changes are saved; passes after
// it do not run. A run that is not stopped then removes the files of the
// page store ("Pages", "Thumbs") named by a page id that has no row: what
// a run killed before its rows committed left at paths the next pages get.
//
// Refuses while vlm runs, warns when there is no "vlm.mdb" (and creates
// none). Reports "Repair broken links completed.\n<n> repairs made.", plus
// "<n> pages skipped (location not available)." when some were kept and
// "<n> page files without a page removed." when some were removed; a
// failure gives "Error # <n> occurred in FixBrokenLinks: <description>".
// Opens the program's connection for the run and closes it afterwards.
ToolResult FixBrokenLinks();

} // namespace LinkRepair

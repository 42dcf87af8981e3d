#pragma once

#include "tools/ToolResult.h"

// The repair of the filing hierarchy: Page rows whose image file is gone
// are deleted (with their thumbnails), every row whose parent row is
// missing (a page without its document, a document without its folder, a
// folder without its drawer, a drawer without its cabinet) is moved under
// a chain of records all named "<Repaired Data>": one cabinet (open, no
// password), a drawer in it, a folder in that and a document in that, and
// the files of the page store that no row names become pages. A chain from
// an earlier run is found by name and reused.
//
// It never deletes a page image. The only files it removes are the
// thumbnails of deleted rows and, in "Thumbs", thumbnails whose page has
// neither a row nor a file in "Pages", judged only where "Pages" holds
// page folders; one that cannot be removed is named in the report.
namespace LinkRepair {

inline const QString RepairedDataName = QStringLiteral("<Repaired Data>");
// The name of a run's document of page files, before the time of the run
// ("MM/dd/yyyy HH:mm").
inline const QString FiledDocumentPrefix = QStringLiteral("Page files found ");

// Runs the passes with a cancellable progress ("Repair broken links").
//
// Missing files: a page whose file is missing is deleted only when the
// folder it should lie in is there (FolderPresence): the page store
// ("Pages", a link to it followed) for its pages, and the folder of the
// file for every other page, storage pages and shortcuts alike. A folder
// that is missing, cannot be looked into, or holds none of the files its
// rows name (an unmounted disk's empty mount point) keeps all of its rows,
// which are counted as skipped.
//
// Files no row names: a file of a bucket folder of "Pages" named "<id>" or
// "<id>.<extension>" after a page id of that bucket, and a file "<id>.jpg"
// of a cabinet's own storage folder, when no row has that id or the row
// with that id names another file, becomes a page of a new document of the
// "<Repaired Data>" folder ("Page files found <time>"), one document a
// run, in the order of the ids (an image page where it lies, or under a
// free id when its own is taken, a storage folder's file renamed beside
// it; any other file a shortcut page to it). Thumbnails found are kept;
// missing ones are made. Names with two dots (temporaries), links and what
// lies outside its id's bucket are left alone. It needs a database of the
// current version; an older one files nothing and says so.
//
// Each pass's changes are one transaction, the filing one a batch; files
// are removed after the commit. A stop request ends the run after the
// current pass's (or batch's) changes are saved; passes after it do not
// run, and no thumbnail is removed.
//
// Refuses while vlm runs, warns when there is no "vlm.mdb" (and creates
// none). Reports "Repair broken links completed.\n<n> repairs made.", plus
// "<n> pages skipped (location not available).", "<n> page files without
// a page were filed under <Repaired Data>.", the thumbnails removed and
// each storage folder that holds none of its pages, when there are any; a
// folder that could not be looked into is a warning of its own; a failure
// gives "Error # <n> occurred in FixBrokenLinks: <description>". Opens the
// program's connection for the run and closes it afterwards.
ToolResult FixBrokenLinks();

} // namespace LinkRepair

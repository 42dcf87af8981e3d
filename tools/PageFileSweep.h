#pragma once

#include "ToolResult.h"

#include <QString>

// The tools that delete files by the folder: every thumbnail, or every page
// image, thumbnail and the database to start over. Only "*.jpg" files inside
// the bucket folders of "Pages" and "Thumbs" are deleted; files of other
// kinds, files lying directly in those folders and everything outside them
// (the user's own files behind shortcut pages, the page files of cabinets
// with their own storage path) stay. Symbolic links are never followed.
namespace PageFileSweep {

// The sentence the user types to confirm a start over.
inline const QString StartOverSentence = QStringLiteral("I WANT TO START OVER");

// True when the reply, trimmed of surrounding blanks and upper-cased, is
// exactly the sentence.
bool IsStartOverConfirmed(const QString &reply);

// How many entries (bucket folders and loose files) the folders named hold:
// the progress range of a sweep over them.
int CountEntries(const QStringList &folderNames);

// Sweeps the folder of that name under the data folder: deletes the "*.jpg"
// files (any letter case) of each bucket folder, then removes each emptied
// bucket folder and the folder itself when emptied. Steps the progress once
// an entry. A file that cannot be deleted ends the sweep with
// "DeletePageFiles Error #<n> - <description>" added to result; false when
// the sweep stopped that way or on a stop request (when cancellable).
bool DeletePageFiles(const QString &folderName, ToolResult &result, bool cancellable);

// Deletes every thumbnail under "Thumbs", with a cancellable progress.
// "Delete thumbnails complete." (or a note that it was stopped). Page
// images and the database are never touched. Needs no lock: the main
// program makes missing thumbnails again.
ToolResult DeleteThumbnails();

// Deletes the database with its journal files, then every page image and
// thumbnail of the page store. Refuses while vlm runs. The database goes
// first: a failure to delete it is reported ("StartOver Error #<n> -
// <description>") and deletes no page file, so rows never outlive their
// files. Ends with "'Start over' complete.", also when there was no
// database. Keeps "vlm.bak", "tempvlm.mdb" and the settings.
ToolResult StartOver();

} // namespace PageFileSweep

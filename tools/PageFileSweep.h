#pragma once

#include "tools/ToolResult.h"

#include <QString>

// The tools that delete files by the folder: every thumbnail, or every page
// file, thumbnail and the database to start over. They go only into the
// folders the program makes: the bucket folders (seven-digit names) and, in
// "Pages", the staging folders of a killed import. Delete thumbnails takes
// only the "*.jpg" files inside the bucket folders of "Thumbs"; start over
// takes those folders of "Pages" and "Thumbs" with all they hold. Any other
// folder, file or link in "Pages" and "Thumbs" and everything outside them
// (the user's own files behind shortcut pages, the page files of cabinets
// with their own storage path) stay. "Pages" and "Thumbs" may themselves be
// links (a store moved to a larger disk): they are emptied through the
// link, which stays. No link inside them is ever followed. A store folder
// that cannot be looked into (a broken link, no folder, unreadable) is an
// error, never an empty store; one that does not exist is empty.
namespace PageFileSweep {

// The sentence the user types to confirm a start over.
inline const QString StartOverSentence = QStringLiteral("I WANT TO START OVER");

// True when the reply, trimmed of surrounding blanks and upper-cased, is
// exactly the sentence.
bool isStartOverConfirmed(const QString &reply);

// How many folders of the program's the folders named hold: the progress
// range of a sweep over them.
int countEntries(const QStringList &folderNames);

// Sweeps the folder of that name under the data folder: deletes the "*.jpg"
// files (any letter case) of each bucket folder, then removes each emptied
// bucket folder and the folder itself when emptied. Steps the progress once
// an entry. A folder that cannot be looked into or a file that cannot be
// deleted ends the sweep with "DeletePageFiles Error #<n> - <description>"
// added to result; false when the sweep stopped that way or on a stop
// request (when cancellable).
bool DeletePageFiles(const QString &folderName, ToolResult &result, bool cancellable);

// Deletes every thumbnail under "Thumbs", with a cancellable progress.
// "Delete thumbnails complete." (or a note that it was stopped). Page
// images and the database are never touched. Needs no lock: the main
// program makes missing thumbnails again.
ToolResult DeleteThumbnails();

// The question Start Over asks before it deletes a "vlm.mdb" that is not a
// usable Vellumark database (another program's file, a damaged or
// read-only one) or a journal left without its database, naming the file
// and why; empty when there is nothing of the kind to ask about (no
// database, or a database of ours). A journal beside a database of ours
// is rolled back on the way, as every opening does.
QString databaseQuestion();

// Deletes the program's folders of the page store ("Pages" and "Thumbs")
// with all they hold (page images, the copies a tree import made of other
// files, thumbnails, the staging folders of a killed import), then the
// journal files and last the database, whatever it is: the window asks first
// (databaseQuestion). Refuses while vlm runs. A store folder that cannot be
// looked into is reported ("DeletePageFiles Error #<n> - <description>")
// before anything is deleted. A page file that cannot be deleted is
// reported the same way and keeps the database; a database that cannot be
// deleted gives "StartOver Error #<n> - <description>". From the first
// deletion until the database is gone, the marker "vlm.startover" lies in
// the data folder, so that a run that did not finish is known at the next
// start; a failure keeps it. "'Start over' complete." only when all of that
// went, also when there was no database; what it left in the store folders
// is named on a line of its own below (the first five, then how many
// more). Keeps "vlm.bak", "tempvlm.mdb" and the settings.
ToolResult StartOver();

} // namespace PageFileSweep

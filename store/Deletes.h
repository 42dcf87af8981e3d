#pragma once

#include <QList>

// Deleting records with everything below them and their page files. The
// database declares no relations, so each level removes its children by
// hand.
//
// Every whole delete below works in three phases: it collects the file
// paths of the pages concerned (they depend on the rows), deletes all the
// rows in one transaction, and only after the commit deletes the files (one
// progress step per page). A failing row statement therefore deletes
// nothing (DbError is thrown), and a file that cannot be removed leaves
// only an orphan file behind, never a row without its file. Files of
// shortcut pages are the user's own and are never deleted, and a file that
// another remaining page still names is kept.
namespace Deletes {

// Deletes the image and the thumbnail of one page unless it is a shortcut
// page; a missing file is skipped, a failure ends quietly. Reads the row, so
// call it before the row is deleted.
void DeleteStoredPageFiles(int pageId);

int CountDocumentPages(int documentId);
int CountFolderPages(int folderId);
int CountDrawerPages(int drawerId);
int CountCabinetPages(int cabinetId);

void DeleteCabinet(int cabinetId);
void DeleteDrawer(int drawerId);
void DeleteFolder(int folderId);
void DeleteDocument(int documentId);
void DeletePages(const QList<int> &pageIds);

} // namespace Deletes

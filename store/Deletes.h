#pragma once

#include <QList>
#include <QStringList>

#include "core/RecordId.h"

// Deleting records with everything below them and their page files. The
// database declares no relations, so each level removes its children by
// hand.
//
// Every whole delete below works in three phases: it collects the file
// paths of the pages concerned (they depend on the rows), deletes all the
// rows in one transaction, and only after the commit deletes the files (one
// progress step per page). A failing row statement therefore deletes
// nothing (AppError is thrown), and a file that cannot be removed leaves
// only an orphan file behind, never a row without its file; it is listed
// in the result.
//
// A stored Filename comes from the database and is not trusted: only a
// non-shortcut page's own image and thumbnail are deleted, and only where
// PageFileScope allows (inside the data folder's Pages/ or Thumbs/ folder
// or the storage path of the page's cabinet, links resolved, never a file
// of the data folder's own). A stored file that a remaining page still
// names and another page's default-store file are never deleted (a default-store file, made from the page id, is
// always the page's own). Files of shortcut
// pages are the user's own and are kept without a word; every other file
// kept is listed in the result.
namespace Deletes {

struct DeleteResult
{
    // Files the delete left in place although a deleted page named them:
    // outside the page folders, the database, or named by another page.
    QStringList keptFiles;
    // Files the delete should have removed but could not (a read-only page
    // store), each as "path: the system's reason". Their rows are gone.
    QStringList unremovedFiles;
};

// Deletes the image and the thumbnail of one page under the rules above; a
// missing file is skipped, a failure ends quietly. Reads the row, so call
// it before the row is deleted.
DeleteResult DeleteStoredPageFiles(RecordId pageId);

int CountDocumentPages(RecordId documentId);
int CountFolderPages(RecordId folderId);
int CountDrawerPages(RecordId drawerId);
int CountCabinetPages(RecordId cabinetId);

DeleteResult deleteCabinet(RecordId cabinetId);
DeleteResult deleteDrawer(RecordId drawerId);
DeleteResult deleteFolder(RecordId folderId);
DeleteResult deleteDocument(RecordId documentId);
DeleteResult deletePages(const QList<RecordId> &pageIds);

} // namespace Deletes

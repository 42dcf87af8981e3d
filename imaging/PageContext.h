#pragma once

#include <QString>

#include <optional>

#include "core/RecordId.h"

// Where a page of the viewer sits: its document and the ancestors above it,
// its neighbours in page order, and how its cabinet stores page files.
// Every function reads the database and throws AppError.
namespace PageContext {

// How a cabinet keeps its page files.
struct Storage
{
    // The cabinet keeps its pages under its own folder: its Storage is 1
    // and it names a folder. A cabinet marked for its own storage without
    // a folder stores in the default page folders, for it has nowhere else.
    bool usesStoragePath = false;
    QString cabinetStoragePath;  // the cabinet's StoragePath, "" for none
};

// A stored page as the viewer shows it.
struct PagePlace
{
    RecordId cabinetId = 0;
    RecordId drawerId = 0;
    RecordId folderId = 0;
    RecordId documentId = 0;
    RecordId pageId = 0;
    std::optional<int> pageNumber;  // none for a page without a number
    RecordId prevPageId = 0;        // 0: this is the first page
    RecordId nextPageId = 0;        // 0: this is the last page
    QString filename;               // the stored Filename, "" for none
    bool shortcut = false;          // the user's own file, referenced where it lies
    Storage storage;
};

// The page's place. Pages are ordered by PageNumber and pages that share a
// number by PageId, so every page of a document is reached by Previous and
// Next. RecordMissing when the page does not exist.
PagePlace ResolvePageNeighbours(RecordId pageId);

// The storage of a cabinet; a missing cabinet stores in the default folders.
Storage cabinetStorage(RecordId cabinetId);

// The cabinet that a viewer key leads to: "FLD" a folder, "DOC" a
// document, "PAG" a page's document; 0 for any other key or a missing row.
RecordId cabinetOfKey(const QString &key);

// "Page # 3 (ID = 12)", the viewer's caption.
QString caption(const PagePlace &place);

} // namespace PageContext

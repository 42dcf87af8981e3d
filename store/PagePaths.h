#pragma once

#include <QString>

#include "core/RecordId.h"

// Where page images and their thumbnails lie. A page with a stored Filename
// (a cabinet with its own storage path, or a shortcut page) is that file,
// with its thumbnail in a "Thumbs" folder beside it; every other page lies
// in the default store under the data folder:
//   Pages/<first 7 of the 10-digit id>/<id>.jpg and Thumbs/<same>/<id>.jpg
// so that no folder holds more than 1000 pages.
namespace PagePaths {

// "0000001" for page 1234.
QString bucket(RecordId pageId);

QString GetDefaultPageFolder(RecordId pageId);
QString GetDefaultPageFilePath(RecordId pageId);
QString GetDefaultThumbFolder(RecordId pageId);
QString GetDefaultThumbFilePath(RecordId pageId);

// From a Filename already read (empty for the default store).
QString GetPageFilePath(RecordId pageId, const QString &filename);
QString GetPageFolder(RecordId pageId, const QString &filename);
QString GetThumbFolder(RecordId pageId, const QString &filename);
// Empty when a stored Filename has no file-name part: such a page has no
// thumbnail (its path would name a folder).
QString GetThumbFilePath(RecordId pageId, const QString &filename);

// The same, reading the page's Filename from the database (throws AppError).
QString GetPageFilename(RecordId pageId);
bool IsPageShortcut(RecordId pageId);
QString GetPageFilePath(RecordId pageId);
QString GetPageFolder(RecordId pageId);
QString GetThumbFolder(RecordId pageId);
QString GetThumbFilePath(RecordId pageId);

// The folder part of a path including its trailing "/", or "" when none.
QString GetFolderPart(const QString &path);
// What follows the last "/", or "" when there is no "/".
QString GetFileNamePart(const QString &path);

// Creates the folder and every missing folder above it. True when it
// exists afterwards.
bool MakePath(const QString &folder);

} // namespace PagePaths

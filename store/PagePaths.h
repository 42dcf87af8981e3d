#pragma once

#include <QString>

// Where page images and their thumbnails lie. A page with a stored Filename
// (a cabinet with its own storage path, or a shortcut page) is that file,
// with its thumbnail in a "Thumbs" folder beside it; every other page lies
// in the default store under the data folder:
//   Pages/<first 7 of the 10-digit id>/<id>.jpg and Thumbs/<same>/<id>.jpg
// so that no folder holds more than 1000 pages.
namespace PagePaths {

// "0000001" for page 1234.
QString Bucket(int pageId);

QString GetDefaultPageFolder(int pageId);
QString GetDefaultPageFilePath(int pageId);
QString GetDefaultThumbFolder(int pageId);
QString GetDefaultThumbFilePath(int pageId);

// From a Filename already read (empty for the default store).
QString GetPageFilePath(int pageId, const QString &filename);
QString GetPageFolder(int pageId, const QString &filename);
QString GetThumbFolder(int pageId, const QString &filename);
// Empty when a stored Filename has no file-name part: such a page has no
// thumbnail (its path would name a folder).
QString GetThumbFilePath(int pageId, const QString &filename);

// The same, reading the page's Filename from the database (throws DbError).
QString GetPageFilename(int pageId);
bool IsPageShortcut(int pageId);
QString GetPageFilePath(int pageId);
QString GetPageFolder(int pageId);
QString GetThumbFolder(int pageId);
QString GetThumbFilePath(int pageId);

// The folder part of a path including its trailing "/", or "" when none.
QString GetFolderPart(const QString &path);
// What follows the last "/", or "" when there is no "/".
QString GetFileNamePart(const QString &path);

// Creates the folder and every missing folder above it. True when it
// exists afterwards.
bool MakePath(const QString &folder);

} // namespace PagePaths

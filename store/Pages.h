#pragma once

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// The one owner of the Page table's rows: every page save, paste, drop and
// import writes its rows through these functions, and the deletes read the
// rows they remove here. Every function throws DbError on failure.
namespace Pages {

// ---- What the deletes and the path look-ups need of Page rows ----

// The stored file facts of one page, read while its row still exists.
struct PageFileRow
{
    int pageId = 0;
    QString filename;      // the stored Filename, empty for the default store
    bool shortcut = false; // ShortcutYN is exactly "Y": the user's own file
    QString storagePath;   // the StoragePath of the page's cabinet, may be empty
};

// One page's row; nothing when there is none.
std::optional<PageFileRow> PageFile(int pageId);
// Its Filename ("" for none or no row) and whether ShortcutYN is exactly
// "Y" (false for no row).
QString StoredFilename(int pageId);
bool IsShortcut(int pageId);

// The rows of every page of a document, of the documents of a folder, of
// the folders of a drawer, and of the given pages; in PageId order.
QList<PageFileRow> DocumentPageFiles(int documentId);
QList<PageFileRow> FolderPageFiles(int folderId);
QList<PageFileRow> DrawerPageFiles(int drawerId);
QList<PageFileRow> PageFiles(const QList<int> &pageIds);

int CountDocumentPages(int documentId);
int CountFolderPages(int folderId);
int CountDrawerPages(int drawerId);
int CountCabinetPages(int cabinetId);

// Deletes the Page rows of a document, of a folder's documents, of a
// drawer's folders' documents, or the given pages.
void DeleteDocumentPages(int documentId);
void DeleteFolderPages(int folderId);
void DeleteDrawerPages(int drawerId);
void DeletePageRows(const QList<int> &pageIds);

// Every non-empty Filename that a row of the table names.
QSet<QString> StoredFilenames();
// Those of the given ids that have a row.
QSet<int> ExistingPageIds(const QList<int> &pageIds);

// ---- Page inserts, renames and renumbering ----

} // namespace Pages

#pragma once

#include "core/RecordId.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QStringList>
#include <QVariantList>
#include <QVector>

#include <optional>
#include <utility>

#include "core/RecordId.h"

// The one owner of the Page table's rows: every page save, paste, drop and
// import writes its rows through these functions, and the deletes read the
// rows they remove here. Every function throws AppError on failure.
namespace Pages {

// ---- What the deletes and the path look-ups need of Page rows ----

// The stored file facts of one page, read while its row still exists.
struct PageFileRow
{
    RecordId pageId = 0;
    QString filename;      // the stored Filename, empty for the default store
    bool shortcut = false; // ShortcutYN is exactly "Y": the user's own file
    QString storagePath;   // the StoragePath of the page's cabinet, may be empty
};

// One page's row; nothing when there is none.
std::optional<PageFileRow> pageFile(RecordId pageId);
// Its Filename ("" for none or no row) and whether ShortcutYN is exactly
// "Y" (false for no row).
QString storedFilename(RecordId pageId);
bool isShortcut(RecordId pageId);

// The rows of every page of a document, of the documents of a folder, of
// the folders of a drawer, and of the given pages; in PageId order.
QList<PageFileRow> documentPageFiles(RecordId documentId);
QList<PageFileRow> folderPageFiles(RecordId folderId);
QList<PageFileRow> drawerPageFiles(RecordId drawerId);
QList<PageFileRow> pageFiles(const QList<RecordId> &pageIds);

int CountDocumentPages(RecordId documentId);
int CountFolderPages(RecordId folderId);
int CountDrawerPages(RecordId drawerId);
int CountCabinetPages(RecordId cabinetId);

// Deletes the Page rows of a document, of a folder's documents, of a
// drawer's folders' documents, or the given pages.
void deleteDocumentPages(RecordId documentId);
void DeleteFolderPages(RecordId folderId);
void DeleteDrawerPages(RecordId drawerId);
void deletePageRows(const QList<RecordId> &pageIds);

// Every non-empty Filename that a row of the table names.
QSet<QString> storedFilenames();
// Those of the given ids that have a row.
QSet<RecordId> existingPageIds(const QList<RecordId> &pageIds);

// ---- Page rows written by the paste, the drops and the moves ----

// One Page row as the page pane reads it; every text is "" for a Null.
struct PageRow
{
    RecordId pageId = 0;
    int pageNumber = 0;    // 0 for a Null number
    QString filename;      // the stored Filename, "" for the default store
    QString scanDate;      // as stored: "yyyy-MM-dd HH:mm:ss"
    QString fileSize;      // bytes, as text
    QString filetype;
    QString shortcutYN;    // "Y" for a shortcut page
    QString name;          // the page's Name (an imported file's name)
};

// A page about to be inserted.
struct NewPage
{
    RecordId documentId = 0;
    QString name;          // the page's Name (an imported file's name); "" for Null
    int pageNumber = 0;
    qint64 fileSize = 0;
    QString filetype;
    // Set for a shortcut page (the user's file, referenced where it lies);
    // empty for a page kept in the default store.
    QString filename;
    bool shortcut = false;
    // A stored page whose ShortcutYN says "N" rather than Null, as a file
    // import writes it.
    bool markedStored = false;
    QDateTime scanDate;    // the current time when left invalid
    // An empty Filename is stored as the empty text rather than Null, as
    // the page save writes it.
    bool emptyFilenameAsText = false;
};

// The format of the ScanDate column.
inline const QString ScanDateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// The pages of a document in page order (PageNumber, then PageId). A
// non-empty condition is the search's own page clause ("Page.ScanDate >= ?"
// and the like, with its binds), added with AND for documents reached
// through the search results. Throws AppError.
QVector<PageRow> readDocumentPages(RecordId documentId, const QString &condition = QString(),
                                   const QVariantList &binds = {});
// The pages of a document numbered fromPage to thruPage, both included, in
// page order; shortcut pages (number 0) fall outside any range from 1.
// Throws AppError.
QVector<PageRow> readDocumentPageRange(RecordId documentId, int fromPage, int thruPage);
// The number a page appended to the document gets: the highest number + 1,
// 1 for a document without numbered pages; held at 2147483647, the
// highest number a page can carry. Throws AppError.
int nextPageNumber(RecordId documentId);
// True when the Document row exists. Throws AppError.
bool documentExists(RecordId documentId);
// Inserts the row and returns its new PageId. Throws AppError.
RecordId insertPage(const NewPage &page);
// Inserts the row as page pageId, which must have none. New pages are born
// through PageBirth, which chooses the id. Throws AppError.
void insertPageWithId(RecordId pageId, const NewPage &page);
// The id AUTOINCREMENT would hand out next: one past the highest ever
// given (a rolled-back insert gives its id back). Throws AppError.
RecordId NextPageId();
// True when the page has a row. Throws AppError.
bool pageExists(RecordId pageId);
// The stored Filenames of the pages that are not shortcuts and lie under
// folder (its path and "/"): of one cabinet, or of every page when
// cabinetId is 0. Throws AppError.
QStringList filesUnder(const QString &folder, RecordId cabinetId = 0);
// The ids of pages in the page store (no Filename) below the id given,
// newest first, at most limit of them; and how many there are. Throw
// AppError.
QVector<RecordId> storePagesBelow(RecordId below, int limit);
qint64 countStorePages();
// The PageId of the document's page with this Name (compared exactly), or
// 0 when it has none. Throws AppError.
RecordId findPageByName(RecordId documentId, const QString &name);
// Throw AppError; RecordMissing when the page does not exist.
void setPageFileSize(RecordId pageId, qint64 fileSize);
void setPageFilename(RecordId pageId, const QString &filename);
// Makes the page's FileSize the size of its image file at path when the two
// differ: a save ended between replacing the file and committing its row
// leaves the new file with the old size. A missing file changes nothing.
// Throws AppError.
void refreshPageFileSize(RecordId pageId, const QString &path);
void setPageFiletype(RecordId pageId, const QString &filetype);
// Gives one page a new number; no other page is renumbered.
void setPageNumber(RecordId pageId, int pageNumber);
// Moves the pages to the target document; each keeps its page number, so
// the target may then hold two pages with one number (they list in id
// order) until the user renumbers. Pages already in the target and ids that
// no longer exist are passed over. One transaction: on failure nothing moves.
// Returns the number of pages moved. Throws AppError.
int movePagesToDocument(const QList<RecordId> &pageIds, RecordId documentId);

// Moves one page to the end of another document (numbered after its last
// page, 1 when it has none); the pages it leaves keep their numbers.
// Returns the page's new number, 0 when the page is gone or already in
// that document. RecordMissing when the document is gone. Throws AppError.
int MovePageToDocument(RecordId pageId, RecordId documentId);

} // namespace Pages

// ---- Page reads of the exchange: export walk, new-page notices ----

namespace Pages {

// A page as the cabinet export and the new-page notice name it.
struct NamedPage
{
    RecordId pageId = 0;
    QString name;          // the page's Name, "" for Null
    QVariant pageNumber;   // as stored, Null kept
    QString filename;      // the stored Filename, "" for the default store
    bool shortcut = false; // ShortcutYN is exactly "Y"
};

// The pages of a document in name order (then id), the order the export
// names their files in.
QList<NamedPage> namedDocumentPages(RecordId documentId);
// One page; nothing when there is none.
std::optional<NamedPage> namedPageOf(RecordId pageId);

} // namespace Pages

// ---- Page rows as the viewer, the printer, the save and the repair read them ----

namespace Pages {

// One page's row as stored; every text is "" for a Null.
struct PageFacts
{
    RecordId documentId = 0;
    std::optional<int> pageNumber;  // none for a Null number
    QString filename;               // the stored Filename, "" for the default store
    bool shortcut = false;          // ShortcutYN is exactly "Y"
    QString scanDate;               // as stored: "yyyy-MM-dd HH:mm:ss"
    std::optional<qint64> fileSize; // none for a Null size
    QString filetype;
};

// The page's row; nothing when there is none. Throws AppError.
std::optional<PageFacts> readPage(RecordId pageId);
// The document of a page; 0 when the row does not exist. Throws AppError.
RecordId GetDocumentIdOfPage(RecordId pageId);

// The page before (or after) a page of the document in the order of
// number, then id: pages that share a number are walked in id order before
// the next number, so none is passed over. 0 when there is none. Throws
// AppError.
RecordId neighbourPage(RecordId documentId, int pageNumber, RecordId pageId, bool next);
// The lowest and highest page number of a document; {0, 0} for a document
// without numbered pages. Throws AppError.
std::pair<int, int> pageNumberRange(RecordId documentId);
// The Filenames of the pages other than exceptPageId whose file name part
// matches fileName as SQL LIKE compares it (ASCII case ignored), in any
// folder; the caller decides which of them is the very same file. Throws
// AppError.
QStringList filenamesNamed(const QString &fileName, RecordId exceptPageId);

// Every page's id, and every page's file facts in PageId order. A database
// of an older version that lacks the Filename or ShortcutYN column gives
// them empty (its pages all lie in the page store). Throw AppError.
QSet<RecordId> allPageIds();
QList<PageFileRow> allPageFiles();

} // namespace Pages

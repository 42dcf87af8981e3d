#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "core/RecordId.h"

// Pages through the clipboard: the cut list, Copy (page files onto the
// clipboard as a file list) and Paste (the cut pages moved, or the
// clipboard's files added as new pages) into the document the page pane
// shows. No windows: the caller shows the result.
namespace PageClipboard {

// The pages marked by Cut, in the order of the pane's items. A Cut replaces
// the list; a Copy or a successful Paste empties it. It outlives a change of
// the shown document, so pages cut in one document paste into another.
struct CutList
{
    QList<RecordId> CutPageIds;
    int CutPageCount() const { return int(CutPageIds.size()); }
    void clear() { CutPageIds.clear(); }
};
CutList &cutList();

enum class SkipReason {
    NotFound,       // no file at that path
    NotRegularFile, // a folder, a device, or not a local file
    NotAccepted,    // a name the page rules refuse ("photojpg")
    CopyFailed,     // the image could not be copied into the store
    StoreFailed,    // the page row could not be written
};

struct SkippedFile
{
    QString path;
    SkipReason reason;
    QString text;   // what went wrong, with the system's reason
};

struct AddedPage
{
    QString path;        // the file pasted
    RecordId pageId = 0;
    bool shortcut = false;
    QString note;        // filed with this warning (an image too large to show)
};

struct PasteResult
{
    bool refused = false;        // the document's cabinet stayed locked
    RecordId documentId = -1;
    int movedPages = 0;          // cut pages moved into the document
    int missingPages = 0;        // cut pages deleted since the cut, not moved
    QList<AddedPage> added;      // in the order of the files
    QList<SkippedFile> skipped;  // in the order of the files
    int offered = 0;             // files given to add
    bool stopped = false;        // Cancel ended the paste between two files
};

// What a paste or a drop of files that Cancel ended tells: how many of the
// files offered were added before it.
QString stoppedText(int added, int offered);

// Whether the file can be a page: an existing regular file whose name the
// page rules take. The reason it cannot, else nothing.
std::optional<SkippedFile> checkPageFile(const QString &path);

// Adds one file as the next page of the document, born in the page store
// (PageBirth): an image (.jpg, .jpeg, .bmp) is copied into the page store;
// any other file becomes a shortcut page (number 0) that keeps the file
// where it is. The copy is on the disk before the row commits and removed
// when it does not. Only existing regular files are taken. The new-page
// notice is announced once the page is stored; the thumbnail is left to
// the caller (the page pane makes a missing one).
// Returns the page added, or fills skipped and returns a page with id 0.
AddedPage AddFileAsPage(const QString &path, RecordId documentId, SkippedFile *skipped);

// Adds every file, in order, to the document given (fixed for the whole
// paste), with the progress "Pasting files" and its Cancel, honoured
// between files: the pages added before it stay. A file that fails is
// skipped with its reason and the paste goes on. Throws AppError when the document
// does not exist (RecordMissing), its cabinet's storage folder is not
// available (StorageUnavailable), or it cannot be read.
PasteResult pasteFilesIntoDocument(const QStringList &paths, RecordId documentId);

// Paste: with pages in the cut list, moves them to the document, each with
// its own page number, in one change, and empties the list (cut pages
// deleted meanwhile are counted as missing); else
// adds the clipboard's files. A document of a locked cabinet needs the
// cabinet's password first: refused, nothing is pasted and the cut list
// stays. The list stays when the move fails. Throws
// AppError as above and when the move fails. Moved pages send no notice;
// every file added sends one.
PasteResult PasteIntoDocument(RecordId documentId);
// The same, with the files to add given (the clipboard's, or a drop's).
PasteResult PasteIntoDocument(RecordId documentId, const QStringList &files);

// The file of each page, in the order given (the stored file of a shortcut
// page, else its image in the store). Pages that no longer exist are left
// out. Throws AppError.
QStringList pageFilePaths(const QList<RecordId> &pageIds);

// Copy: empties the cut list and puts the files of the pages on the
// clipboard. False, the clipboard left as it was, when no page is given.
// Throws AppError.
bool CopyPagesToClipboard(const QList<RecordId> &pageIds);

} // namespace PageClipboard

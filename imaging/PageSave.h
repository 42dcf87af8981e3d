#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

#include "core/RecordId.h"
#include "platform/AppError.h"

// Storing the viewer's image as a page: the rows of a new page, the image,
// its thumbnail and its size, and the removal of the files a rename leaves.
// The names decided for the page's file are PageFileNames'.
namespace PageSave {

// ---- The save ----

// A page image and its thumbnail already encoded, as SavePage writes them,
// made on another thread while the previous page is being stored.
struct EncodedPage
{
    QByteArray image;
    QByteArray thumbnail;
    int quality = 0;          // the quality factor the image was encoded with

    bool isEmpty() const { return image.isEmpty() || thumbnail.isEmpty(); }
};

// A page as the scanner gave it, with its files once encoded.
struct ScannedPage
{
    QImage image;
    EncodedPage encoded;
};

struct SaveRequest
{
    bool addMode = false;
    QString key;              // Add: "FLD", "DOC" or "PAG" and an id
    RecordId pageId = 0;      // Edit: the page
    QImage image;
    QString filename;         // the full path, "" for the default page folders
    bool autoAssignName = false;
    int quality = 30;         // on the program's 1..255 scale
    // A new page of a cabinet with its own storage path that nobody names
    // (a feeder scan, a scan stored at once): "<folder>/<PageId>.jpg".
    QString nameByIdIn;
    // The files of image already encoded at this quality; used instead of
    // encoding them again.
    EncodedPage encoded;
    // Edit: the file the image was loaded from, when it was not changed
    // since. Its bytes are kept as they are: no new encoding, no loss of
    // quality, the stored resolution unchanged.
    QString unchangedFile;
};

struct SaveResult
{
    RecordId pageId = 0;
    RecordId documentId = 0;
    RecordId folderId = 0;    // the folder of a new document, else 0
    bool newDocument = false;
    QString imagePath;
    QString thumbPath;
};

// True for a key a new page can go into ("FLD", "DOC", "PAG").
bool isPageTarget(const QString &key);
// True for the keys of the levels above a folder ("ROO", "CAB", "DRW"),
// which get "Error!".
bool isLevelAboveFolder(const QString &key);

// Stores the page. In Add mode a new page is born in the page store
// (PageBirth), after a "New document" of the folder for a folder key, in
// one change: its row, its Filename (the empty text for the page store),
// the image as JPEG at its path, its thumbnail and its file size; on any
// failure nothing of it stays and AppError says why. An id whose paths hold
// a file is passed over; only a name the user typed replaces a file. In
// Edit mode the page's image and thumbnail are written anew by the store
// (PageBirth::rewrite) and its size and Filename updated in one change (a
// failure keeps its row). Refused as well: no image, a target that is no
// folder, document or page, a missing row, a shortcut page, whose file is
// the user's own, and a folder whose disk is not there (nothing written).
SaveResult SavePage(const SaveRequest &request);

// What saveScannedPages stored, in order, and why it stopped early.
struct BatchResult
{
    std::vector<SaveResult> saved;
    std::optional<AppError> error;
};

// Stores the new pages of a feeder batch, each as SavePage stores a new
// page, in one change: every file is on the disk before the rows commit. The
// first request's key is the target; the pages after the first go into the
// document the first went into. A page that cannot be stored ends the
// batch: the pages before it are stored, it and the pages after it leave
// nothing behind, and error says why.
BatchResult saveScannedPages(const std::vector<SaveRequest> &requests);

// After a rename or an automatic name: deletes the file the page was
// loaded from, its thumbnail beside it and the page's default thumbnail,
// each where it exists, but never a file the save has just written.
void deleteOldFiles(const QString &loadedFilename, const SaveResult &saved);

// Removes a page that a save made while the viewer stayed open (a feeder
// scan cancelled afterwards): its row, image and thumbnail.
void deleteSavedPage(RecordId pageId);

} // namespace PageSave

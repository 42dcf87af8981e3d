#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>

#include "core/RecordId.h"
#include "imaging/ThumbnailMaker.h"
#include "platform/AppError.h"

class ImportWorkers;
class ProgressView;

// The import of one directory's files: into a folder, one new document per
// file (named after the file, extension included); into a document, one
// more page per file. Images (names ending in jpg, jpeg or bmp) are copied
// byte for byte into the page store and get a thumbnail; every other file
// becomes a shortcut page that points at the file where it lies.
//
// Each file is copied before its rows are written, and its page is born
// in the page store (PageBirth) with its new document as one unit: a file
// that cannot be read or copied, or whose rows fail, leaves no row behind
// and is named at the end. The rows of a batch of files are one change,
// each file a savepoint in it, its copies on the disk before it commits; a
// batch that cannot commit keeps none of its rows or copies and names its
// files. Copies and thumbnails run on every core, each image read once for
// both, as many at once as a memory budget holds; the next batch is copied
// while the rows of one are written on the calling thread; documents are
// announced once their batch has committed.
namespace FileImport {

// Into a folder ("FLD") or into a document ("DOC").
enum class TargetKind { Folder, Document };

struct ImportFailure
{
    QString fileName;
    QString reason;
};

struct ImportResult
{
    int imported = 0;               // files that got their page (or had it already)
    QVector<ImportFailure> failures; // files left out, with the reason
    QVector<ImportFailure> notes;    // files filed with a warning
    bool cancelled = false;         // stopped by Cancel before the last file
    // In a run (options.workers): the failure that ended it, which the
    // caller reports; the batch it broke into left nothing.
    std::optional<AppError> fatal;
};

struct ImportOptions
{
    // Files that are not images are copied into the page store too (under
    // their page id, keeping their extension) and filed as shortcut pages
    // to that copy: the cabinet tree import, whose files lie on a disk that
    // is removed afterwards.
    bool copyNonImages = false;
    // The files left out are named in one warning at the end.
    bool reportFailures = true;
    // Set: the thumbnails of the pages stored are handed over to be made
    // there (the cabinet import makes them while it reads on), instead of
    // being made before the import returns.
    std::function<void(const QVector<ThumbnailMaker::Job> &jobs)> thumbnails;
    // The tree being imported: no file is read from outside it, links
    // resolved. Empty: the directory itself.
    QString root;
    // Where the steps show. Unset: the import shows them in the progress
    // window with its Cancel button ("P"), which it opens and closes itself.
    // Set: a bar a larger run has set up (the cabinet import dialog's, "I"),
    // which the import only advances.
    ProgressView *progress = nullptr;
    // Threads for the copies and thumbnail pictures; 0: one per core. The
    // benchmark sets it to stand for a machine with more cores.
    int threads = 0;
    // Bytes the whole reads and thumbnail decodes in flight may hold at
    // once; 0: DefaultMemoryBudget.
    qint64 memoryBudget = 0;
    // Set: the threads and memory budget of a run of imports, which
    // outlives this one (threads and memoryBudget are its own then), and
    // whose PageBirth the import's batches join: their copies are synced
    // when the run commits. The import's thumbnails may still be written
    // when it returns. A failure that ends the run comes back in fatal
    // rather than shown. Unset: the import has workers of its own and each
    // batch commits on its own.
    ImportWorkers *workers = nullptr;
    // With workers: the directory the run imports next, with the same
    // options. It is listed and its first files are staged while the rows
    // of this one are written.
    QString aheadDirectory;
};

// Enough for three progressive 600-dpi A4 colour scans decoding side by
// side (about 110 MB each: their decoder keeps every coefficient of the
// page), on any core count, keeping the program under 400 MB.
inline constexpr qint64 DefaultMemoryBudget = qint64(340) * 1024 * 1024;

// Imports the files of directory that pass extensionList into the folder
// (kind Folder) or the document (kind Document) targetId. An unknown
// document, an empty directory or a filter that keeps nothing ends the
// import silently. Stops between files when Cancel was pressed; what was
// imported stays. Files that could not be imported are named in one
// warning at the end (unless options say otherwise). Never throws: a
// failing statement ends the import with its "Error # " message (in a run,
// in fatal).
ImportResult ImportFiles(RecordId targetId, const QString &directory, TargetKind kind, const QString &extensionList,
                         const ImportOptions &options = {});

// The end warning naming the files left out, then those filed with a
// warning; "" for none.
QString failureMessage(const QVector<ImportFailure> &failures, const QVector<ImportFailure> &notes = {});

} // namespace FileImport

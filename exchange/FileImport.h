#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>

#include "imaging/ThumbnailMaker.h"
#include "platform/DbError.h"
#include "store/RecordId.h"

class ImportWorkers;

// The import of one directory's files: into a folder, one new document per
// file (named after the file, extension included); into a document, one
// more page per file. Images (names ending in jpg, jpeg or bmp) are copied
// byte for byte into the page store and get a thumbnail; every other file
// becomes a shortcut page that points at the file where it lies.
//
// Each file is copied before its rows are written, and its rows (its new
// document too) are one unit: a file that cannot be read or copied, or
// whose rows fail, leaves no row behind and is named at the end. The rows
// of a batch of files are one transaction, each file a savepoint in it; a
// batch that cannot commit keeps none of its rows or copies and names its
// files. Copies and thumbnails run on every core, each image read once for
// both, as many at once as a memory budget holds; the next batch is copied
// while the rows of one are written on the calling thread; documents are
// announced once their batch has committed.
namespace FileImport {

// Where the import shows its steps: the progress window with its Cancel
// button ("P"), or the bar of the cabinet import dialog ("I"), which the
// caller has set up.
enum class ProgressTarget { ProgressWindow, ImportDialog };
// Into a folder ("FLD") or into a document ("DOC").
enum class TargetKind { Folder, Document };

// The cabinet import dialog's bar, for ProgressTarget::ImportDialog.
class ImportProgress
{
public:
    virtual ~ImportProgress() = default;
    // Shows the text, advances one step and now and then lets pending
    // events run.
    virtual void IncrementProgress(const QString &text) = 0;
};

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
    // The files this import put into the page store (copies and their
    // thumbnails), for a caller whose own transaction may still fail.
    QStringList placedFiles;
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
    // The bar that ProgressTarget::ImportDialog advances; none: no bar.
    ImportProgress *importProgress = nullptr;
    // Threads for the copies and thumbnail pictures; 0: one per core. The
    // benchmark sets it to stand for a machine with more cores.
    int threads = 0;
    // Bytes the whole reads and thumbnail decodes in flight may hold at
    // once; 0: DefaultMemoryBudget.
    qint64 memoryBudget = 0;
    // Set: the threads and memory budget of a run of imports, which
    // outlives this one (threads and memoryBudget are its own then). The
    // import's thumbnails may still be written when it returns, and its
    // copies are left to workers->makeDurable(), which the caller must call
    // before it commits the transaction the import ran in. Unset: the
    // import has workers of its own and makes each batch's copies durable
    // before its rows commit.
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
// failing statement ends the import with its "Error # " message.
ImportResult ImportFiles(RecordId targetId, const QString &directory, ProgressTarget progress, TargetKind kind,
                         const QString &extensionList, const ImportOptions &options = {});

// The document of the folder named fileName; made (and announced as
// Changes::recordAdded) when there is none. Throws DbError.
RecordId FindOrCreateFileDocument(RecordId folderId, const QString &fileName);
// The page of the document named name, or a new row for the file at
// sourcePath: a shortcut page (number 0, the path as Filename) for a file
// that is not an image, else a stored page numbered by its name or after
// the last page. A name longer than a page name may be is refused
// (ErrorCode::InvalidValue). made (when given) tells whether the row is
// new; *note (when given) receives the warning of a page number that was
// out of range. Throws DbError.
RecordId AddPageRowForFile(RecordId documentId, const QString &name, qint64 fileSize, const QDateTime &scanDate,
                      const QString &sourcePath, bool *made = nullptr, QString *note = nullptr);
// Copies directory/name to the page store of pageId unless a file is there
// already, then makes the page's thumbnail anew. A shortcut page is left
// alone. The copy's failure comes back; a thumbnail that cannot be made
// is not one.
[[nodiscard]] std::optional<DbError> StorePageFile(const QString &directory, const QString &name, RecordId pageId);

// Copies source to destination in chunks, creating its folder; a failed
// copy leaves no partial file. Safe on any thread.
[[nodiscard]] std::optional<DbError> CopyFile(const QString &source, const QString &destination);

// The end warning naming the files left out, then those filed with a
// warning; "" for none.
QString FailureMessage(const QVector<ImportFailure> &failures, const QVector<ImportFailure> &notes = {});

} // namespace FileImport

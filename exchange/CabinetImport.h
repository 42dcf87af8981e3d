#pragma once

#include <QDate>
#include <QString>
#include <QVector>

#include <functional>

#include "core/RecordId.h"
#include "exchange/FileImport.h"
#include "store/Records.h"

class ExchangeProgress;

// Reads an exported cabinet tree (CabinetTree) back into an existing
// cabinet, merging by name: directories in the root are drawers, in those
// folders, in those documents, and the files of a document directory its
// pages ("Page 3.jpg" becomes page 3). Loose files of the root go to the
// folder "Unfiled folder" of the drawer "Unfiled drawer", those of a drawer
// directory to its "Unfiled folder", those of a folder directory become one
// document each. Directories below documents are ignored. Files that are
// not images are copied into the page store and filed as shortcut pages to
// the copy, so nothing points at a disk that is removed afterwards. A
// second import of the same tree adds nothing.
namespace CabinetImport {

// Files and directories are named by their path inside the tree, so that
// a page file names its document ("Bills/2024/Rent/Page 1.jpg").
struct TreeImportResult
{
    bool cancelled = false;              // stopped by the user or a question
    int disksRead = 0;
    QVector<FileImport::ImportFailure> failures;  // files and directories left out
    QVector<FileImport::ImportFailure> notes;     // files filed or read with a warning
};

// Imports diskCount disks, each read at root (a later disk may be given
// another folder at the "Please insert disk # 2" question). A disk with
// nothing to import asks whether to import the structure alone; declining
// ends the import. The counters of ExchangeState grow as files come in.
// Never throws: a failure is shown and ends the import; what was imported
// stays.
TreeImportResult ImportCabinetTree(RecordId cabinetId, const QString &root, int diskCount,
                                   ExchangeProgress *progress = nullptr);

// The number of files a walk of the tree at root takes (marker and
// description files are not counted); stops early when cancelled.
int CountImportableFiles(const QString &root, ExchangeProgress *progress = nullptr);

// The record of that name below the parent (letter case aside), made when
// there is none. Throw AppError.
RecordId FindOrCreateDrawer(RecordId cabinetId, const QString &name);
RecordId FindOrCreateFolder(RecordId drawerId, const QString &name);
RecordId FindOrCreateDocument(RecordId folderId, const QString &name);

// Reads a cabinet, drawer or folder file and stores its description
// (cleared when the file holds none). A file larger than MaxTextFileBytes,
// one that is not a regular file, and (with a root) one that lies outside
// the tree at root once links are resolved is not read
// (ErrorCode::InvalidValue); a description longer than
// Records::MaxDescriptionLength is cut there and *note (when given) says
// so. Throws AppError.
inline constexpr qint64 MaxTextFileBytes = 1024 * 1024;
void importDescription(RecordLevel table, const QString &path, RecordId id, QString *note = nullptr,
                       const QString &root = QString());
// Reads a "document.txt": its description and amount (the leading number,
// "." as the decimal point, 0 for none) always, its date when the file
// holds a readable one. The bounds, the root and the note of
// importDescription. Throws AppError.
void ImportDocumentInfo(const QString &path, RecordId documentId, QString *note = nullptr,
                        const QString &root = QString());

} // namespace CabinetImport

#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "core/RecordId.h"

class ExchangeProgress;
class FileCopier;

// Writes one cabinet out of the database as the tree of CabinetTree, depth
// first in name order at every level: its directories (every one, empty
// ones too), the marker, the description files and a byte-for-byte copy
// of every page file. When the disk fills, the partial file is removed and
// the user is asked for the next disk ("Please insert disk #2"); the write
// is repeated there at the same relative path, and later levels write
// their own directories and description files there. Nothing written is
// ever repeated, so later disks hold no marker. Each file is named in the
// record of its disk's cabinet directory before it is written
// (ExportRecord), and what went onto a disk is made durable before the
// next one is asked for and before the end message.
namespace CabinetExport {

// What to do with an earlier export of the cabinet in the destination
// (PreviousExport): ask "Remove that export's ... first?", keep its files
// (replacing those of the same name; the record goes on naming them), or
// clear it without asking. A Cancel during the clearing is honoured once
// it is done.
enum class Previous { Ask, Keep, Clear };

struct ExportOptions
{
    FileCopier *copier = nullptr;        // the system's when not set
    ExchangeProgress *progress = nullptr; // none: no bar, no status line
    QDateTime now;                        // the marker's time; the current time when not set
    Previous previous = Previous::Ask;
};

struct ExportResult
{
    int PagesCopied = 0;
    int ExportDiskNumber = 1;
    bool cancelled = false;   // stopped by the user: the dialog's Cancel or a disk question
    bool declined = false;    // Cancel at the earlier-export question: nothing was written
    int removed = 0;          // files and directories of the earlier export removed first
    bool failed = false;      // ended by an error, which was shown
    QStringList skipped;      // directories that could not be made, with the reason
    QStringList refused;      // page files not copied: not the page's own file
};

// Runs the whole export of cabinetId into destination, questions and end
// message ("Export complete. 12 pages copied.", or "Export cancelled. 2
// pages copied." when the user stopped it) included. An empty cabinet is
// written only after "Export an empty cabinet?" was answered Yes. When the
// destination holds an earlier export of the cabinet, options.previous
// says what becomes of it; Cancel at its question writes nothing and shows
// no end message (declined). A page whose file is missing is passed over and not counted; one
// whose file is not its own (PageFileScope: a crafted Filename naming the
// database, a file of the data folder or one outside the page folders) is
// not copied and is named after the end message. Directories and files
// are made below the destination without following links there. A
// directory that cannot be made is passed over with what belongs in it
// and named at the end; any other failed write ends the export with its
// "Error # " message before the end message. A file that does not fit on
// an empty disk ends it too, instead of asking for disk after disk.
// Never throws.
ExportResult ExportCabinet(RecordId cabinetId, const QString &destination, const ExportOptions &options = {});

} // namespace CabinetExport

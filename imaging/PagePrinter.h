#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

#include "core/RecordId.h"
#include "imaging/PrintLayout.h"
#include "platform/AppError.h"

// The device pages are printed on: the chosen printer in the program, a
// PDF file or a recorder in the tests. Every page is its own job.
class PrintSink
{
public:
    virtual ~PrintSink() = default;
    // The printer's dots per inch on each axis; 0 or less for an axis that
    // cannot be read.
    virtual QSize resolution() const = 0;
    // Prints image as one job of one sheet, at the top-left corner of the
    // printable area and size printer pixels large (never fitted: what lies
    // beyond the sheet is cut off). The failure to show, naming the
    // printer and the reason, or nothing once the job is out.
    [[nodiscard]] virtual std::optional<AppError> printJob(const QImage &image, const QSize &size) = 0;
};

// Printing of a page or of a document's pages by page number. The routines
// never open a message box; the dialog shows their outcome.
namespace PagePrinter {

// What a print run did.
struct Outcome
{
    int printed = 0;
    // The pages in the range that are shortcuts to other files, as
    // "3 (report.pdf)": passed over, the rest printed.
    QStringList shortcuts;
    // The failure that ended the run ("Page 4 could not be printed. ...");
    // the pages before it stay printed, those after it are not printed.
    std::optional<AppError> failure;
    // The range held no page.
    bool nothingFound = false;
    // Why a page printed alone was not printed (a shortcut page).
    QString refusal;
};

// A page printed alone: a colour image is reduced to 8 bits per pixel
// first, grey and palette images print as they are. A shortcut page is
// refused. Throws AppError only for the database.
Outcome PrintPage(RecordId pageId, PrintSink &sink);

// The pages of the document numbered fromPage..thruPage (inclusive) in
// page order, at full depth, each as its own job. Shortcut pages are
// passed over and listed; the first page that cannot be loaded or printed
// ends the run. Throws AppError only for the database.
Outcome PrintDocumentPages(RecordId documentId, int fromPage, int thruPage, PrintSink &sink);

// The smallest and largest page number of the document, 0 and 0 when it
// has no numbered page: the range a document print starts with. Throws
// AppError.
std::pair<int, int> documentPageRange(RecordId documentId);

// The note on the pages a run passed over, "" when it passed over none.
QString shortcutNote(const Outcome &outcome);

} // namespace PagePrinter

#include "imaging/PagePrinter.h"

#include "core/RecordId.h"
#include "imaging/ImageOps.h"
#include "platform/AppError.h"
#include "store/PagePaths.h"
#include "store/Pages.h"

namespace PagePrinter {

namespace {

QString pageLabel(const Pages::PageRow &page)
{
    return QStringLiteral("%1 (%2)").arg(page.pageNumber).arg(PagePaths::GetFileNamePart(page.filename));
}

AppError pageFailure(const QString &what, const AppError &reason, const QString &after = QString())
{
    return AppError(reason.code, QStringLiteral("%1 could not be printed. %2%3").arg(what, reason.text, after));
}

// Loads the file and prints it as one job at its printed size.
std::optional<AppError> printFile(const QString &path, bool reduceColour, PrintSink &sink)
{
    ImageOps::LoadResult loaded = ImageOps::load(path);
    if (loaded.error)
        return loaded.error;
    QImage image = loaded.image;
    // A page printed alone goes out from an 8-bit reduction of its colour,
    // as it always has; a document print keeps the full depth.
    if (reduceColour && image.depth() >= 24)
        image = image.convertToFormat(QImage::Format_Indexed8);
    const QSize size = PrintLayout::printedSize(image.size(), PrintLayout::storedDpi(image), sink.resolution(),
                                                PrintLayout::scanDpi(), PrintLayout::readScale());
    return sink.printJob(image, size);
}

} // namespace

Outcome PrintPage(RecordId pageId, PrintSink &sink)
{
    Outcome outcome;
    const QString path = PagePaths::GetPageFilePath(pageId);
    if (PagePaths::IsPageShortcut(pageId)) {
        outcome.refusal = QStringLiteral("This page is a shortcut to %1, which is not an image, and cannot be printed.")
                              .arg(PagePaths::GetFileNamePart(path));
        return outcome;
    }
    if (const auto error = printFile(path, true, sink))
        outcome.failure = pageFailure(QStringLiteral("The page"), *error);
    else
        outcome.printed = 1;
    return outcome;
}

Outcome PrintDocumentPages(RecordId documentId, int fromPage, int thruPage, PrintSink &sink)
{
    Outcome outcome;
    const QVector<Pages::PageRow> pages = Pages::readDocumentPageRange(documentId, fromPage, thruPage);
    outcome.nothingFound = pages.isEmpty();
    for (const Pages::PageRow &page : pages) {
        // A shortcut is a file of another kind (a PDF, a letter) that no
        // image printer can draw; it must not stop the pages after it.
        if (page.shortcutYN == QLatin1String("Y")) {
            outcome.shortcuts << pageLabel(page);
            continue;
        }
        const QString path = PagePaths::GetPageFilePath(page.pageId, page.filename);
        if (const auto error = printFile(path, false, sink)) {
            const QString printedBefore = outcome.printed == 1
                ? QStringLiteral("1 page was printed before it")
                : QStringLiteral("%1 pages were printed before it").arg(outcome.printed);
            outcome.failure = pageFailure(QStringLiteral("Page %1").arg(page.pageNumber), *error,
                                          QStringLiteral(" (%1; the pages after it were not printed.)")
                                              .arg(printedBefore));
            return outcome;
        }
        ++outcome.printed;
    }
    return outcome;
}

std::pair<int, int> documentPageRange(RecordId documentId)
{
    return Pages::pageNumberRange(documentId);
}

QString shortcutNote(const Outcome &outcome)
{
    if (outcome.shortcuts.isEmpty())
        return QString();
    return QStringLiteral("These pages are shortcuts to files that are not images and were not printed: %1.")
        .arg(outcome.shortcuts.join(QStringLiteral(", ")));
}

} // namespace PagePrinter

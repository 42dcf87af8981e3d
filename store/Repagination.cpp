#include "store/Repagination.h"

#include <cmath>
#include <limits>
#include <optional>

#include <QLocale>

#include "core/Progress.h"
#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "store/StoreLog.h"

namespace {

// One statement numbers every page of the document by its place in the
// present order. A single UPDATE sees the numbers as they were before it,
// so no page meets a number it is about to be given; rows that keep their
// number are not written.
const QString kRenumber = QStringLiteral(
    "UPDATE Page SET PageNumber = ordered.n"
    " FROM (SELECT PageId, ROW_NUMBER() OVER (ORDER BY PageNumber, PageId) AS n"
    "       FROM Page WHERE DocumentId = ?) AS ordered"
    " WHERE Page.PageId = ordered.PageId AND Page.PageNumber IS NOT ordered.n");

// The progress keeps its two steps per page (the window's range is 1..2n):
// stepping is cheap, as the window paces its event passes.
void advance(const QString &status, int steps)
{
    for (int i = 0; i < steps; ++i)
        Progress::AdvanceProgress(status);
}

void renumber(const QString &status, RecordId documentId, int pageCount)
{
    DbConnection::Transaction tx;
    advance(status, pageCount);
    DbConnection::execute(kRenumber, {documentId});
    advance(status, pageCount);
    tx.commit();
}

bool toNumber(const QLocale &locale, const QString &text, double *value)
{
    bool ok = false;
    *value = locale.toDouble(text, &ok);
    return ok && std::isfinite(*value);
}

} // namespace

namespace Repagination {

bool RepaginateDocument(RecordId documentId, const QString &documentName)
{
    const QString status = QStringLiteral("Repaginate ") + documentName;
    // A failure closes it as the scope ends, keeping the stop request; a
    // repagination that finished ends the run.
    std::optional<ProgressScope> progress;
    try {
        const int n = DbConnection::queryValue(
            QStringLiteral("SELECT COUNT(*) FROM Page WHERE DocumentId = ?"), {documentId}).toInt();
        if (n < 1)
            return true;
        progress.emplace(status, 1, 2 * n);
        renumber(status, documentId, n);
    } catch (const AppError &e) {
        // The transaction has rolled back: every page keeps its number.
        qCWarning(lcStore) << "repagination of document" << documentId << "failed:" << e.text;
        return false;
    }
    progress->end();
    return true;
}

int parsePageNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    double value = 0;
    if (!toNumber(QLocale::system(), trimmed, &value) && !toNumber(QLocale::c(), trimmed, &value))
        return -1;
    // Halves go to the even neighbour, as in the default rounding mode.
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(rounded);
}

} // namespace Repagination

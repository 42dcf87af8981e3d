#include "Repagination.h"

#include <cmath>
#include <limits>

#include <QLocale>
#include <QLoggingCategory>
#include <QVector>

#include "DbConnection.h"
#include "Progress.h"
#include "RecordId.h"

namespace {

Q_LOGGING_CATEGORY(lcRepagination, "vlm.store")

// The first pass parks the pages here, counting down, so that no page of the
// second pass ever meets a number it is about to be given.
constexpr int kParkingNumber = 9999999;

void renumber(const QString &status, RecordId documentId)
{
    DbConnection::Transaction tx;
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT PageId FROM Page WHERE DocumentId = ? ORDER BY PageNumber, PageId"),
        {documentId});
    QVector<RecordId> pageIds;
    for (int row = 0; row < rs.recordCount(); ++row)
        pageIds.append(rs.value(row, 0).toLongLong());
    DbConnection::Statement update(QStringLiteral("UPDATE Page SET PageNumber = ? WHERE PageId = ?"));
    // The parking numbers keep the order, so the second pass walks the same
    // list the first one read.
    int k = kParkingNumber;
    for (int i = pageIds.size() - 1; i >= 0; --i) {
        Progress::AdvanceProgress(status);
        update.run({k--, pageIds.at(i)});
    }
    k = 1;
    for (RecordId pageId : pageIds) {
        Progress::AdvanceProgress(status);
        update.run({k++, pageId});
    }
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
    bool started = false;
    try {
        const int n = DbConnection::QueryValue(
            QStringLiteral("SELECT COUNT(*) FROM Page WHERE DocumentId = ?"), {documentId}).toInt();
        if (n < 1)
            return true;
        Progress::StartProgress(status, 1, 2 * n);
        started = true;
        renumber(status, documentId);
    } catch (const DbError &e) {
        // The transaction has rolled back: every page keeps its number.
        qCWarning(lcRepagination) << "repagination of document" << documentId << "failed:" << e.text;
        if (started)
            Progress::StopProgress();
        return false;
    }
    Progress::EndProgress();
    return true;
}

int ParsePageNumber(const QString &text)
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

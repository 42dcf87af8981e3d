#include "navigation/FindCriteria.h"

#include "core/RunState.h"

FindCriteria &FindCriteria::instance()
{
    static FindCriteria c;
    // A new data folder starts from nothing, the last search's clauses too.
    [[maybe_unused]] static const bool registered = (RunState::addReset([] { c = FindCriteria(); }), true);
    return c;
}

void FindCriteria::ResetFindCriteria()
{
    FindKeywords.clear();
    FindMatchAnyWord = 1;
    FindMatchAllWords = 0;
    FindCabinetName = QStringLiteral("(All)");
    FindDrawerName = QStringLiteral("(All)");
    FindFolderName = QStringLiteral("(All)");
    FindFileSizeFrom = 0;
    FindFileSizeThru = 0;
    FindAmountFrom = 0;
    FindAmountThru = 0;
    FindScanDateFrom = FindDefaultFromDate();
    FindScanDateThru = FindDefaultThruDate();
    FindDocDateFrom = FindDefaultFromDate();
    FindDocDateThru = FindDefaultThruDate();
}

void FindCriteria::buildClauses()
{
    FindScanDateClause = dateClause(QStringLiteral("Page.ScanDate"), FindScanDateFrom, FindScanDateThru, true);
    FindDocDateClause = dateClause(QStringLiteral("Document.DateOnDocument"), FindDocDateFrom, FindDocDateThru, false);
    FindAmountClause = amountClause(FindAmountFrom, FindAmountThru);
    FindFileSizeClause = fileSizeClause(FindFileSizeFrom, FindFileSizeThru);
}

FindClause FindCriteria::dateClause(const QString &column, const QDate &from, const QDate &thru, bool hasTime)
{
    if (!from.isValid() || !thru.isValid() || from > thru
        || (from == FindDefaultFromDate() && thru == FindDefaultThruDate()))
        return {};
    const QString expr = hasTime ? QStringLiteral("substr(%1, 1, 10)").arg(column) : column;
    return {QStringLiteral("(%1 BETWEEN ? AND ?)").arg(expr),
            {from.toString(Qt::ISODate), thru.toString(Qt::ISODate)}};
}

FindClause FindCriteria::amountClause(double from, double thru)
{
    if (from > thru || (from == 0 && thru == 0))
        return {};
    return {QStringLiteral("(Document.Amount >= ? AND Document.Amount <= ?)"), {from, thru}};
}

FindClause FindCriteria::fileSizeClause(qint64 from, qint64 thru)
{
    if (from > thru || (from == 0 && thru == 0))
        return {};
    return {QStringLiteral("(Page.FileSize BETWEEN ? AND ?)"), {from, thru}};
}

void ResetFindCriteria()
{
    FindCriteria::instance().ResetFindCriteria();
}

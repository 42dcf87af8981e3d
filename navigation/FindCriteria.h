#pragma once

#include <QDate>
#include <QString>
#include <QVariantList>

// One condition of the search, as SQL with "?" placeholders and the values
// that fill them. Empty when the search sets no condition of its kind.
struct FindClause
{
    QString sql;
    QVariantList binds;

    bool isEmpty() const { return sql.isEmpty(); }
};

// The criteria of the last search, kept for the run so the search dialog
// opens with them and found documents list only their matching pages.
struct FindCriteria
{
    // The dates that stand for "no limit".
    static QDate FindDefaultFromDate() { return QDate(1901, 1, 1); }
    static QDate FindDefaultThruDate() { return QDate(2099, 12, 31); }

    QString FindKeywords;
    int FindMatchAnyWord = 1;   // non-zero: any word matches
    int FindMatchAllWords = 0;  // non-zero: the whole text must match
    QString FindCabinetName = QStringLiteral("(All)");
    QString FindDrawerName = QStringLiteral("(All)");
    QString FindFolderName = QStringLiteral("(All)");
    QDate FindScanDateFrom = FindDefaultFromDate();
    QDate FindScanDateThru = FindDefaultThruDate();
    QDate FindDocDateFrom = FindDefaultFromDate();
    QDate FindDocDateThru = FindDefaultThruDate();
    // 64-bit: a page file can be larger than 2 GB.
    qint64 FindFileSizeFrom = 0;
    qint64 FindFileSizeThru = 0;
    double FindAmountFrom = 0;
    double FindAmountThru = 0;

    // The conditions of the last search run; a reset keeps them.
    FindClause FindScanDateClause;
    FindClause FindDocDateClause;
    FindClause FindAmountClause;
    FindClause FindFileSizeClause;

    // The run's criteria.
    static FindCriteria &instance();

    // Every criterion back to its default; the clauses stay.
    void ResetFindCriteria();
    // Rebuilds the four clauses from the criteria (what a search run does
    // before it queries).
    void buildClauses();

    // The condition for a date range: none when from is after thru or the
    // range is the default one. Scan dates are stored with their time, so
    // only their date part is compared.
    static FindClause dateClause(const QString &column, const QDate &from, const QDate &thru,
                                 bool hasTime);
    static FindClause amountClause(double from, double thru);
    static FindClause fileSizeClause(qint64 from, qint64 thru);
};

// Resets the run's criteria.
void ResetFindCriteria();

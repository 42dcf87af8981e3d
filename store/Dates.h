#pragma once

#include <QDate>
#include <QString>

// Dates are typed and shown as month/day/year ("03/04/2024" is 4 March)
// whatever the user's locale, with the year in four digits. Month and day
// may drop their leading zero (3/4/2024). Nothing else is guessed at: a
// two-digit year, ISO yyyy-MM-dd and day-first texts are no dates.
namespace Dates {

// Whether the text is a date; a blank text is valid (no date).
bool IsValidDate(const QString &text);
// The date, or an invalid QDate for a blank or wrong text (the "no date").
QDate ToDate(const QString &text);
// "MM/dd/yyyy", or "" for an invalid date.
QString formatDate(const QDate &date);

} // namespace Dates

#pragma once

#include <QDate>
#include <QString>

#include "core/RecordId.h"

// Small helpers every part of the program uses: file classification, and
// the checks on names, paths, dates and amounts.
namespace Common {

// Accepted for dropping or pasting as a page: a .jpg/.jpeg/.bmp image or any
// other file. Only a name that ends in "jpg", "jpeg" or "bmp" without a full
// stop before it ("photojpg") is refused.
bool IsImageFile(const QString &name);
// Filed as a shortcut page: the name does not end in "jpg", "jpeg" or "bmp"
// (no full stop needed, so "photojpg" is not a shortcut either).
bool IsNonImageFile(const QString &name);
// The Filetype stored for a new page: "jpg" for .jpg/.jpeg, else the last
// three characters of the lower-cased name (the whole name when shorter).
QString GetFileType(const QString &name);

// Names may not hold any of \ / : * ? " < > | and the full stop.
bool HasInvalidNameChar(const QString &name);
QString StripInvalidNameChars(const QString &name);
// A file name typed by the user may not hold any of / * ? " < > |. Only the
// file-name part of a path is examined: "/" separates folders here.
bool HasInvalidPathChar(const QString &path);
QString StripInvalidPathChars(const QString &path);

// Empty or spaces only.
bool IsBlank(const QString &text);
// Whether the text shows anything: false when it holds only blanks and
// characters that print nothing (NUL and other controls, zero-width and
// other format characters, variation selectors, fillers).
bool HasVisibleChar(const QString &text);

// Dates are typed and shown as month/day/year ("03/04/2024" is 4 March)
// whatever the user's locale, with the year in four digits. Month and day
// may drop their leading zero (3/4/2024). Nothing else is guessed at: a
// two-digit year, ISO yyyy-MM-dd and day-first texts are no dates. A blank
// text is valid (no date).
bool IsValidDate(const QString &text);
// The date, or an invalid QDate for a blank or wrong text (the "no date").
QDate ToDate(const QString &text);
// "MM/dd/yyyy", or "" for an invalid date.
QString FormatDate(const QDate &date);

// Amounts: "1,250.00" is 1250, "12.50" is 12.5, a leading "$" is allowed
// and a blank text is 0. False for text that is not a number.
// The number a text starts with, read in the C locale: "12.5 mm" is 12.5,
// "-3" is -3; a text that starts with no digit gives 0.
double LeadingNumber(const QString &text);

bool ParseAmount(const QString &text, double *amount);

} // namespace Common

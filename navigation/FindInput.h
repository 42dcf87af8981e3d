#pragma once

#include <QString>

// How the search dialog reads and shows its size and amount boxes, in the
// C locale's digits whatever the user's locale.
namespace FindInput {

// The number the text starts with: an optional sign, digits and one decimal
// point, up to the first other character; 0 when it starts with no number.
double leadingNumber(const QString &text);
// A size box: its leading number rounded to whole bytes, halves to the even
// neighbour, held to the 64-bit range ("1,500" reads as 1).
qint64 fileSizeFromText(const QString &text);
// An amount box: its leading number with the "," separators ignored.
double amountFromText(const QString &text);
// "1,234.50", "0.00".
QString amountText(double amount);

} // namespace FindInput

#pragma once

#include <QString>

// Numbers as the user types them: amounts of money and numbers that lead a
// text. Both are read in the C locale whatever the user's.
namespace Amounts {

// The number a text starts with: "12.5 mm" is 12.5, "-3" is -3; a text that
// starts with no digit gives 0.
double leadingNumber(const QString &text);

// Amounts: "1,250.00" is 1250, "12.50" is 12.5, a leading "$" is allowed
// and a blank text is 0. False for text that is not a number.
bool parseAmount(const QString &text, double *amount);

} // namespace Amounts

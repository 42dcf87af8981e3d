#include "navigation/FindInput.h"

#include <cmath>
#include <limits>

#include <QLocale>

#include "store/Amounts.h"

namespace FindInput {

double leadingNumber(const QString &text)
{
    return Amounts::leadingNumber(text);
}

qint64 fileSizeFromText(const QString &text)
{
    // rint rounds halves to even in the default rounding mode.
    const double n = std::rint(leadingNumber(text));
    // 2^63 itself does not fit: compare against it as a double.
    constexpr double limit = 9223372036854775808.0;
    if (n >= limit)
        return std::numeric_limits<qint64>::max();
    if (n < -limit)
        return std::numeric_limits<qint64>::min();
    return qint64(n);
}

double amountFromText(const QString &text)
{
    return leadingNumber(QString(text).remove(QLatin1Char(',')));
}

QString amountText(double amount)
{
    // US English groups with "," and writes "." whatever the user's locale.
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(amount, 'f', 2);
}

} // namespace FindInput

#include "FindInput.h"

#include <cmath>
#include <limits>

#include <QLocale>

namespace FindInput {

double leadingNumber(const QString &text)
{
    const QString t = text.trimmed();
    int end = 0;
    if (end < t.size() && (t.at(end) == QLatin1Char('-') || t.at(end) == QLatin1Char('+')))
        ++end;
    bool digits = false;
    bool point = false;
    for (; end < t.size(); ++end) {
        const QChar c = t.at(end);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits = true;
        else if (c == QLatin1Char('.') && !point)
            point = true;
        else
            break;
    }
    return digits ? QLocale::c().toDouble(t.left(end)) : 0;
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

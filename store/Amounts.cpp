#include "store/Amounts.h"

#include <QLocale>
#include <QRegularExpression>

namespace Amounts {

bool parseAmount(const QString &text, double *amount)
{
    static const QRegularExpression number(
        QStringLiteral("^([-+]?)\\$?([-+]?)(\\d{1,3}(,\\d{3})+|\\d*)(\\.\\d*)?$"));
    QString t = text.trimmed();
    if (t.isEmpty()) {
        *amount = 0;
        return true;
    }
    const QRegularExpressionMatch m = number.match(t);
    if (!m.hasMatch() || (m.captured(3).isEmpty() && m.captured(5).size() < 2)
        || (!m.captured(1).isEmpty() && !m.captured(2).isEmpty()))
        return false;
    const QString sign = m.captured(1) + m.captured(2);
    QString digits = m.captured(3);
    digits.remove(QLatin1Char(','));
    bool ok = false;
    const double v = QLocale::c().toDouble(sign + digits + m.captured(5), &ok);
    if (!ok)
        return false;
    *amount = v;
    return true;
}

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

} // namespace Amounts

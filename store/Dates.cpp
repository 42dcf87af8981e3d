#include "store/Dates.h"

#include <QRegularExpression>

#include "store/NameChars.h"

namespace Dates {

bool IsValidDate(const QString &text)
{
    return NameChars::IsBlank(text) || ToDate(text).isValid();
}

QDate ToDate(const QString &text)
{
    // ASCII digits only: \d would take other scripts' digits too.
    static const QRegularExpression mdy(QStringLiteral("^([0-9]{1,2})/([0-9]{1,2})/([0-9]{4})$"));
    const QRegularExpressionMatch m = mdy.match(text.trimmed());
    if (!m.hasMatch())
        return {};
    return QDate(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
}

QString formatDate(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("MM/dd/yyyy")) : QString();
}

} // namespace Dates

#include "store/Common.h"

#include "core/RecordId.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kInvalidNameChars = QStringLiteral("\\/:*?\"<>|.");
const QString kInvalidPathChars = QStringLiteral("/*?\"<>|");

bool endsWithImageName(const QString &lower)
{
    return lower.endsWith(QLatin1String("jpg")) || lower.endsWith(QLatin1String("jpeg"))
        || lower.endsWith(QLatin1String("bmp"));
}

QString stripChars(const QString &text, const QString &chars)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (!chars.contains(c))
            out.append(c);
    }
    return out;
}

// Code points that print nothing although they are neither blanks nor
// control or format characters (Unicode's default-ignorable letters and
// marks).
bool isIgnorable(char32_t c)
{
    return c == 0x034F || c == 0x115F || c == 0x1160 || c == 0x17B4 || c == 0x17B5
        || (c >= 0x180B && c <= 0x180F) || c == 0x3164 || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFFA0
        || (c >= 0xE0100 && c <= 0xE01EF);
}

bool printsNothing(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return QChar::isSpace(c) || isIgnorable(c);
    }
}

} // namespace

namespace Common {

bool IsImageFile(const QString &name)
{
    const QString lower = name.toLower();
    if (lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".bmp"))
        || lower.endsWith(QLatin1String(".jpeg")))
        return true;
    return IsNonImageFile(name);
}

bool IsNonImageFile(const QString &name)
{
    return !endsWithImageName(name.toLower());
}

QString GetFileType(const QString &name)
{
    const QString lower = name.toLower();
    if (lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".jpeg")))
        return QStringLiteral("jpg");
    return lower.right(3);
}

bool HasInvalidNameChar(const QString &name)
{
    for (const QChar c : name) {
        if (kInvalidNameChars.contains(c))
            return true;
    }
    return false;
}

QString StripInvalidNameChars(const QString &name)
{
    return stripChars(name, kInvalidNameChars);
}

bool HasInvalidPathChar(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    for (const QChar c : name) {
        if (kInvalidPathChars.contains(c))
            return true;
    }
    return false;
}

QString StripInvalidPathChars(const QString &path)
{
    // Keep the separators of the folder part; clean the file name.
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return path.left(slash + 1) + stripChars(path.mid(slash + 1), kInvalidPathChars);
}

bool IsBlank(const QString &text)
{
    for (const QChar c : text) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

bool HasVisibleChar(const QString &text)
{
    const QList<uint> codes = text.toUcs4();
    return std::any_of(codes.cbegin(), codes.cend(), [](uint c) { return !printsNothing(char32_t(c)); });
}

bool IsValidDate(const QString &text)
{
    return IsBlank(text) || ToDate(text).isValid();
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

QString FormatDate(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("MM/dd/yyyy")) : QString();
}

bool ParseAmount(const QString &text, double *amount)
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

double LeadingNumber(const QString &text)
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

} // namespace Common

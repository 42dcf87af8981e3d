#include "store/NameChars.h"

#include <algorithm>

#include <QList>

namespace {

const QString kInvalidNameChars = QStringLiteral("\\/:*?\"<>|.");
const QString kInvalidPathChars = QStringLiteral("/*?\"<>|");

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

namespace NameChars {

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

bool hasVisibleChar(const QString &text)
{
    const QList<uint> codes = text.toUcs4();
    return std::any_of(codes.cbegin(), codes.cend(), [](uint c) { return !printsNothing(char32_t(c)); });
}

} // namespace NameChars

#include "exchange/CabinetTree.h"

#include <QDir>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include "platform/DbConnection.h"
#include "store/TextFile.h"

namespace {

const QString kRefused = QStringLiteral("\\/:*?\"<>|");

QString clean(const QString &name, bool keepDots)
{
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        // FAT refuses control characters as it refuses the ten others.
        if (c.unicode() < 0x20 || kRefused.contains(c) || (!keepDots && c == QLatin1Char('.')))
            continue;
        out.append(c);
    }
    // Windows and FAT drop trailing blanks, so two names would meet there.
    while (!out.isEmpty() && out.back().isSpace())
        out.chop(1);
    return out.isEmpty() ? QStringLiteral("_") : out;
}

QString withSuffix(const QString &name, int n, bool keepExtension)
{
    const int dot = keepExtension ? name.lastIndexOf(QLatin1Char('.')) : -1;
    const QString tag = QStringLiteral(" (%1)").arg(n);
    return dot <= 0 ? name + tag : name.left(dot) + tag + name.mid(dot);
}

QString nullText(const QVariant &value)
{
    return value.isNull() ? QString() : NullToEmpty(value);
}

} // namespace

namespace CabinetTree {

QString RemoveExtension(const QString &name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString RemoveInvalidFileChars(const QString &name)
{
    return clean(name, false);
}

QString cleanFileName(const QString &name)
{
    return clean(name, true);
}

bool isJpegPath(const QString &path)
{
    const QString lower = path.toLower();
    return lower.endsWith(QLatin1String("jpg")) || lower.endsWith(QLatin1String("jpeg"));
}

QString treeFileName(const QString &sourcePath, const QVariant &pageNumber)
{
    if (isJpegPath(sourcePath))
        return QStringLiteral("Page %1.jpg").arg(pageNumber.isNull() ? QString() : pageNumber.toString());
    return cleanFileName(sourcePath.mid(sourcePath.lastIndexOf(QLatin1Char('/')) + 1));
}

QString uniqueName(const QString &name, QSet<QString> &taken, bool keepExtension)
{
    QString candidate = name;
    for (int n = 2; taken.contains(candidate.toCaseFolded()); ++n)
        candidate = withSuffix(name, n, keepExtension);
    taken.insert(candidate.toCaseFolded());
    return candidate;
}

QString EncodeLineBreaks(const QString &text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("|"));
    out.replace(QLatin1Char('\n'), QLatin1Char('|'));
    out.replace(QLatin1Char('\r'), QLatin1Char('|'));
    return out;
}

QString DecodeLineBreaks(const QString &text)
{
    QString out = text;
    return out.replace(QLatin1Char('|'), QLatin1Char('\n'));
}

QString formatDate(const QVariant &stored)
{
    const QDate date = dateFromValue(stored);
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QString formatAmount(const QVariant &stored)
{
    if (stored.isNull())
        return QString();
    // 'f', not 'g': the reader takes the leading number, and "1.25e+06"
    // would come back as 1.25.
    return QString::number(stored.toDouble(), 'f', QLocale::FloatingPointShortest);
}

std::optional<QDate> parseDate(const QString &text)
{
    static const QRegularExpression form(QStringLiteral(
        "^(?:(\\d{4})-(\\d{2})-(\\d{2})|(\\d{1,2})/(\\d{1,2})/(\\d{4}))(?:[ T]\\d{1,2}:\\d{2}(?::\\d{2})?)?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const bool iso = !m.captured(1).isEmpty();
    const QDate date = iso ? QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt())
                           : QDate(m.captured(6).toInt(), m.captured(4).toInt(), m.captured(5).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QByteArray markerText(const QDateTime &exported)
{
    return TextFile::joinCrLf({QStringLiteral("*** DO NOT DELETE THIS FILE ***"), QStringLiteral("Vellumark"),
                               QStringLiteral("Cabinet exported: ")
                                   + exported.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))})
        .toUtf8();
}

QByteArray descriptionText(const QString &description)
{
    return TextFile::joinCrLf({QStringLiteral("[Description]"), EncodeLineBreaks(description)}).toUtf8();
}

QByteArray documentInfoText(const QVariant &date, const QVariant &description, const QVariant &amount)
{
    return TextFile::joinCrLf({QStringLiteral("[DateOnDocument]"), formatDate(date), QString(),
                               QStringLiteral("[Description]"), EncodeLineBreaks(nullText(description)),
                               QString(), QStringLiteral("[Amount]"), formatAmount(amount)})
        .toUtf8();
}

QString readDescription(const QString &text)
{
    QString value;
    bool started = false;
    for (const QString &raw : TextFile::splitLines(text)) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (!started)
            started = line.toLower() == QLatin1String("[description]");
        else
            value = DecodeLineBreaks(line);
    }
    return value;
}

DocumentInfo readDocumentInfo(const QString &text)
{
    DocumentInfo info;
    QString *slot = nullptr;
    for (const QString &raw : TextFile::splitLines(text)) {
        const QString line = raw.trimmed();
        if (line.isEmpty()) {
            slot = nullptr;
        } else if (slot) {
            *slot = slot == &info.description ? DecodeLineBreaks(line) : line;
            slot = nullptr;
        } else {
            const QString key = line.toLower();
            if (key == QLatin1String("[dateondocument]"))
                slot = &info.dateText;
            else if (key == QLatin1String("[description]"))
                slot = &info.description;
            else if (key == QLatin1String("[amount]"))
                slot = &info.amountText;
        }
    }
    return info;
}

QString findFile(const QString &dir, const QString &name)
{
    const QStringList files = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    for (const QString &file : files) {
        if (file.trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return file;
    }
    return QString();
}

} // namespace CabinetTree

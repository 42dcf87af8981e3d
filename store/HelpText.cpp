#include "store/HelpText.h"

#include <QFileInfo>
#include <QLocale>
#include <QVersionNumber>

#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/StoreLog.h"
#include "store/TextFile.h"

namespace {

const QString kHelpFileName = DataFolder::HelpTextName;
const QString kShippedHelp = QStringLiteral(":/texts/vlmhelp.txt");

bool isRemark(const QString &line)
{
    return line.startsWith(QLatin1Char('\''));
}

bool startsSection(const QString &line)
{
    return TextFile::trimSpaces(line).startsWith(QLatin1Char('['));
}

// Picture lines of the help format: the viewer shows no pictures, and such
// a line neither shows nor takes one of a page's lines.
bool isPictureLine(const QString &line)
{
    const QString lower = line.toLower();
    return lower.startsWith(QLatin1String("centericon")) || lower.startsWith(QLatin1String("centerpicture"));
}

} // namespace

namespace HelpText {

QString helpFilePath()
{
    const QString own = DataFolder::filePath(kHelpFileName);
    if (QFileInfo(own).isFile())
        return own;
    return QFileInfo::exists(kShippedHelp) ? kShippedHelp : QString();
}

bool readHelpText(QString *text)
{
    const QString path = helpFilePath();
    if (path.isEmpty()) {
        qCWarning(lcStore) << "no help file";
        return false;
    }
    try {
        return TextFile::read(path, text);
    } catch (const AppError &e) {
        qCWarning(lcStore) << "cannot read the help file:" << e.message();
        return false;
    }
}

QStringList helpLines(const QString &text)
{
    return TextFile::splitLines(text);
}

QString tocHeader()
{
    return QStringLiteral("[toc]");
}

QString pageHeader(int topic, int page)
{
    return QStringLiteral("[topic%1,page%2]").arg(topic).arg(page);
}

int findSection(const QStringList &lines, const QString &header)
{
    for (int i = 0; i < lines.size(); ++i) {
        if (!isRemark(lines.at(i)) && lines.at(i).toLower() == header)
            return i + 1;
    }
    return -1;
}

QMap<int, QString> parseToc(const QStringList &lines, int from)
{
    QMap<int, QString> entries;
    for (int i = from; i >= 0 && i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (TextFile::trimSpaces(line).isEmpty() || startsSection(line))
            break;
        if (isRemark(line))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        bool ok = false;
        const int number = TextFile::trimSpaces(line.left(eq)).toInt(&ok);
        if (ok && number >= 1 && number <= MaxEntries)
            entries.insert(number, line.mid(eq + 1));
    }
    return entries;
}

QStringList parsePage(const QStringList &lines, int from)
{
    QStringList shown;
    for (int i = from; i >= 0 && i < lines.size() && shown.size() < MaxPageLines; ++i) {
        const QString &line = lines.at(i);
        if (startsSection(line))
            break;
        if (!isRemark(line) && !isPictureLine(line))
            shown.append(line);
    }
    return shown;
}

QString EscapeAmpersands(const QString &text)
{
    QString escaped = text;
    return escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
}

QString versionCaption(const QString &version)
{
    const QVersionNumber v = QVersionNumber::fromString(version);
    return QStringLiteral("Vellumark %1.%2.%3")
        .arg(v.majorVersion())
        .arg(v.minorVersion())
        .arg(v.microVersion(), 2, 10, QLatin1Char('0'));
}

qint64 storedPageCount()
{
    return DbConnection::queryValue(QStringLiteral("SELECT COUNT(*) FROM Page")).toLongLong();
}

QString pageCountCaption(qint64 count)
{
    // QLocale() is the user's locale: the program never sets another default.
    return QStringLiteral("Pages stored: ") + QLocale().toString(count);
}

} // namespace HelpText

#include "exchange/ImportNames.h"

#include <climits>
#include <cmath>

#include "exchange/ExchangeState.h"
#include "exchange/ImportListing.h"

namespace {

// Listed by name without regard to case: readdir's order is arbitrary on
// Linux and would make the page numbers of "Page N" files and of the others
// depend on it. No name filter: "*.*" would drop names without a full stop.
QStringList directoryFiles(const QString &directory)
{
    return ImportListing::files(directory);
}

bool passesFilter(const QString &name, const QString &extensionList)
{
    if (extensionList.isEmpty())
        return true;
    if (extensionList == NoFileTypesChosen)
        return false;
    const QString extension = ImportNames::GetFileExtension(name).trimmed().toLower();
    // An empty entry ("JPG,,") would match every name ending in "."; it
    // stands for nothing.
    const QStringList entries = (extensionList + QLatin1Char(',')).toLower().split(QLatin1Char(','));
    for (const QString &entry : entries) {
        if (!entry.isEmpty() && entry == extension)
            return true;
    }
    return false;
}

} // namespace

namespace ImportNames {

QString GetFileExtension(const QString &name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.mid(dot + 1);
}

bool isMarkerName(const QString &name)
{
    static const QStringList markers{QStringLiteral("vlm.txt"), QStringLiteral("cabinet.txt"),
                                     QStringLiteral("drawer.txt"), QStringLiteral("folder.txt"),
                                     QStringLiteral("document.txt")};
    return markers.contains(name.trimmed().toLower());
}

std::optional<int> pageNumberOfName(const QString &name)
{
    if (!name.left(5).toLower().startsWith(QLatin1String("page ")) || name.size() < 5)
        return std::nullopt;
    const QString rest = name.mid(5);
    int end = 0;
    while (end < rest.size() && rest.at(end).isDigit() && rest.at(end).unicode() < 128)
        ++end;
    if (end < rest.size() && rest.at(end) == QLatin1Char('.')) {
        int fraction = end + 1;
        while (fraction < rest.size() && rest.at(fraction).isDigit() && rest.at(fraction).unicode() < 128)
            ++fraction;
        if (fraction > end + 1)
            end = fraction;
    }
    const double value = end == 0 ? 0.0 : rest.left(end).toDouble();
    const double rounded = std::nearbyint(value);
    // A number no page can carry counts as no number.
    if (rounded > double(INT_MAX))
        return std::nullopt;
    return int(rounded);
}

QString pageNumberNote(const QString &name)
{
    if (!name.left(5).toLower().startsWith(QLatin1String("page ")) || pageNumberOfName(name))
        return QString();
    return QStringLiteral("The page number in its name is larger than %1; the page was numbered after the "
                          "document's last page.")
        .arg(INT_MAX);
}

QStringList filesToImport(const QString &directory, const QString &extensionList)
{
    QStringList kept;
    for (const QString &name : directoryFiles(directory)) {
        if (!isMarkerName(name) && passesFilter(name, extensionList))
            kept.append(name);
    }
    return kept;
}

QStringList listFileTypes(const QString &directory)
{
    QStringList types;
    for (const QString &name : directoryFiles(directory)) {
        const QString extension = GetFileExtension(name).toUpper();
        if (extension.isEmpty() || types.contains(extension))
            continue;
        if (types.size() < MaxFileTypes)
            types.append(extension);
    }
    return types;
}

QString fileTypeListOf(const QStringList &chosen)
{
    if (chosen.isEmpty())
        return NoFileTypesChosen;
    QString list;
    for (const QString &type : chosen)
        list += type + QLatin1Char(',');
    return list;
}

} // namespace ImportNames

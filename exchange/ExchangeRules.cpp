#include "exchange/ExchangeRules.h"

#include <climits>
#include <cmath>

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include "core/Product.h"
#include "core/RecordId.h"
#include "exchange/CabinetTree.h"
#include "store/Amounts.h"
#include "store/Passwords.h"
#include "store/Records.h"

namespace ExchangeRules {

QVector<CabinetEntry> openCabinets()
{
    QVector<CabinetEntry> open;
    for (const Records::CabinetName &cabinet : Records::cabinetNames()) {
        if (Passwords::IsCabinetOpen(cabinet.cabinetId))
            open.append({cabinet.cabinetId, cabinet.name});
    }
    return open;
}

QString expandPath(const QString &typed)
{
    const QString path = typed.trimmed();
    if (path == QLatin1String("~"))
        return QDir::homePath();
    if (path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}

QString insideProgramMessage(const QString &programFolder)
{
    return QStringLiteral("You cannot export a cabinet to a path within the %1 system.\n"
                          "Please select another location that is not within the application path of:\n'%2'.")
        .arg(Product::GetAppTitle(), programFolder);
}

QString defaultOutputPath()
{
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if ((root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/run/media/")))
            && volume.isReady() && !volume.isReadOnly())
            roots.append(root);
    }
    roots.sort();
    return roots.isEmpty() ? QDir::homePath() : roots.first();
}

QString importRoot(const QString &typed)
{
    const QString path = expandPath(typed);
    const QFileInfo info(path);
    if (info.isFile() && info.fileName().trimmed().compare(CabinetTree::MarkerFileName, Qt::CaseInsensitive) == 0)
        return info.absolutePath();
    return path;
}

bool hasMarker(const QString &root)
{
    return !CabinetTree::findFile(root, CabinetTree::MarkerFileName).isEmpty();
}

int diskCountOf(const QString &text)
{
    const double count = std::floor(Amounts::leadingNumber(text));
    if (count >= double(INT_MAX))
        return INT_MAX;
    return count <= double(INT_MIN) ? INT_MIN : int(count);
}

QString elideStatus(const QString &caption, const QString &detail, const std::function<bool(const QString &)> &fits)
{
    const QString line = caption + QLatin1Char(' ') + detail;
    if (fits(line))
        return line;
    const QString lead = caption + QStringLiteral(" ...");
    // Longest tail that fits, found by halving: a long path on a narrow
    // label would otherwise be measured once per character.
    qsizetype low = 0;
    qsizetype high = detail.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (fits(lead + detail.right(mid)))
            low = mid;
        else
            high = mid - 1;
    }
    return lead + detail.right(low);
}

} // namespace ExchangeRules

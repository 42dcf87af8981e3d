#include "imaging/ScannerSettings.h"

#include "platform/Settings.h"
#include "store/ScannerDefaults.h"

namespace {

QString scanType(const QString &key)
{
    const QString type = ScannerDefaults::scanType(key);
    if (type.compare(ScannerDefaults::BlackAndWhite, Qt::CaseInsensitive) == 0)
        return QStringLiteral("B");
    if (type.compare(ScannerDefaults::Grayscale, Qt::CaseInsensitive) == 0)
        return QStringLiteral("G");
    return QStringLiteral("C");
}

} // namespace

namespace ScannerSettings {

QString GetPicScanType()
{
    return scanType(ScannerDefaults::PicScanType);
}

QString GetDocScanType()
{
    return scanType(ScannerDefaults::DocScanType);
}

int GetPicDPI()
{
    return ScannerDefaults::value(ScannerDefaults::PicDpi());
}

int GetDocDPI()
{
    return ScannerDefaults::value(ScannerDefaults::DocDpi());
}

int GetPicQuality()
{
    return ScannerDefaults::value(ScannerDefaults::PicQuality());
}

int GetDocQuality()
{
    return ScannerDefaults::value(ScannerDefaults::DocQuality());
}

int PageQuality(bool addMode)
{
    if (!addMode)
        return GetPicQuality();
    const QString type = Settings::value(QStringLiteral("TWAINImageType"), QStringLiteral("document"));
    return type.toLower() == QLatin1String("picture") ? GetPicQuality() : GetDocQuality();
}

} // namespace ScannerSettings

#include "imaging/ScannerSettings.h"

#include "core/AppSettings.h"

namespace {

QString scanType(const AppSettings::Text &setting)
{
    const QString type = setting.read();
    if (type.compare(AppSettings::BlackAndWhite, Qt::CaseInsensitive) == 0)
        return QStringLiteral("B");
    if (type.compare(AppSettings::Grayscale, Qt::CaseInsensitive) == 0)
        return QStringLiteral("G");
    return QStringLiteral("C");
}

} // namespace

namespace ScannerSettings {

QString GetPicScanType()
{
    return scanType(AppSettings::PicScanType);
}

QString GetDocScanType()
{
    return scanType(AppSettings::DocScanType);
}

int GetPicDPI()
{
    return AppSettings::PicDPIOverride.read();
}

int GetDocDPI()
{
    return AppSettings::DocDPIOverride.read();
}

int GetPicQuality()
{
    return AppSettings::PicQualityOverride.read();
}

int GetDocQuality()
{
    return AppSettings::DocQualityOverride.read();
}

int pageQuality(bool addMode)
{
    if (!addMode)
        return GetPicQuality();
    // Compared in any letter case, unlike the scan's own reading.
    const QString type = AppSettings::TWAINImageType.read();
    return type.toLower() == QLatin1String("picture") ? GetPicQuality() : GetDocQuality();
}

} // namespace ScannerSettings

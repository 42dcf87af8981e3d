#include "ScannerSettings.h"

#include "Settings.h"

namespace {

int rangeSetting(const QString &key, int defaultValue, int low, int high)
{
    const int value = Settings::intValue(key, defaultValue);
    return value >= low && value <= high ? value : defaultValue;
}

QString scanType(const QString &key)
{
    const QString type = Settings::value(key, QStringLiteral("Color")).toLower();
    if (type == QLatin1String("black & white"))
        return QStringLiteral("B");
    if (type == QLatin1String("grayscale"))
        return QStringLiteral("G");
    return QStringLiteral("C");
}

} // namespace

namespace ScannerSettings {

QString GetPicScanType()
{
    return scanType(QStringLiteral("PicScanType"));
}

QString GetDocScanType()
{
    return scanType(QStringLiteral("DocScanType"));
}

int GetPicDPI()
{
    return rangeSetting(QStringLiteral("PicDPIOverride"), 300, 50, 10000);
}

int GetDocDPI()
{
    return rangeSetting(QStringLiteral("DocDPIOverride"), 150, 50, 10000);
}

int GetPicQuality()
{
    return rangeSetting(QStringLiteral("PicQualityOverride"), 30, 1, 255);
}

int GetDocQuality()
{
    return rangeSetting(QStringLiteral("DocQualityOverride"), 50, 1, 255);
}

int PageQuality(bool addMode)
{
    if (!addMode)
        return GetPicQuality();
    const QString type = Settings::value(QStringLiteral("TWAINImageType"), QStringLiteral("document"));
    return type.toLower() == QLatin1String("picture") ? GetPicQuality() : GetDocQuality();
}

} // namespace ScannerSettings

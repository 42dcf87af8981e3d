#include "ScannerSettings.h"

#include "Settings.h"

namespace {

int qualitySetting(const QString &key, int defaultValue)
{
    const int value = Settings::intValue(key, defaultValue);
    return value >= 1 && value <= 255 ? value : defaultValue;
}

} // namespace

namespace ScannerSettings {

int GetPicQuality()
{
    return qualitySetting(QStringLiteral("PicQualityOverride"), 30);
}

int GetDocQuality()
{
    return qualitySetting(QStringLiteral("DocQualityOverride"), 50);
}

int PageQuality(bool addMode)
{
    if (!addMode)
        return GetPicQuality();
    const QString type = Settings::value(QStringLiteral("TWAINImageType"), QStringLiteral("document"));
    return type.toLower() == QLatin1String("picture") ? GetPicQuality() : GetDocQuality();
}

} // namespace ScannerSettings

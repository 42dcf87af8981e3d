#include "store/ScannerDefaults.h"

#include "platform/Settings.h"

namespace {

const QString Yes = QStringLiteral("Y");
const QString No = QStringLiteral("N");

} // namespace

namespace ScannerDefaults {

Number DocDpi()
{
    return {DocDPIOverride, 150, 50, 10000};
}

Number PicDpi()
{
    return {PicDPIOverride, 300, 50, 10000};
}

Number DocQuality()
{
    return {DocQualityOverride, 50, 1, 255};
}

Number PicQuality()
{
    return {PicQualityOverride, 30, 1, 255};
}

bool inRange(const Number &setting, qint64 value)
{
    return value >= setting.low && value <= setting.high;
}

QString text(const Number &setting)
{
    return Settings::value(setting.key, QString::number(setting.defaultValue));
}

int value(const Number &setting)
{
    const int stored = Settings::intValue(setting.key, setting.defaultValue);
    return inRange(setting, stored) ? stored : setting.defaultValue;
}

QString scanType(const QString &key)
{
    return Settings::value(key, Color);
}

bool option(const QString &key)
{
    return Settings::value(key, No) == Yes;
}

void setOption(const QString &key, bool on)
{
    Settings::setValue(key, on ? Yes : No);
}

void setText(const QString &key, const QString &value)
{
    Settings::setValue(key, value);
}

void sync()
{
    Settings::sync();
}

} // namespace ScannerDefaults

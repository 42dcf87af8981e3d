#include "core/AppSettings.h"

#include <cmath>

#include <QDir>

#include "platform/Settings.h"

namespace {

QString keyOf(const char *key)
{
    return QString::fromLatin1(key);
}

QString placementKey(const QString &form, AppSettings::Placement part)
{
    switch (part) {
    case AppSettings::Placement::Top:
        return form + QStringLiteral(".Top");
    case AppSettings::Placement::Left:
        return form + QStringLiteral(".Left");
    case AppSettings::Placement::Height:
        return form + QStringLiteral(".Height");
    case AppSettings::Placement::Width:
        return form + QStringLiteral(".Width");
    case AppSettings::Placement::WindowState:
        break;
    }
    return form + QStringLiteral(".WindowState");
}

} // namespace

namespace AppSettings {

QString Text::read() const
{
    if (!defaultOf)
        return Settings::value(keyOf(key), QString::fromLatin1(defaultValue));
    const std::optional<QString> text = stored();
    return text ? *text : defaultOf();
}

std::optional<QString> Text::stored() const
{
    const QString k = keyOf(key);
    if (!Settings::contains(k))
        return std::nullopt;
    return Settings::value(k);
}

void Text::write(const QString &value) const
{
    Settings::setValue(keyOf(key), value);
}

int Number::read() const
{
    bool ok = false;
    const double v = Settings::value(keyOf(key)).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return defaultValue;
    // The default rounding mode takes halves to the even neighbour.
    const double whole = std::nearbyint(v);
    if (inRange(whole))
        return int(whole);
    if (!clamped)
        return defaultValue;
    return whole < low ? low : high;
}

QString Number::text() const
{
    return Settings::value(keyOf(key), QString::number(defaultValue));
}

void Number::write(int value) const
{
    Settings::setValue(keyOf(key), QString::number(value));
}

void Number::writeText(const QString &text) const
{
    Settings::setValue(keyOf(key), text);
}

bool Flag::read() const
{
    const QString absent = QString::fromLatin1(defaultValue ? on : off);
    return Settings::value(keyOf(key), absent) == QLatin1String(on);
}

void Flag::write(bool value) const
{
    Settings::setValue(keyOf(key), QString::fromLatin1(value ? on : off));
}

QString homeFolder()
{
    return QDir::homePath();
}

QString homeFolderWithSlash()
{
    return QDir::homePath() + QLatin1Char('/');
}

std::optional<int> placement(const QString &form, Placement part)
{
    bool ok = false;
    const int value = Settings::value(placementKey(form, part)).trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

void setPlacement(const QString &form, Placement part, int value)
{
    Settings::setValue(placementKey(form, part), QString::number(value));
}

void sync()
{
    Settings::sync();
}

} // namespace AppSettings

#include "Settings.h"

#include <QSettings>

namespace {

QSettings &store()
{
    // One instance for the run; QSettings re-reads the file when another
    // process (vlmtools) has changed it.
    static QSettings s(QSettings::IniFormat, QSettings::UserScope,
                       QStringLiteral("vellumark"), Settings::AppName);
    return s;
}

QString fullKey(const QString &key)
{
    return QStringLiteral("Settings/") + key;
}

} // namespace

namespace Settings {

QString value(const QString &key, const QString &defaultValue)
{
    const QVariant v = store().value(fullKey(key));
    if (!v.isValid())
        return defaultValue;
    return v.toString();
}

void setValue(const QString &key, const QString &value)
{
    store().setValue(fullKey(key), value);
}

void remove(const QString &key)
{
    store().remove(fullKey(key));
}

bool contains(const QString &key)
{
    return store().contains(fullKey(key));
}

int intValue(const QString &key, int defaultValue)
{
    bool ok = false;
    const int v = value(key).trimmed().toInt(&ok);
    return ok ? v : defaultValue;
}

void removeAll()
{
    store().remove(QStringLiteral("Settings"));
}

void sync()
{
    store().sync();
}

QString fileName()
{
    return store().fileName();
}

} // namespace Settings

#include "platform/Settings.h"

#include <QSettings>

namespace {

QSettings &store()
{
    static QSettings s(QSettings::IniFormat, QSettings::UserScope,
                       QStringLiteral("vellumark"), Settings::AppName);
    return s;
}

// The store as it is on disk now. QSettings keeps what it read until it is
// synced, and vlmtools may have saved the scanner defaults since: each read
// first syncs, which costs a stat of the file when nothing has changed.
QSettings &freshStore()
{
    QSettings &s = store();
    s.sync();
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
    const QVariant v = freshStore().value(fullKey(key));
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
    return freshStore().contains(fullKey(key));
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

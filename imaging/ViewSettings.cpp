#include "imaging/ViewSettings.h"

#include "platform/Settings.h"

namespace {

const QString ZoomDefault = QStringLiteral("ZoomDefault");
const QStringList Values{QStringLiteral("NONE"), QStringLiteral("FITWIDTH"), QStringLiteral("FITHEIGHT")};

} // namespace

namespace ViewSettings {

QStringList ZoomEntries()
{
    return {QStringLiteral("(none)"), QStringLiteral("Fit to width"), QStringLiteral("Fit to height")};
}

QString ZoomValueOf(int index)
{
    return index > 0 && index < Values.size() ? Values.at(index) : Values.first();
}

int ZoomIndexOf(const QString &value)
{
    return qMax(0, int(Values.indexOf(value)));
}

QString ReadZoomDefault()
{
    return Settings::value(ZoomDefault, Values.first());
}

QString SaveZoomDefault(int index)
{
    Settings::setValue(ZoomDefault, ZoomValueOf(index));
    return ReadZoomDefault();
}

} // namespace ViewSettings

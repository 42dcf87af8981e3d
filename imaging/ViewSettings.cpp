#include "imaging/ViewSettings.h"

#include "core/AppSettings.h"

namespace {

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
    return AppSettings::ZoomDefault.read();
}

QString SaveZoomDefault(int index)
{
    AppSettings::ZoomDefault.write(ZoomValueOf(index));
    return ReadZoomDefault();
}

} // namespace ViewSettings

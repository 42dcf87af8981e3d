#include "imaging/ViewSettings.h"

#include "core/AppSettings.h"

namespace {

const QStringList Values{QStringLiteral("NONE"), QStringLiteral("FITWIDTH"), QStringLiteral("FITHEIGHT")};

} // namespace

namespace ViewSettings {

QStringList zoomEntries()
{
    return {QStringLiteral("(none)"), QStringLiteral("Fit to width"), QStringLiteral("Fit to height")};
}

QString zoomValueOf(int index)
{
    return index > 0 && index < Values.size() ? Values.at(index) : Values.first();
}

int zoomIndexOf(const QString &value)
{
    return qMax(0, int(Values.indexOf(value)));
}

QString readZoomDefault()
{
    return AppSettings::ZoomDefault.read();
}

QString saveZoomDefault(int index)
{
    AppSettings::ZoomDefault.write(zoomValueOf(index));
    return readZoomDefault();
}

} // namespace ViewSettings

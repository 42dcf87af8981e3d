#include "imaging/ScanSetup.h"

#include "core/AppSettings.h"

namespace ScanSetup {

Values read()
{
    Values v;
    v.source = {AppSettings::TWAINSource.read(), AppSettings::TWAINSourceVendor.read(),
                AppSettings::TWAINSourceModel.read()};
    v.afterScan = AppSettings::AfterScan.read() == QLatin1String("RETURN") ? 1 : 0;
    // Exactly: the scan itself compares in lower case.
    v.getDocInfo = AppSettings::TwainGetDocInfo.read() == QLatin1String("afterscan") ? 1 : 0;
    v.adf = AppSettings::TWAINADF.read();
    return v;
}

void save(const Values &v)
{
    AppSettings::TWAINSource.write(v.source.name);
    AppSettings::TWAINSourceVendor.write(v.source.vendor);
    AppSettings::TWAINSourceModel.write(v.source.model);
    AppSettings::AfterScan.write(v.afterScan == 0 ? QStringLiteral("IMAGEEDIT") : QStringLiteral("RETURN"));
    if (v.getDocInfo == 0 || v.getDocInfo == 1)
        AppSettings::TwainGetDocInfo.write(v.getDocInfo == 0 ? QStringLiteral("beforescan") : QStringLiteral("afterscan"));
    AppSettings::TWAINADF.write(v.adf);
}

void markShown()
{
    AppSettings::SetupScanSettings.write(true);
}

bool wasShown()
{
    return AppSettings::SetupScanSettings.read();
}

int selectedSource(const QList<ScanSource> &sources, const ScanSource &stored)
{
    if (sources.isEmpty())
        return -1;
    const int found = ScannerMatch::findSource(sources, stored);
    return found >= 0 ? found : 0;
}

QString noScannerMessage()
{
    return QStringLiteral("A scanner could not be detected.");
}

} // namespace ScanSetup

#include "imaging/ScanSetup.h"

#include "platform/Settings.h"

namespace {

const QString TWAINSource = QStringLiteral("TWAINSource");
const QString TWAINSourceVendor = QStringLiteral("TWAINSourceVendor");
const QString TWAINSourceModel = QStringLiteral("TWAINSourceModel");
const QString AfterScan = QStringLiteral("AfterScan");
const QString TwainGetDocInfo = QStringLiteral("TwainGetDocInfo");
const QString TWAINADF = QStringLiteral("TWAINADF");
const QString SetupScanSettings = QStringLiteral("SetupScanSettings");

} // namespace

namespace ScanSetup {

Values Read()
{
    Values v;
    v.source = {Settings::value(TWAINSource), Settings::value(TWAINSourceVendor), Settings::value(TWAINSourceModel)};
    v.afterScan = Settings::value(AfterScan, QStringLiteral("IMAGEEDIT")) == QLatin1String("RETURN") ? 1 : 0;
    v.getDocInfo = Settings::value(TwainGetDocInfo, QStringLiteral("afterscan")) == QLatin1String("afterscan") ? 1 : 0;
    v.adf = Settings::value(TWAINADF, QStringLiteral("N")) == QLatin1String("Y");
    return v;
}

void Save(const Values &v)
{
    Settings::setValue(TWAINSource, v.source.name);
    Settings::setValue(TWAINSourceVendor, v.source.vendor);
    Settings::setValue(TWAINSourceModel, v.source.model);
    Settings::setValue(AfterScan, v.afterScan == 0 ? QStringLiteral("IMAGEEDIT") : QStringLiteral("RETURN"));
    if (v.getDocInfo == 0 || v.getDocInfo == 1)
        Settings::setValue(TwainGetDocInfo, v.getDocInfo == 0 ? QStringLiteral("beforescan") : QStringLiteral("afterscan"));
    Settings::setValue(TWAINADF, v.adf ? QStringLiteral("Y") : QStringLiteral("N"));
}

void MarkShown()
{
    Settings::setValue(SetupScanSettings, QStringLiteral("True"));
}

bool WasShown()
{
    return Settings::value(SetupScanSettings) == QLatin1String("True");
}

int SelectedSource(const QList<ScanSource> &sources, const ScanSource &stored)
{
    if (sources.isEmpty())
        return -1;
    const int found = ScannerMatch::FindSource(sources, stored);
    return found >= 0 ? found : 0;
}

QString NoScannerMessage()
{
    return QStringLiteral("A scanner could not be detected.");
}

} // namespace ScanSetup

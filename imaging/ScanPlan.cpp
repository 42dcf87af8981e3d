#include "imaging/ScanPlan.h"

#include "core/RecordId.h"
#include "imaging/ScanSetup.h"
#include "imaging/ScannerSettings.h"
#include "core/AppSettings.h"
#include "store/Records.h"

namespace ScanPlan {

ScanMode modeOf(const QString &scanType)
{
    if (scanType == QLatin1String("B"))
        return ScanMode::Lineart;
    if (scanType == QLatin1String("G"))
        return ScanMode::Gray;
    return ScanMode::Color;
}

Plan read()
{
    Plan plan;
    plan.imageType = AppSettings::TWAINImageType.read();
    plan.camera = plan.imageType == QLatin1String("camera");
    const bool picture = plan.camera || plan.imageType == QLatin1String("picture");
    ScanRequest &r = plan.request;
    if (plan.camera)
        r.source.name = AppSettings::TWAINCameraSource.read();
    else
        r.source = ScanSetup::read().source;
    r.dpi = picture ? ScannerSettings::GetPicDPI() : ScannerSettings::GetDocDPI();
    r.mode = modeOf(picture ? ScannerSettings::GetPicScanType() : ScannerSettings::GetDocScanType());
    r.feeder = !plan.camera && AppSettings::TWAINADF.read();
    plan.showEditor = AppSettings::AfterScan.read() == QLatin1String("IMAGEEDIT");
    plan.docInfo = AppSettings::TwainGetDocInfo.read().toLower();
    return plan;
}

bool hasSource(const Plan &plan)
{
    return !plan.request.source.name.trimmed().isEmpty();
}

QString noSourceMessage(const Plan &plan)
{
    return plan.camera ? QStringLiteral("A camera could not be detected.") : ScanSetup::noScannerMessage();
}

void rememberSource(const Plan &plan, const ScanSource &used)
{
    if (used.name.isEmpty() || used.name == plan.request.source.name)
        return;
    (plan.camera ? AppSettings::TWAINCameraSource : AppSettings::TWAINSource).write(used.name);
}

void storeDetails(RecordId documentId, const NewDocInfo &info)
{
    Records::DocumentValues values;
    values.name = info.NewDocName;
    values.description = info.NewDocDescription;
    values.dateOnDocument = info.NewDocDate;
    values.amount = info.NewDocAmount;
    Records::updateDocument(documentId, values);
}

QString stoppedMessage(const Plan &plan, const ScanEnd &end, int savedPages)
{
    if (end.outcome == ScanEnd::Outcome::Done || end.outcome == ScanEnd::Outcome::Cancelled)
        return QString();
    if (end.outcome == ScanEnd::Outcome::NoDevice)
        return noSourceMessage(plan);
    QString text = QStringLiteral("Scanning stopped: %1").arg(end.reason);
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    if (savedPages == 1)
        text += QStringLiteral("\nThe page scanned before is saved.");
    else if (savedPages > 1)
        text += QStringLiteral("\nThe %1 pages scanned before are saved.").arg(savedPages);
    return text;
}

} // namespace ScanPlan

#include "ScanDefaults.h"

#include "Common.h"

#include "Settings.h"


#include <cmath>

namespace ScanDefaults {

Resolution ReadResolution()
{
    const Resolution d;
    Resolution r;
    r.docDpi = Settings::value(DocDPIOverride, d.docDpi);
    r.docQuality = Settings::value(DocQualityOverride, d.docQuality);
    r.docScanType = Settings::value(DocScanType, d.docScanType);
    r.picDpi = Settings::value(PicDPIOverride, d.picDpi);
    r.picQuality = Settings::value(PicQualityOverride, d.picQuality);
    r.picScanType = Settings::value(PicScanType, d.picScanType);
    return r;
}

void SaveScanDPI(const Resolution &values)
{
    Settings::setValue(DocDPIOverride, values.docDpi);
    Settings::setValue(DocQualityOverride, values.docQuality);
    Settings::setValue(DocScanType, values.docScanType);
    Settings::setValue(PicDPIOverride, values.picDpi);
    Settings::setValue(PicQualityOverride, values.picQuality);
    Settings::setValue(PicScanType, values.picScanType);
    Settings::sync();
}

Advanced ReadAdvanced()
{
    const QString yes = QStringLiteral("Y");
    return {Settings::value(TWAINShowUI, QStringLiteral("N")) == yes,
            Settings::value(TWAINNativeTransfer, QStringLiteral("N")) == yes};
}

void SaveAdvancedSettings(const Advanced &values)
{
    const auto yn = [](bool b) { return b ? QStringLiteral("Y") : QStringLiteral("N"); };
    Settings::setValue(TWAINShowUI, yn(values.showUi));
    Settings::setValue(TWAINNativeTransfer, yn(values.nativeTransfer));
    Settings::sync();
}

double Val(const QString &text)
{
    return Common::LeadingNumber(text);
}

QString NormalizeNumber(const QString &text)
{
    const double v = Val(text);
    // "-0" would read oddly in a box.
    return QString::number(v == 0 ? 0.0 : v, 'g', 15);
}

qint64 RoundHalfEven(double value)
{
    const double down = std::floor(value);
    const double diff = value - down;
    if (diff > 0.5)
        return qint64(down) + 1;
    if (diff < 0.5)
        return qint64(down);
    return std::fmod(down, 2.0) == 0 ? qint64(down) : qint64(down) + 1;
}

namespace {

std::optional<Refusal> checkDpi(const QString &text, Field field, const QString &what)
{
    const qint64 dpi = RoundHalfEven(Val(text));
    if (dpi < 50)
        return Refusal{field, QStringLiteral("The DPI setting for %1 is too low.  Please enter a DPI that is 50 or higher.").arg(what)};
    if (dpi > 10000)
        return Refusal{field, QStringLiteral("The DPI setting for %1 is too high.  Please enter a DPI that is 10,000 or lower.").arg(what)};
    return std::nullopt;
}

std::optional<Refusal> checkQuality(const QString &text, Field field, const QString &what)
{
    const qint64 q = RoundHalfEven(Val(text));
    if (q < 1 || q > 255)
        return Refusal{field, QStringLiteral("The JPEG Quality setting for %1 is incorrect.  Please enter a value between 1 and 255.").arg(what)};
    return std::nullopt;
}

} // namespace

std::optional<Refusal> ValidateScanDPI(Resolution &values)
{
    for (QString *box : {&values.docDpi, &values.docQuality, &values.picDpi, &values.picQuality})
        *box = NormalizeNumber(*box);
    const QString pages = QStringLiteral("pages");
    const QString pictures = QStringLiteral("pictures");
    if (auto r = checkDpi(values.docDpi, Field::DocDpi, pages))
        return r;
    if (auto r = checkQuality(values.docQuality, Field::DocQuality, pages))
        return r;
    if (auto r = checkDpi(values.picDpi, Field::PicDpi, pictures))
        return r;
    return checkQuality(values.picQuality, Field::PicQuality, pictures);
}

} // namespace ScanDefaults

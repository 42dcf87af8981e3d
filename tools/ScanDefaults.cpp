#include "tools/ScanDefaults.h"

#include "store/Common.h"

#include <cmath>

namespace ScanDefaults {

Resolution ReadResolution()
{
    Resolution r;
    r.docDpi = ScannerDefaults::text(ScannerDefaults::DocDpi());
    r.docQuality = ScannerDefaults::text(ScannerDefaults::DocQuality());
    r.docScanType = ScannerDefaults::scanType(DocScanType);
    r.picDpi = ScannerDefaults::text(ScannerDefaults::PicDpi());
    r.picQuality = ScannerDefaults::text(ScannerDefaults::PicQuality());
    r.picScanType = ScannerDefaults::scanType(PicScanType);
    return r;
}

void SaveScanDPI(const Resolution &values)
{
    ScannerDefaults::setText(DocDPIOverride, values.docDpi);
    ScannerDefaults::setText(DocQualityOverride, values.docQuality);
    ScannerDefaults::setText(DocScanType, values.docScanType);
    ScannerDefaults::setText(PicDPIOverride, values.picDpi);
    ScannerDefaults::setText(PicQualityOverride, values.picQuality);
    ScannerDefaults::setText(PicScanType, values.picScanType);
    ScannerDefaults::sync();
}

Advanced ReadAdvanced()
{
    return {ScannerDefaults::option(TWAINShowUI), ScannerDefaults::option(TWAINNativeTransfer)};
}

void SaveAdvancedSettings(const Advanced &values)
{
    ScannerDefaults::setOption(TWAINShowUI, values.showUi);
    ScannerDefaults::setOption(TWAINNativeTransfer, values.nativeTransfer);
    ScannerDefaults::sync();
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

std::optional<Refusal> checkDpi(const QString &text, const ScannerDefaults::Number &range, Field field,
                                const QString &what)
{
    const qint64 dpi = RoundHalfEven(Val(text));
    if (dpi < range.low)
        return Refusal{field, QStringLiteral("The DPI setting for %1 is too low.  Please enter a DPI that is 50 or higher.").arg(what)};
    if (dpi > range.high)
        return Refusal{field, QStringLiteral("The DPI setting for %1 is too high.  Please enter a DPI that is 10,000 or lower.").arg(what)};
    return std::nullopt;
}

std::optional<Refusal> checkQuality(const QString &text, const ScannerDefaults::Number &range, Field field,
                                    const QString &what)
{
    if (!ScannerDefaults::inRange(range, RoundHalfEven(Val(text))))
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
    if (auto r = checkDpi(values.docDpi, ScannerDefaults::DocDpi(), Field::DocDpi, pages))
        return r;
    if (auto r = checkQuality(values.docQuality, ScannerDefaults::DocQuality(), Field::DocQuality, pages))
        return r;
    if (auto r = checkDpi(values.picDpi, ScannerDefaults::PicDpi(), Field::PicDpi, pictures))
        return r;
    return checkQuality(values.picQuality, ScannerDefaults::PicQuality(), Field::PicQuality, pictures);
}

} // namespace ScanDefaults

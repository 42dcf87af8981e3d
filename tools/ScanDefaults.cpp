#include "tools/ScanDefaults.h"

#include "store/Common.h"

#include <QLocale>

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
    // Digits beyond what a double holds stay as typed; they read back as
    // an infinite number and are refused as such.
    if (!std::isfinite(v))
        return text.trimmed();
    // "-0" would read oddly in a box.
    if (v == 0)
        return QStringLiteral("0");
    // Never with an exponent: a box is read back by the number its text
    // begins with, so "1e+20" would come back as 1.
    const QString text15 = QString::number(v, 'g', 15);
    if (!text15.contains(QLatin1Char('e')))
        return text15;
    return QString::number(v, 'f', QLocale::FloatingPointShortest);
}

double RoundHalfEven(double value)
{
    const double down = std::floor(value);
    const double diff = value - down;
    if (diff > 0.5)
        return down + 1;
    if (diff < 0.5)
        return down;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

namespace {

// Compared as a double: a number of twenty digits lies far beyond every
// integer type, and converting it first would give any value at all.
bool inRange(const ScannerDefaults::Number &range, double value)
{
    return value >= range.low && value <= range.high;
}

std::optional<Refusal> checkDpi(const QString &text, const ScannerDefaults::Number &range, Field field,
                                const QString &what)
{
    const double dpi = RoundHalfEven(Val(text));
    if (dpi < range.low)
        return Refusal{field, QStringLiteral("The DPI setting for %1 is too low.  Please enter a DPI that is 50 or higher.").arg(what)};
    if (dpi > range.high)
        return Refusal{field, QStringLiteral("The DPI setting for %1 is too high.  Please enter a DPI that is 10,000 or lower.").arg(what)};
    return std::nullopt;
}

std::optional<Refusal> checkQuality(const QString &text, const ScannerDefaults::Number &range, Field field,
                                    const QString &what)
{
    if (!inRange(range, RoundHalfEven(Val(text))))
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

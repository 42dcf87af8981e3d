#include "tools/ScanDefaults.h"

#include "store/Amounts.h"

#include <QLocale>

#include <cmath>

namespace ScanDefaults {

Resolution readResolution()
{
    Resolution r;
    r.docDpi = AppSettings::DocDPIOverride.text();
    r.docQuality = AppSettings::DocQualityOverride.text();
    r.docScanType = AppSettings::DocScanType.read();
    r.picDpi = AppSettings::PicDPIOverride.text();
    r.picQuality = AppSettings::PicQualityOverride.text();
    r.picScanType = AppSettings::PicScanType.read();
    return r;
}

void SaveScanDPI(const Resolution &values)
{
    AppSettings::DocDPIOverride.writeText(values.docDpi);
    AppSettings::DocQualityOverride.writeText(values.docQuality);
    AppSettings::DocScanType.write(values.docScanType);
    AppSettings::PicDPIOverride.writeText(values.picDpi);
    AppSettings::PicQualityOverride.writeText(values.picQuality);
    AppSettings::PicScanType.write(values.picScanType);
    AppSettings::sync();
}

Advanced readAdvanced()
{
    return {AppSettings::TWAINShowUI.read(), AppSettings::TWAINNativeTransfer.read()};
}

void SaveAdvancedSettings(const Advanced &values)
{
    AppSettings::TWAINShowUI.write(values.showUi);
    AppSettings::TWAINNativeTransfer.write(values.nativeTransfer);
    AppSettings::sync();
}

double val(const QString &text)
{
    return Amounts::leadingNumber(text);
}

QString normalizeNumber(const QString &text)
{
    const double v = val(text);
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

double roundHalfEven(double value)
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
std::optional<Refusal> checkDpi(const QString &text, const AppSettings::Number &range, Field field,
                                const QString &what)
{
    const double dpi = roundHalfEven(val(text));
    if (dpi < range.low)
        return Refusal{field, QStringLiteral("The DPI setting for %1 is too low.  Please enter a DPI that is 50 or higher.").arg(what)};
    if (dpi > range.high)
        return Refusal{field, QStringLiteral("The DPI setting for %1 is too high.  Please enter a DPI that is 10,000 or lower.").arg(what)};
    return std::nullopt;
}

std::optional<Refusal> checkQuality(const QString &text, const AppSettings::Number &range, Field field,
                                    const QString &what)
{
    if (!range.inRange(roundHalfEven(val(text))))
        return Refusal{field, QStringLiteral("The JPEG Quality setting for %1 is incorrect.  Please enter a value between 1 and 255.").arg(what)};
    return std::nullopt;
}

} // namespace

std::optional<Refusal> ValidateScanDPI(Resolution &values)
{
    for (QString *box : {&values.docDpi, &values.docQuality, &values.picDpi, &values.picQuality})
        *box = normalizeNumber(*box);
    const QString pages = QStringLiteral("pages");
    const QString pictures = QStringLiteral("pictures");
    if (auto r = checkDpi(values.docDpi, AppSettings::DocDPIOverride, Field::DocDpi, pages))
        return r;
    if (auto r = checkQuality(values.docQuality, AppSettings::DocQualityOverride, Field::DocQuality, pages))
        return r;
    if (auto r = checkDpi(values.picDpi, AppSettings::PicDPIOverride, Field::PicDpi, pictures))
        return r;
    return checkQuality(values.picQuality, AppSettings::PicQualityOverride, Field::PicQuality, pictures);
}

} // namespace ScanDefaults

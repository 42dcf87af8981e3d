#include "imaging/PrintLayout.h"

#include <cmath>
#include <limits>

#include <QLocale>

#include "imaging/ImageOps.h"
#include "imaging/ScannerSettings.h"
#include "store/Amounts.h"

namespace PrintLayout {

namespace {

// Nearest whole number, halves to even (rint in the default rounding mode).
double nearest(double value)
{
    return std::rint(value);
}

bool inPercentRange(int value)
{
    return value >= MinPercent && value <= MaxPercent;
}

int dpiOf(int dotsPerMeter)
{
    return dotsPerMeter > 0 ? int(nearest(dotsPerMeter * 0.0254)) : 0;
}

int scaled(int pixels, double printerDpi, double imageDpi)
{
    return int(nearest(printerDpi / imageDpi * pixels));
}

} // namespace

int wholeNumber(const QString &text)
{
    const double n = nearest(Amounts::leadingNumber(text));
    if (n >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (n <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(n);
}

namespace {

// A stored percentage as printing uses it: the number its text begins
// with, as the dialog reads its boxes (not the plain whole-number reading
// of the declaration), when that lies in the setting's range, else its
// default.
int percentOf(const AppSettings::Number &setting)
{
    const int value = wholeNumber(setting.text());
    return setting.inRange(value) ? value : setting.defaultValue;
}

} // namespace

Scale readScale()
{
    return {percentOf(AppSettings::PrintWidthPct), percentOf(AppSettings::PrintHeightPct)};
}

std::optional<ScaleRefusal> saveScale(const QString &widthText, const QString &heightText)
{
    const int width = wholeNumber(widthText);
    const int height = wholeNumber(heightText);
    if (!inPercentRange(width))
        return ScaleRefusal{true, WidthMessage};
    if (!inPercentRange(height))
        return ScaleRefusal{false, HeightMessage};
    AppSettings::PrintWidthPct.write(width);
    AppSettings::PrintHeightPct.write(height);
    return std::nullopt;
}

int scanDpi()
{
    if (AppSettings::TWAINImageType.read() == QLatin1String("document"))
        return ScannerSettings::GetDocDPI();
    return ScannerSettings::GetPicDPI();
}

QSize storedDpi(const QImage &image)
{
    if (!ImageOps::hasStoredResolution(image))
        return QSize(0, 0);
    return QSize(dpiOf(image.dotsPerMeterX()), dpiOf(image.dotsPerMeterY()));
}

QSize printedSize(const QSize &pixels, const QSize &storedDpi, QSize printerDpi, int scanDpi,
                  const Scale &scale)
{
    if (printerDpi.width() <= 0)
        printerDpi.setWidth(FallbackPrinterDpi);
    if (printerDpi.height() <= 0)
        printerDpi.setHeight(FallbackPrinterDpi);
    // A resolution of 0 (none stored) would divide by zero; like one of 350
    // or more it gives way to the scan resolution.
    const bool useStored = storedDpi.width() > 0 && storedDpi.height() > 0
        && storedDpi.width() < ImageDpiLimit && storedDpi.height() < ImageDpiLimit;
    const double resX = useStored ? storedDpi.width() : scanDpi;
    const double resY = useStored ? storedDpi.height() : scanDpi;
    const int w = scaled(pixels.width(), printerDpi.width(), resX);
    const int h = scaled(pixels.height(), printerDpi.height(), resY);
    return QSize(int(nearest(w * PrintScaleFactor * scale.widthPct / 100.0)),
                 int(nearest(h * PrintScaleFactor * scale.heightPct / 100.0)));
}

std::optional<QString> checkRange(int fromPage, int thruPage)
{
    if (fromPage > thruPage)
        return RangeMessage;
    return std::nullopt;
}

int selectedPrinter(const QStringList &printers, const QString &remembered)
{
    if (printers.isEmpty())
        return -1;
    // Every equal entry is taken in turn, so the last one stays selected.
    int selected = 0;
    if (!remembered.isEmpty())
        for (int i = 0; i < printers.size(); ++i)
            if (printers.at(i) == remembered)
                selected = i;
    return selected;
}

} // namespace PrintLayout

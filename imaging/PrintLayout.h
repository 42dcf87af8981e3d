#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

#include "core/AppSettings.h"

// The rules of printing that need no printer: how large a page comes out,
// the width and height percentages of the print settings, the page range
// of a document print and which printer a print dialog preselects.
namespace PrintLayout {

// A printer whose resolution cannot be read counts as this many dpi.
constexpr int FallbackPrinterDpi = 300;
// A stored image resolution at or above this is not used.
constexpr int ImageDpiLimit = 350;
// Every page is printed at this share of its size before the percentages.
constexpr double PrintScaleFactor = 0.95;
constexpr int MinPercent = AppSettings::PrintWidthPct.low;
constexpr int MaxPercent = AppSettings::PrintWidthPct.high;

inline const QString RangeMessage = QStringLiteral("Please enter a 'from page' that is less than the 'to page'.");
inline const QString NothingToPrint = QStringLiteral("Nothing found to print.");
inline const QString WidthMessage = QStringLiteral("Print width % must be between 10% and 200%.");
inline const QString HeightMessage = QStringLiteral("Print height % must be between 10% and 200%.");

// The number the text starts with (blanks, sign, digits, one decimal
// point), rounded to a whole number with halves to even and held to the
// int range; 0 when the text starts with no number: "3.5" is 4, "2.5" 2.
int wholeNumber(const QString &text);

// The width and height percentages applied to every printed page.
struct Scale
{
    int widthPct = 100;
    int heightPct = 100;
};

// AppSettings::PrintWidthPct and PrintHeightPct as printing uses them:
// each the whole number its text begins with when that lies within
// 10..200, else 100.
Scale readScale();

// The print settings dialog's OK: the two boxes read as whole numbers,
// the width checked first. Returns the message of the first box out of
// 10..200 (nothing is stored then), else stores both and returns nothing.
struct ScaleRefusal
{
    bool width;       // true for the width box, false for the height box
    QString message;
};
std::optional<ScaleRefusal> saveScale(const QString &widthText, const QString &heightText);

// The scan resolution that stands in for a stored resolution printing
// cannot use: the document one (ScannerSettings::GetDocDPI) when
// TWAINImageType is exactly "document", else the picture one; nothing
// stored counts as a picture.
int scanDpi();

// The image's stored resolution in whole dots per inch, or 0 on an axis
// with none. Qt gives an image whose file stores no resolution its screen
// default; that value counts as none.
QSize storedDpi(const QImage &image);

// The size in printer pixels of an image of pixels at storedDpi on a
// printer of printerDpi: each axis scaled by printer dpi / image dpi, where
// the image dpi is the stored one when both axes are known and below 350,
// else scanDpi for both; then by 0.95 and the percentage. Each step is
// rounded to the nearest pixel, halves to even. A printer axis of 0 or
// less counts as 300 dpi.
QSize printedSize(const QSize &pixels, const QSize &storedDpi, QSize printerDpi, int scanDpi,
                  const Scale &scale);

// The message refusing a document range, or nothing when from <= thru.
std::optional<QString> checkRange(int fromPage, int thruPage);

// The entry a print dialog selects among printers (in the system's order)
// for the remembered name: the last exact, case-sensitive match, else 0;
// -1 when there is no printer.
int selectedPrinter(const QStringList &printers, const QString &remembered);

} // namespace PrintLayout

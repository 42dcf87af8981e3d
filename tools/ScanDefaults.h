#pragma once

#include "core/AppSettings.h"

#include <QString>

#include <optional>

// The scanner-defaults windows' values: resolution, JPEG quality and colour
// type for document pages and for pictures, and the two scanner-interface
// options, read and written through their AppSettings declarations as the
// texts the boxes hold.
namespace ScanDefaults {

// The texts of the colour type choice, in order.
using AppSettings::Color;
using AppSettings::Grayscale;
using AppSettings::BlackAndWhite;

// The resolution dialog's values, as the texts its boxes hold.
struct Resolution
{
    QString docDpi = QString::number(AppSettings::DocDPIOverride.defaultValue);
    QString docQuality = QString::number(AppSettings::DocQualityOverride.defaultValue);
    QString docScanType = Color;
    QString picDpi = QString::number(AppSettings::PicDPIOverride.defaultValue);
    QString picQuality = QString::number(AppSettings::PicQualityOverride.defaultValue);
    QString picScanType = Color;
};

struct Advanced
{
    bool showUi = false;
    bool nativeTransfer = false;
};

// The box a validation failure points at.
enum class Field { DocDpi, DocQuality, PicDpi, PicQuality };

struct Refusal
{
    Field field;
    QString message;
};

// The stored values, each with its default when absent. A default-made
// Resolution holds the factory defaults.
Resolution readResolution();
// Writes the six settings in the order of the dialog.
void SaveScanDPI(const Resolution &values);

// Checked only for exactly "Y".
Advanced readAdvanced();
// "Y" for a checked option, else "N".
void SaveAdvancedSettings(const Advanced &values);

// The number a text begins with (blanks, sign, digits, fraction); 0 when
// it begins with none: "150 dpi" gives 150, "abc" 0.
double val(const QString &text);
// The text of that number: "12.5", "150", "0"; never with an exponent
// ("100000000000000000000"), and digits beyond a double as typed.
QString normalizeNumber(const QString &text);
// Rounded to the nearest whole number, halves to the even neighbour; kept
// a double, since the number typed may lie beyond every integer type.
double roundHalfEven(double value);

// Rewrites the four number texts to their leading numbers, then checks
// them in order (page DPI 50..10000, page quality 1..255, then the same for
// pictures); the first failure is returned. Colour types are not checked.
std::optional<Refusal> ValidateScanDPI(Resolution &values);

} // namespace ScanDefaults

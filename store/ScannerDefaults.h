#pragma once

#include <QString>

// The scanner defaults that vlmtools writes and vlm's scanning reads: their
// settings keys, the value each has when absent and the range a number must
// lie in. Both programs go through here, so they cannot disagree on a key or
// a default. Every read goes to the settings file afresh (nothing is kept):
// vlmtools may save new defaults while vlm runs.
namespace ScannerDefaults {

inline const QString DocDPIOverride = QStringLiteral("DocDPIOverride");
inline const QString DocQualityOverride = QStringLiteral("DocQualityOverride");
inline const QString DocScanType = QStringLiteral("DocScanType");
inline const QString PicDPIOverride = QStringLiteral("PicDPIOverride");
inline const QString PicQualityOverride = QStringLiteral("PicQualityOverride");
inline const QString PicScanType = QStringLiteral("PicScanType");
inline const QString TWAINShowUI = QStringLiteral("TWAINShowUI");
inline const QString TWAINNativeTransfer = QStringLiteral("TWAINNativeTransfer");

// The texts of the colour type choice, in order; Color is the default.
inline const QString Color = QStringLiteral("Color");
inline const QString Grayscale = QStringLiteral("Grayscale");
inline const QString BlackAndWhite = QStringLiteral("Black & White");

// A whole-number default: its key, its value when absent, and its range.
struct Number
{
    QString key;
    int defaultValue;
    int low;
    int high;
};

// Resolutions in dots per inch, 50..10000; JPEG quality on the program's
// 1..255 scale.
Number DocDpi();
Number PicDpi();
Number DocQuality();
Number PicQuality();

bool inRange(const Number &setting, qint64 value);
// The stored text, or the default as text when absent.
QString text(const Number &setting);
// The stored value rounded to a whole number; the default when absent, no
// number, or outside the range.
int value(const Number &setting);

// The stored colour type text of DocScanType or PicScanType, Color when
// absent.
QString scanType(const QString &key);

// The two scanner-interface options: true only for exactly "Y"; written as
// "Y" or "N".
bool option(const QString &key);
void setOption(const QString &key, bool on);

// Writes one default as text; sync() puts what was written on disk.
void setText(const QString &key, const QString &value);
void sync();

} // namespace ScannerDefaults

#pragma once

#include <QString>

// The scanner defaults that vlmtools writes: colour type, resolution and
// JPEG quality, for document pages and for pictures. Each reads its setting
// at every call (nothing is kept); a text that is no whole number (blanks
// around it are allowed), or one outside the range, gives the default.
namespace ScannerSettings {

// AppSettings::PicScanType / DocScanType: "B" for "Black & White", "G" for
// "Grayscale" (in any letter case), "C" for anything else.
QString GetPicScanType();
QString GetDocScanType();

// AppSettings::PicDPIOverride and DocDPIOverride, in dots per inch.
int GetPicDPI();
int GetDocDPI();

// AppSettings::PicQualityOverride and DocQualityOverride, on the program's
// 1..255 scale.
int GetPicQuality();
int GetDocQuality();

// The quality a page image is written with: a page being edited always
// uses the picture quality; a new page uses it when the scan type
// (AppSettings::TWAINImageType) is "picture" in any letter case, else the
// document quality.
int pageQuality(bool addMode);

} // namespace ScannerSettings

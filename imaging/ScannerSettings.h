#pragma once

#include <QString>

// The scanner defaults that vlmtools writes: colour type, resolution and
// JPEG quality, for document pages and for pictures. Each reads its setting
// at every call (nothing is kept); a text that is no whole number (blanks
// around it are allowed), or one outside the range, gives the default.
namespace ScannerSettings {

// "PicScanType" / "DocScanType" (default "Color"): "B" for "Black & White",
// "G" for "Grayscale" (in any letter case), "C" for anything else.
QString GetPicScanType();
QString GetDocScanType();

// "PicDPIOverride" (default 300) and "DocDPIOverride" (default 150), in
// dots per inch, 50..10000.
int GetPicDPI();
int GetDocDPI();

// "PicQualityOverride" (default 30) and "DocQualityOverride" (default 50)
// on the program's 1..255 scale.
int GetPicQuality();
int GetDocQuality();

// The quality a page image is written with: a page being edited always
// uses the picture quality; a new page uses it when "TWAINImageType"
// (default "document") is "picture" in any letter case, else the document
// quality.
int PageQuality(bool addMode);

} // namespace ScannerSettings

#pragma once

#include <QString>

// The JPEG quality factors of stored pages, read from the scanner defaults
// that vlmtools writes, at every call (nothing is kept).
namespace ScannerSettings {

// "PicQualityOverride" (default 30) and "DocQualityOverride" (default 50)
// on the program's 1..255 scale; a text that is no whole number, or one
// outside the scale, gives the default.
int GetPicQuality();
int GetDocQuality();

// The quality a page image is written with: a page being edited always
// uses the picture quality; a new page uses it when "TWAINImageType"
// (default "document") is "picture" in any letter case, else the document
// quality.
int PageQuality(bool addMode);

} // namespace ScannerSettings

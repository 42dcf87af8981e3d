#pragma once

#include <optional>

#include <QString>

// Every setting of vlm and vlmtools, declared once: its key, how its text
// is read, its default and, for a number, its range. The values live in the
// per-user store (platform/Settings) as text, in the forms written here,
// so a settings file of an earlier version reads the same. Each read goes
// to the store afresh: vlmtools may save the scanner defaults while vlm
// runs, and a window may have written a value since.
namespace AppSettings {

// A text kept as it stands.
struct Text
{
    const char *key;
    const char *defaultValue = "";
    // A default known only at run time (a folder of this user), used in
    // place of defaultValue when set.
    QString (*defaultOf)() = nullptr;

    // The stored text, the default when absent (an empty text is stored).
    QString read() const;
    // The stored text, nothing when absent.
    std::optional<QString> stored() const;
    void write(const QString &value) const;
};

// A whole number kept as its decimal text. The text is read as a number,
// blanks around it allowed, rounded to the nearest whole number with
// halves to the even one. A text that is no number gives the default; a
// number outside low..high the default, or the nearer bound when clamped.
struct Number
{
    const char *key;
    int defaultValue;
    int low;
    int high;
    bool clamped = false;

    int read() const;
    bool inRange(double value) const { return value >= low && value <= high; }
    // The stored text as it stands, the default as text when absent.
    QString text() const;
    void write(int value) const;
    // Stores a text as typed: vlmtools keeps "12.5" as the user wrote it.
    void writeText(const QString &text) const;
};

// A yes/no choice kept as one of two texts; on only for exactly `on`.
struct Flag
{
    const char *key;
    const char *on;
    const char *off;
    bool defaultValue;

    bool read() const;
    void write(bool value) const;
};

// Run-time defaults: the home folder, with and without a trailing "/".
QString homeFolder();
QString homeFolderWithSlash();

// Start-up and the navigation window.
inline constexpr Text ZoomDefault{"ZoomDefault", "NONE"};  // "NONE", "FITWIDTH" or "FITHEIGHT"
inline constexpr Number DisplayCount{"DisplayCount", 20, 1, 64, true};
inline constexpr Text ThumbView{"ThumbView", "thumbnail"};  // "thumbnail" or "list"
inline constexpr Flag FirstShow{"FirstShow", "Y", "N", true};
// The tree's width in twips.
inline constexpr Number tvwMainWidth{"tvwMainWidth", 3000, 1, 9999999};
inline constexpr Text LastNavTreeNodeKey{"LastNavTreeNodeKey"};
// The folder chooser's last folder.
inline constexpr Text PathSelect{"PathSelect"};

// A window's placement, kept under "<form>.Top", ".Left", ".Height",
// ".Width" and ".WindowState" as whole numbers, with no defaults.
enum class Placement { Top, Left, Height, Width, WindowState };
// The stored whole number (blanks around it allowed); nothing when absent
// or not a whole number.
std::optional<int> placement(const QString &form, Placement part);
void setPlacement(const QString &form, Placement part, int value);

// Scanning, as the scan commands and the scan settings dialog write it.
// "document" or "picture" (the scan buttons), "camera"; each reader
// compares it in its own way.
inline constexpr Text TWAINImageType{"TWAINImageType"};
inline constexpr Text TWAINSource{"TWAINSource"};
// The device's vendor and model, to find it again under a new name.
inline constexpr Text TWAINSourceVendor{"TWAINSourceVendor"};
inline constexpr Text TWAINSourceModel{"TWAINSourceModel"};
// Nothing writes it but a found camera's new name.
inline constexpr Text TWAINCameraSource{"TWAINCameraSource"};
inline constexpr Flag TWAINADF{"TWAINADF", "Y", "N", false};
inline constexpr Text AfterScan{"AfterScan", "IMAGEEDIT"};  // "IMAGEEDIT" or "RETURN"
inline constexpr Text TwainGetDocInfo{"TwainGetDocInfo", "afterscan"};  // "beforescan" or "afterscan"
// Written as "True" once the dialog has been shown; never written false.
inline constexpr Flag SetupScanSettings{"SetupScanSettings", "True", "", false};

// The scanner defaults vlmtools writes and scanning reads: resolutions in
// dots per inch, JPEG quality on the program's 1..255 scale (1 keeps the
// most detail), colour types as the texts below.
inline constexpr Number DocDPIOverride{"DocDPIOverride", 150, 50, 10000};
inline constexpr Number PicDPIOverride{"PicDPIOverride", 300, 50, 10000};
inline constexpr Number DocQualityOverride{"DocQualityOverride", 50, 1, 255};
inline constexpr Number PicQualityOverride{"PicQualityOverride", 30, 1, 255};
inline constexpr Text DocScanType{"DocScanType", "Color"};
inline constexpr Text PicScanType{"PicScanType", "Color"};
inline constexpr Flag TWAINShowUI{"TWAINShowUI", "Y", "N", false};
inline constexpr Flag TWAINNativeTransfer{"TWAINNativeTransfer", "Y", "N", false};

// The texts of the colour type choice, in order; Color is the default.
inline const QString Color = QStringLiteral("Color");
inline const QString Grayscale = QStringLiteral("Grayscale");
inline const QString BlackAndWhite = QStringLiteral("Black & White");

// Printing. The percentages are read by printing as the number their text
// begins with, as the print settings dialog reads its boxes.
inline constexpr Number PrintWidthPct{"PrintWidthPct", 100, 10, 200};
inline constexpr Number PrintHeightPct{"PrintHeightPct", 100, 10, 200};
inline constexpr Text Printer{"Printer"};
// The folder of the last page export, with its trailing "/".
inline constexpr Text LastSaveAsPath{"LastSaveAsPath", "", &homeFolderWithSlash};

// Exchange and e-mail.
inline constexpr Text LastImportPath{"LastImportPath", "", &homeFolder};
// No default of its own: the export dialog proposes a removable volume.
inline constexpr Text LastOutputPath{"LastOutputPath"};
inline constexpr Text EmailSystem{"EmailSystem"};  // "DESKTOP", "SMTP" or empty for none
inline constexpr Text EmailAddress{"EmailAddress"};
inline constexpr Text LastSendTo{"LastSendTo"};
inline constexpr Text SmtpHost{"SmtpHost"};
inline constexpr Text SmtpPort{"SmtpPort", "587"};
inline constexpr Text SmtpSecurity{"SmtpSecurity", "starttls"};  // "none", "starttls" or "ssl"
inline constexpr Text SmtpUser{"SmtpUser"};
inline constexpr Text SmtpPassword{"SmtpPassword"};  // kept as typed
inline constexpr Text SmtpFrom{"SmtpFrom"};

// Writes what was written to disk now, for another program to read.
void sync();

} // namespace AppSettings

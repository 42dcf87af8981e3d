#pragma once

#include <QString>
#include <QStringList>

#include <sane/sane.h>

#include "platform/Scanner.h"

// Setting a SANE device up for a request through its option descriptors:
// the source, the scan mode with its bit depth, and the resolution. An
// option the device lacks, or has inactive or fixed, is left as it is.
namespace SaneOptions {

struct Applied
{
    bool feeder = false;  // a document feeder source is selected
    int dpi = 0;          // the resolution the device will use (0 when it has no such option)
};

// Sets source, mode and depth, then resolution, in that order (a source or
// mode may change the resolutions on offer), snapping the resolution to the
// device's range or list and reading back what it took.
Applied apply(SANE_Handle handle, const ScanRequest &request);

// The entries chosen from a device's lists, case-insensitive; -1 for none.
// Feeder: the first entry naming a feeder ("ADF", "Feeder"); flatbed: the
// first naming a flatbed, else none (the device keeps its own).
int sourceEntry(const QStringList &entries, bool feeder);
// Lineart: "Lineart", else an entry containing "lineart", "binary" or
// "black" (-1 leaves grey with one bit); Gray: "Gray"/"Grey" or an entry
// containing them; Color: "Color"/"Colour" or an entry containing them.
int modeEntry(const QStringList &entries, ScanMode mode);

} // namespace SaneOptions

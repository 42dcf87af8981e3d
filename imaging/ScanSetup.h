#pragma once

#include <QList>
#include <QString>

#include "platform/Scanner.h"

// What the scan settings dialog shows and stores: the device to scan from,
// when a new document's details are asked, what follows a scanned page,
// and whether the document feeder is used: the AppSettings TWAINSource
// (the device name) with TWAINSourceVendor and TWAINSourceModel (to find
// the device again under a new name), TwainGetDocInfo, AfterScan, TWAINADF
// and SetupScanSettings.
namespace ScanSetup {

struct Values
{
    ScanSource source;     // an empty name for none
    int getDocInfo = 1;    // 0 "beforescan", 1 "afterscan"
    int afterScan = 0;     // 0 "IMAGEEDIT", 1 "RETURN"
    bool adf = false;
};

// The stored values: an AfterScan other than "RETURN" and a
// TwainGetDocInfo other than exactly "afterscan" give entry 0; the feeder
// only for exactly "Y".
Values read();
// Writes the four choices; a getDocInfo outside 0..1 leaves its key alone.
void save(const Values &values);

// SetupScanSettings = "True": the dialog has been shown (also when it was
// cancelled), so a scan no longer opens it first.
void markShown();
bool wasShown();

// The entry to select for the stored device (ScannerMatch::findSource),
// else the first; -1 for an empty list.
int selectedSource(const QList<ScanSource> &sources, const ScanSource &stored);

// "A scanner could not be detected."
QString noScannerMessage();

} // namespace ScanSetup

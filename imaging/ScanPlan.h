#pragma once

#include <QString>

#include "core/RecordId.h"
#include "platform/Scanner.h"
#include "store/NewDocInfo.h"

// What a scan takes from the settings, read when it starts, and what it
// writes afterwards. TWAINShowUI and TWAINNativeTransfer have no
// counterpart in SANE, whose devices show no dialogs of their own, so they
// are not read.
namespace ScanPlan {

struct Plan
{
    QString imageType;        // TWAINImageType as stored
    bool camera = false;      // exactly "camera": TWAINCameraSource, never the feeder
    ScanRequest request;
    bool showEditor = true;   // AfterScan is exactly "IMAGEEDIT" (the default)
    QString docInfo;          // TwainGetDocInfo in lower case (default "afterscan")
};

// The scan type code of the settings ("B", "G", anything else colour).
ScanMode modeOf(const QString &scanType);

// The plan of the next scan. Resolution and colour type are the picture
// defaults when TWAINImageType is exactly "picture" or "camera" (so
// "Picture" takes the document ones); the feeder when TWAINADF is "Y".
Plan read();

// False when the source name is empty or blank.
bool hasSource(const Plan &plan);
// "A scanner could not be detected." or, for a camera, "A camera could not
// be detected."
QString noSourceMessage(const Plan &plan);

// A device found again under a new name is stored under that name.
void rememberSource(const Plan &plan, const ScanSource &used);

// Gives the document made by a scan the details typed before it: name,
// description, date (none for no date) and amount, every value bound.
// Throws AppError.
void storeDetails(RecordId documentId, const NewDocInfo &info);

// What to tell the user when a batch ended early: the device's reason and,
// when pages were saved before, that they are kept. Empty for a batch that
// ended normally or was cancelled; the no-source message when the device
// could not be found.
QString stoppedMessage(const Plan &plan, const ScanEnd &end, int savedPages);

} // namespace ScanPlan

#pragma once

#include <QString>

#include "core/AppSettings.h"
#include "core/RecordId.h"

// The run's shared state of page imaging.
struct ImagingState
{
    // The folder or document key the running (or last) scan was given.
    QString ScanTargetKey;
    // The document the last page save went into; a scan sets it to -1 when
    // it starts and reads it to find the document it filled.
    RecordId ScanDocumentId = -1;
    // True while a page viewer is open.
    bool PageViewOpen = false;
    // The viewer's default zoom ("NONE", "FITWIDTH", "FITHEIGHT"): read
    // when the program starts, set by the view settings.
    QString ZoomMode = QString::fromLatin1(AppSettings::ZoomDefault.defaultValue);

    static ImagingState &instance();
};

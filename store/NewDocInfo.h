#pragma once

#include <QDate>
#include <QString>

// The details of a new document, asked for before a scan creates it. The
// scan reads them once the new-document dialog closes; when the user
// cancelled (also by closing the window) the scan does not take place.
struct NewDocInfo
{
    bool NewDocCancelled = false;
    QString NewDocName;         // trimmed
    QDate NewDocDate;           // invalid for no date
    QString NewDocDescription;  // as typed
    double NewDocAmount = 0;    // 0 for a blank box
};

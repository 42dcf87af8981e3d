#pragma once

#include <QString>

class QWidget;

// Scanning pages into the filing store: into a new document of a folder or
// onto the end of a document, from the flatbed or every sheet of the
// document feeder.
namespace Scanning {

// Scans into "FLD<id>" (a new document, whose details are asked before or
// after the scan) or "DOC<id>". The first scan of a new installation opens
// the scan settings first. Without a feeder the page is shown in the viewer
// to edit and save, or saved at once (AfterScan); with the feeder every
// sheet is saved as it comes. A device that fails or jams ends the scan
// with a message; pages saved before stay.
void ScanIntoDocument(QWidget *parent, const QString &key);

// The Scan Page ("document") and Scan Picture ("picture") commands: stores
// TWAINImageType, then scans into the selected folder or document; any
// other selection gets "Please click on a folder or document to scan to.".
void scanSelected(QWidget *parent, const QString &imageType, const QString &selectedKey);

} // namespace Scanning

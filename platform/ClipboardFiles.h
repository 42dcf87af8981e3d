#pragma once

#include <QStringList>

class QMimeData;

// File lists on the clipboard, as file managers exchange them: text/uri-list
// plus x-special/gnome-copied-files, with the plain paths as text.
namespace ClipboardFiles {

// Puts the non-empty paths on the clipboard in one step. False, leaving the
// clipboard as it was, when no path is given.
bool CopyFilesToClipboard(const QStringList &paths);
// Fills paths with the local files on the clipboard; returns their number.
int GetFilesFromClipboard(QStringList &paths);
// True when the clipboard holds at least one local file.
bool ClipboardHasFiles();

// The mime data that carries a file list (also used to start drags).
QMimeData *mimeDataForFiles(const QStringList &paths);
// The local files a mime payload names (a drop or the clipboard), in order.
QStringList filesFromMimeData(const QMimeData *data);

} // namespace ClipboardFiles

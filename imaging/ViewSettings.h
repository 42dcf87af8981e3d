#pragma once

#include <QString>
#include <QStringList>

// The default zoom of the page viewer, kept in AppSettings::ZoomDefault:
// "NONE" (100 percent), "FITWIDTH" or "FITHEIGHT".
namespace ViewSettings {

// The entries of the dialog's list, in order, and the values they stand for.
QStringList zoomEntries();
QString zoomValueOf(int index);
// The entry of a stored value; any other text (another letter case too)
// is entry 0, "(none)".
int zoomIndexOf(const QString &value);

// The stored value (default "NONE").
QString readZoomDefault();
// Stores the value of the entry and returns what the store then holds.
QString saveZoomDefault(int index);

} // namespace ViewSettings

#pragma once

#include <QString>

class QWidget;

// A window's placement kept in the settings store between runs, and the
// top-most switch. The keys are those of AppSettings::placement under the
// name, which defaults to the window's objectName.
namespace FormPosition {

// Writes the window state ("0" normal, "1" minimised, "2" maximised). A
// window in the normal state also writes its position and size in pixels;
// a minimised or maximised one writes only the state, so the store keeps
// its last normal placement.
void SaveFormPosition(QWidget *window, const QString &name = QString());

// Puts the window at its stored normal placement, then into the stored
// state; a stored minimised state restores as normal, and a maximised
// window returns to the stored placement when it is restored. Missing or
// unreadable values leave that part of the window as it is; never fails.
// The size is not applied to a window of fixed size.
void RestoreFormPosition(QWidget *window, const QString &name = QString());

// Keeps the window above the others (or not), visible as it was.
void SetTopMost(QWidget *window, bool topMost);

} // namespace FormPosition

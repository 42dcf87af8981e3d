#pragma once

#include <QIcon>
#include <QString>

// The pictures of tree nodes and list items, by image key ("root",
// "cabinet", "locked", "drawer", "folder", "document", "found", "page").
// Drawn once per run at 16 and 32 pixels, so the program needs no icon
// theme and looks the same on every desktop.
namespace NavIcons {

QIcon icon(const QString &iconKey);
// The program's own icon (a cabinet), for every window.
QIcon appIcon();

} // namespace NavIcons

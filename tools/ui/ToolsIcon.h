#pragma once

#include <QIcon>

// The icon of vlmtools' windows: the filing cabinet of the program's
// desktop icon.
namespace ToolsIcon {

QIcon appIcon();

} // namespace ToolsIcon

#pragma once

#include <QString>

// The name the program goes by in its messages.
namespace Product {

// "Vellumark", the title of every message box; also the sender of the mail
// the program sends and the name in its refusals and marker files.
QString GetAppTitle();

} // namespace Product

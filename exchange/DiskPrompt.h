#pragma once

#include <QString>

#include <optional>

// The next-disk question of a cabinet spread over several disks. A new
// medium is often mounted at a path of its own (/media/<user>/<label>),
// so besides OK (the same path) the user may choose another folder.
namespace DiskPrompt {

// Asks text ("Please insert disk #2") until the user gives a folder that
// exists on a ready volume (and, forWriting, may be written), starting
// from currentPath; a folder that does not is refused with a message and
// the question comes again. Nothing for Cancel.
std::optional<QString> askForDisk(const QString &text, const QString &currentPath, bool forWriting);

// Why a folder cannot serve as the next disk; "" when it can.
QString diskRefusal(const QString &path, bool forWriting);

} // namespace DiskPrompt

#pragma once

#include <QImage>
#include <QString>

#include <optional>

#include "core/RecordId.h"
#include "platform/DbError.h"

// Exporting the viewer's image as a JPEG file of the user's choice, which
// must lie outside the data folder (the program's own files).
namespace SaveAs {

// The name offered first: the folder of the last export
// (AppSettings::LastSaveAsPath, at first the home folder) and "<page id>.jpg".
QString ProposedName(RecordId pageId);

// A chosen name without an extension gets ".jpg", as the dialog's default
// extension.
QString WithDefaultExtension(const QString &name);

// True when the name lies in the data folder: its text holds the folder's
// path in any letter case, or it leads there through a symbolic link (one
// naming a file not made yet too) or "..".
bool IsInsideDataFolder(const QString &name);
QString InsideDataFolderMessage();
QString OverwriteQuestion(const QString &name);

// Writes the image at name (making its folder) with the quality factor and
// remembers its folder as LastSaveAsPath; on failure nothing is
// remembered and the error says why.
[[nodiscard]] std::optional<DbError> Export(const QImage &image, const QString &name, int quality);

} // namespace SaveAs

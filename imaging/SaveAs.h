#pragma once

#include <QImage>
#include <QString>

#include <optional>

#include "core/RecordId.h"
#include "platform/AppError.h"

// Exporting the viewer's image as a JPEG file of the user's choice, which
// must lie outside the data folder (the program's own files).
namespace SaveAs {

// The name offered first: the folder of the last export
// (AppSettings::LastSaveAsPath, at first the home folder) and "<page id>.jpg".
QString proposedName(RecordId pageId);

// A chosen name without an extension gets ".jpg", as the dialog's default
// extension.
QString withDefaultExtension(const QString &name);

// True when the name lies in the data folder: its text holds the folder's
// path in any letter case, or it leads there through a symbolic link (one
// naming a file not made yet too) or "..".
bool isInsideDataFolder(const QString &name);
QString insideDataFolderMessage();
QString overwriteQuestion(const QString &name);

// Writes the image at name (making its folder) with the quality factor and
// remembers its folder as LastSaveAsPath; on failure nothing is
// remembered and the error says why.
[[nodiscard]] std::optional<AppError> exportImage(const QImage &image, const QString &name, int quality);

} // namespace SaveAs

#pragma once

#include <QString>

// What kind of page a file becomes: an image filed as a picture, or any
// other file filed as a shortcut page, and the Filetype stored for it.
namespace FileKinds {

// Accepted for dropping or pasting as a page: a .jpg/.jpeg/.bmp image or any
// other file. Only a name that ends in "jpg", "jpeg" or "bmp" without a full
// stop before it ("photojpg") is refused.
bool IsImageFile(const QString &name);
// Filed as a shortcut page: the name does not end in "jpg", "jpeg" or "bmp"
// (no full stop needed, so "photojpg" is not a shortcut either).
bool IsNonImageFile(const QString &name);
// The Filetype stored for a new page: "jpg" for .jpg/.jpeg, else the last
// three characters of the lower-cased name (the whole name when shorter).
QString GetFileType(const QString &name);

} // namespace FileKinds

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Whether a file offered as a page image can be read as one, before it is
// filed: a file that only looks like an image by its name (no bytes,
// random bytes, a broken header, a header claiming more pixels than an
// image may take) is refused up front rather than failing when the page is
// opened.
namespace ImageCheck {

// Why the image file at path cannot be read (the reader's own reason, or
// the system's for a file that does not open); nothing when it decodes.
// The check decodes at thumbnail size, so a JPEG of any size is cheap.
std::optional<QString> UnreadableImage(const QString &path);

// True for the bytes of a JPEG that end before its end-of-image marker:
// the decoder fills the missing part in grey and only warns.
bool EndsEarly(const QByteArray &bytes);

// The same for the file at path (read through a mapping, not copied); false
// when it cannot be read.
bool FileEndsEarly(const QString &path);

// The warning an image that ends early is filed with.
QString EndsEarlyNote();

} // namespace ImageCheck

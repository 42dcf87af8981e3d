#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

// Whether a file offered as a page image can be read as one, before it is
// filed: a file that only looks like an image by its name (no bytes,
// random bytes, a broken header) is refused up front rather than failing
// when the page is opened, and one too large to show is told apart.
namespace ImageCheck {

// Why the image file at path cannot be read (the reader's own reason, or
// the system's for a file that does not open); nothing when it decodes.
// The check decodes at thumbnail size, a JPEG at an eighth of its own. A
// JPEG too large to show whole (overAllocationLimit) is not decoded at all:
// that eighth alone would take a quarter GB and seconds for 65000 by 65000
// pixels. Its header has been read, and it is filed with the reason it
// cannot be shown (fileTooLargeToShow).
std::optional<QString> unreadableImage(const QString &path);

// The bytes Qt's allocation limit counts for a whole image of size decoded
// to format: every pixel at 32 bits at least (grey ones too), whole words
// a line.
qint64 decodedBytes(const QSize &size, QImage::Format format);
// Whether those bytes are more than the allocation limit that both
// programs set; false when no limit is set or the size is not known.
bool overAllocationLimit(const QSize &size, QImage::Format format);

// Why the page viewer could not show the image of these bytes: decoded
// whole, as the viewer decodes it, its pixels would need more than the
// allocation limit that both programs set (QImageReader::allocationLimit(),
// 1024 MB), counted as decodedBytes counts them. A page is
// checked before it is filed, because the check that decodes it
// (unreadableImage) does so at thumbnail size and so lets any size pass.
// Read from the header alone, so a 65000 x 65000 JPEG costs nothing;
// nothing when the image can be shown, when no limit is set, or when the
// bytes are no image the reader knows (unreadableImage tells that).
std::optional<QString> bytesTooLargeToShow(const QByteArray &bytes);
// The same for the file at path; nothing when it cannot be opened.
std::optional<QString> fileTooLargeToShow(const QString &path);

} // namespace ImageCheck

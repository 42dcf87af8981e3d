#pragma once

#include <QByteArray>
#include <QString>

// Whether a JPEG holds its whole image: a file cut short (a copy stopped
// half way, a camera's card pulled out) still decodes, the missing part in
// grey, and the decoder only warns, so it is told apart here and filed or
// shown with a word about it.
namespace JpegEnd {

// True for the bytes of a JPEG whose image ends before its end-of-image
// marker: its segments, walked by their lengths from the start of image
// through each start of scan, and its scans' data must run to that marker.
// A segment's body is never searched for markers, so the start and end of
// the thumbnail a camera embeds in its EXIF segment do not count as the
// image's own. False for bytes that are no JPEG and for a JPEG that ends
// before its first scan (no picture to fill in; its decode refuses it).
bool endsEarly(const QByteArray &bytes);

// The same for the file at path (read through a mapping, not copied); false
// when it cannot be read.
bool fileEndsEarly(const QString &path);

// The warning an image that ends early is filed with.
QString endsEarlyNote();

} // namespace JpegEnd

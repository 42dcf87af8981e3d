#pragma once

#include <QtGlobal>

class QIODevice;
class QString;

// What decoding an image for its thumbnail holds in memory at its peak,
// estimated from the image's header, so that an import can bound the
// decodes it runs at once by bytes instead of by threads.
namespace DecodeCost {

// A JPEG decodes at an eighth of its size, holding that picture and,
// when the eighth covers the thumbnail, one DC value a block. A
// progressive one's decoder keeps the coefficients of the whole image (two
// bytes a sample of each component) whatever the scale, unless its picture
// comes from its DC scans (JpegDc takes it and the eighth covers the
// thumbnail): then that picture and one value a block.
// Any other image is decoded whole (four bytes a pixel). 0 when the
// header cannot be read: such a file fails before it decodes anything.
// Reads from the device's current position; leaves it anywhere.
qint64 ofThumbnail(QIODevice *device);
// The same for the file at path; 0 when it cannot be opened.
qint64 ofThumbnailFile(const QString &path);

} // namespace DecodeCost

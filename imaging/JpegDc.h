#pragma once

#include <QByteArray>
#include <QImage>
#include <QtGlobal>

// The eighth-size picture of a JPEG from its blocks' DC values alone.
//
// At an eighth of its size every 8x8 block of a JPEG is one pixel, the
// block's mean, which its DC coefficient holds. A progressive file sends
// those coefficients first, in scans of their own, so the picture needs
// one value a block instead of the whole image's coefficients that a
// general decoder keeps for such a file: a few MB for a 600-dpi page
// instead of a hundred. A baseline file's one scan is read for its DC
// values with its AC coefficients passed over unbuilt, which is most of
// what a general decoder spends at that scale.
//
// The files are anyone's, so it reads strictly within the bytes it is
// given and declines (a null image) whatever it does not fully know:
// arithmetic coding, lossless and hierarchical files, other than 8 bits a
// sample, other than grey or YCbCr, a first scan that is not the DC of
// every component (a progressive file) or every coefficient of every
// component (a baseline one), a picture beyond QImageReader's allocation
// limit, and any file cut short or inconsistent. The caller then decodes
// the file the general way.
//
// Each thread keeps the memory of its last decode (up to a few MB), so
// that page after page reuses it.
namespace JpegDc {

// Whether decode() takes the file that header starts (its bytes through
// the first scan's header, or more): judged from the frame and the first
// scan without decoding anything, so that a file it takes can be counted
// at its small cost before it is read.
bool accepts(const QByteArray &header);

// The bytes decode() holds for the file that header starts (its picture
// and one value a block); 0 when it would decline.
qint64 workingBytes(const QByteArray &header);

// The picture of the JPEG in bytes at an eighth of its size (rounded up),
// 32-bit RGB, chroma repeated over the pixels it covers; null when it
// declines.
QImage decode(const QByteArray &bytes);

} // namespace JpegDc

#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <functional>

// The cheap decode of a JPEG for a small picture: libjpeg-turbo decodes the
// file at 1/8, 1/4 or 1/2 of its size (whichever still covers the size
// needed) with its fast DCT and without fancy upsampling, straight into a
// 32-bit colour image. Made for thumbnails, where that loss cannot be seen
// once the picture is scaled to 100 pixels. A file needed at an eighth of
// its size is read for its DC values alone (JpegDc) when that decoder
// takes it: the general decoder builds every coefficient of a baseline
// file and holds a progressive file's whole coefficients.
//
// It declines rather than guesses: any file it cannot decode cleanly (not a
// JPEG, CMYK, damaged or cut short, too large to hold) gives a null image,
// and the caller decodes the file with Qt, which reports why. A file too
// large to show whole (ImageCheck::overAllocationLimit) is read by JpegDc
// or declined without being decoded; its caller then decodes it no further.
namespace ScaledJpeg {

// Whether bytes start like a JPEG file.
bool looksLikeJpeg(const QByteArray &bytes);

// The image of the JPEG in bytes decoded at the smallest reduction that
// covers neededFor(stored size) in both directions; null when declined.
QImage decode(const QByteArray &bytes, const std::function<QSize(const QSize &)> &neededFor);

} // namespace ScaledJpeg

#include "imaging/ScaledJpeg.h"

#include <memory>

#include <QImageReader>
#include <QtEndian>

#include <turbojpeg.h>

#include "core/ImageCheck.h"
#include "imaging/ImageOps.h"
#include "imaging/JpegDc.h"

namespace {

struct HandleCloser
{
    void operator()(void *handle) const { tjDestroy(handle); }
};
using Decompressor = std::unique_ptr<void, HandleCloser>;

// The turbojpeg layout of QImage::Format_RGB32 (0xffRRGGBB in native
// order); libjpeg-turbo fills the unused byte with 0xff.
constexpr int kPixelFormat = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? TJPF_BGRX : TJPF_XRGB;

// Whether an image of size fits QImageReader's allocation limit, as Qt's
// own decode would check it.
bool withinLimit(const QSize &size)
{
    const int limitMb = QImageReader::allocationLimit();
    return limitMb <= 0 || qint64(size.width()) * size.height() * 4 <= qint64(limitMb) * 1024 * 1024;
}

} // namespace

namespace ScaledJpeg {

bool looksLikeJpeg(const QByteArray &bytes)
{
    return bytes.size() > 3 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8 && uchar(bytes[2]) == 0xFF;
}

QImage decode(const QByteArray &bytes, const std::function<QSize(const QSize &)> &neededFor)
{
    if (!looksLikeJpeg(bytes))
        return QImage();
    const Decompressor handle(tjInitDecompress());
    if (!handle)
        return QImage();
    auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto length = static_cast<unsigned long>(bytes.size());
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(handle.get(), data, length, &width, &height, &subsampling, &colourspace) != 0)
        return QImage();
    // CMYK and YCCK files do not convert to RGB here; Qt's decoder does.
    if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK || width <= 0 || height <= 0)
        return QImage();
    const QSize stored(width, height);
    const QSize reduced = ImageOps::reducedDecodeSize(stored, neededFor(stored));
    if (!withinLimit(reduced))
        return QImage();
    // An eighth of the size needs only each block's DC value; libjpeg-turbo
    // would build every coefficient of a baseline file and hold a
    // progressive file's whole coefficients.
    if (reduced == QSize((width + 7) / 8, (height + 7) / 8)) {
        const QImage fromDc = JpegDc::decode(bytes);
        if (!fromDc.isNull())
            return fromDc;
    }
    // A file too large to show whole is read for its DC values or not at
    // all: decoding every block, even at an eighth, would cost a quarter
    // GB and seconds for 65000 by 65000 pixels, for a picture of a hundred.
    if (ImageCheck::overAllocationLimit(stored, QImage::Format_RGB32))
        return QImage();
    QImage image(reduced, QImage::Format_RGB32);
    if (image.isNull())
        return QImage();
    // The fast paths lose nothing a picture of a hundred pixels shows. A
    // warning (a file cut short, a damaged segment) fails the decode too,
    // so such files go to Qt's decoder, which shows what it can.
    const int flags = TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE;
    if (tjDecompress2(handle.get(), data, length, image.bits(), reduced.width(), int(image.bytesPerLine()),
                      reduced.height(), kPixelFormat, flags)
        != 0)
        return QImage();
    return image;
}

} // namespace ScaledJpeg

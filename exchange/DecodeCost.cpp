#include "exchange/DecodeCost.h"

#include <algorithm>
#include <optional>
#include <vector>

#include <QFile>
#include <QImageReader>
#include <QIODevice>

namespace {

// The frame header of a JPEG: its size, whether it is progressive and
// each component's sampling factors.
struct JpegFrame
{
    qint64 width = 0;
    qint64 height = 0;
    bool progressive = false;
    std::vector<std::pair<int, int>> sampling;
};

constexpr int kDctSize = 8;
constexpr int kBytesPerBlock = 64 * 2;  // 64 coefficients of 16 bits
constexpr int kBytesPerPixel = 4;       // the decoded picture, 32-bit
// Segments walked before giving up on a header that never names its frame.
constexpr int kMaxSegments = 1024;

qint64 ceilDiv(qint64 a, qint64 b)
{
    return (a + b - 1) / b;
}

qint64 roundUp(qint64 a, qint64 multiple)
{
    return ceilDiv(a, multiple) * multiple;
}

bool readByte(QIODevice *device, uchar *byte)
{
    char c = 0;
    if (!device->getChar(&c))
        return false;
    *byte = uchar(c);
    return true;
}

bool isFrameMarker(uchar marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<JpegFrame> parseFrame(uchar marker, const QByteArray &body)
{
    const auto at = [&body](int i) { return int(uchar(body.at(i))); };
    if (body.size() < 6 || body.size() < 6 + 3 * at(5))
        return std::nullopt;
    JpegFrame frame;
    frame.height = at(1) << 8 | at(2);
    frame.width = at(3) << 8 | at(4);
    frame.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
    for (int c = 0; c < at(5); ++c) {
        const int factors = at(6 + 3 * c + 1);
        frame.sampling.push_back({std::max(1, factors >> 4), std::max(1, factors & 0x0F)});
    }
    return frame;
}

// Walks the segments up to the frame header; nothing for a file that is
// not a JPEG or whose header is cut short.
std::optional<JpegFrame> readJpegFrame(QIODevice *device)
{
    if (device->read(2) != QByteArray("\xFF\xD8", 2))
        return std::nullopt;
    for (int segment = 0; segment < kMaxSegments; ++segment) {
        uchar byte = 0;
        if (!readByte(device, &byte) || byte != 0xFF)
            return std::nullopt;
        while (byte == 0xFF) {  // fill bytes before the marker
            if (!readByte(device, &byte))
                return std::nullopt;
        }
        if (byte == 0x01 || (byte >= 0xD0 && byte <= 0xD8))
            continue;  // markers without a length
        if (byte == 0xD9 || byte == 0xDA)
            return std::nullopt;  // no frame before the image data
        const QByteArray length = device->read(2);
        if (length.size() != 2)
            return std::nullopt;
        const qint64 bodySize = (qint64(uchar(length.at(0))) << 8 | uchar(length.at(1))) - 2;
        if (bodySize < 0)
            return std::nullopt;
        if (isFrameMarker(byte))
            return parseFrame(byte, device->read(bodySize));
        if (device->skip(bodySize) != bodySize)
            return std::nullopt;
    }
    return std::nullopt;
}

// The whole-image coefficient buffer libjpeg keeps for a progressive
// file: each component's blocks, padded to whole sampling units.
qint64 coefficientBytes(const JpegFrame &frame)
{
    int maxH = 1;
    int maxV = 1;
    for (const auto &[h, v] : frame.sampling) {
        maxH = std::max(maxH, h);
        maxV = std::max(maxV, v);
    }
    qint64 bytes = 0;
    for (const auto &[h, v] : frame.sampling) {
        const qint64 across = roundUp(ceilDiv(frame.width * h, qint64(maxH) * kDctSize), h);
        const qint64 down = roundUp(ceilDiv(frame.height * v, qint64(maxV) * kDctSize), v);
        bytes += across * down * kBytesPerBlock;
    }
    return bytes;
}

qint64 ofJpeg(const JpegFrame &frame)
{
    const qint64 picture = ceilDiv(frame.width, kDctSize) * ceilDiv(frame.height, kDctSize) * kBytesPerPixel;
    return picture + (frame.progressive ? coefficientBytes(frame) : 0);
}

} // namespace

namespace DecodeCost {

qint64 ofThumbnail(QIODevice *device)
{
    const qint64 start = device->pos();
    if (const std::optional<JpegFrame> frame = readJpegFrame(device))
        return ofJpeg(*frame);
    if (!device->seek(start))
        return 0;
    QImageReader reader(device);
    const QSize size = reader.size();
    return size.isValid() ? qint64(size.width()) * size.height() * kBytesPerPixel : 0;
}

qint64 ofThumbnailFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return ofThumbnail(&file);
}

} // namespace DecodeCost

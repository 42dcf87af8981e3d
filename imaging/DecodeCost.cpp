#include "imaging/DecodeCost.h"

#include <algorithm>
#include <optional>
#include <vector>

#include <QFile>
#include <QImageReader>
#include <QIODevice>

#include "imaging/ImageOps.h"
#include "imaging/JpegDc.h"
#include "imaging/JpegReader.h"
#include "imaging/ThumbnailMaker.h"

namespace {

// The frame header of a JPEG: its size, whether it is progressive and
// each component's sampling factors.
struct JpegFrame
{
    qint64 width = 0;
    qint64 height = 0;
    bool progressive = false;
    std::vector<std::pair<int, int>> sampling;
    // The file's bytes from its start through the first scan's header (or
    // as far as they were read), for JpegDc to judge.
    QByteArray header;
};

constexpr int kDctSize = 8;
constexpr int kCoefficientsPerBlock = 64;
constexpr int kBytesPerBlock = kCoefficientsPerBlock * 2;  // of 16 bits each
constexpr int kBytesPerPixel = 4;       // the decoded picture, 32-bit
// Segments walked before giving up on a header that never names its frame.
constexpr int kMaxSegments = 1024;
// Bytes of tables kept for JpegDc; a header beyond is not judged.
constexpr qint64 kMaxHeaderBytes = 1024 * 1024;
// Bytes looked at for a marker and its length; a run of fill bytes longer
// than that is taken as a header cut short.
constexpr qint64 kAheadBytes = 4096;

qint64 ceilDiv(qint64 a, qint64 b)
{
    return (a + b - 1) / b;
}

qint64 roundUp(qint64 a, qint64 multiple)
{
    return ceilDiv(a, multiple) * multiple;
}

bool isSkippedSegment(int marker)
{
    return (marker >= 0xE0 && marker <= 0xEF && marker != 0xEE) || marker == 0xFE;
}

// The frame header's size and each component's sampling factors.
std::optional<JpegFrame> parseFrame(int marker, JpegReader body)
{
    int precision = 0, height = 0, width = 0, count = 0;
    if (!body.byte(&precision) || !body.word(&height) || !body.word(&width) || !body.byte(&count))
        return std::nullopt;
    JpegFrame frame;
    frame.width = width;
    frame.height = height;
    frame.progressive = JpegReader::isProgressiveFrame(marker);
    for (int c = 0; c < count; ++c) {
        int id = 0, factors = 0, table = 0;
        if (!body.byte(&id) || !body.byte(&factors) || !body.byte(&table))
            return std::nullopt;
        frame.sampling.push_back({std::max(1, factors >> 4), std::max(1, factors & 0x0F)});
    }
    return frame;
}

// Reads count bytes into header; false when the file ends first.
bool readInto(QIODevice *device, qint64 count, QByteArray *header)
{
    const QByteArray bytes = device->read(count);
    header->append(bytes);
    return bytes.size() == count;
}

// Walks the segments up to the frame header, and for a progressive file on
// through the first scan's header, keeping the bytes; nothing for a file
// that is not a JPEG or whose header is cut short before its frame. Each
// marker and length is read by a JpegReader on the bytes ahead, looked at
// before they are taken, so that the segments passed over are skipped on
// the device rather than read.
std::optional<JpegFrame> readJpegFrame(QIODevice *device)
{
    QByteArray header;
    std::optional<JpegFrame> frame;
    // A frame found is returned whatever follows it: a header cut short
    // after it only keeps JpegDc from taking the file.
    const auto found = [&]() {
        if (frame)
            frame->header = header;
        return frame;
    };
    if (!readInto(device, 2, &header) || header != QByteArray("\xFF\xD8", 2))
        return std::nullopt;
    for (int segment = 0; segment < kMaxSegments; ++segment) {
        const QByteArray ahead = device->peek(kAheadBytes);
        JpegReader at(reinterpret_cast<const uchar *>(ahead.constData()), ahead.size());
        const int marker = at.nextMarker();
        if (marker < 0)
            return found();
        if (marker == JpegReader::Eoi || (marker == JpegReader::Sos && !frame))
            return std::nullopt;  // no frame before the image data
        if (JpegReader::standsAlone(marker)) {
            readInto(device, at.pos(), &header);
            continue;
        }
        const qsizetype markerBytes = at.pos();
        int length = 0;
        if (!at.word(&length) || length < 2)
            return found();
        const qint64 bodySize = length - 2;
        // Application data and comments are passed over and kept empty:
        // all but Adobe's say nothing about the decode.
        if (isSkippedSegment(marker)) {
            header.append(ahead.left(markerBytes)).append("\x00\x02", 2);
            if (device->skip(at.pos() + bodySize) != at.pos() + bodySize)
                return found();
            continue;
        }
        if (header.size() + at.pos() + bodySize > kMaxHeaderBytes || !readInto(device, at.pos() + bodySize, &header))
            return found();
        if (marker == JpegReader::Sos)
            return found();
        if (JpegReader::isFrame(marker) && !frame) {
            const auto *body = reinterpret_cast<const uchar *>(header.constData()) + header.size() - bodySize;
            frame = parseFrame(marker, JpegReader(body, bodySize));
            if (!frame || !frame->progressive)
                return found();
        }
    }
    return found();
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

// Whether the thumbnail's decode takes the file at an eighth of its size,
// where each block is one pixel, as ScaledJpeg decides.
bool atEighth(const JpegFrame &frame)
{
    const QSize stored(int(frame.width), int(frame.height));
    const QSize eighth(int(ceilDiv(frame.width, kDctSize)), int(ceilDiv(frame.height, kDctSize)));
    return ImageOps::reducedDecodeSize(stored, ThumbnailMaker::contentSize(stored)) == eighth;
}

qint64 ofJpeg(const JpegFrame &frame)
{
    // A progressive file's picture at an eighth comes from its DC scans
    // when JpegDc takes the file.
    if (frame.progressive && atEighth(frame) && JpegDc::accepts(frame.header))
        return JpegDc::workingBytes(frame.header);
    const qint64 picture = ceilDiv(frame.width, kDctSize) * ceilDiv(frame.height, kDctSize) * kBytesPerPixel;
    if (frame.progressive)
        return picture + coefficientBytes(frame);
    // A baseline file at an eighth keeps one DC value a block beside it.
    return picture + (atEighth(frame) ? coefficientBytes(frame) / kCoefficientsPerBlock : 0);
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

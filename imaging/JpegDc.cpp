#include "imaging/JpegDc.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include <QImageReader>

#include "imaging/JpegBitReader.h"
#include "imaging/JpegFastBits.h"
#include "imaging/JpegReader.h"

namespace {

using HuffmanTable = JpegBitReader::HuffmanTable;
constexpr int kMaxCodeLength = JpegBitReader::kMaxCodeLength;

constexpr int kBlockSize = 8;
constexpr int kMaxDcCategory = JpegBitReader::kMaxDcCategory;
constexpr int kMaxPointTransform = 13;
constexpr int kMaxBlocksPerMcu = 10;
constexpr int kMaxSampling = 4;

constexpr int kDqt = 0xDB;
constexpr int kDnl = 0xDC;
constexpr int kDri = 0xDD;
constexpr int kDht = 0xC4;
constexpr int kSof0 = 0xC0;
constexpr int kSof1 = 0xC1;
constexpr int kSof2 = 0xC2;
constexpr int kAdobe = 0xEE;

// Memory a thread keeps from one decode to the next, up to kKeptBytes in
// all: page after page of one size then reuses memory already mapped
// instead of faulting in fresh pages for every file, which costs about as
// much as the decode itself on some machines. The limit holds what a pool
// of many threads keeps to a few MB each (a 300-dpi A4 page needs 1 MB).
constexpr size_t kKeptBytes = 2 * 1024 * 1024;
thread_local std::vector<qint16> t_blocks;
thread_local QImage t_picture;

// The starts of frame of 8-bit Huffman-coded files: sequential (baseline
// and extended) and progressive.
bool isKnownFrame(int marker)
{
    return marker == kSof0 || marker == kSof1 || marker == kSof2;
}

// Any other start of frame, and the arithmetic conditioning tables: files
// of a kind this decoder does not know.
bool isOtherFrame(int marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != kDht && !isKnownFrame(marker);
}

struct Component
{
    int id = 0;
    int h = 1;
    int v = 1;
    int quantTable = 0;
    int quant = 0;          // the DC quantiser, taken at the component's first scan
    int across = 0;         // blocks held in a row: whole MCUs
    int down = 0;
    int knownFrom = -1;     // the lowest DC bit known so far
    qint16 *dc = nullptr;  // its blocks' values, in the thread's block memory
};

struct ScanPart
{
    int component = 0;
    int table = 0;
    int acTable = 0;
};

struct Scan
{
    std::vector<ScanPart> parts;
    int ss = 0;
    int se = 0;
    int ah = 0;
    int al = 0;
};

struct Jpeg
{
    bool haveFrame = false;
    bool sequential = false;  // every coefficient of a block in one scan
    int width = 0;
    int height = 0;
    int hMax = 1;
    int vMax = 1;
    int mcusAcross = 0;
    int mcusDown = 0;
    std::vector<Component> components;
    std::array<int, 4> quant{0, 0, 0, 0};  // DC quantisers defined so far; 0 for none
    std::array<HuffmanTable, 4> dcTables;
    std::array<HuffmanTable, 4> acTables;   // used by sequential files only
    int restartInterval = 0;
    int adobeTransform = -1;
};

qint64 ceilDiv(qint64 a, qint64 b)
{
    return (a + b - 1) / b;
}

qint64 pictureBytes(const Jpeg &jpeg)
{
    return ceilDiv(jpeg.width, kBlockSize) * ceilDiv(jpeg.height, kBlockSize) * 4;
}

qint64 blockBytes(const Jpeg &jpeg)
{
    qint64 bytes = 0;
    for (const Component &c : jpeg.components)
        bytes += qint64(c.across) * c.down * qint64(sizeof(qint16));
    return bytes;
}

// Held to QImageReader's limit, as Qt's own decode of the file would be.
bool withinLimit(qint64 bytes)
{
    const int limitMb = QImageReader::allocationLimit();
    return limitMb <= 0 || bytes <= qint64(limitMb) * 1024 * 1024;
}

bool readQuantTables(JpegReader body, Jpeg &jpeg)
{
    while (!body.atEnd()) {
        int spec = 0, first = 0;
        if (!body.byte(&spec) || spec >> 4 > 1 || (spec & 0x0F) > 3)
            return false;
        const bool wide = spec >> 4 == 1;
        if (!(wide ? body.word(&first) : body.byte(&first)) || first == 0 || !body.skip(wide ? 126 : 63))
            return false;
        jpeg.quant[spec & 0x0F] = first;
    }
    return true;
}

bool readHuffmanTables(JpegReader body, Jpeg &jpeg)
{
    while (!body.atEnd()) {
        int spec = 0;
        if (!body.byte(&spec) || spec >> 4 > 1 || (spec & 0x0F) > 3)
            return false;
        std::array<int, kMaxCodeLength + 1> counts{};
        for (int length = 1; length <= kMaxCodeLength; ++length) {
            if (!body.byte(&counts[length]))
                return false;
        }
        HuffmanTable table;
        if (!JpegBitReader::buildTable(counts, &table))
            return false;
        for (int i = 0; i < table.count; ++i) {
            int value = 0;
            if (!body.byte(&value))
                return false;
            table.values[i] = uchar(value);
        }
        (spec >> 4 == 0 ? jpeg.dcTables : jpeg.acTables)[spec & 0x0F] = table;
    }
    return true;
}

bool readRestartInterval(JpegReader body, Jpeg &jpeg)
{
    return body.word(&jpeg.restartInterval) && body.atEnd();
}

// Adobe's APP14 names the colour transform: 0 none (RGB), 1 YCbCr.
void readAdobe(JpegReader body, Jpeg &jpeg)
{
    if (body.size() >= 12 && std::memcmp(body.data(), "Adobe", 5) == 0)
        jpeg.adobeTransform = body.data()[11];
}

// The segments that may come anywhere before a scan; false when one is
// damaged or says the file is of a kind not decoded here.
bool readTables(int marker, const JpegReader &body, Jpeg &jpeg)
{
    switch (marker) {
    case kDqt:
        return readQuantTables(body, jpeg);
    case kDht:
        return readHuffmanTables(body, jpeg);
    case kDri:
        return readRestartInterval(body, jpeg);
    case kDnl:
        return false;
    case kAdobe:
        readAdobe(body, jpeg);
        return true;
    default:
        return !isOtherFrame(marker) && !isKnownFrame(marker);  // APPn, COM and the like are skipped
    }
}

bool layOutBlocks(Jpeg &jpeg)
{
    for (const Component &c : jpeg.components) {
        jpeg.hMax = std::max(jpeg.hMax, c.h);
        jpeg.vMax = std::max(jpeg.vMax, c.v);
    }
    jpeg.mcusAcross = int(ceilDiv(jpeg.width, kBlockSize * jpeg.hMax));
    jpeg.mcusDown = int(ceilDiv(jpeg.height, kBlockSize * jpeg.vMax));
    for (Component &c : jpeg.components) {
        // Chroma repeated over whole pixels of the eighth-size picture.
        if (jpeg.hMax % c.h != 0 || jpeg.vMax % c.v != 0)
            return false;
        c.across = jpeg.mcusAcross * c.h;
        c.down = jpeg.mcusDown * c.v;
    }
    return withinLimit(pictureBytes(jpeg)) && withinLimit(blockBytes(jpeg));
}

bool readFrame(JpegReader body, Jpeg &jpeg)
{
    int precision = 0, count = 0;
    if (jpeg.haveFrame || !body.byte(&precision) || !body.word(&jpeg.height) || !body.word(&jpeg.width)
        || !body.byte(&count))
        return false;
    if (precision != 8 || jpeg.width == 0 || jpeg.height == 0 || (count != 1 && count != 3)
        || body.left() != 3 * count)
        return false;
    for (int i = 0; i < count; ++i) {
        Component c;
        int sampling = 0;
        if (!body.byte(&c.id) || !body.byte(&sampling) || !body.byte(&c.quantTable))
            return false;
        c.h = sampling >> 4;
        c.v = sampling & 0x0F;
        if (c.h < 1 || c.h > kMaxSampling || c.v < 1 || c.v > kMaxSampling || c.quantTable > 3)
            return false;
        for (const Component &other : jpeg.components) {
            if (other.id == c.id)
                return false;
        }
        if (count == 1)
            c.h = c.v = 1;  // a lone component's MCU is one block, whatever it says
        jpeg.components.push_back(c);
    }
    jpeg.haveFrame = true;
    return layOutBlocks(jpeg);
}

bool readScan(JpegReader body, const Jpeg &jpeg, Scan *scan)
{
    int count = 0;
    if (!body.byte(&count) || count < 1 || count > int(jpeg.components.size()))
        return false;
    int previous = -1;
    int blocks = 0;
    for (int i = 0; i < count; ++i) {
        int id = 0, tables = 0;
        if (!body.byte(&id) || !body.byte(&tables))
            return false;
        const auto found = std::find_if(jpeg.components.begin(), jpeg.components.end(),
                                        [id](const Component &c) { return c.id == id; });
        const int index = int(found - jpeg.components.begin());
        // Components in the frame's order, each once.
        if (found == jpeg.components.end() || index <= previous || tables >> 4 > 3 || (tables & 0x0F) > 3)
            return false;
        previous = index;
        blocks += found->h * found->v;
        scan->parts.push_back({index, tables >> 4, tables & 0x0F});
    }
    int approximation = 0;
    if (!body.byte(&scan->ss) || !body.byte(&scan->se) || !body.byte(&approximation) || !body.atEnd())
        return false;
    scan->ah = approximation >> 4;
    scan->al = approximation & 0x0F;
    return (count == 1 || blocks <= kMaxBlocksPerMcu) && scan->ss <= scan->se && scan->se <= 63
        && scan->al <= kMaxPointTransform;
}

// The first scan must carry the DC of every component, so that one scan
// gives the whole picture: a progressive file's first DC scan, or a
// sequential file's one interleaved scan. It fixes each component's
// quantiser.
bool takeFirstScan(const Scan &scan, Jpeg &jpeg)
{
    if (scan.parts.size() != jpeg.components.size() || scan.ss != 0 || scan.ah != 0)
        return false;
    if (jpeg.sequential ? scan.se != 63 || scan.al != 0 : scan.se != 0)
        return false;
    if (jpeg.components.size() == 3) {
        const auto named = [&jpeg](const char *ids) {
            return jpeg.components[0].id == ids[0] && jpeg.components[1].id == ids[1]
                && jpeg.components[2].id == ids[2];
        };
        // Adobe's transform 0 and components named R, G, B mean RGB samples.
        if (jpeg.adobeTransform == 0 || (jpeg.adobeTransform != 1 && named("RGB")))
            return false;
    }
    for (const ScanPart &part : scan.parts) {
        Component &c = jpeg.components[part.component];
        c.quant = jpeg.quant[c.quantTable];
        if (c.quant == 0 || !jpeg.dcTables[part.table].defined
            || (jpeg.sequential && !jpeg.acTables[part.acTable].defined))
            return false;
    }
    return true;
}

// Walks the segments from the start of the file to the first scan's
// header, which it leaves the reader just past.
bool readHeader(JpegReader &file, Jpeg &jpeg, Scan *first)
{
    if (file.nextMarker() != JpegReader::Soi)
        return false;
    for (;;) {
        const int marker = file.nextMarker();
        JpegReader body;
        if (marker < 0 || marker == JpegReader::Soi || marker == JpegReader::Eoi || JpegReader::isRestart(marker)
            || marker <= 0x01 || !file.segmentBody(&body))
            return false;
        if (marker == JpegReader::Sos)
            return jpeg.haveFrame && readScan(body, jpeg, first) && takeFirstScan(*first, jpeg);
        if (isKnownFrame(marker))
            jpeg.sequential = marker != kSof2;
        if (!(isKnownFrame(marker) ? readFrame(body, jpeg) : readTables(marker, body, jpeg)))
            return false;
    }
}

// Reads one block's DC of a scan part: the difference from the part's last
// value in a first scan, one more bit in a refinement.
bool decodeBlock(JpegBitReader &bits, const Jpeg &jpeg, const Scan &scan, const ScanPart &part, int *predictor,
                 qint16 *dc)
{
    if (scan.ah > 0) {
        int b = 0;
        if (!bits.bit(&b))
            return false;
        if (b)
            *dc = qint16(*dc | (1 << scan.al));
        return true;
    }
    int category = 0, value = 0;
    if (!bits.symbol(jpeg.dcTables[part.table], &category) || category > kMaxDcCategory
        || !bits.bits(category, &value))
        return false;
    *predictor += JpegBitReader::extended(value, category);
    const int coefficient = *predictor * (1 << scan.al);
    if (coefficient < -32768 || coefficient > 32767)
        return false;
    *dc = qint16(coefficient);
    return true;
}

// Decodes a DC scan from the reader's place to the end of its entropy
// data, restart markers included.
bool decodeDcScan(JpegReader &file, Jpeg &jpeg, const Scan &scan)
{
    JpegBitReader bits(file);
    std::array<int, 4> predictors{};
    qint64 mcu = 0;
    const auto startMcu = [&]() {
        if (jpeg.restartInterval > 0 && mcu > 0 && mcu % jpeg.restartInterval == 0) {
            predictors.fill(0);
            if (!bits.restart(int((mcu / jpeg.restartInterval - 1) % 8)))
                return false;
        }
        ++mcu;
        return true;
    };
    const auto block = [&](size_t p, qint64 x, qint64 y) {
        Component &c = jpeg.components[scan.parts[p].component];
        return decodeBlock(bits, jpeg, scan, scan.parts[p], &predictors[p], &c.dc[y * c.across + x]);
    };
    if (scan.parts.size() == 1) {
        // One component alone: its own blocks, each one MCU.
        const Component &c = jpeg.components[scan.parts[0].component];
        const qint64 across = ceilDiv(ceilDiv(qint64(jpeg.width) * c.h, jpeg.hMax), kBlockSize);
        const qint64 down = ceilDiv(ceilDiv(qint64(jpeg.height) * c.v, jpeg.vMax), kBlockSize);
        for (qint64 y = 0; y < down; ++y) {
            for (qint64 x = 0; x < across; ++x) {
                if (!startMcu() || !block(0, x, y))
                    return false;
            }
        }
    } else {
        for (qint64 my = 0; my < jpeg.mcusDown; ++my) {
            for (qint64 mx = 0; mx < jpeg.mcusAcross; ++mx) {
                if (!startMcu())
                    return false;
                for (size_t p = 0; p < scan.parts.size(); ++p) {
                    const Component &c = jpeg.components[scan.parts[p].component];
                    for (int by = 0; by < c.v; ++by) {
                        for (int bx = 0; bx < c.h; ++bx) {
                            if (!block(p, mx * c.h + bx, my * c.v + by))
                                return false;
                        }
                    }
                }
            }
        }
    }
    file.seek(bits.pos());
    return true;
}

// Decodes a sequential file's interleaved scan for its DC values, passing
// over the AC coefficients, from the reader's place to its last MCU. The
// rest of the file is not needed.
bool decodeSequentialScan(const JpegReader &file, Jpeg &jpeg, const Scan &scan)
{
    const size_t partCount = scan.parts.size();
    // Each table the scan uses is looked up once, however many components
    // share it.
    std::vector<JpegFastBits::DcCodes> dcCodes(jpeg.dcTables.size());
    std::vector<JpegFastBits::AcCodes> acCodes(jpeg.acTables.size());
    std::array<bool, 4> dcBuilt{}, acBuilt{};
    for (const ScanPart &part : scan.parts) {
        if (!std::exchange(dcBuilt[size_t(part.table)], true))
            JpegFastBits::buildDc(jpeg.dcTables[size_t(part.table)], &dcCodes[size_t(part.table)]);
        if (!std::exchange(acBuilt[size_t(part.acTable)], true))
            JpegFastBits::buildAc(jpeg.acTables[size_t(part.acTable)], &acCodes[size_t(part.acTable)]);
    }
    JpegFastBits bits(file);
    std::array<int, 4> predictors{};
    const auto block = [&](size_t p, qint64 x, qint64 y) {
        Component &c = jpeg.components[scan.parts[p].component];
        int difference = 0;
        const ScanPart &part = scan.parts[p];
        if (!bits.block(dcCodes[size_t(part.table)], acCodes[size_t(part.acTable)], &difference))
            return false;
        predictors[p] += difference;
        if (predictors[p] < -32768 || predictors[p] > 32767)
            return false;
        c.dc[size_t(y * c.across + x)] = qint16(predictors[p]);
        return true;
    };
    // The scan holds every component (a lone one as blocks of its own, its
    // sampling taken as one), so its MCUs are the frame's.
    qint64 mcu = 0;
    for (qint64 my = 0; my < jpeg.mcusDown; ++my) {
        for (qint64 mx = 0; mx < jpeg.mcusAcross; ++mx, ++mcu) {
            if (jpeg.restartInterval > 0 && mcu > 0 && mcu % jpeg.restartInterval == 0) {
                predictors.fill(0);
                if (!bits.restart(int((mcu / jpeg.restartInterval - 1) % 8)))
                    return false;
            }
            for (size_t p = 0; p < partCount; ++p) {
                const Component &c = jpeg.components[scan.parts[p].component];
                for (int by = 0; by < c.v; ++by) {
                    for (int bx = 0; bx < c.h; ++bx) {
                        if (!block(p, mx * c.h + bx, my * c.v + by))
                            return false;
                    }
                }
            }
        }
    }
    return !bits.overrun();
}

bool allocateBlocks(const JpegReader &file, Jpeg &jpeg)
{
    qint64 blocks = 0;
    for (const Component &c : jpeg.components)
        blocks += qint64(c.across) * c.down;
    // Every block of the first scan takes a bit at least: a file too short
    // for them is refused before anything is allocated for them.
    if (blocks > qint64(file.left()) * 8)
        return false;
    t_blocks.assign(size_t(blocks), 0);
    qint16 *next = t_blocks.data();
    for (Component &c : jpeg.components) {
        c.dc = next;
        next += size_t(c.across) * size_t(c.down);
    }
    return true;
}

// A later DC scan may only add the next bit of each of its components.
bool takeRefinement(const Scan &scan, Jpeg &jpeg)
{
    if (scan.se != 0 || scan.ah == 0)
        return false;
    for (const ScanPart &part : scan.parts) {
        Component &c = jpeg.components[part.component];
        if (c.knownFrom != scan.ah || scan.al != scan.ah - 1)
            return false;
        c.knownFrom = scan.al;
    }
    return true;
}

// The scans after the first, up to the end of the image: DC refinements
// are applied, the AC scans passed over. The reader starts in the entropy
// data of the first scan.
bool readRest(JpegReader &file, Jpeg &jpeg)
{
    if (!file.skipEntropyData())
        return false;
    for (;;) {
        const int marker = file.nextMarker();
        if (marker == JpegReader::Eoi)
            return true;
        JpegReader body;
        if (marker < 0 || marker == JpegReader::Soi || JpegReader::isRestart(marker) || marker <= 0x01
            || isKnownFrame(marker) || !file.segmentBody(&body))
            return false;
        if (marker != JpegReader::Sos) {
            if (!readTables(marker, body, jpeg))
                return false;
            continue;
        }
        Scan scan;
        if (!readScan(body, jpeg, &scan) || (scan.ss > 0 && scan.parts.size() != 1))
            return false;
        if (scan.ss == 0 && (!takeRefinement(scan, jpeg) || !decodeDcScan(file, jpeg, scan)))
            return false;
        if (!file.skipEntropyData())
            return false;
    }
}

int clamped(int value)
{
    return std::clamp(value, 0, 255);
}

// A block's DC made its one pixel: the inverse DCT of a block reduced to
// one pixel is its mean.
int sampleOf(qint16 dc, int quant)
{
    return clamped(int((qint64(dc) * quant + 4) >> 3) + 128);
}

constexpr int kShift = 16;

constexpr int fixed(double x)
{
    return int(x * (1 << kShift) + 0.5);
}

// The picture is made in the thread's kept image unless an earlier
// caller still holds that one.
QImage &pictureFor(const QSize &size)
{
    if (t_picture.size() != size || !t_picture.isDetached())
        t_picture = QImage(size, QImage::Format_RGB32);
    return t_picture;
}

// JFIF's YCbCr to RGB in the fixed point of the JPEG decoders, as tables
// of each chroma value's part.
struct ColourTables
{
    std::array<int, 256> redOfCr{};
    std::array<int, 256> blueOfCb{};
    std::array<int, 256> greenOfCb{};  // unshifted, to add to greenOfCr
    std::array<int, 256> greenOfCr{};

    ColourTables()
    {
        constexpr int kHalf = 1 << (kShift - 1);
        for (int i = 0; i < 256; ++i) {
            const int c = i - 128;
            redOfCr[size_t(i)] = (fixed(1.40200) * c + kHalf) >> kShift;
            blueOfCb[size_t(i)] = (fixed(1.77200) * c + kHalf) >> kShift;
            greenOfCb[size_t(i)] = -fixed(0.34414) * c;
            greenOfCr[size_t(i)] = -fixed(0.71414) * c + kHalf;
        }
    }
};

QImage pictureOf(const Jpeg &jpeg)
{
    const int width = int(ceilDiv(jpeg.width, kBlockSize));
    const int height = int(ceilDiv(jpeg.height, kBlockSize));
    QImage &image = pictureFor(QSize(width, height));
    if (image.isNull())
        return QImage();
    static const ColourTables tables;
    const size_t count = jpeg.components.size();
    // Which block of each component covers each column of the picture.
    std::vector<std::vector<int>> blockColumn(count);
    for (size_t i = 0; i < count; ++i) {
        blockColumn[i].resize(size_t(width));
        for (int x = 0; x < width; ++x)
            blockColumn[i][size_t(x)] = x * jpeg.components[i].h / jpeg.hMax;
    }
    std::array<const qint16 *, 3> rows{};
    const Component &luma = jpeg.components[0];
    for (int y = 0; y < height; ++y) {
        for (size_t i = 0; i < count; ++i) {
            const Component &c = jpeg.components[i];
            rows[i] = c.dc + size_t(y * c.v / jpeg.vMax) * size_t(c.across);
        }
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        if (count == 1) {
            for (int x = 0; x < width; ++x) {
                const int grey = sampleOf(rows[0][x], luma.quant);
                line[x] = qRgb(grey, grey, grey);
            }
            continue;
        }
        const int cbQuant = jpeg.components[1].quant;
        const int crQuant = jpeg.components[2].quant;
        const int *lumaColumn = blockColumn[0].data();
        const int *cbColumn = blockColumn[1].data();
        const int *crColumn = blockColumn[2].data();
        for (int x = 0; x < width; ++x) {
            const int lum = sampleOf(rows[0][lumaColumn[x]], luma.quant);
            const auto cb = size_t(sampleOf(rows[1][cbColumn[x]], cbQuant));
            const auto cr = size_t(sampleOf(rows[2][crColumn[x]], crQuant));
            line[x] = qRgb(clamped(lum + tables.redOfCr[cr]),
                           clamped(lum + ((tables.greenOfCb[cb] + tables.greenOfCr[cr]) >> kShift)),
                           clamped(lum + tables.blueOfCb[cb]));
        }
    }
    return image;
}

std::optional<Jpeg> headerOf(const QByteArray &bytes)
{
    JpegReader file(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
    Jpeg jpeg;
    Scan first;
    if (!readHeader(file, jpeg, &first))
        return std::nullopt;
    return jpeg;
}

} // namespace

namespace JpegDc {

bool accepts(const QByteArray &header)
{
    return workingBytes(header) > 0;
}

qint64 workingBytes(const QByteArray &header)
{
    const std::optional<Jpeg> jpeg = headerOf(header);
    return jpeg ? pictureBytes(*jpeg) + blockBytes(*jpeg) : 0;
}

QImage decode(const QByteArray &bytes)
{
    struct KeepWithinLimit
    {
        ~KeepWithinLimit()
        {
            if (t_blocks.capacity() * sizeof(qint16) + size_t(t_picture.sizeInBytes()) > kKeptBytes) {
                std::vector<qint16>().swap(t_blocks);
                t_picture = QImage();
            }
        }
    } keep;
    JpegReader file(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
    Jpeg jpeg;
    Scan first;
    if (!readHeader(file, jpeg, &first) || !allocateBlocks(file, jpeg))
        return QImage();
    if (jpeg.sequential)
        return decodeSequentialScan(file, jpeg, first) ? pictureOf(jpeg) : QImage();
    if (!decodeDcScan(file, jpeg, first))
        return QImage();
    for (const ScanPart &part : first.parts)
        jpeg.components[part.component].knownFrom = first.al;
    if (!readRest(file, jpeg))
        return QImage();
    return pictureOf(jpeg);
}

} // namespace JpegDc

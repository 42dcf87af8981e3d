#include "imaging/ImageOps.h"

#include <cerrno>
#include <algorithm>
#include <type_traits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QThreadPool>

#include <QTransform>

#include <cstdio>
#include <sys/mman.h>
#include <unistd.h>

#include "core/ImageCheck.h"

namespace {

AppError notAnImage(const QString &path, const QString &reason)
{
    return AppError(ErrorCode::InvalidValue,
                    QStringLiteral("%1: Invalid file format or file is corrupted (%2).").arg(path, reason));
}


std::optional<AppError> tooLarge(const QString &path, const QSize &size, QImage::Format format)
{
    if (!ImageCheck::overAllocationLimit(size, format))
        return std::nullopt;
    return AppError(ErrorCode::InvalidValue,
                    QStringLiteral("%1: The image of %2 by %3 pixels is larger than the %4 MB an image may take.")
                       .arg(path).arg(size.width()).arg(size.height()).arg(QImageReader::allocationLimit()));
}

// Whether every colour of a palette image is a grey, so that it stores
// as a grey JPEG. An image without a palette is no grey image.
bool greyPalette(const QImage &image)
{
    const QList<QRgb> colours = image.colorTable();
    return !colours.isEmpty() && std::all_of(colours.begin(), colours.end(), [](QRgb c) { return qIsGray(c); });
}

// The image in a format Qt's JPEG writer stores directly: a grey image
// (grey formats, and palettes of greys only: a black and white scan) as
// 8-bit grey, which the writer stores as a grey JPEG of one component
// instead of three; any other palette or mask as colour.
QImage jpegReady(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_Grayscale8:
        return image;
    case QImage::Format_Grayscale16:
        return image.convertToFormat(QImage::Format_Grayscale8);
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
        return image.convertToFormat(greyPalette(image) ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    case QImage::Format_Alpha8:
        return image.convertToFormat(QImage::Format_RGB32);
    default:
        return image;
    }
}

bool channelsNear(QRgb a, QRgb b, int threshold)
{
    return std::abs(qRed(a) - qRed(b)) <= threshold && std::abs(qGreen(a) - qGreen(b)) <= threshold
        && std::abs(qBlue(a) - qBlue(b)) <= threshold && std::abs(qAlpha(a) - qAlpha(b)) <= threshold;
}

// Scans rows and columns of a 32-bit image for Auto Trim.
class BorderScan
{
public:
    BorderScan(const QImage &image, int threshold)
        : m_image(image), m_reference(pixel(0, 0)), m_threshold(threshold)
    {
    }

    bool rowUniform(int y) const
    {
        const QRgb *line = reinterpret_cast<const QRgb *>(m_image.constScanLine(y));
        for (int x = 0; x < m_image.width(); ++x)
            if (!channelsNear(line[x], m_reference, m_threshold))
                return false;
        return true;
    }

    bool columnUniform(int x, int top, int bottom) const
    {
        for (int y = top; y <= bottom; ++y)
            if (!channelsNear(pixel(x, y), m_reference, m_threshold))
                return false;
        return true;
    }

private:
    QRgb pixel(int x, int y) const { return reinterpret_cast<const QRgb *>(m_image.constScanLine(y))[x]; }

    const QImage &m_image;
    QRgb m_reference;
    int m_threshold;
};

// Marks a JFIF file as storing no resolution (units 0, aspect 1:1). The
// writer always stores one, and for an image that had none that would be
// the screen's, which printing would then size the page by.
void clearJfifDensity(QByteArray &jpeg)
{
    // SOI, APP0 marker and length, "JFIF\0", version, then units and the two
    // densities.
    constexpr int unitsAt = 13;
    if (jpeg.size() < unitsAt + 5 || uchar(jpeg[2]) != 0xFF || uchar(jpeg[3]) != 0xE0
        || jpeg.mid(6, 5) != QByteArray("JFIF", 5))
        return;
    const char noUnits[5] = {0, 0, 1, 0, 1};
    jpeg.replace(unitsAt, 5, noUnits, 5);
}

// One pixel of N bytes, copied as a whole.
template <int N>
struct Pixel
{
    uchar bytes[N];
};

// Calls turn with the pixel size of image as a constant
// (std::integral_constant), for the whole-byte depths Qt has.
template <typename Turn>
void withPixelBytes(const QImage &image, Turn turn)
{
    switch (image.depth() / 8) {
    case 1: turn(std::integral_constant<int, 1>()); break;
    case 2: turn(std::integral_constant<int, 2>()); break;
    case 3: turn(std::integral_constant<int, 3>()); break;
    case 4: turn(std::integral_constant<int, 4>()); break;
    case 6: turn(std::integral_constant<int, 6>()); break;
    case 8: turn(std::integral_constant<int, 8>()); break;
    }
}

// Turns the rows top..bottom-1 of from into the matching columns (or rows,
// counterclockwise) of to, in tiles that keep both sides in the cache.
template <int N>
void turnBand(const QImage &from, QImage &to, int top, int bottom, bool clockwise)
{
    constexpr int Tile = 32;
    const int width = from.width();
    const int height = from.height();
    const uchar *source = from.constBits();
    const qsizetype sourceLine = from.bytesPerLine();
    uchar *target = to.bits();
    const qsizetype targetLine = to.bytesPerLine();
    for (int x0 = 0; x0 < width; x0 += Tile) {
        const int x1 = std::min(x0 + Tile, width);
        for (int x = x0; x < x1; ++x) {
            // Clockwise the column x becomes row x, read bottom to top;
            // counterclockwise it becomes row width-1-x, read top to bottom.
            auto *line = reinterpret_cast<Pixel<N> *>(target + (clockwise ? x : width - 1 - x) * targetLine);
            for (int y = top; y < bottom; ++y) {
                const auto *row = reinterpret_cast<const Pixel<N> *>(source + y * sourceLine);
                line[clockwise ? height - 1 - y : y] = row[x];
            }
        }
    }
}

// Gives the whole memory pages between begin and end back to the system.
// Only for memory that nothing reads again: the pages read as zero
// afterwards, and the allocation is freed as usual by its owner.
void releasePages(const uchar *begin, const uchar *end)
{
    static const auto pageSize = quintptr(sysconf(_SC_PAGESIZE));
    const quintptr first = (quintptr(begin) + pageSize - 1) / pageSize * pageSize;
    const quintptr last = quintptr(end) / pageSize * pageSize;
    if (last > first)
        madvise(reinterpret_cast<void *>(first), last - first, MADV_DONTNEED);
}

// An anonymous private mapping, unmapped when it goes; null when the
// system has no room for it. Its pages take memory only once written.
class Mapping
{
public:
    explicit Mapping(size_t size) : m_size(size)
    {
        void *bits = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        m_bits = bits == MAP_FAILED ? nullptr : static_cast<uchar *>(bits);
    }
    Mapping(const Mapping &) = delete;
    Mapping &operator=(const Mapping &) = delete;
    ~Mapping()
    {
        if (m_bits)
            munmap(m_bits, m_size);
    }
    uchar *bits() const { return m_bits; }

private:
    uchar *m_bits = nullptr;
    size_t m_size;
};

// The turned pixels of one band of rows, held between the two phases of a
// quarter turn. They are laid out as the turned image's rows: for each of
// its rows, the pixels this band gives it, so that the turned image is then
// filled row after row.
struct TurnTile
{
    const uchar *bits = nullptr;
    qsizetype rowBytes = 0; // bytes this band gives each turned row
    quintptr released = 0;  // the tile's memory is given back up to here
    quintptr next = 0;      // and is given back again once read up to here
};

// The most rows a band of a quarter turn holds. Taller bands mean fewer
// tiles to give back memory from in the second phase (fewer calls, each
// of which costs every thread of the process a TLB flush) but a larger
// spare tile in the first.
constexpr int TurnBand = 256;

// Turns count rows of from starting at top into tile, in the turned
// image's orientation.
template <int N>
void turnIntoTile(const QImage &from, int top, int count, uchar *tile, bool clockwise)
{
    // Clockwise the band's last row comes first in each turned row;
    // counterclockwise its first.
    const Pixel<N> *rows[TurnBand];
    for (int j = 0; j < count; ++j)
        rows[j] = reinterpret_cast<const Pixel<N> *>(from.constScanLine(clockwise ? top + count - 1 - j : top + j));
    const int width = from.width();
    auto *out = reinterpret_cast<Pixel<N> *>(tile);
    for (int r = 0; r < width; ++r, out += count) {
        // Clockwise the column x becomes row x; counterclockwise row width-1-x.
        const int x = clockwise ? r : width - 1 - r;
        for (int j = 0; j < count; ++j)
            out[j] = rows[j][x];
    }
}

// Fills the turned image row after row from the tiles, giving each tile's
// pages back as they are copied. Clockwise the last band gives the left of
// each row; counterclockwise the first does.
void fillFromTiles(QImage &turned, std::vector<TurnTile> &tiles, bool clockwise)
{
    // Pages go back in groups: each call flushes the TLB of every thread,
    // which costs far more than a few pages freed a little later. The
    // tiles start their groups at staggered points, so that about half a
    // group a tile is held at any time rather than up to a whole one.
    static const auto pageSize = quintptr(sysconf(_SC_PAGESIZE));
    const quintptr group = 64 * pageSize;
    const int count = int(tiles.size());
    for (int i = 0; i < count; ++i) {
        TurnTile &tile = tiles[size_t(i)];
        tile.released = (quintptr(tile.bits) + pageSize - 1) / pageSize * pageSize;
        tile.next = tile.released + group * quintptr(i + 1) / quintptr(count);
    }
    for (int r = 0; r < turned.height(); ++r) {
        uchar *line = turned.scanLine(r);
        for (int i = 0; i < count; ++i) {
            TurnTile &tile = tiles[size_t(clockwise ? count - 1 - i : i)];
            const uchar *from = tile.bits + r * tile.rowBytes;
            std::memcpy(line, from, size_t(tile.rowBytes));
            line += tile.rowBytes;
            const quintptr end = quintptr(from + tile.rowBytes);
            if (end >= tile.next) {
                const quintptr done = end / pageSize * pageSize;
                if (done > tile.released)
                    madvise(reinterpret_cast<void *>(tile.released), done - tile.released, MADV_DONTNEED);
                tile.released = done;
                tile.next = done + group;
            }
        }
    }
}

// The depths whose pixels the bands move as whole bytes.
bool turnsByBands(int depth)
{
    switch (depth) {
    case 8: case 16: case 24: case 32: case 48: case 64: return true;
    default: return false;
    }
}

// A quarter turn of an image that is also held elsewhere: its pixels stay,
// so the turned image is written straight from them.
QImage turnShared(const QImage &image, bool clockwise)
{
    QImage turned(image.height(), image.width(), image.format());
    if (turned.isNull())
        return QImage();
    turned.setColorTable(image.colorTable());
    constexpr int Band = 64;
    for (int top = 0; top < image.height(); top += Band) {
        const int bottom = std::min(top + Band, image.height());
        withPixelBytes(image, [&](auto n) { turnBand<decltype(n)::value>(image, turned, top, bottom, clockwise); });
    }
    return turned;
}

// A quarter turn that never holds much more than one image. Writing a band
// of rows straight into the turned image would touch a page of each of its
// rows at once. So, first, each band is turned into a tile that takes the
// place of the band before it (all read by then; the first tile goes to a
// spare mapping); then the turned image is filled row by row while the
// tiles' pages are given back. Everything is allocated before the first
// pixel moves: without room the result is null and image is kept. Other
// depths (1-bit pages) are turned whole by Qt.
QImage turnQuarter(QImage &&image, bool clockwise)
{
    if (!turnsByBands(image.depth()))
        return image.transformed(QTransform().rotate(clockwise ? 90 : 270));
    if (!image.isDetached())
        return turnShared(image, clockwise);
    const int height = image.height();
    const qsizetype bytesPerLine = image.bytesPerLine();
    const qsizetype pixelBytes = image.depth() / 8;
    QImage turned(height, image.width(), image.format());
    const Mapping spare(size_t(qsizetype(std::min(TurnBand, height)) * image.width() * pixelBytes));
    std::vector<TurnTile> tiles;
    tiles.reserve(size_t((height + TurnBand - 1) / TurnBand));
    uchar *bits = turned.isNull() || !spare.bits() ? nullptr : image.bits();
    if (!bits)
        return QImage();
    turned.setColorTable(image.colorTable());
    int top = 0;
    for (; top < height; top += TurnBand) {
        const int count = std::min(TurnBand, height - top);
        // A tile (count pixels for each of the width turned rows) fits in
        // the rows of a band, padding or not.
        uchar *tile = top == 0 ? spare.bits() : bits + (top - TurnBand) * bytesPerLine;
        withPixelBytes(image, [&](auto n) { turnIntoTile<decltype(n)::value>(image, top, count, tile, clockwise); });
        tiles.push_back({tile, count * pixelBytes, 0, 0});
    }
    // The last band's rows hold no tile.
    releasePages(bits + (top - TurnBand) * bytesPerLine, bits + height * bytesPerLine);
    fillFromTiles(turned, tiles, clockwise);
    image = QImage();
    return turned;
}

} // namespace

namespace ImageOps {

LoadResult load(const QString &path)
{
    return load(path, nullptr);
}

LoadResult load(const QString &path, const std::function<QSize(const QSize &)> &scaledSize)
{
    // QFile refuses a folder without an errno of its own.
    if (QFileInfo(path).isDir())
        return {QImage(), errnoError(EISDIR, path)};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QImage(), fileError(file, path)};
    return load(&file, path, scaledSize);
}

LoadResult load(QIODevice *device, const QString &path, const std::function<QSize(const QSize &)> &scaledSize)
{
    // The content decides the format: a bitmap stored under a .jpg name
    // (as imports keep them) still loads.
    QImageReader reader(device);
    if (!reader.canRead())
        return {QImage(), notAnImage(path, reader.errorString())};
    const QSize size = reader.size();
    const bool scaled = scaledSize && size.isValid();
    if (scaled) {
        reader.setScaledSize(scaledSize(size));
        // Smooth resampling of what the decoder's own scaling leaves.
        reader.setQuality(100);
    }
    // A reader that decodes at reduced size never holds the whole image.
    if (!scaled || !reader.supportsOption(QImageIOHandler::ScaledSize)) {
        if (auto error = tooLarge(path, size, reader.imageFormat()))
            return {QImage(), *error};
    }
    QImage image;
    if (!reader.read(&image))
        return {QImage(), notAnImage(path, reader.errorString())};
    return {image, std::nullopt};
}

QSize reducedDecodeSize(const QSize &stored, const QSize &needed)
{
    for (const int denominator : {8, 4, 2}) {
        const QSize reduced((stored.width() + denominator - 1) / denominator,
                            (stored.height() + denominator - 1) / denominator);
        if (reduced.width() >= needed.width() && reduced.height() >= needed.height())
            return reduced;
    }
    return stored;
}

QSize displayedPixels(const QSize &imageSize, double zoom, double devicePixelRatio)
{
    const double scale = zoom / 100.0 * devicePixelRatio;
    return QSize(int(std::ceil(imageSize.width() * scale)), int(std::ceil(imageSize.height() * scale)));
}

DisplayLoad loadForDisplay(const QString &path, const std::function<QSize(const QSize &)> &neededPixels)
{
    DisplayLoad result;
    QSize reduced;
    {
        if (QFileInfo(path).isDir()) {
            result.error = errnoError(EISDIR, path);
            return result;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            result.error = fileError(file, path);
            return result;
        }
        QImageReader reader(&file);
        if (!reader.canRead()) {
            result.error = notAnImage(path, reader.errorString());
            return result;
        }
        result.size = reader.size();
        if (auto error = tooLarge(path, result.size, reader.imageFormat())) {
            result.error = error;
            return result;
        }
        if (result.size.isValid() && reader.supportsOption(QImageIOHandler::ScaledSize))
            reduced = reducedDecodeSize(result.size, neededPixels(result.size));
    }
    if (!reduced.isValid() || reduced == result.size) {
        LoadResult whole = load(path);
        result.picture = whole.image;
        result.size = whole.image.size();
        result.error = whole.error;
        std::promise<LoadResult> ready;
        ready.set_value(std::move(whole));
        result.whole = ready.get_future().share();
        return result;
    }
    // The whole image is decoded beside the picture, so it is there about
    // as soon as it would have been alone. The global pool is waited for
    // when the application ends.
    auto promise = std::make_shared<std::promise<LoadResult>>();
    result.whole = promise->get_future().share();
    QThreadPool::globalInstance()->start([promise, path] {
        try {
            promise->set_value(load(path));
        } catch (...) {
            promise->set_exception(std::current_exception());
        }
    });
    LoadResult picture = load(path, [reduced](const QSize &) { return reduced; });
    result.picture = picture.image;
    result.error = picture.error;
    return result;
}

bool hasStoredResolution(const QImage &image)
{
    // A file that stores no resolution loads with the default of a new
    // image, which follows the screen; nothing else tells the two apart.
    static const QImage blank(1, 1, QImage::Format_RGB32);
    return image.dotsPerMeterX() != blank.dotsPerMeterX() || image.dotsPerMeterY() != blank.dotsPerMeterY();
}

int jpegQuality(int qualityFactor)
{
    return qBound(1, qRound(100 - (qualityFactor - 2) * 99.0 / 253), 100);
}

QByteArray encodeJpeg(const QImage &image, int qualityFactor)
{
    QByteArray bytes;
    if (image.isNull())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(jpegQuality(qualityFactor));
    if (!writer.write(jpegReady(image)))
        bytes.clear();
    else if (!hasStoredResolution(image))
        clearJfifDensity(bytes);
    return bytes;
}

std::optional<AppError> saveEncoded(const QByteArray &bytes, const QString &path, Durability durability)
{
    if (durability == Durability::Replaceable) {
        // Written beside the target and renamed over it: readers see the
        // old file or the whole new one, without waiting for the disk.
        QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
        if (!file.open())
            return fileError(file, path);
        if (file.write(bytes) != bytes.size() || !file.flush())
            return fileError(file, path);
        // QTemporaryFile makes its files readable by the owner only.
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                            | QFileDevice::ReadOther);
        file.close();
        if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
            return errnoError(errno, path);
        file.setAutoRemove(false);
        return std::nullopt;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fileError(file, path);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return fileError(file, path);
    }
    if (!file.commit())
        return fileError(file, path);
    return std::nullopt;
}

std::optional<AppError> saveJpeg(const QImage &image, const QString &path, int qualityFactor, Durability durability)
{
    if (image.isNull())
        return AppError(ErrorCode::InvalidValue, QStringLiteral("%1: There is no image to save.").arg(path));
    const QByteArray bytes = encodeJpeg(image, qualityFactor);
    if (bytes.isEmpty())
        return AppError(ErrorCode::InvalidValue, QStringLiteral("%1: The image could not be written as JPEG.").arg(path));
    return saveEncoded(bytes, path, durability);
}

QImage rotate(const QImage &image, int degreesClockwise)
{
    // A shared image keeps its pixels for its other holders: the turn
    // works on a copy of the handle, which is never turned in place.
    return rotate(QImage(image), degreesClockwise);
}

QImage rotate(QImage &&image, int degreesClockwise)
{
    // A whole turn stays refused: the angle must turn the image.
    const int turn = (degreesClockwise % 360 + 360) % 360;
    if (turn != 90 && turn != 180 && turn != 270)
        return QImage();
    if (turn == 180)
        return std::move(image).mirrored(true, true);
    const int dotsX = image.dotsPerMeterX();
    const int dotsY = image.dotsPerMeterY();
    QImage turned = turnQuarter(std::move(image), turn == 90);
    turned.setDotsPerMeterX(dotsY);
    turned.setDotsPerMeterY(dotsX);
    return turned;
}

QImage crop(const QImage &image, const QRect &rect)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return QImage();
    const QRect kept = rect.intersected(image.rect());
    if (kept.isEmpty())
        return QImage();
    return image.copy(kept);
}

QRect trimRect(const QImage &image, int threshold)
{
    if (image.isNull())
        return QRect();
    const bool direct = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32;
    const QImage pixels = direct ? image : image.convertToFormat(QImage::Format_ARGB32);
    const BorderScan scan(pixels, threshold);
    const int height = pixels.height();
    int top = 0;
    while (top < height && scan.rowUniform(top))
        ++top;
    if (top == height)
        return image.rect();
    // Some pixel of the rows top..bottom differs, so every loop below stops
    // inside the image.
    int bottom = height - 1;
    while (scan.rowUniform(bottom))
        --bottom;
    int left = 0;
    while (scan.columnUniform(left, top, bottom))
        ++left;
    int right = pixels.width() - 1;
    while (scan.columnUniform(right, top, bottom))
        --right;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QImage autoTrim(const QImage &image, int threshold)
{
    const QRect kept = trimRect(image, threshold);
    return kept == image.rect() ? image : image.copy(kept);
}

double zoomIn(double zoom)
{
    return zoom < MaxZoom ? zoom * 1.25 : zoom;
}

double zoomOut(double zoom)
{
    return zoom > MinZoom ? zoom * 0.75 : zoom;
}

int fitZoom(int displayPixels, int imagePixels)
{
    if (imagePixels <= 0)
        return 100;
    // A pixel of the display is 15 twips; dividing by 16 twips per image
    // pixel leaves the fitted image a margin of 1/16 of the display.
    const double zoom = std::nearbyint(displayPixels * 15.0 / (imagePixels * 16.0) * 100.0);
    return zoom > MaxZoom || zoom < MinZoom ? 100 : int(zoom);
}

int defaultZoom(const QString &zoomMode, const QSize &display, const QSize &image)
{
    if (zoomMode == QLatin1String("FITWIDTH"))
        return fitZoom(display.width(), image.width());
    if (zoomMode == QLatin1String("FITHEIGHT"))
        return fitZoom(display.height(), image.height());
    return 100;
}

QRect selectionToImage(const QPointF &start, const QPointF &end, const QRectF &displayed, const QSize &imageSize)
{
    if (displayed.width() <= 0 || displayed.height() <= 0)
        return QRect();
    const double ratioX = imageSize.width() / displayed.width();
    const double ratioY = imageSize.height() / displayed.height();
    const double left = std::min(start.x(), end.x());
    const double top = std::min(start.y(), end.y());
    const auto nearest = [](double v) { return int(std::nearbyint(v)); };
    return QRect(nearest((left - displayed.left()) * ratioX), nearest((top - displayed.top()) * ratioY),
                 nearest(std::abs(start.x() - end.x()) * ratioX), nearest(std::abs(start.y() - end.y()) * ratioY));
}

} // namespace ImageOps

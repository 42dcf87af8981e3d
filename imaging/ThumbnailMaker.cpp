#include "imaging/ThumbnailMaker.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <vector>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QThread>
#include <QThreadPool>

#include "core/ImageCheck.h"
#include "core/RecordId.h"
#include "imaging/ScaledJpeg.h"
#include "platform/AppError.h"
#include "platform/PathFacts.h"
#include "store/PagePaths.h"
#include "store/Pages.h"

namespace {

// The file bytes a thread keeps for its next thumbnail: a 600-dpi page.
constexpr qsizetype kKeptReadBytes = 4 * 1024 * 1024;

// The nearest whole number, halves to the even neighbour.
int nearestEven(float value)
{
    return int(std::nearbyint(value));
}

std::optional<AppError> makeFolderOf(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    errno = 0;
    if (PagePaths::MakePath(folder))
        return std::nullopt;
    return errnoError(errno != 0 ? errno : EIO, folder);
}

// Which source pixels an output pixel covers when from pixels shrink to
// to, and by how much: in units where a source pixel is to long and an
// output pixel from long, so that an output pixel's weights add up to from.
struct Overlaps
{
    std::vector<int> begin;  // each output pixel's first entry; one more at the end
    std::vector<int> source;
    std::vector<quint32> weight;
};

Overlaps overlapsOf(int from, int to)
{
    Overlaps result;
    result.begin.reserve(size_t(to) + 1);
    for (int o = 0; o < to; ++o) {
        result.begin.push_back(int(result.source.size()));
        const qint64 start = qint64(o) * from;
        const qint64 end = start + from;
        for (qint64 i = start / to; i * to < end; ++i) {
            result.source.push_back(int(i));
            result.weight.push_back(quint32(std::min(end, (i + 1) * to) - std::max(start, i * to)));
        }
    }
    result.begin.push_back(int(result.source.size()));
    return result;
}

// The sums across of one source row (line) for every output pixel of a
// row, red, green and blue in turn, into row. pixel(line, x) reads a pixel
// of the line as a QRgb.
template<typename Pixel>
void sumAcross(const uchar *line, const Overlaps &across, int outWidth, Pixel pixel, std::vector<quint32> &row)
{
    // Red and blue are summed in one integer, 32 bits apart; a row's sums
    // stay below 2^32 for any width of image.
    const auto redBlueOf = [](quint64 p) { return (p & 0xFF) | (p & 0xFF0000) << 16; };
    const auto greenOf = [](quint64 p) { return quint32((p >> 8) & 0xFF); };
    for (size_t x = 0; x < size_t(outWidth); ++x) {
        // Only an area's first and last source pixels are partly in it;
        // those between count whole, each outWidth long, and are summed
        // before one multiplication.
        const int first = across.begin[x];
        const int last = across.begin[x + 1] - 1;
        const quint64 p0 = pixel(line, across.source[size_t(first)]);
        quint64 redBlue = across.weight[size_t(first)] * redBlueOf(p0);
        quint32 green = across.weight[size_t(first)] * greenOf(p0);
        if (last > first) {
            const quint64 p1 = pixel(line, across.source[size_t(last)]);
            redBlue += across.weight[size_t(last)] * redBlueOf(p1);
            green += across.weight[size_t(last)] * greenOf(p1);
            quint64 innerRedBlue = 0;
            quint32 innerGreen = 0;
            for (int i = across.source[size_t(first)] + 1; i < across.source[size_t(last)]; ++i) {
                const quint64 p = pixel(line, i);
                innerRedBlue += redBlueOf(p);
                innerGreen += greenOf(p);
            }
            redBlue += quint64(outWidth) * innerRedBlue;
            green += quint32(outWidth) * innerGreen;
        }
        row[x * 3] = quint32(redBlue >> 32);
        row[x * 3 + 1] = green;
        row[x * 3 + 2] = quint32(redBlue);
    }
}

// An opaque image shrunk by averaging the area each output pixel covers,
// as Qt's smooth scaling does, on the calling thread: Qt hands an image
// of this size to its thread pool (converted to 32 bits first when it is
// not), which costs more than the work. pixel(line, x) reads a pixel of a
// line of the image as a QRgb.
template<typename Pixel>
QImage shrunk(const QImage &image, const QSize &size, Pixel pixel)
{
    const Overlaps across = overlapsOf(image.width(), size.width());
    const Overlaps down = overlapsOf(image.height(), size.height());
    QImage result(size, QImage::Format_RGB32);
    if (result.isNull())
        return result;
    // A sum over an output pixel's area becomes its mean by a multiplication
    // with the area's reciprocal in fixed point: a division per channel
    // would cost more than the averaging. A sum is at most 255 times the
    // area, so the product stays below 2^48.
    constexpr int kShift = 40;
    const quint64 area = quint64(image.width()) * quint64(image.height());
    const quint64 reciprocal = ((quint64(1) << kShift) + area / 2) / area;
    const auto level = [reciprocal](quint64 sum) {
        return int(std::min<quint64>(255, (sum * reciprocal + (quint64(1) << (kShift - 1))) >> kShift));
    };
    const size_t width = size_t(size.width());
    std::vector<quint64> sums(width * 3);
    // A source row's sums across, kept for the next output row, which
    // begins with the row the last one ended with.
    std::vector<quint32> row(width * 3);
    int rowHeld = -1;
    for (int y = 0; y < size.height(); ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int r = down.begin[size_t(y)]; r < down.begin[size_t(y) + 1]; ++r) {
            const int source = down.source[size_t(r)];
            if (source != rowHeld) {
                sumAcross(image.constScanLine(source), across, size.width(), pixel, row);
                rowHeld = source;
            }
            const quint64 rowWeight = down.weight[size_t(r)];
            for (size_t i = 0; i < sums.size(); ++i)
                sums[i] += rowWeight * row[i];
        }
        auto *out = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (size_t x = 0; x < width; ++x) {
            const quint64 *sum = &sums[x * 3];
            out[x] = qRgb(level(sum[0]), level(sum[1]), level(sum[2]));
        }
    }
    return result;
}

QImage scaledTo(const QImage &image, const QSize &size)
{
    if (image.size() == size)
        return image;
    if (size.width() <= image.width() && size.height() <= image.height()) {
        switch (image.format()) {
        case QImage::Format_RGB32:
            return shrunk(image, size, [](const uchar *line, int x) { return reinterpret_cast<const QRgb *>(line)[x]; });
        case QImage::Format_RGB888:
            return shrunk(image, size, [](const uchar *line, int x) {
                const uchar *p = line + 3 * x;
                return qRgb(p[0], p[1], p[2]);
            });
        case QImage::Format_Grayscale8:
            return shrunk(image, size, [](const uchar *line, int x) { return qRgb(line[x], line[x], line[x]); });
        default:
            break;
        }
    }
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// A decoded image (already near the content size) made into the square.
// A format that could not tell its size before decoding arrives whole and
// is scaled here.
ImageOps::LoadResult squared(ImageOps::LoadResult result, int side)
{
    if (!result.error)
        result.image = ThumbnailMaker::thumbnailOf(result.image, side);
    return result;
}

// A worker thread must not let anything escape; the program's own calls
// never throw, so only an allocation failure can get here.
std::optional<AppError> runJob(const ThumbnailMaker::Job &job, int side)
{
    try {
        return ThumbnailMaker::makeThumbnailFile(job.imagePath, job.thumbPath, side);
    } catch (const std::exception &e) {
        return AppError(ErrorCode::Unexpected, QStringLiteral("%1: %2").arg(job.imagePath, QString::fromLocal8Bit(e.what())));
    }
}

} // namespace

namespace ThumbnailMaker {

QSize contentSize(const QSize &imageSize, int side)
{
    if (imageSize.isEmpty())
        return QSize();
    const float width = float(imageSize.width());
    const float height = float(imageSize.height());
    // A sliver of a page keeps at least one pixel across.
    if (width > height)
        return QSize(side, std::max(1, nearestEven(height / width * float(side))));
    return QSize(std::max(1, nearestEven(width / height * float(side))), side);
}

QImage compose(const QImage &scaled, int side)
{
    QImage square(side, side, QImage::Format_RGB32);
    square.fill(Qt::white);
    if (scaled.format() == QImage::Format_RGB32 && scaled.width() <= side && scaled.height() <= side) {
        for (int y = 0; y < scaled.height(); ++y)
            std::memcpy(square.scanLine(y), scaled.constScanLine(y), size_t(scaled.width()) * sizeof(QRgb));
        return square;
    }
    QPainter painter(&square);
    painter.drawImage(0, 0, scaled);
    painter.end();
    return square;
}

QImage thumbnailOf(const QImage &image, int side)
{
    if (image.isNull())
        return QImage();
    return compose(scaledTo(image, contentSize(image.size(), side)), side);
}

ImageOps::LoadResult readThumbnail(const QString &imagePath, int side)
{
    // A JPEG is read into memory for the direct decode; any other file, and
    // one that cannot be opened or read, is left to ImageOps::load, which
    // decodes it or says why not.
    QFile file(imagePath);
    if (!QFileInfo(imagePath).isDir() && file.open(QIODevice::ReadOnly)
        && ScaledJpeg::looksLikeJpeg(file.peek(4))) {
        // Read into memory the thread keeps (up to a limit), so that page
        // after page reuses it rather than faulting in fresh pages.
        thread_local QByteArray t_bytes;
        const qint64 size = file.size();
        if (size > 0 && size < std::numeric_limits<int>::max()) {
            t_bytes.resize(qsizetype(size));
            const qint64 got = file.read(t_bytes.data(), size);
            if (got == size && file.atEnd()) {
                ImageOps::LoadResult result = readThumbnail(t_bytes, imagePath, side);
                if (t_bytes.capacity() > kKeptReadBytes)
                    t_bytes = QByteArray();
                return result;
            }
            file.seek(0);
        }
        const QByteArray bytes = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return readThumbnail(bytes, imagePath, side);
    }
    file.close();
    return squared(ImageOps::load(imagePath, [side](const QSize &size) { return contentSize(size, side); }), side);
}

ImageOps::LoadResult readThumbnail(const QByteArray &bytes, const QString &name, int side)
{
    const auto needed = [side](const QSize &size) { return contentSize(size, side); };
    // Most pages are JPEGs: decoded cheaply at reduced size when
    // libjpeg-turbo takes the file, by Qt when it declines.
    const QImage direct = ScaledJpeg::decode(bytes, needed);
    if (!direct.isNull())
        return squared({direct, std::nullopt}, side);
    // One too large to show whole that its DC values do not give has no
    // thumbnail: Qt would decode every block of it.
    if (ScaledJpeg::looksLikeJpeg(bytes)) {
        if (const std::optional<QString> tooLarge = ImageCheck::bytesTooLargeToShow(bytes))
            return {QImage(), AppError(ErrorCode::InvalidValue, QStringLiteral("%1: %2").arg(name, *tooLarge))};
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return squared(ImageOps::load(&buffer, name, needed), side);
}

std::optional<AppError> writeThumbnail(const QImage &thumbnail, const QString &thumbPath)
{
    if (auto error = makeFolderOf(thumbPath))
        return error;
    return ImageOps::saveJpeg(thumbnail, thumbPath, ThumbnailQuality, ImageOps::Durability::Replaceable);
}

std::optional<AppError> writeThumbnailOf(const QImage &image, const QString &thumbPath, int side)
{
    if (image.isNull())
        return AppError(ErrorCode::InvalidValue, QStringLiteral("%1: There is no image to save.").arg(thumbPath));
    return writeThumbnail(thumbnailOf(image, side), thumbPath);
}

QByteArray encodeThumbnail(const QImage &image, int side)
{
    return ImageOps::encodeJpeg(thumbnailOf(image, side), ThumbnailQuality);
}

std::optional<AppError> makeThumbnailFile(const QString &imagePath, const QString &thumbPath, int side)
{
    if (thumbPath.isEmpty())
        return AppError(ErrorCode::InvalidValue, QStringLiteral("%1: The page has no thumbnail path.").arg(imagePath));
    if (PathFacts::sameFile(imagePath, thumbPath))
        return AppError(ErrorCode::UnsafePath,
                        QStringLiteral("%1: The thumbnail would replace the page image.").arg(thumbPath));
    const ImageOps::LoadResult thumb = readThumbnail(imagePath, side);
    std::optional<AppError> error = thumb.error ? thumb.error : writeThumbnail(thumb.image, thumbPath);
    // A page whose thumbnail cannot be made keeps none: an old one would
    // show what the page no longer holds. A new one replaces the old in one
    // step.
    if (error)
        QFile::remove(thumbPath);
    return error;
}

QVector<std::optional<AppError>> makeThumbnailFiles(const QVector<Job> &jobs, int threads, int side)
{
    QVector<std::optional<AppError>> results(jobs.size());
    const int workers = std::min(threads > 0 ? threads : QThread::idealThreadCount(), int(jobs.size()));
    if (workers <= 1) {
        for (int i = 0; i < jobs.size(); ++i)
            results[i] = runJob(jobs.at(i), side);
        return results;
    }
    // Each worker takes the next job until none is left, so a slow page
    // never holds up a queue of its own.
    std::optional<AppError> *out = results.data();
    std::atomic<int> next{0};
    QThreadPool pool;
    pool.setMaxThreadCount(workers);
    for (int w = 0; w < workers; ++w) {
        pool.start([&jobs, out, &next, side] {
            for (int i = next++; i < jobs.size(); i = next++)
                out[i] = runJob(jobs.at(i), side);
        });
    }
    pool.waitForDone();
    return results;
}

std::optional<AppError> MakeThumbnail(RecordId pageId, int side)
{
    return makePageThumbnails({pageId}, side).constFirst();
}

QVector<std::optional<AppError>> makePageThumbnails(const QVector<RecordId> &pageIds, int side)
{
    QVector<std::optional<AppError>> results(pageIds.size());
    QVector<Job> jobs;
    QVector<int> jobIndex;
    for (int i = 0; i < pageIds.size(); ++i) {
        const RecordId id = pageIds.at(i);
        try {
            const std::optional<Pages::PageFacts> row = Pages::readPage(id);
            if (!row) {
                results[i] = AppError(ErrorCode::RecordMissing, QStringLiteral("Page %1 does not exist.").arg(id));
            } else if (row->shortcut) {
                results[i] = AppError(ErrorCode::InvalidValue,
                                      QStringLiteral("Page %1 is a shortcut and has no thumbnail.").arg(id));
            } else {
                jobs.append({PagePaths::GetPageFilePath(id, row->filename),
                             PagePaths::GetThumbFilePath(id, row->filename)});
                jobIndex.append(i);
            }
        } catch (const AppError &e) {
            results[i] = e;
        }
    }
    const QVector<std::optional<AppError>> made = makeThumbnailFiles(jobs, 0, side);
    for (int j = 0; j < made.size(); ++j)
        results[jobIndex.at(j)] = made.at(j);
    return results;
}

} // namespace ThumbnailMaker

#include "imaging/ThumbnailMaker.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <exception>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QThread>
#include <QThreadPool>

#include "imaging/ScaledJpeg.h"
#include "platform/DbError.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "store/RecordId.h"

namespace {

// The nearest whole number, halves to the even neighbour.
int nearestEven(float value)
{
    return int(std::nearbyint(value));
}

bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.absoluteFilePath() == second.absoluteFilePath())
        return true;
    const QString canonical = first.canonicalFilePath();
    return !canonical.isEmpty() && canonical == second.canonicalFilePath();
}

std::optional<DbError> makeFolderOf(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    errno = 0;
    if (PagePaths::MakePath(folder))
        return std::nullopt;
    return errnoError(errno != 0 ? errno : EIO, folder);
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
std::optional<DbError> runJob(const ThumbnailMaker::Job &job, int side)
{
    try {
        return ThumbnailMaker::makeThumbnail(job.imagePath, job.thumbPath, side);
    } catch (const std::exception &e) {
        return DbError(ErrorCode::Unexpected, QStringLiteral("%1: %2").arg(job.imagePath, QString::fromLocal8Bit(e.what())));
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
    QPainter painter(&square);
    painter.drawImage(0, 0, scaled);
    painter.end();
    return square;
}

QImage thumbnailOf(const QImage &image, int side)
{
    if (image.isNull())
        return QImage();
    const QSize size = contentSize(image.size(), side);
    const QImage scaled = image.size() == size ? image
                                               : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return compose(scaled, side);
}

ImageOps::LoadResult readThumbnail(const QString &imagePath, int side)
{
    // A JPEG is read into memory for the direct decode; any other file, and
    // one that cannot be opened or read, is left to ImageOps::load, which
    // decodes it or says why not.
    QFile file(imagePath);
    if (!QFileInfo(imagePath).isDir() && file.open(QIODevice::ReadOnly)
        && ScaledJpeg::looksLikeJpeg(file.peek(4))) {
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
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return squared(ImageOps::load(&buffer, name, needed), side);
}

std::optional<DbError> writeThumbnail(const QImage &thumbnail, const QString &thumbPath)
{
    if (auto error = makeFolderOf(thumbPath))
        return error;
    return ImageOps::saveJpeg(thumbnail, thumbPath, ThumbnailQuality, ImageOps::Durability::Replaceable);
}

std::optional<DbError> saveThumbnail(const QImage &image, const QString &thumbPath, int side)
{
    if (image.isNull())
        return DbError(ErrorCode::InvalidValue, QStringLiteral("%1: There is no image to save.").arg(thumbPath));
    return writeThumbnail(thumbnailOf(image, side), thumbPath);
}

QByteArray encodeThumbnail(const QImage &image, int side)
{
    return ImageOps::encodeJpeg(thumbnailOf(image, side), ThumbnailQuality);
}

std::optional<DbError> saveEncodedThumbnail(const QByteArray &bytes, const QString &thumbPath)
{
    if (bytes.isEmpty())
        return DbError(ErrorCode::InvalidValue, QStringLiteral("%1: There is no thumbnail to save.").arg(thumbPath));
    if (auto error = makeFolderOf(thumbPath))
        return error;
    return ImageOps::saveEncoded(bytes, thumbPath, ImageOps::Durability::Replaceable);
}

std::optional<DbError> makeThumbnail(const QString &imagePath, const QString &thumbPath, int side)
{
    if (thumbPath.isEmpty())
        return DbError(ErrorCode::InvalidValue, QStringLiteral("%1: The page has no thumbnail path.").arg(imagePath));
    if (sameFile(imagePath, thumbPath))
        return DbError(ErrorCode::UnsafePath,
                       QStringLiteral("%1: The thumbnail would replace the page image.").arg(thumbPath));
    QFile::remove(thumbPath);
    const ImageOps::LoadResult thumb = readThumbnail(imagePath, side);
    if (thumb.error)
        return thumb.error;
    return writeThumbnail(thumb.image, thumbPath);
}

QVector<std::optional<DbError>> makeThumbnails(const QVector<Job> &jobs, int threads, int side)
{
    QVector<std::optional<DbError>> results(jobs.size());
    const int workers = std::min(threads > 0 ? threads : QThread::idealThreadCount(), int(jobs.size()));
    if (workers <= 1) {
        for (int i = 0; i < jobs.size(); ++i)
            results[i] = runJob(jobs.at(i), side);
        return results;
    }
    // Each worker takes the next job until none is left, so a slow page
    // never holds up a queue of its own.
    std::optional<DbError> *out = results.data();
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

std::optional<DbError> MakeThumbnail(RecordId pageId, int side)
{
    return MakeThumbnails({pageId}, side).constFirst();
}

QVector<std::optional<DbError>> MakeThumbnails(const QVector<RecordId> &pageIds, int side)
{
    QVector<std::optional<DbError>> results(pageIds.size());
    QVector<Job> jobs;
    QVector<int> jobIndex;
    for (int i = 0; i < pageIds.size(); ++i) {
        const RecordId id = pageIds.at(i);
        try {
            const std::optional<Pages::PageFacts> row = Pages::ReadPage(id);
            if (!row) {
                results[i] = DbError(ErrorCode::RecordMissing, QStringLiteral("Page %1 does not exist.").arg(id));
            } else if (row->shortcut) {
                results[i] = DbError(ErrorCode::InvalidValue,
                                     QStringLiteral("Page %1 is a shortcut and has no thumbnail.").arg(id));
            } else {
                jobs.append({PagePaths::GetPageFilePath(id, row->filename),
                             PagePaths::GetThumbFilePath(id, row->filename)});
                jobIndex.append(i);
            }
        } catch (const DbError &e) {
            results[i] = e;
        }
    }
    const QVector<std::optional<DbError>> made = makeThumbnails(jobs, 0, side);
    for (int j = 0; j < made.size(); ++j)
        results[jobIndex.at(j)] = made.at(j);
    return results;
}

} // namespace ThumbnailMaker

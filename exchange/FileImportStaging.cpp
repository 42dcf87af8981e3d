#include "exchange/FileImportStaging.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>

#include "core/ImageCheck.h"
#include "exchange/FileCopier.h"
#include "exchange/FileImport.h"
#include "exchange/ImportListing.h"
#include "exchange/MemoryBudget.h"
#include "imaging/DecodeCost.h"
#include "imaging/JpegEnd.h"
#include "imaging/ScaledJpeg.h"
#include "imaging/ThumbnailMaker.h"
#include "platform/FileSync.h"
#include "store/FileKinds.h"

namespace {

using FileImportStaging::Item;

// An image up to this size is read into memory once for both its copy and
// its thumbnail; a larger one is copied in chunks and its thumbnail read
// back from the copy.
constexpr qint64 kReadWholeLimit = 64 * 1024 * 1024;
constexpr qint64 kChunk = 64 * 1024;

// A descriptor closed when it goes out of scope.
struct Descriptor
{
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Opens path for reading and judges what was opened: only a regular file
// is read, and its size then bounds the read. Non-blocking, so a FIFO put
// in a file's place cannot hold the import.
std::optional<AppError> openRegular(const QString &path, Descriptor *in, qint64 *size)
{
    const QByteArray raw = QFile::encodeName(path);
    do {
        in->fd = ::open(raw.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (in->fd < 0 && errno == EINTR);
    if (in->fd < 0)
        return errnoError(errno, path);
    struct stat st;
    if (::fstat(in->fd, &st) != 0)
        return errnoError(errno, path);
    if (!S_ISREG(st.st_mode))
        return AppError(ErrorCode::InvalidValue, ImportListing::notRegularText());
    *size = st.st_size;
    return std::nullopt;
}

// Reads up to size bytes, the size the file had when it was listed: a
// file that grew since is read as it was then, one cut short as it is.
std::optional<AppError> readBounded(int fd, qint64 size, const QString &path, QByteArray *bytes)
{
    bytes->resize(size);
    qint64 have = 0;
    while (have < size) {
        const ssize_t got = ::read(fd, bytes->data() + have, size_t(size - have));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errnoError(errno, path);
        if (got == 0)
            break;
        have += got;
    }
    bytes->truncate(have);
    return std::nullopt;
}

// Copies up to size bytes of fd to target in chunks; a failed copy leaves
// no partial file.
std::optional<AppError> copyBounded(int fd, qint64 size, const QString &source, const QString &target)
{
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fileError(out, target);
    for (qint64 done = 0; done < size;) {
        QByteArray chunk;
        if (auto error = readBounded(fd, std::min(kChunk, size - done), source, &chunk)) {
            out.remove();
            return error;
        }
        if (chunk.isEmpty())
            break;
        if (out.write(chunk) != chunk.size()) {
            const AppError error = fileError(out, target);
            out.remove();
            return error;
        }
        done += chunk.size();
    }
    if (!out.flush()) {
        const AppError error = fileError(out, target);
        out.remove();
        return error;
    }
    return std::nullopt;
}

// The thumbnail picture of an image, which also proves that it can be
// decoded: an image that cannot is refused with the reader's reason. An
// image that decodes but ends early, or is too large for the viewer to
// show whole, is filed with a note. A JPEG too large to show whose DC
// values do not give its thumbnail is filed without one: its header has
// been read, and decoding every block of it would cost seconds and a
// quarter GB for 65000 by 65000 pixels.
std::optional<AppError> checkImage(Item &item, const ImageOps::LoadResult &thumb, bool jpeg, bool endsEarly,
                                   const std::optional<QString> &tooLarge)
{
    if (thumb.error && !(jpeg && tooLarge && thumb.error->code == int(ErrorCode::InvalidValue)))
        return thumb.error;
    item.thumbnail = thumb.image;
    if (endsEarly)
        item.note = JpegEnd::endsEarlyNote();
    if (tooLarge)
        item.note = item.note.isEmpty() ? *tooLarge : item.note + QLatin1Char(' ') + *tooLarge;
    return std::nullopt;
}

// What decoding the open image's thumbnail will hold, from its header;
// the descriptor is left at the file's start for the copy.
qint64 decodeCost(int fd)
{
    qint64 cost = 0;
    {
        QFile header;
        if (header.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            cost = DecodeCost::ofThumbnail(&header);
    }
    ::lseek(fd, 0, SEEK_SET);
    return cost;
}

// Whether the open file starts like a JPEG (read where it lies, the
// descriptor's position kept).
bool startsLikeJpeg(int fd)
{
    char head[4] = {};
    return ::pread(fd, head, sizeof head, 0) == ssize_t(sizeof head)
           && ScaledJpeg::looksLikeJpeg(QByteArray(head, sizeof head));
}

// Copies a file to its staging name and, for an image, makes its thumbnail
// picture from the same bytes, so the file is read once. Every read is
// bounded by the size the file had when it was listed. The bytes in
// memory (the whole file, the decoder's buffers) are taken from budget
// before they are allocated, all at once so that no thread holds a part
// while it waits for the rest.
std::optional<AppError> stage(Item &item, MemoryBudget &budget)
{
    Descriptor in;
    qint64 size = 0;
    if (auto error = openRegular(item.source, &in, &size))
        return error;
    size = std::min(size, item.size);
    const qint64 decode = item.image ? decodeCost(in.fd) : 0;
    if (size > kReadWholeLimit) {
        if (auto error = copyBounded(in.fd, size, item.source, item.staged))
            return error;
        // Its writing starts now; its page's birth waits for it before its
        // row commits.
        FileSync::startWriteback(item.staged);
        if (!item.image)
            return std::nullopt;
        const MemoryBudget::Held held(budget, decode);
        return checkImage(item, ThumbnailMaker::readThumbnail(item.staged), startsLikeJpeg(in.fd),
                          JpegEnd::fileEndsEarly(item.staged),
                          ImageCheck::fileTooLargeToShow(item.staged));
    }
    MemoryBudget::Held held(budget, size + decode);
    QByteArray bytes;
    if (auto error = readBounded(in.fd, size, item.source, &bytes))
        return error;
    // Judged before it is written: an image that cannot be decoded is not
    // copied at all.
    if (item.image) {
        if (auto error = checkImage(item, ThumbnailMaker::readThumbnail(bytes, item.source),
                                    ScaledJpeg::looksLikeJpeg(bytes), JpegEnd::endsEarly(bytes),
                                    ImageCheck::bytesTooLargeToShow(bytes)))
            return error;
        held.release(decode);
    }
    // A failed write leaves no partial file.
    const FileCopier::Result written = FileCopier::system().writeFile(item.staged, bytes);
    bytes = QByteArray();
    held.release();
    if (!written.ok())
        return written.error;
    FileSync::startWriteback(item.staged);
    return std::nullopt;
}

} // namespace

namespace FileImportStaging {

QString stagedName(int index)
{
    return QString::number(index % kStagingFolders) + QLatin1Char('/') + QString::number(index);
}

std::optional<QString> prepare(Item &item, const QString &directory, const QString &root,
                               const QTemporaryDir &staging, int index, bool copyNonImages)
{
    item.source = directory + item.name;
    if (const std::optional<QString> refusal = ImportListing::fileRefusal(item.source, root))
        return refusal;
    Descriptor in;
    if (auto error = openRegular(item.source, &in, &item.size))
        return error->text;
    item.image = !FileKinds::IsNonImageFile(item.source);
    if (item.image || copyNonImages)
        item.staged = staging.filePath(stagedName(index));
    return std::nullopt;
}

void Batch::startStaging(QThreadPool &pool, MemoryBudget &budget)
{
    for (Item &item : m_items) {
        if (item.staged.isEmpty() || item.copyError)
            continue;
        ++m_pending;
        Item *one = &item;
        pool.start([one, this, &budget] {
            one->copyError = onWorker(one->source, [one, &budget] { return stage(*one, budget); });
            m_staged.release();
        });
    }
}

void Batch::waitStaged()
{
    m_staged.acquire(m_pending);
    m_pending = 0;
}

} // namespace FileImportStaging

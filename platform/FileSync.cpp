#include "platform/FileSync.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <QFile>
#include <QMutex>
#include <QSemaphore>
#include <QThreadPool>

namespace {

constexpr mode_t kFileMode = 0644;
constexpr qint64 kChunk = 256 * 1024;

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

std::optional<AppError> syncOpened(const QString &path, int flags, int (*flush)(int))
{
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC | flags);
    if (fd < 0)
        return errnoError(errno, path);
    int error = 0;
    while (flush(fd) != 0) {
        if (errno != EINTR) {
            error = errno;
            break;
        }
    }
    ::close(fd);
    if (error != 0)
        return errnoError(error, path);
    return std::nullopt;
}

// A new file at path, never one that stands there already.
int createExclusive(const QByteArray &path)
{
    int fd;
    do {
        fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Closes a file written here and checks it (some file systems report a
// full disk only at close); the partial file goes when anything failed.
std::optional<AppError> finish(int fd, int error, const QByteArray &path, const QString &name)
{
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0)
        return std::nullopt;
    ::unlink(path.constData());
    return errnoError(error, name);
}

} // namespace

namespace FileSync {

int writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= n;
    }
    return 0;
}

std::optional<AppError> syncFile(const QString &path)
{
    return syncOpened(path, 0, &::fdatasync);
}

std::optional<AppError> syncFolder(const QString &path)
{
    return syncOpened(path, O_DIRECTORY, &::fsync);
}

void startWriteback(const QString &path)
{
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    ::close(fd);
}

std::optional<AppError> syncAll(const QStringList &files, const QStringList &folders, int threads,
                                const std::function<void(const QString &path)> &synced)
{
    const int total = int(files.size() + folders.size());
    if (total == 0)
        return std::nullopt;
    std::atomic<int> next{0};
    QMutex mutex;
    std::optional<AppError> first;
    // The folders only once every file is synced: a folder's entry must not
    // reach the disk before the bytes it names would.
    const auto syncRange = [&](int to) {
        for (int i = next++; i < to; i = next++) {
            const bool isFile = i < files.size();
            const QString &path = isFile ? files.at(i) : folders.at(i - files.size());
            std::optional<AppError> error = isFile ? syncFile(path) : syncFolder(path);
            const QMutexLocker lock(&mutex);
            if (error && !first)
                first = std::move(error);
            else if (!error && synced)
                synced(path);
        }
    };
    const auto runAll = [&](int from, int to) {
        next = from;
        const int pieces = std::clamp(threads, 1, to - from);
        if (pieces == 1) {
            syncRange(to);
            return;
        }
        QThreadPool pool;
        pool.setMaxThreadCount(pieces);
        QSemaphore done;
        for (int piece = 0; piece < pieces; ++piece) {
            pool.start([&] {
                syncRange(to);
                done.release();
            });
        }
        done.acquire(pieces);
    };
    if (!files.isEmpty())
        runAll(0, int(files.size()));
    if (!first && !folders.isEmpty())
        runAll(int(files.size()), total);
    return first;
}

std::optional<AppError> writeNew(const QString &path, const QByteArray &bytes)
{
    const QByteArray name = encoded(path);
    const int fd = createExclusive(name);
    if (fd < 0)
        return errnoError(errno, path);
    return finish(fd, FileSync::writeAll(fd, bytes.constData(), bytes.size()), name, path);
}

std::optional<AppError> copyNew(const QString &source, const QString &path)
{
    int in;
    do {
        in = ::open(encoded(source).constData(), O_RDONLY | O_CLOEXEC);
    } while (in < 0 && errno == EINTR);
    if (in < 0)
        return errnoError(errno, source);
    const QByteArray name = encoded(path);
    const int out = createExclusive(name);
    if (out < 0) {
        const int e = errno;
        ::close(in);
        return errnoError(e, path);
    }
    std::vector<char> buffer(kChunk);
    int error = 0;
    int readError = 0;
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            readError = errno;
            break;
        }
        if (got == 0 || (error = FileSync::writeAll(out, buffer.data(), got)) != 0)
            break;
    }
    ::close(in);
    if (readError != 0) {
        ::close(out);
        ::unlink(name.constData());
        return errnoError(readError, source);
    }
    return finish(out, error, name, path);
}

std::optional<AppError> renameNew(const QString &from, const QString &path)
{
    const QByteArray source = encoded(from);
    const QByteArray target = encoded(path);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return std::nullopt;
    if (errno != EINVAL && errno != ENOSYS)
        return errnoError(errno, path);
    // A file system without RENAME_NOREPLACE: a link to the new name fails
    // where anything stands, and only then is the old name let go.
    if (::link(source.constData(), target.constData()) != 0)
        return errnoError(errno, path);
    if (::unlink(source.constData()) != 0) {
        const int e = errno;
        ::unlink(target.constData());
        return errnoError(e, from);
    }
    return std::nullopt;
}

std::optional<AppError> replaceWith(const QString &path, const QByteArray &bytes)
{
    // A name of its own beside the file, made where nothing stood.
    QByteArray name = encoded(path) + QByteArrayLiteral(".XXXXXX");
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return errnoError(errno, path);
    ::fchmod(fd, kFileMode);
    // The bytes reach the disk before the name does: a power cut right
    // after the rename must not leave an empty file where the old one was.
    int error = FileSync::writeAll(fd, bytes.constData(), bytes.size());
    if (error == 0 && ::fdatasync(fd) != 0)
        error = errno;
    if (auto failed = finish(fd, error, name, path))
        return failed;
    if (::rename(name.constData(), encoded(path).constData()) != 0) {
        const int e = errno;
        ::unlink(name.constData());
        return errnoError(e, path);
    }
    return std::nullopt;
}

} // namespace FileSync

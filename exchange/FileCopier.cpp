#include "exchange/FileCopier.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QThread>

#include "platform/FileSync.h"
#include "platform/NoFollowFiles.h"
#include "platform/WorkerWait.h"

namespace {

constexpr qint64 kChunk = 64 * 1024;

bool isDiskFull(int e)
{
    return e == ENOSPC || e == EDQUOT;
}

using FileSync::writeAll;

// A new file in place of whatever stands at target: a link placed there
// is replaced, never written through.
int openTarget(const QByteArray &target)
{
    return NoFollowFiles::createFile(target);
}

// Closes the target and checks it: some file systems report a full disk
// only at close. The partial file goes when anything failed. A written
// file starts on its way to the disk now, so that sync later finds it
// there and waits for little.
int finishTarget(int fd, int error, const QByteArray &target)
{
    if (error == 0)
        (void)::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ::unlink(target.constData());
    return error;
}

} // namespace

FileCopier::Result FileCopier::failure(int errnoValue, const QString &path)
{
    return {isDiskFull(errnoValue) ? Status::DiskFull : Status::Failed, errnoError(errnoValue, path)};
}

FileCopier::Result FileCopier::copyFile(const QString &source, const QString &target)
{
    const QByteArray src = QFile::encodeName(source);
    const int in = ::open(src.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        const int e = errno;
        if (e == ENOENT)
            return {Status::SourceMissing, errnoError(e, source)};
        return {Status::Failed, errnoError(e, source)};
    }
    const QByteArray dst = QFile::encodeName(target);
    const int out = openTarget(dst);
    if (out < 0) {
        const int e = errno;
        ::close(in);
        return failure(e, target);
    }
    char buffer[kChunk];
    int error = 0;
    bool readFailed = false;
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = errno;
            readFailed = true;
            break;
        }
        if (got == 0)
            break;
        if ((error = writeAll(out, buffer, got)) != 0)
            break;
    }
    ::close(in);
    error = finishTarget(out, error, dst);
    if (error == 0)
        return {};
    // A source that cannot be read is no reason to change disks.
    return readFailed ? Result{Status::Failed, errnoError(error, source)} : failure(error, target);
}

FileCopier::Result FileCopier::writeFile(const QString &target, const QByteArray &bytes)
{
    const QByteArray dst = QFile::encodeName(target);
    const int out = openTarget(dst);
    if (out < 0)
        return failure(errno, target);
    const int error = finishTarget(out, writeAll(out, bytes.constData(), bytes.size()), dst);
    return error == 0 ? Result{} : failure(error, target);
}

FileCopier::Result FileCopier::makeDirectory(const QString &base, const QString &relative)
{
    QByteArray failed;
    const int error = NoFollowFiles::makeDirectories(QFile::encodeName(base), QFile::encodeName(relative), &failed);
    return error == 0 ? Result{} : failure(error, QFile::decodeName(failed));
}

std::optional<AppError> FileCopier::sync(const QStringList &files, const QStringList &folders)
{
    std::optional<AppError> error;
    WorkerWait::run([&] { error = FileSync::syncAll(files, folders, QThread::idealThreadCount()); });
    return error;
}

FileCopier &FileCopier::system()
{
    static FileCopier copier;
    return copier;
}

#include "platform/NoFollowFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QList>

namespace {

bool isDirectory(const QByteArray &path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes base and every missing folder above it, each level from the top so
// that a component like "back.up" is a directory like any other.
int makeBase(const QByteArray &base, QByteArray *failed)
{
    for (qsizetype i = 1; i <= base.size(); ++i) {
        if (i < base.size() && base.at(i) != '/')
            continue;
        const QByteArray level = base.left(i);
        if (::mkdir(level.constData(), 0777) != 0 && errno != EEXIST) {
            *failed = level;
            return errno;
        }
        if (!isDirectory(level)) {
            *failed = level;
            return ENOTDIR;
        }
    }
    return 0;
}

// The base folder, made when missing; -errno on failure.
int openBase(const QByteArray &base, QByteArray *failed)
{
    int fd = ::open(base.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        if (const int e = makeBase(base, failed))
            return -e;
        fd = ::open(base.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    if (fd < 0) {
        *failed = base;
        return -errno;
    }
    return fd;
}

} // namespace

namespace NoFollowFiles {

int makeDirectories(const QByteArray &base, const QByteArray &relative, QByteArray *failed)
{
    int fd = openBase(base, failed);
    if (fd < 0)
        return -fd;
    QByteArray current = base.endsWith('/') ? base.left(base.size() - 1) : base;
    for (const QByteArray &name : relative.split('/')) {
        if (name.isEmpty())
            continue;
        current += '/' + name;
        int error = 0;
        if (name == "." || name == "..")
            error = EINVAL;
        else if (::mkdirat(fd, name.constData(), 0777) != 0 && errno != EEXIST)
            error = errno;
        // O_NOFOLLOW: a link standing for this level fails with ELOOP
        // instead of leading the rest of the tree elsewhere.
        const int next = error ? -1 : ::openat(fd, name.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && error == 0)
            error = errno;
        ::close(fd);
        if (error != 0) {
            *failed = current;
            return error;
        }
        fd = next;
    }
    ::close(fd);
    return 0;
}

int createFile(const QByteArray &path, mode_t mode)
{
    bool removed = false;
    for (;;) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0)
            return fd;
        if (errno == EINTR)
            continue;
        if (errno != EEXIST || removed)
            return -1;
        struct stat st;
        if (::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            return -1;
        }
        if (::unlink(path.constData()) != 0 && errno != ENOENT)
            return -1;
        removed = true;
    }
}

} // namespace NoFollowFiles

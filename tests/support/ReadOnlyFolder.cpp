#include "tests/support/ReadOnlyFolder.h"

#include <QFile>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

ReadOnlyFolder::ReadOnlyFolder(const QString &path) : m_path(path)
{
    ::chmod(QFile::encodeName(m_path).constData(), 0555);
    // Root passes over permissions, not over the immutable flag.
    m_immutable = ::geteuid() == 0 && setImmutable(true);
    m_holds = ::geteuid() != 0 || m_immutable;
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (m_immutable)
        setImmutable(false);
    ::chmod(QFile::encodeName(m_path).constData(), 0755);
}

bool ReadOnlyFolder::setImmutable(bool on)
{
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

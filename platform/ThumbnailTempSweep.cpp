#include "platform/ThumbnailTempSweep.h"

#include "platform/DataFolder.h"
#include "platform/PlatformLog.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetterOrDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// True when the entry, not followed, is of the type asked for.
bool entryIs(int folder, const dirent &entry, unsigned char type, mode_t mode, struct stat *st)
{
    if (entry.d_type != DT_UNKNOWN && entry.d_type != type)
        return false;
    if (::fstatat(folder, entry.d_name, st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    return (st->st_mode & S_IFMT) == mode;
}

// Reads the folder open at fd, one entry at a time, until the listing
// ends or visit returns false; closes the folder.
template<typename Visit>
void eachEntry(int fd, Visit visit)
{
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    while (const dirent *entry = ::readdir(dir)) {
        if (!visit(::dirfd(dir), *entry))
            break;
    }
    ::closedir(dir);
}

} // namespace

ThumbnailTempSweep::ThumbnailTempSweep(const QString &thumbsFolder)
    : m_folder(QFile::encodeName(thumbsFolder.isEmpty() ? DataFolder::thumbsFolder() : thumbsFolder))
{
    // The coarse clock is the one the kernel stamps files with: every file
    // written from now on carries this time or a later one.
    ::clock_gettime(CLOCK_REALTIME_COARSE, &m_start);
    m_thread = std::thread([this] { run(); });
}

ThumbnailTempSweep::~ThumbnailTempSweep()
{
    m_stop = true;
    wait();
}

void ThumbnailTempSweep::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool ThumbnailTempSweep::isBucketName(std::string_view name)
{
    if (name.size() != 7)
        return false;
    for (char c : name) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

bool ThumbnailTempSweep::isTemporaryName(std::string_view name)
{
    static constexpr std::string_view infix = ".jpg.";
    const std::size_t dot = name.find('.');
    if (dot == 0 || dot == std::string_view::npos || name.size() != dot + infix.size() + 6)
        return false;
    for (std::size_t i = 0; i < dot; ++i) {
        if (!isDigit(name[i]))
            return false;
    }
    if (name.substr(dot, infix.size()) != infix)
        return false;
    for (char c : name.substr(dot + infix.size())) {
        if (!isLetterOrDigit(c))
            return false;
    }
    return true;
}

bool ThumbnailTempSweep::olderThanStart(const struct stat &st) const
{
    if (st.st_mtim.tv_sec != m_start.tv_sec)
        return st.st_mtim.tv_sec < m_start.tv_sec;
    return st.st_mtim.tv_nsec < m_start.tv_nsec;
}

void ThumbnailTempSweep::run()
{
    // "Thumbs" itself may be a link to the store's new disk: followed.
    const int thumbs = ::open(m_folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (thumbs < 0)
        return;
    eachEntry(thumbs, [this](int folder, const dirent &entry) {
        if (m_stop)
            return false;
        struct stat st;
        if (isBucketName(entry.d_name) && entryIs(folder, entry, DT_DIR, S_IFDIR, &st))
            sweepBucket(folder, entry.d_name);
        return true;
    });
}

void ThumbnailTempSweep::sweepBucket(int thumbs, const char *bucket)
{
    // O_NOFOLLOW: a bucket swapped for a link since it was listed is left.
    const int fd = ::openat(thumbs, bucket, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    eachEntry(fd, [this, bucket](int folder, const dirent &entry) {
        if (m_stop)
            return false;
        struct stat st;
        if (!isTemporaryName(entry.d_name) || !entryIs(folder, entry, DT_REG, S_IFREG, &st) || !olderThanStart(st))
            return true;
        if (::unlinkat(folder, entry.d_name, 0) == 0)
            ++m_removed;
        else if (errno != ENOENT)
            qCWarning(lcPlatform) << "cannot remove the thumbnail leftover" << bucket << entry.d_name
                                  << qt_error_string(errno);
        return true;
    });
}

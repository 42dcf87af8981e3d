#include "exchange/PreviousExport.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QVector>

#include "exchange/CabinetTree.h"

namespace {

enum Level { CabinetLevel, DrawerLevel, FolderLevel, DocumentLevel };

struct Entry
{
    QByteArray raw;
    QString name;
    mode_t type = 0;   // S_IFMT bits of the entry itself, links not followed
};

bool sameName(const QString &name, const QString &wanted)
{
    return name.trimmed().compare(wanted, Qt::CaseInsensitive) == 0;
}

// The names the import never takes as a page: a document directory holds
// them only when someone put them there.
bool isOtherTreeFile(const QString &name)
{
    using namespace CabinetTree;
    for (const QString &kept : {MarkerFileName, CabinetFileName, DrawerFileName, FolderFileName}) {
        if (sameName(name, kept))
            return true;
    }
    return false;
}

// Whether an export writes the file name at level.
bool exportWrites(int level, const QString &name)
{
    using namespace CabinetTree;
    switch (level) {
    case CabinetLevel:
        return sameName(name, MarkerFileName) || sameName(name, CabinetFileName);
    case DrawerLevel:
        return sameName(name, DrawerFileName);
    case FolderLevel:
        return sameName(name, FolderFileName);
    default:
        return !isOtherTreeFile(name);
    }
}

// The visible entries of the directory open at fd; the descriptor stays
// open. A name that is not in the system's encoding was never written by
// an export, so it is left out.
QVector<Entry> entriesOf(int fd)
{
    QVector<Entry> entries;
    const int copy = ::dup(fd);
    DIR *dir = copy < 0 ? nullptr : ::fdopendir(copy);
    if (!dir) {
        if (copy >= 0)
            ::close(copy);
        return entries;
    }
    while (const dirent *e = ::readdir(dir)) {
        if (e->d_name[0] == '.')
            continue;  // ".", ".." and hidden entries
        Entry entry;
        entry.raw = QByteArray(e->d_name);
        entry.name = QFile::decodeName(entry.raw);
        struct stat st;
        if (QFile::encodeName(entry.name) != entry.raw || ::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        entry.type = st.st_mode & S_IFMT;
        entries.append(entry);
    }
    ::closedir(dir);
    return entries;
}

class Clearer
{
public:
    Clearer(const QString &folder, const std::function<bool(const QString &)> &step) : m_folder(folder), m_step(step) {}

    // Clears the directory open at fd, relative ("" for the cabinet's own).
    void clear(int fd, const QString &relative, int level);
    PreviousExport::Cleared result() const { return m_result; }

private:
    bool done() const { return m_result.stopped || m_result.error.has_value(); }
    void removeFile(int fd, const Entry &entry, const QString &relative);
    void clearDirectory(int fd, const Entry &entry, const QString &relative, int level);
    void fail(int error, const QString &relative)
    {
        m_result.error = errnoError(error, m_folder + QLatin1Char('/') + relative);
    }

    QString m_folder;
    std::function<bool(const QString &)> m_step;
    PreviousExport::Cleared m_result;
};

void Clearer::removeFile(int fd, const Entry &entry, const QString &relative)
{
    if (m_step && !m_step(relative)) {
        m_result.stopped = true;
        return;
    }
    // unlinkat removes a link itself, never what it points at.
    if (::unlinkat(fd, entry.raw.constData(), 0) == 0)
        ++m_result.removed;
    else if (errno != ENOENT)
        fail(errno, relative);
}

void Clearer::clearDirectory(int fd, const Entry &entry, const QString &relative, int level)
{
    // O_NOFOLLOW: a directory swapped for a link since it was listed is not
    // entered.
    const int child = ::openat(fd, entry.raw.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (child < 0) {
        if (errno != ENOENT && errno != ELOOP && errno != ENOTDIR)
            fail(errno, relative);
        return;
    }
    clear(child, relative, level);
    ::close(child);
    if (done())
        return;
    // One that still holds something (a user's file) stays.
    if (::unlinkat(fd, entry.raw.constData(), AT_REMOVEDIR) == 0)
        ++m_result.removed;
    else if (errno != ENOTEMPTY && errno != EEXIST && errno != ENOENT)
        fail(errno, relative);
}

void Clearer::clear(int fd, const QString &relative, int level)
{
    const QString prefix = relative.isEmpty() ? QString() : relative + QLatin1Char('/');
    for (const Entry &entry : entriesOf(fd)) {
        if (done())
            return;
        const QString path = prefix + entry.name;
        if (entry.type == S_IFDIR) {
            // Directories inside a document directory are no part of the tree.
            if (level < DocumentLevel)
                clearDirectory(fd, entry, path, level + 1);
        } else if ((entry.type == S_IFREG || entry.type == S_IFLNK) && exportWrites(level, entry.name)) {
            removeFile(fd, entry, path);
        }
    }
}

} // namespace

namespace PreviousExport {

std::optional<QString> find(const QString &destination, const QString &folderName)
{
    const QString folder = (destination.endsWith(QLatin1Char('/')) ? destination : destination + QLatin1Char('/'))
                           + folderName;
    const QFileInfo info(folder);
    if (folderName.isEmpty() || info.isSymLink() || !info.isDir())
        return std::nullopt;
    // A link in the marker's place is none an export wrote.
    const QString marker = CabinetTree::findFile(folder, CabinetTree::MarkerFileName);
    if (marker.isEmpty() || QFileInfo(folder + QLatin1Char('/') + marker).isSymLink())
        return std::nullopt;
    return folder;
}

QString question(const QString &cabinetFolder)
{
    return QStringLiteral("'%1' already holds an export of this cabinet.  Remove that export's page files, "
                          "details files and marker first, so that the folder holds the cabinet as it is now?\n\n"
                          "No: files of the same name are replaced and the others are kept.\n"
                          "Cancel: nothing is exported.")
        .arg(cabinetFolder);
}

Cleared clear(const QString &cabinetFolder, const std::function<bool(const QString &)> &step)
{
    Clearer clearer(cabinetFolder, step);
    const int fd = ::open(QFile::encodeName(cabinetFolder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        Cleared failed;
        failed.error = errnoError(errno, cabinetFolder);
        return failed;
    }
    clearer.clear(fd, QString(), CabinetLevel);
    ::close(fd);
    return clearer.result();
}

} // namespace PreviousExport

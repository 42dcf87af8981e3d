#include "exchange/PreviousExport.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QVector>

#include "exchange/CabinetTree.h"
#include "exchange/ExportRecord.h"

namespace {

// Far more than the lines of the largest cabinet; anything larger is no
// record an export wrote.
constexpr qint64 kMaxRecordBytes = 256 * 1024 * 1024;

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

// Whether an export gives the file name at level: in a tree without a
// record, the only sign of what an export wrote. A page that is not a
// JPEG keeps its own file name, which tells it from no file of the user's.
bool exportGives(int level, const QString &name)
{
    using namespace CabinetTree;
    static const QRegularExpression pageName(QStringLiteral("^Page (-?\\d+)?( \\(\\d+\\))?\\.jpg$"),
                                             QRegularExpression::CaseInsensitiveOption);
    switch (level) {
    case CabinetLevel:
        return sameName(name, CabinetFileName);
    case DrawerLevel:
        return sameName(name, DrawerFileName);
    case FolderLevel:
        return sameName(name, FolderFileName);
    default:
        return sameName(name, DocumentFileName) || pageName.match(name).hasMatch();
    }
}

// The entries of the directory open at fd but "." and ".."; the
// descriptor stays open. A name that is not in the system's encoding was
// never written by an export, so it is left out.
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
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
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
    Clearer(const QString &folder, const std::function<void(const QString &)> &step) : m_folder(folder), m_step(step)
    {
    }

    // Reads the record of the cabinet's directory, open at fd; without
    // one, the names an export gives tell.
    void readRecord(int fd);
    // Clears the directory open at fd, relative ("" for the cabinet's own).
    void clear(int fd, const QString &relative, int level);
    // Once everything else went: the record emptied, the marker, then the
    // record.
    void removeMarker(int fd);
    PreviousExport::Cleared result() const { return m_result; }

private:
    bool done() const { return m_result.error.has_value(); }
    bool written(int level, const QString &path, const QString &name) const;
    void removeFile(int fd, const QByteArray &raw, const QString &relative);
    void clearDirectory(int fd, const Entry &entry, const QString &relative, int level);
    void fail(int error, const QString &relative)
    {
        m_result.error = errnoError(error, m_folder + QLatin1Char('/') + relative);
    }

    QString m_folder;
    std::function<void(const QString &)> m_step;
    std::optional<QSet<QString>> m_record;
    QVector<QByteArray> m_markers;   // the marker's names at the cabinet's level
    PreviousExport::Cleared m_result;
};

void Clearer::readRecord(int fd)
{
    const QString &name = CabinetTree::RecordFileName;
    const int file = ::openat(fd, QFile::encodeName(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) {
        if (errno != ENOENT)
            fail(errno, name);
        return;
    }
    struct stat st;
    QByteArray bytes;
    int error = ::fstat(file, &st) != 0 ? errno : 0;
    if (error == 0 && (!S_ISREG(st.st_mode) || st.st_size > kMaxRecordBytes)) {
        m_result.error = AppError(ErrorCode::InvalidValue, QStringLiteral("%1/%2 is not the record of an export.")
                                                               .arg(m_folder, name));
    } else if (error == 0) {
        bytes.resize(qsizetype(st.st_size));
        qsizetype got = 0;
        while (got < bytes.size() && error == 0) {
            const ssize_t n = ::read(file, bytes.data() + got, size_t(bytes.size() - got));
            if (n == 0)
                break;
            if (n > 0)
                got += n;
            else if (errno != EINTR)
                error = errno;
        }
        bytes.truncate(got);
    }
    ::close(file);
    if (error != 0)
        fail(error, name);
    else if (!done())
        m_record = ExportRecord::paths(bytes);
}

bool Clearer::written(int level, const QString &path, const QString &name) const
{
    // The record goes last, after the marker.
    if (level == CabinetLevel && name == CabinetTree::RecordFileName)
        return false;
    return m_record ? m_record->contains(path) : exportGives(level, name);
}

void Clearer::removeFile(int fd, const QByteArray &raw, const QString &relative)
{
    if (m_step)
        m_step(relative);
    // unlinkat removes a link itself, never what it points at.
    if (::unlinkat(fd, raw.constData(), 0) == 0)
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
        const bool file = entry.type == S_IFREG || entry.type == S_IFLNK;
        if (entry.type == S_IFDIR) {
            // An export makes no hidden directory, nor any inside a
            // document directory.
            if (level < DocumentLevel && !entry.name.startsWith(QLatin1Char('.')))
                clearDirectory(fd, entry, path, level + 1);
        } else if (file && level == CabinetLevel && sameName(entry.name, CabinetTree::MarkerFileName)) {
            m_markers.append(entry.raw);
        } else if (file && written(level, path, entry.name)) {
            removeFile(fd, entry.raw, path);
        }
    }
}

void Clearer::removeMarker(int fd)
{
    if (done())
        return;
    // The record is emptied first: a marker found with an empty record
    // stands for nothing more to remove, while one found without any would
    // be judged by names.
    if (m_record) {
        const QByteArray record = QFile::encodeName(CabinetTree::RecordFileName);
        const int file = ::openat(fd, record.constData(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (file < 0 && errno != ENOENT)
            fail(errno, CabinetTree::RecordFileName);
        if (file >= 0)
            ::close(file);
    }
    for (const QByteArray &marker : std::as_const(m_markers)) {
        if (!done())
            removeFile(fd, marker, QFile::decodeName(marker));
    }
    if (!done() && m_record)
        removeFile(fd, QFile::encodeName(CabinetTree::RecordFileName), CabinetTree::RecordFileName);
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

Cleared clear(const QString &cabinetFolder, const std::function<void(const QString &)> &step)
{
    Clearer clearer(cabinetFolder, step);
    const int fd = ::open(QFile::encodeName(cabinetFolder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        Cleared failed;
        failed.error = errnoError(errno, cabinetFolder);
        return failed;
    }
    clearer.readRecord(fd);
    if (!clearer.result().error) {
        clearer.clear(fd, QString(), CabinetLevel);
        clearer.removeMarker(fd);
    }
    ::close(fd);
    return clearer.result();
}

} // namespace PreviousExport

#include "store/FolderPresence.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>

#include "platform/DataFolder.h"
#include "platform/PathFacts.h"
#include "store/PagePaths.h"
#include "store/Pages.h"

namespace {

using FolderPresence::Rows;

// Page-store ids read at a time while looking for a file that is there:
// the newest page's file is nearly always found in the first.
constexpr int kIdBatch = 256;

// An empty folder (a mount point without its disk) holds none of anything:
// no need to look for each file.
bool holdsEntries(const QString &folder)
{
    return !QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

bool anyExists(const QStringList &files)
{
    FolderPresence::FileProbe probe;
    for (const QString &file : files) {
        if (probe.exists(file))
            return true;
    }
    return false;
}

// What a look for the page store's files found.
enum class Look { NoRows, Found, NoneFound };

Look lookInPageStore()
{
    FolderPresence::FileProbe probe;
    RecordId below = std::numeric_limits<RecordId>::max();
    for (bool first = true;; first = false) {
        const QVector<RecordId> ids = Pages::storePagesBelow(below, kIdBatch);
        if (ids.isEmpty())
            return first ? Look::NoRows : Look::NoneFound;
        for (const RecordId id : ids) {
            if (probe.exists(PagePaths::GetDefaultPageFilePath(id)))
                return Look::Found;
        }
        below = ids.last();
    }
}

QString refusalText(Rows rows, const QString &folder, qint64 count)
{
    switch (rows) {
    case Rows::PageStore:
        return FolderPresence::pageStoreMessage(folder, count);
    case Rows::Storage:
        return FolderPresence::storageMessage(folder, count);
    case Rows::Other:
        break;
    }
    return QStringLiteral("The folder \"%1\" holds none of the %2 page files named in it: is its disk connected?")
        .arg(folder)
        .arg(count);
}

} // namespace

namespace FolderPresence {

bool isThere(const QString &folder, qint64 named, qint64 found)
{
    return QFileInfo(folder).isDir() && (named == 0 || found > 0);
}

QString storageMessage(const QString &folder, qint64 count)
{
    return QStringLiteral("The storage folder \"%1\" holds none of this cabinet's %2 pages: is its disk connected?")
        .arg(folder)
        .arg(count);
}

QString pageStoreMessage(const QString &folder, qint64 count)
{
    return QStringLiteral("The page folder \"%1\" holds none of its %2 pages: is its disk connected?")
        .arg(folder)
        .arg(count);
}

std::optional<QString> writeRefusal(Rows rows, const QString &path, RecordId cabinetId)
{
    const QString folder = PathFacts::withoutTrailingSlash(path);
    const bool looked = QFileInfo(folder).isDir() && holdsEntries(folder);
    qint64 named = 0;
    bool found = false;
    if (rows == Rows::PageStore) {
        const Look look = looked ? lookInPageStore() : Look::NoneFound;
        if (look == Look::NoneFound)
            named = Pages::countStorePages();
        found = look == Look::Found;
    } else {
        const QStringList files = Pages::filesUnder(folder, rows == Rows::Storage ? cabinetId : 0);
        named = files.size();
        found = looked && anyExists(files);
    }
    if (isThere(folder, named, found ? 1 : 0))
        return std::nullopt;
    if (named > 0)
        return refusalText(rows, folder, named);
    // Missing, and no page lies there yet: made again, but only on a disk
    // that is there (a removable disk's mount point goes when it is
    // unmounted, and the path would be made on the disk below).
    const QString above = QFileInfo(PathFacts::resolvedPath(folder)).absolutePath();
    if (QFileInfo(above).isDir())
        return std::nullopt;
    return QStringLiteral("The folder \"%1\" cannot be made: \"%2\" is missing. Is its disk connected?")
        .arg(folder, above);
}

FileProbe::~FileProbe()
{
    closeFolder();
}

bool FileProbe::exists(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0 || slash == path.size() - 1)
        return QFileInfo::exists(path);
    const QStringView folder = QStringView(path).left(slash);
    if (folder != m_folder) {
        closeFolder();
        m_folder = folder.toString();
        m_fd = ::open(QFile::encodeName(m_folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    if (m_fd < 0)
        return QFileInfo::exists(path);
    return ::faccessat(m_fd, QFile::encodeName(path.mid(slash + 1)).constData(), F_OK, 0) == 0;
}

void FileProbe::closeFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace FolderPresence

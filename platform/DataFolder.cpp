#include "platform/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/PlatformLog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

DataFolder::FolderEntry::Kind kindOf(int folder, const dirent &entry)
{
    using Kind = DataFolder::FolderEntry::Kind;
    switch (entry.d_type) {
    case DT_DIR:
        return Kind::Folder;
    case DT_LNK:
        return Kind::Link;
    case DT_UNKNOWN:
        break;
    default:
        return Kind::Other;
    }
    // Some file systems do not say in the listing; ask without following.
    struct stat st;
    if (::fstatat(folder, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Kind::Other;
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    return S_ISLNK(st.st_mode) ? Kind::Link : Kind::Other;
}

// Reads the entries of an open folder; closes it. The errno of a failed
// read, or 0.
int readEntries(int fd, QList<DataFolder::FolderEntry> &entries)
{
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        entries.append({QFile::decodeName(entry->d_name), kindOf(::dirfd(dir), *entry)});
    }
    ::closedir(dir);
    return error;
}

DataFolder::FolderListing list(const QString &path, bool followOwnLink)
{
    DataFolder::FolderListing listing;
    listing.path = path;
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::lstat(name.constData(), &st) != 0) {
        // Nothing there at all is an empty store; anything else is a look
        // that failed.
        if (errno == ENOENT)
            listing.missing = true;
        else
            listing.error = errno;
        return listing;
    }
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followOwnLink ? 0 : O_NOFOLLOW);
    const int fd = ::open(name.constData(), flags);
    if (fd < 0) {
        listing.error = errno;
        return listing;
    }
    listing.error = readEntries(fd, listing.entries);
    if (listing.error != 0) {
        listing.entries.clear();
        return listing;
    }
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const DataFolder::FolderEntry &a, const DataFolder::FolderEntry &b) { return a.name < b.name; });
    return listing;
}

} // namespace

namespace DataFolder {

QString FolderListing::errorText() const
{
    QString text = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
    // A store moved to another disk: say where the link leads, since that
    // is where the fault lies (a disk not mounted, say).
    const QFileInfo info(path);
    if (info.isSymLink())
        text += QStringLiteral(" (a link to \"%1\")").arg(info.symLinkTarget());
    return text;
}

FolderListing listStoreFolder(const QString &name)
{
    return list(filePath(name), true);
}

FolderListing listFolder(const QString &path)
{
    return list(path, false);
}

QString path()
{
    // The file-name decoding of the system, as every path of the program.
    const QString env = QFile::decodeName(qgetenv("VLM_DATA_DIR"));
    if (!env.isEmpty())
        return QDir::cleanPath(QFileInfo(env).absoluteFilePath());
    // GenericDataLocation, not AppDataLocation: the latter depends on each
    // program's own name and would give vlm and vlmtools two folders.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/vellumark");
}

QString filePath(const QString &name)
{
    return QDir(path()).filePath(name);
}

bool ensure(QString *error)
{
    // A name in bytes that the system's encoding cannot read would decode
    // to another folder (replacement characters): refuse it rather than
    // put the archive there.
    const QByteArray raw = qgetenv("VLM_DATA_DIR");
    if (!raw.isEmpty() && QFile::encodeName(QFile::decodeName(raw)) != raw) {
        if (error)
            *error = QStringLiteral("The data folder named by VLM_DATA_DIR (\"%1\") is not valid text in the "
                                    "system's encoding. Rename the folder or point VLM_DATA_DIR at another one.")
                         .arg(QString::fromLatin1(raw));
        return false;
    }
    const QString p = path();
    if (QFileInfo(p).isDir() || QDir().mkpath(p))
        return true;
    if (error)
        *error = QStringLiteral("The data folder \"%1\" cannot be created.").arg(p);
    return false;
}

int removeImportLeftovers()
{
    // Links are left alone: what one points at is not a staging folder of ours.
    const QDir pages(pagesFolder());
    const QStringList names = pages.entryList({ImportStagingPrefix + QLatin1Char('*')},
                                              QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    int left = 0;
    for (const QString &name : names) {
        if (!QDir(pages.filePath(name)).removeRecursively()) {
            qCWarning(lcPlatform) << "cannot remove the import leftover" << pages.filePath(name);
            ++left;
        }
    }
    return left;
}

QString databaseFile()
{
    return filePath(DatabaseName);
}

QString lockFile()
{
    return filePath(LockName);
}

QString backupFile()
{
    return filePath(BackupName);
}

QString tempDatabaseFile()
{
    return filePath(TempDatabaseName);
}

QString pagesFolder()
{
    return filePath(PagesFolderName);
}

QString thumbsFolder()
{
    return filePath(ThumbsFolderName);
}

QString startOverMarkerFile()
{
    return filePath(StartOverMarkerName);
}

QStringList ownFileNames()
{
    return {DatabaseName,         DatabaseName + JournalSuffix, DatabaseName + WalSuffix,
            DatabaseName + ShmSuffix, BackupName,               TempDatabaseName,
            TemplateDatabaseName, DrawerTemplatesName,          SampleOutlineName,
            HelpTextName,         LockName,                     StartOverMarkerName};
}

} // namespace DataFolder

#include "tools/PageFileSweep.h"

#include "core/Progress.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "platform/ThumbnailTempSweep.h"
#include "store/Database.h"
#include "tools/ToolsFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

using DataFolder::FolderEntry;
using DataFolder::FolderListing;

AppError listingError(const FolderListing &listing)
{
    return AppError(listing.error, listing.errorText());
}

void addSweepError(ToolResult &result, const AppError &e)
{
    result.add(ToolResult::Kind::Error, QStringLiteral("DeletePageFiles Error #%1 - %2").arg(e.code).arg(e.text));
}

void unlinkFile(const QString &path)
{
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        throw errnoError(errno, path);
}

bool isJpegName(const QString &name)
{
    return name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive);
}

// The folders of a store folder that the program made, the only ones the
// sweeps go into: the bucket folders and, in "Pages", the staging folders
// of an import that was killed. Anything else there (the user's folders
// and files, any link) is not the program's and stays.
bool isProgramFolder(const FolderEntry &entry, const QString &folderName)
{
    if (entry.kind != FolderEntry::Kind::Folder)
        return false;
    if (folderName == DataFolder::PagesFolderName && entry.name.startsWith(DataFolder::ImportStagingPrefix))
        return true;
    const QByteArray name = QFile::encodeName(entry.name);
    return ThumbnailTempSweep::isBucketName(std::string_view(name.constData(), size_t(name.size())));
}

// Deletes the "*.jpg" files (any letter case) of one bucket folder; links
// stay, they are not the program's. False on a stop request; a folder that
// cannot be read or a file that cannot be deleted is thrown.
bool deleteImages(const QString &bucket, bool cancellable)
{
    const FolderListing listing = DataFolder::listFolder(bucket);
    if (listing.failed())
        throw listingError(listing);
    for (const FolderEntry &entry : listing.entries) {
        if (cancellable && Progress::ProgressCancelled())
            return false;
        if (entry.kind == FolderEntry::Kind::Other && isJpegName(entry.name))
            unlinkFile(bucket + QLatin1Char('/') + entry.name);
    }
    return true;
}

// Removes the folder at path with everything in it. Links inside are
// removed themselves, never followed. The first failure is thrown.
void removeTree(const QString &path)
{
    const FolderListing listing = DataFolder::listFolder(path);
    if (listing.failed())
        throw listingError(listing);
    for (const FolderEntry &entry : listing.entries) {
        const QString child = path + QLatin1Char('/') + entry.name;
        if (entry.kind == FolderEntry::Kind::Folder)
            removeTree(child);
        else
            unlinkFile(child);
    }
    if (::rmdir(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        throw errnoError(errno, path);
}

// Removes the store folder itself once it is empty; a link to a store on
// another disk is no folder and stays, and so does a folder still holding
// something.
void removeEmptiedStore(const QString &folderName)
{
    QDir(DataFolder::path()).rmdir(folderName);
}

// Flushes a folder's entries to the disk.
void syncFolder(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw errnoError(errno, path);
    const int rc = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (rc != 0)
        throw errnoError(error, path);
}

// Start over's sweep of one store folder, listed beforehand: each folder
// the program made goes with every file it holds, whatever its kind: the
// copies a tree import made of files that are not images lie there too.
// What the user put there stays (and so does the store folder then); its
// names, "<folder>/<name>", are added to kept. A failure ends the sweep
// with "DeletePageFiles Error #<n> - <description>" added to result; false
// then.
bool emptyPageStore(const FolderListing &store, const QString &folderName, ToolResult &result, QStringList &kept)
{
    try {
        for (const FolderEntry &entry : store.entries) {
            if (!isProgramFolder(entry, folderName)) {
                kept.append(folderName + QLatin1Char('/') + entry.name);
                continue;
            }
            Progress::AdvanceProgress(QStringLiteral("Deleting %1").arg(entry.name));
            removeTree(store.path + QLatin1Char('/') + entry.name);
        }
        // The folders are gone for good before the database goes.
        if (!store.missing)
            syncFolder(store.path);
    } catch (const AppError &e) {
        addSweepError(result, e);
        return false;
    }
    removeEmptiedStore(folderName);
    return true;
}

// The completion of a Start Over, naming the first few of what it left in
// the store folders.
QString startOverCompletion(const QStringList &kept)
{
    const QString complete = QStringLiteral("'Start over' complete.");
    if (kept.isEmpty())
        return complete;
    constexpr int named = 5;
    QStringList quoted;
    for (const QString &name : kept.mid(0, named))
        quoted.append(QLatin1Char('"') + name + QLatin1Char('"'));
    QString list = quoted.join(QLatin1String(", "));
    if (kept.size() > named)
        list += QStringLiteral(" and %1 more").arg(kept.size() - named);
    return complete + QStringLiteral("\nVellumark did not make these, so they were left in place: %1.").arg(list);
}

// The marker that a Start Over is deleting files, on the disk before the
// first file goes: a run killed part-way is then known at the next start.
void writeStartOverMarker()
{
    const QString path = DataFolder::startOverMarkerFile();
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        throw errnoError(errno, path);
    const QByteArray text = "Start Over began " + QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8()
        + " and has not finished.\n";
    const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size() && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!written)
        throw errnoError(error, path);
    syncFolder(DataFolder::path());
}

void removeStartOverMarker()
{
    unlinkFile(DataFolder::startOverMarkerFile());
    syncFolder(DataFolder::path());
}

// The journal files go first and the database last: a run killed in
// between leaves the database, and with it the marker's warning, so Start
// Over is run again; once the database is gone, nothing is left but the
// marker, which the next start removes (Startup::unfinishedStartOver).
void removeDatabaseFiles()
{
    DbConnection::close();
    const QString db = ToolsFiles::GetDbPath();
    for (const QString &suffix : {DataFolder::JournalSuffix, DataFolder::WalSuffix, DataFolder::ShmSuffix, QString()})
        unlinkFile(db + suffix);
    syncFolder(DataFolder::path());
}

// The folders of a store folder a sweep steps through.
int countSwept(const FolderListing &store, const QString &folderName)
{
    return int(std::count_if(store.entries.cbegin(), store.entries.cend(),
                             [&](const FolderEntry &e) { return isProgramFolder(e, folderName); }));
}

} // namespace

namespace PageFileSweep {

bool isStartOverConfirmed(const QString &reply)
{
    return reply.trimmed().toUpper() == StartOverSentence;
}

int countEntries(const QStringList &folderNames)
{
    int n = 0;
    for (const QString &name : folderNames)
        n += countSwept(DataFolder::listStoreFolder(name), name);
    return n;
}

bool DeletePageFiles(const QString &folderName, ToolResult &result, bool cancellable)
{
    const FolderListing store = DataFolder::listStoreFolder(folderName);
    if (store.failed()) {
        addSweepError(result, listingError(store));
        return false;
    }
    try {
        for (const FolderEntry &entry : store.entries) {
            if (!isProgramFolder(entry, folderName))
                continue;
            if (cancellable && Progress::ProgressCancelled())
                return false;
            Progress::AdvanceProgress(QStringLiteral("Deleting %1").arg(entry.name));
            if (!deleteImages(store.path + QLatin1Char('/') + entry.name, cancellable))
                return false;
        }
    } catch (const AppError &e) {
        addSweepError(result, e);
        return false;
    }
    // What still holds other files stays; rmdir only removes empty folders.
    QDir base(store.path);
    for (const FolderEntry &entry : store.entries) {
        if (isProgramFolder(entry, folderName))
            base.rmdir(entry.name);
    }
    removeEmptiedStore(folderName);
    return true;
}

ToolResult DeleteThumbnails()
{
    ToolResult result;
    const QString thumbs = DataFolder::ThumbsFolderName;
    const int total = countEntries({thumbs});
    std::optional<ProgressScope> progress;
    if (total > 0)
        progress.emplace(QStringLiteral("Delete thumbnails"), 1, total, ProgressScope::Cancel::Shown);
    const bool completed = DeletePageFiles(thumbs, result, true);
    const bool stopped = !completed && result.entries.isEmpty();
    progress.reset();
    if (stopped)
        result.add(ToolResult::Kind::Message, QStringLiteral("Delete thumbnails was stopped."));
    else if (completed)
        result.add(ToolResult::Kind::Message, QStringLiteral("Delete thumbnails complete."));
    return result;
}

QString databaseQuestion()
{
    const QString db = ToolsFiles::GetDbPath();
    const QFileInfo info(db);
    if (!info.exists() && !info.isSymLink() && !Database::hasJournal(db))
        return {};
    QString why;
    try {
        Database::checkDatabaseFile(db);
        return {};
    } catch (const AppError &e) {
        switch (ErrorCode(e.code)) {
        case ErrorCode::NotOurDatabase:
            why = QStringLiteral("\"%1\" is not a Vellumark database (%2).").arg(db, e.text);
            break;
        case ErrorCode::DatabaseDamaged:
            why = QStringLiteral("The database \"%1\" is damaged: %2.").arg(db, e.text);
            break;
        case ErrorCode::DatabaseReadOnly:
            why = QStringLiteral("The database \"%1\" is read-only.").arg(db);
            break;
        case ErrorCode::JournalWithoutDatabase:
            // The text names the journal.
            why = e.text + QLatin1Char('.');
            break;
        default:
            why = QStringLiteral("The database \"%1\" cannot be used (%2).").arg(db, e.message());
            break;
        }
    }
    return why + QStringLiteral(" Start Over deletes it for good. Delete it and start over?");
}

ToolResult StartOver()
{
    ToolResult result;
    ToolsFiles::ToolsLock lock;
    if (!lock.acquire()) {
        result.add(ToolResult::Kind::Warning, lock.refusal());
        return result;
    }
    // Both store folders are looked into before anything goes: a store on
    // a disk that is not there now (a broken link) or that cannot be read
    // keeps everything, the database above all, whose ids name the files
    // that could not be seen.
    const QStringList folders{DataFolder::PagesFolderName, DataFolder::ThumbsFolderName};
    QList<FolderListing> stores;
    for (const QString &folder : folders) {
        stores.append(DataFolder::listStoreFolder(folder));
        if (stores.last().failed())
            addSweepError(result, listingError(stores.last()));
    }
    if (!result.entries.isEmpty())
        return result;
    try {
        writeStartOverMarker();
    } catch (const AppError &e) {
        result.add(ToolResult::Kind::Error, QStringLiteral("StartOver Error #%1 - %2").arg(e.code).arg(e.text));
        return result;
    }
    const int total = countSwept(stores[0], folders[0]) + countSwept(stores[1], folders[1]);
    std::optional<ProgressScope> progress;
    if (total > 0)
        progress.emplace(QStringLiteral("Start over"), 1, total);
    // A failed sweep reports itself and the next folder is still swept.
    bool emptied = true;
    QStringList kept;
    for (int i = 0; i < folders.size(); ++i)
        emptied = emptyPageStore(stores[i], folders[i], result, kept) && emptied;
    progress.reset();
    // The page files go before the database: the new database hands out
    // ids from 1 again, and a file left behind would lie at a new page's
    // path. Files that could not be deleted keep the database too, so a
    // start over run again once the cause is mended finishes the work; the
    // marker stays until then and each start says so.
    if (!emptied)
        return result;
    try {
        removeDatabaseFiles();
        removeStartOverMarker();
    } catch (const AppError &e) {
        result.add(ToolResult::Kind::Error, QStringLiteral("StartOver Error #%1 - %2").arg(e.code).arg(e.text));
        return result;
    }
    result.add(ToolResult::Kind::Message, startOverCompletion(kept));
    return result;
}

} // namespace PageFileSweep

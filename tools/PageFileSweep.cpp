#include "tools/PageFileSweep.h"

#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/Progress.h"
#include "tools/ToolsFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

namespace {

const QDir::Filters kEntries = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden | QDir::System;

QFileInfoList entriesOf(const QString &folderName)
{
    const QFileInfo base(DataFolder::filePath(folderName));
    if (!base.isDir() || base.isSymLink())
        return {};
    return QDir(base.filePath()).entryInfoList(kEntries, QDir::Name);
}

// Deletes the "*.jpg" files of one bucket folder; false on a stop request.
bool deleteImages(const QString &bucket, bool cancellable)
{
    // A name filter without QDir::CaseSensitive matches ".JPG" as well.
    const QFileInfoList files = QDir(bucket).entryInfoList(
        {QStringLiteral("*.jpg")}, QDir::Files | QDir::NoSymLinks | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo &file : files) {
        if (cancellable && Progress::ProgressCancelled())
            return false;
        const QByteArray name = QFile::encodeName(file.filePath());
        if (::unlink(name.constData()) != 0 && errno != ENOENT)
            throw errnoError(errno, file.filePath());
    }
    return true;
}

// Removes the folder at path with everything in it. Links inside are
// removed themselves, never followed. The first failure is thrown.
void removeTree(const QString &path)
{
    const QFileInfoList entries =
        QDir(path).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        if (entry.isDir() && !entry.isSymLink()) {
            removeTree(entry.filePath());
        } else if (::unlink(QFile::encodeName(entry.filePath()).constData()) != 0 && errno != ENOENT) {
            throw errnoError(errno, entry.filePath());
        }
    }
    if (::rmdir(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        throw errnoError(errno, path);
}

// Start over's sweep of the folder of that name: each folder in it (the
// bucket folders, and the staging folders of an import that was killed)
// goes with every file it holds, whatever its kind: the copies a tree
// import made of files that are not images lie there too. Files lying
// directly in the folder and links are not the program's and stay (and so
// does the folder then). A failure ends the sweep with
// "DeletePageFiles Error #<n> - <description>" added to result; false then.
bool emptyPageStore(const QString &folderName, ToolResult &result)
{
    try {
        for (const QFileInfo &entry : entriesOf(folderName)) {
            Progress::AdvanceProgress(QStringLiteral("Deleting %1").arg(entry.fileName()));
            if (entry.isDir())
                removeTree(entry.filePath());
        }
    } catch (const DbError &e) {
        result.add(ToolResult::Kind::Error, QStringLiteral("DeletePageFiles Error #%1 - %2").arg(e.code).arg(e.text));
        return false;
    }
    QDir(DataFolder::path()).rmdir(folderName);
    return true;
}

void removeDatabaseFiles()
{
    DbConnection::close();
    const QString db = ToolsFiles::GetDbPath();
    for (const QString &suffix : {QString(), DataFolder::JournalSuffix, DataFolder::WalSuffix, DataFolder::ShmSuffix}) {
        const QString path = db + suffix;
        if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
            throw errnoError(errno, path);
    }
}

} // namespace

namespace PageFileSweep {

bool IsStartOverConfirmed(const QString &reply)
{
    return reply.trimmed().toUpper() == StartOverSentence;
}

int CountEntries(const QStringList &folderNames)
{
    int n = 0;
    for (const QString &name : folderNames)
        n += entriesOf(name).size();
    return n;
}

bool DeletePageFiles(const QString &folderName, ToolResult &result, bool cancellable)
{
    const QFileInfoList entries = entriesOf(folderName);
    try {
        for (const QFileInfo &entry : entries) {
            if (cancellable && Progress::ProgressCancelled())
                return false;
            Progress::AdvanceProgress(QStringLiteral("Deleting %1").arg(entry.fileName()));
            if (entry.isDir() && !deleteImages(entry.filePath(), cancellable))
                return false;
        }
    } catch (const DbError &e) {
        result.add(ToolResult::Kind::Error, QStringLiteral("DeletePageFiles Error #%1 - %2").arg(e.code).arg(e.text));
        return false;
    }
    // What still holds other files stays; rmdir only removes empty folders.
    QDir base(DataFolder::filePath(folderName));
    for (const QFileInfo &entry : entries) {
        if (entry.isDir())
            base.rmdir(entry.fileName());
    }
    QDir(DataFolder::path()).rmdir(folderName);
    return true;
}

ToolResult DeleteThumbnails()
{
    ToolResult result;
    const QString thumbs = DataFolder::ThumbsFolderName;
    const int total = CountEntries({thumbs});
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

ToolResult StartOver()
{
    ToolResult result;
    ToolsFiles::ToolsLock lock;
    if (!lock.acquire()) {
        result.add(ToolResult::Kind::Warning, ToolsFiles::VlmRunningText);
        return result;
    }
    const QStringList folders{DataFolder::PagesFolderName, DataFolder::ThumbsFolderName};
    const int total = CountEntries(folders);
    std::optional<ProgressScope> progress;
    if (total > 0)
        progress.emplace(QStringLiteral("Start over"), 1, total);
    // A failed sweep reports itself and the next folder is still swept.
    bool emptied = true;
    for (const QString &folder : folders)
        emptied = emptyPageStore(folder, result) && emptied;
    progress.reset();
    // The page files go before the database: the new database hands out
    // ids from 1 again, and a file left behind would lie at a new page's
    // path. Files that could not be deleted keep the database too, so a
    // start over run again once the cause is mended finishes the work.
    if (!emptied)
        return result;
    try {
        removeDatabaseFiles();
    } catch (const DbError &e) {
        result.add(ToolResult::Kind::Error, QStringLiteral("StartOver Error #%1 - %2").arg(e.code).arg(e.text));
        return result;
    }
    result.add(ToolResult::Kind::Message, QStringLiteral("'Start over' complete."));
    return result;
}

} // namespace PageFileSweep

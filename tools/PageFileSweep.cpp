#include "PageFileSweep.h"

#include "DataFolder.h"
#include "DbConnection.h"
#include "Progress.h"
#include "ToolsFiles.h"

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

void removeDatabaseFiles()
{
    DbConnection::close();
    const QString db = ToolsFiles::GetDbPath();
    for (const QString &suffix : {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
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
    const QString thumbs = QStringLiteral("Thumbs");
    const int total = CountEntries({thumbs});
    if (total > 0)
        Progress::StartProgressPositioned(QStringLiteral("Delete thumbnails"), 1, total);
    const bool completed = DeletePageFiles(thumbs, result, true);
    const bool stopped = !completed && result.entries.isEmpty();
    if (total > 0)
        Progress::StopProgress();
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
    try {
        removeDatabaseFiles();
    } catch (const DbError &e) {
        result.add(ToolResult::Kind::Error, QStringLiteral("StartOver Error #%1 - %2").arg(e.code).arg(e.text));
        return result;
    }
    const QStringList folders{QStringLiteral("Pages"), QStringLiteral("Thumbs")};
    const int total = CountEntries(folders);
    if (total > 0)
        Progress::StartProgress(QStringLiteral("Start over"), 1, total);
    // A failed sweep reports itself and the next folder is still swept.
    for (const QString &folder : folders)
        DeletePageFiles(folder, result, false);
    if (total > 0)
        Progress::StopProgress();
    result.add(ToolResult::Kind::Message, QStringLiteral("'Start over' complete."));
    return result;
}

} // namespace PageFileSweep

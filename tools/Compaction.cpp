#include "tools/Compaction.h"

#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "platform/PathFacts.h"
#include "store/Database.h"
#include "store/Startup.h"
#include "tools/ToolsFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::function<bool(Compaction::Step)> g_faultHook;

void checkFault(Compaction::Step step)
{
    if (g_faultHook && !g_faultHook(step))
        throw AppError(ErrorCode::InjectedFailure, QStringLiteral("Injected failure"));
}

void removeIfPresent(const QString &path)
{
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        throw errnoError(errno, path);
}

// Flushes a file or a folder to the disk.
void syncPath(const QString &path, bool folder)
{
    const int fd = ::open(QFile::encodeName(path).constData(), folder ? (O_RDONLY | O_DIRECTORY) : O_RDWR);
    if (fd < 0)
        throw errnoError(errno, path);
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0)
        throw errnoError(err, path);
}

void renameOnto(const QString &from, const QString &to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw errnoError(errno, from);
}

// Copies a file byte for byte and syncs the copy; for file systems that
// cannot make a second name for a file.
void copySynced(const QString &from, const QString &to)
{
    removeIfPresent(to);
    QFile source(from);
    if (!source.copy(to))
        throw fileError(source, to);
    syncPath(to, false);
}

// The work name of the backup until the new database is in place.
QString backupWork(const QString &backup)
{
    return backup + QStringLiteral(".new");
}

// A second name for the database as it is now (a hard link: no copy, and
// "vlm.mdb" itself stays untouched), under the backup's work name. Only
// once the new database is in place does it become "vlm.bak", so a failure
// before that keeps the previous backup and links nothing to the live file.
void linkBackup(const QString &db, const QString &backup)
{
    const QString work = backupWork(backup);
    removeIfPresent(work);
    if (::link(QFile::encodeName(db).constData(), QFile::encodeName(work).constData()) != 0)
        copySynced(db, work);
}

void vacuumInto(const QString &db, const QString &target)
{
    // The file is moved below: no connection may stay open on it.
    DbConnection::close();
    try {
        DbConnection::open(ToolsFiles::existingFileUri(db));
        DbConnection::execute(QStringLiteral("VACUUM INTO ?"), {target});
    } catch (...) {
        DbConnection::close();
        throw;
    }
    DbConnection::close();
}

void compact(const QString &db, const QString &temp, const QString &backup)
{
    using Compaction::Step;
    checkFault(Step::RemoveLeftover);
    removeIfPresent(temp);
    removeIfPresent(temp + DataFolder::JournalSuffix);

    try {
        checkFault(Step::Vacuum);
        vacuumInto(db, temp);
        checkFault(Step::SyncCopy);
        syncPath(temp, false);
        checkFault(Step::Backup);
        linkBackup(db, backup);
        checkFault(Step::Replace);
        renameOnto(temp, db);
    } catch (...) {
        // The old database is still in place; the copies are of no use,
        // nor is what a VACUUM INTO that failed (a full disk) left.
        ::unlink(QFile::encodeName(temp).constData());
        ::unlink(QFile::encodeName(temp + DataFolder::JournalSuffix).constData());
        ::unlink(QFile::encodeName(backupWork(backup)).constData());
        throw;
    }
    // From here the new database is in place; should this fail, the old
    // one stays whole under the work name given in the message.
    checkFault(Step::KeepBackup);
    renameOnto(backupWork(backup), backup);
    checkFault(Step::SyncFolder);
    syncPath(QFileInfo(db).absolutePath(), true);
}

// The database file compaction works on: "vlm.mdb" itself, or the file it
// leads to when it is a link (the database moved to a larger disk). The
// work file and the backup are made beside that file, so that the rename
// stays on its disk and the link keeps pointing at the compacted file.
struct DatabasePlace
{
    QString file;
    QString temp;
    QString backup;
};

DatabasePlace placeOf(const QString &db)
{
    const QString file = PathFacts::realPath(db);
    if (file.isEmpty() || !QFileInfo(file).isFile())
        throw AppError(ENOENT, QString::fromLocal8Bit(std::strerror(ENOENT)));
    const QFileInfo info(file);
    // A link onto the work file's or the backup's name would have the
    // database deleted or renamed over as one of them.
    for (const QString &name : {DataFolder::TempDatabaseName, DataFolder::BackupName}) {
        if (info.fileName().startsWith(name))
            throw AppError(ErrorCode::UnsafePath,
                           QStringLiteral("\"%1\" leads to \"%2\", a name compaction needs for its own files")
                               .arg(db, file));
    }
    const QDir folder = info.absoluteDir();
    return {file, folder.filePath(DataFolder::TempDatabaseName), folder.filePath(DataFolder::BackupName)};
}

} // namespace

namespace Compaction {

void setFaultHook(std::function<bool(Step)> hook)
{
    g_faultHook = std::move(hook);
}

QString formatBytes(qint64 bytes)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(bytes);
}

ToolResult CompactDb()
{
    ToolResult result;
    ToolsFiles::ToolsLock lock;
    if (!lock.acquire()) {
        result.add(ToolResult::Kind::Warning, lock.refusal());
        return result;
    }
    const QString db = ToolsFiles::GetDbPath();
    // A foreign or damaged file is explained as at start-up, and left as
    // it is: VACUUM INTO would copy any SQLite file, ours or not. So is a
    // journal left without its database.
    if (QFileInfo(db).isFile() || Database::hasJournal(db)) {
        if (const std::optional<Startup::Failure> failure = Startup::recogniseDatabase(db)) {
            result.add(failure->refusal ? ToolResult::Kind::Warning : ToolResult::Kind::Error, failure->message);
            return result;
        }
    }
    const bool wasOpen = DbConnection::isOpen();
    const QString openName = DbConnection::fileName();
    try {
        const DatabasePlace place = placeOf(db);
        const qint64 oldSize = QFileInfo(place.file).size();
        compact(place.file, place.temp, place.backup);
        const qint64 newSize = QFileInfo(place.file).size();
        QString text =
            QStringLiteral("Compact database complete.\n%1 bytes saved.").arg(formatBytes(oldSize - newSize));
        // The backup of a database elsewhere is not in the data folder.
        if (!PathFacts::sameFile(QFileInfo(place.backup).absolutePath(), DataFolder::path()))
            text += QStringLiteral("\nThe previous copy is kept as \"%1\".").arg(place.backup);
        result.add(ToolResult::Kind::Message, text);
    } catch (const AppError &e) {
        result.add(ToolResult::Kind::Error, QStringLiteral("CompactDb Error #%1 - %2").arg(e.code).arg(e.text));
    }
    // The tool's own connection, when it had one, now works on the new file.
    if (wasOpen && !DbConnection::isOpen()) {
        try {
            DbConnection::open(openName);
        } catch (const AppError &e) {
            result.add(ToolResult::Kind::Error, QStringLiteral("CompactDb Error #%1 - %2").arg(e.code).arg(e.text));
        }
    }
    return result;
}

} // namespace Compaction

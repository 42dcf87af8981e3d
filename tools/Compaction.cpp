#include "tools/Compaction.h"

#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/Database.h"
#include "store/Startup.h"
#include "tools/ToolsFiles.h"

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
        const QFileInfo before(db);
        if (!before.isFile())
            throw AppError(ENOENT, QString::fromLocal8Bit(std::strerror(ENOENT)));
        const qint64 oldSize = before.size();
        compact(db, ToolsFiles::GetTempDbPath(), ToolsFiles::GetBackupDbPath());
        const qint64 newSize = QFileInfo(db).size();
        result.add(ToolResult::Kind::Message,
                   QStringLiteral("Compact database complete.\n%1 bytes saved.").arg(formatBytes(oldSize - newSize)));
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

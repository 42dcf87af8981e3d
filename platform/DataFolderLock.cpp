#include "platform/DataFolderLock.h"

#include <QFileInfo>

#include "platform/DataFolder.h"

namespace {

// A lock file whose text names no process can be nobody's live lock
// unless its holder still has it open and locked, which
// removeStaleLockFile() checks before it removes the file.
bool takeOverNamelessLock(QLockFile &lock)
{
    qint64 pid = 0;
    QString host;
    QString app;
    if (lock.getLockInfo(&pid, &host, &app))
        return false;
    return lock.removeStaleLockFile() && lock.tryLock(0);
}

} // namespace

namespace DataFolderLock {

Attempt take()
{
    const QString path = DataFolder::lockFile();
    Attempt attempt;
    attempt.lock = std::make_unique<QLockFile>(path);
    // A lock is stale only when no live process holds it, never by its age:
    // a vlm may run for weeks.
    attempt.lock->setStaleLockTime(0);
    if (attempt.lock->tryLock(0))
        return attempt;
    attempt.error = attempt.lock->error();
    if (attempt.error == QLockFile::LockFailedError) {
        const QFileInfo info(path);
        if (!info.isFile()) {
            attempt.notALockFile = true;
            attempt.lock.reset();
            return attempt;
        }
        if (takeOverNamelessLock(*attempt.lock)) {
            attempt.error = QLockFile::NoError;
            return attempt;
        }
        attempt.error = attempt.lock->error();
        // Qt writes the holder's executable name into the lock file.
        qint64 pid = 0;
        QString host;
        if (attempt.error == QLockFile::LockFailedError)
            attempt.lock->getLockInfo(&pid, &host, &attempt.holder);
    }
    attempt.lock.reset();
    return attempt;
}

} // namespace DataFolderLock

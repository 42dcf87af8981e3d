#pragma once

#include <QLockFile>

#include <memory>

// "vlm.lock" in the data folder: vlm holds it for its whole run, vlmtools
// while a tool changes the data. Both take it through here, so they agree
// on which leftovers may be taken over and can say who holds it.
namespace DataFolderLock {

// The names Attempt::holder gives for the two programs.
inline const QString VlmProgram = QStringLiteral("vlm");
inline const QString ToolsProgram = QStringLiteral("vlmtools");

struct Attempt
{
    std::unique_ptr<QLockFile> lock;  // held; null when not taken
    QLockFile::LockError error = QLockFile::NoError;
    // "vlm.lock" is there but is no file (a folder, a dangling link): no
    // program holds it, and it is not ours to remove.
    bool notALockFile = false;
    // The program that holds it, as the lock file names it (the file name
    // of its executable: "vlm" or "vlmtools"); empty when nobody holds it
    // or the file names none.
    QString holder;

    // Whether another program may be working on the data folder: a live
    // process holds the lock, or "vlm.lock" is no file, so nothing can be
    // sure that none does. A lock that could not be made for another reason
    // (a missing or read-only folder) is held by nobody.
    bool heldElsewhere() const { return error == QLockFile::LockFailedError || notALockFile; }
};

// Takes the lock without waiting. A lock file that no live process holds is
// taken over: one that names a process that is gone (Qt's rule), and one
// that names none at all (empty or unreadable text, as a crash while it was
// being written leaves), once the system confirms that no process keeps it
// locked.
Attempt take();

} // namespace DataFolderLock

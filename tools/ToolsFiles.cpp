#include "tools/ToolsFiles.h"

#include "platform/DataFolder.h"
#include "platform/DataFolderLock.h"
#include "platform/DbConnection.h"
#include "store/Database.h"
#include "store/Startup.h"

#include <QFileInfo>
#include <QLockFile>
#include <QUrl>

namespace ToolsFiles {

QString GetDbPath()
{
    return DataFolder::databaseFile();
}

QString GetBackupDbPath()
{
    return DataFolder::backupFile();
}

QString GetTempDbPath()
{
    return DataFolder::tempDatabaseFile();
}

ToolsLock::ToolsLock() = default;

ToolsLock::~ToolsLock() = default;

bool ToolsLock::acquire()
{
    // The same rules as vlm's, leftovers taken over alike.
    DataFolderLock::Attempt attempt = DataFolderLock::take();
    m_lock = std::move(attempt.lock);
    m_refusal.clear();
    if (m_lock || !attempt.heldElsewhere())
        return true;
    if (attempt.notALockFile)
        m_refusal = Startup::lockNotAFileMessage(DataFolder::path(), Startup::Program::Tools);
    else if (attempt.holder == DataFolderLock::ToolsProgram)
        m_refusal = ToolsRunningText;
    else
        m_refusal = VlmRunningText;
    return false;
}

bool isVlmRunning()
{
    ToolsLock lock;
    return !lock.acquire();
}

QString lockRefusal()
{
    ToolsLock lock;
    lock.acquire();
    return lock.refusal();
}

QString existingFileUri(const QString &path)
{
    // Encoded, so a "?", "#" or "%" in the folder name stays part of the path.
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(QStringLiteral("mode=rw"));
    return url.toString(QUrl::FullyEncoded);
}

bool OpenToolsDatabase(QString *message, bool *refusal)
{
    const QString path = GetDbPath();
    std::optional<Startup::Failure> failure;
    // A journal left without its database is explained, not taken for no
    // database at all: it may be all that makes a moved database whole.
    if (!QFileInfo(path).isFile() && !Database::hasJournal(path))
        failure = Startup::Failure{NoDatabaseText, true};
    else
        failure = Startup::recogniseDatabase(path);
    if (failure) {
        if (message)
            *message = failure->message;
        if (refusal)
            *refusal = failure->refusal;
        return false;
    }
    // The URI's mode=rw makes SQLite fail rather than create an empty
    // database should the file vanish between the check and the open.
    DbConnection::open(existingFileUri(path));
    return true;
}

} // namespace ToolsFiles

#include "ToolsFiles.h"

#include "DataFolder.h"
#include "DataFolderLock.h"
#include "DbConnection.h"

#include <QFileInfo>
#include <QLockFile>
#include <QUrl>

namespace ToolsFiles {

QString GetDbPath()
{
    return DataFolder::filePath(QStringLiteral("vlm.mdb"));
}

QString GetBackupDbPath()
{
    return DataFolder::filePath(QStringLiteral("vlm.bak"));
}

QString GetTempDbPath()
{
    return DataFolder::filePath(QStringLiteral("tempvlm.mdb"));
}

ToolsLock::ToolsLock() = default;

ToolsLock::~ToolsLock() = default;

bool ToolsLock::acquire()
{
    // The same rules as vlm's, leftovers taken over alike.
    DataFolderLock::Attempt attempt = DataFolderLock::take();
    m_lock = std::move(attempt.lock);
    if (m_lock)
        return true;
    // A "vlm.lock" that is no file counts as held: nothing may be sure
    // that vlm is not running.
    return attempt.error != QLockFile::LockFailedError && !attempt.notALockFile;
}

bool IsVlmRunning()
{
    ToolsLock lock;
    return !lock.acquire();
}

QString ExistingFileUri(const QString &path)
{
    // Encoded, so a "?", "#" or "%" in the folder name stays part of the path.
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(QStringLiteral("mode=rw"));
    return url.toString(QUrl::FullyEncoded);
}

bool OpenToolsDatabase(QString *message)
{
    const QString path = GetDbPath();
    if (!QFileInfo(path).isFile()) {
        if (message)
            *message = NoDatabaseText;
        return false;
    }
    // The URI's mode=rw makes SQLite fail rather than create an empty
    // database should the file vanish between the check and the open.
    DbConnection::open(ExistingFileUri(path));
    return true;
}

} // namespace ToolsFiles

#include "platform/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/PlatformLog.h"

namespace DataFolder {

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

QStringList ownFileNames()
{
    return {DatabaseName,         DatabaseName + JournalSuffix, DatabaseName + WalSuffix,
            DatabaseName + ShmSuffix, BackupName,               TempDatabaseName,
            TemplateDatabaseName, DrawerTemplatesName,          SampleOutlineName,
            HelpTextName,         LockName};
}

} // namespace DataFolder

#include "DataFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DataFolder {

QString path()
{
    const QString env = qEnvironmentVariable("VLM_DATA_DIR");
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
    const QString p = path();
    if (QFileInfo(p).isDir() || QDir().mkpath(p))
        return true;
    if (error)
        *error = QStringLiteral("The data folder \"%1\" cannot be created.").arg(p);
    return false;
}

} // namespace DataFolder

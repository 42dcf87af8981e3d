#include "PagePaths.h"

#include "DataFolder.h"
#include "Pages.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString idFile(int pageId)
{
    return QString::number(pageId) + QStringLiteral(".jpg");
}

QString withoutTrailingSlash(const QString &folder)
{
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        return folder.left(folder.size() - 1);
    return folder;
}

} // namespace

namespace PagePaths {

QString Bucket(int pageId)
{
    return QStringLiteral("%1").arg(pageId, 10, 10, QLatin1Char('0')).left(7);
}

QString GetDefaultPageFolder(int pageId)
{
    return DataFolder::filePath(QStringLiteral("Pages/") + Bucket(pageId));
}

QString GetDefaultPageFilePath(int pageId)
{
    return GetDefaultPageFolder(pageId) + QLatin1Char('/') + idFile(pageId);
}

QString GetDefaultThumbFolder(int pageId)
{
    return DataFolder::filePath(QStringLiteral("Thumbs/") + Bucket(pageId));
}

QString GetDefaultThumbFilePath(int pageId)
{
    return GetDefaultThumbFolder(pageId) + QLatin1Char('/') + idFile(pageId);
}

QString GetPageFilePath(int pageId, const QString &filename)
{
    return filename.isEmpty() ? GetDefaultPageFilePath(pageId) : filename;
}

QString GetPageFolder(int pageId, const QString &filename)
{
    return filename.isEmpty() ? GetDefaultPageFolder(pageId)
                              : withoutTrailingSlash(GetFolderPart(filename));
}

QString GetThumbFolder(int pageId, const QString &filename)
{
    return filename.isEmpty() ? GetDefaultThumbFolder(pageId)
                              : GetFolderPart(filename) + QStringLiteral("Thumbs");
}

QString GetThumbFilePath(int pageId, const QString &filename)
{
    if (filename.isEmpty())
        return GetDefaultThumbFilePath(pageId);
    const QString name = GetFileNamePart(filename);
    if (name.isEmpty())
        return {};
    return GetThumbFolder(pageId, filename) + QLatin1Char('/') + name;
}

QString GetPageFilename(int pageId)
{
    return Pages::StoredFilename(pageId);
}

bool IsPageShortcut(int pageId)
{
    return Pages::IsShortcut(pageId);
}

QString GetPageFilePath(int pageId)
{
    return GetPageFilePath(pageId, GetPageFilename(pageId));
}

QString GetPageFolder(int pageId)
{
    return GetPageFolder(pageId, GetPageFilename(pageId));
}

QString GetThumbFolder(int pageId)
{
    return GetThumbFolder(pageId, GetPageFilename(pageId));
}

QString GetThumbFilePath(int pageId)
{
    return GetThumbFilePath(pageId, GetPageFilename(pageId));
}

QString GetFolderPart(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString GetFileNamePart(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.mid(slash + 1);
}

bool MakePath(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    // Every level is created, dotted folder names ("Scans 1.2") included.
    return QFileInfo(folder).isDir() || QDir().mkpath(folder);
}

} // namespace PagePaths

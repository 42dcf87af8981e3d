#include "store/PagePaths.h"

#include "core/RecordId.h"
#include "platform/DataFolder.h"
#include "store/Pages.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString idFile(RecordId pageId)
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

QString bucket(RecordId pageId)
{
    return QStringLiteral("%1").arg(pageId, 10, 10, QLatin1Char('0')).left(7);
}

QString GetDefaultPageFolder(RecordId pageId)
{
    return DataFolder::filePath(DataFolder::PagesFolderName + QLatin1Char('/') + bucket(pageId));
}

QString GetDefaultPageFilePath(RecordId pageId)
{
    return GetDefaultPageFolder(pageId) + QLatin1Char('/') + idFile(pageId);
}

QString GetDefaultThumbFolder(RecordId pageId)
{
    return DataFolder::filePath(DataFolder::ThumbsFolderName + QLatin1Char('/') + bucket(pageId));
}

QString GetDefaultThumbFilePath(RecordId pageId)
{
    return GetDefaultThumbFolder(pageId) + QLatin1Char('/') + idFile(pageId);
}

QString GetPageFilePath(RecordId pageId, const QString &filename)
{
    return filename.isEmpty() ? GetDefaultPageFilePath(pageId) : filename;
}

QString GetPageFolder(RecordId pageId, const QString &filename)
{
    return filename.isEmpty() ? GetDefaultPageFolder(pageId)
                              : withoutTrailingSlash(GetFolderPart(filename));
}

QString GetThumbFolder(RecordId pageId, const QString &filename)
{
    return filename.isEmpty() ? GetDefaultThumbFolder(pageId)
                              : GetFolderPart(filename) + DataFolder::ThumbsFolderName;
}

QString GetThumbFilePath(RecordId pageId, const QString &filename)
{
    if (filename.isEmpty())
        return GetDefaultThumbFilePath(pageId);
    const QString name = GetFileNamePart(filename);
    if (name.isEmpty())
        return {};
    return GetThumbFolder(pageId, filename) + QLatin1Char('/') + name;
}

QString GetPageFilename(RecordId pageId)
{
    return Pages::storedFilename(pageId);
}

bool IsPageShortcut(RecordId pageId)
{
    return Pages::isShortcut(pageId);
}

QString GetPageFilePath(RecordId pageId)
{
    return GetPageFilePath(pageId, GetPageFilename(pageId));
}

QString GetPageFolder(RecordId pageId)
{
    return GetPageFolder(pageId, GetPageFilename(pageId));
}

QString GetThumbFolder(RecordId pageId)
{
    return GetThumbFolder(pageId, GetPageFilename(pageId));
}

QString GetThumbFilePath(RecordId pageId)
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

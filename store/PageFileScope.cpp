#include "store/PageFileScope.h"

#include <QDir>
#include <QFileInfo>

#include "platform/DataFolder.h"
#include "platform/PathFacts.h"

using PathFacts::isInside;
using PathFacts::realPath;
using PathFacts::resolvedPath;

namespace {

bool hasParentStep(const QString &path)
{
    return QDir::fromNativeSeparators(path).split(QLatin1Char('/')).contains(QStringLiteral(".."));
}

bool isJpegName(const QString &path)
{
    const QString lower = path.toLower();
    return lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".jpeg"));
}

} // namespace

PageFileScope::PageFileScope()
    : m_dataRaw(QDir::cleanPath(DataFolder::path())),
      m_data(resolvedPath(m_dataRaw)),
      m_pages(resolvedPath(m_dataRaw + QLatin1Char('/') + DataFolder::PagesFolderName)),
      m_thumbs(resolvedPath(m_dataRaw + QLatin1Char('/') + DataFolder::ThumbsFolderName)),
      m_home(resolvedPath(QDir::homePath()))
{
}

const QStringList &PageFileScope::dataFolderFileNames()
{
    static const QStringList names = DataFolder::ownFileNames();
    return names;
}

PageFileScope::Place PageFileScope::placeOf(const QString &absoluteFolder) const
{
    const QString path = resolvedPath(absoluteFolder);
    if (path == m_data)
        return Place::DataFolder;
    if (path == m_pages || isInside(path, m_pages))
        return Place::PagesFolder;
    if (path == m_thumbs || isInside(path, m_thumbs))
        return Place::ThumbsFolder;
    if (path == m_home)
        return Place::HomeFolder;
    if (isInside(m_data, path))
        return Place::HoldsDataFolder;
    return Place::Allowed;
}

QString PageFileScope::storageRoot(const QString &storagePath) const
{
    const auto known = m_roots.constFind(storagePath);
    if (known != m_roots.constEnd())
        return *known;
    QString root;
    if (QDir::isAbsolutePath(storagePath) && !hasParentStep(storagePath)) {
        root = realPath(storagePath);
        if (!root.isEmpty() && placeOf(root) != Place::Allowed)
            root.clear();
    }
    m_roots.insert(storagePath, root);
    return root;
}

bool PageFileScope::isDataFolderFile(const QString &path) const
{
    // Both the name as written and the file it resolves to: deleting a link
    // named "vlm.mdb" would lose the database as surely as the file.
    const QFileInfo named(QDir::cleanPath(path));
    const QString folder = named.absolutePath();
    if ((folder == m_dataRaw || folder == m_data) && dataFolderFileNames().contains(named.fileName()))
        return true;
    const QFileInfo real(realPath(named.filePath()));
    return !real.filePath().isEmpty() && real.absolutePath() == m_data
        && dataFolderFileNames().contains(real.fileName());
}

bool PageFileScope::inPageFolders(const QString &path) const
{
    const QString real = realPath(path);
    return isInside(real, m_pages) || isInside(real, m_thumbs);
}

QString PageFileScope::shortcutRefusal(const QString &path) const
{
    if (!QDir::isAbsolutePath(path) || hasParentStep(path))
        return QStringLiteral("not a plain absolute path");
    if (isDataFolderFile(path))
        return QStringLiteral("a file of the data folder");
    return {};
}

QString PageFileScope::refusal(const QString &path, const QString &storagePath) const
{
    const QString named = shortcutRefusal(path);
    if (!named.isEmpty())
        return named;
    const QString real = realPath(path);
    if (real.isEmpty())
        return QStringLiteral("cannot be resolved");
    if (isInside(real, m_pages) || isInside(real, m_thumbs))
        return {};
    if (!isInside(real, storageRoot(storagePath)))
        return QStringLiteral("outside the page folders");
    if (!isJpegName(path) || !isJpegName(real))
        return QStringLiteral("not a page image");
    return {};
}

#include "platform/PathFacts.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

// Links followed before a path is taken as a loop, as the kernel's limit.
constexpr int kMaxLinks = 40;

QString joined(const QString &folder, const QString &name)
{
    return folder == QLatin1String("/") ? folder + name : folder + QLatin1Char('/') + name;
}

QString parentOf(const QString &folder)
{
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : folder.left(slash);
}

QStringList componentsOf(const QString &path)
{
    return QDir::fromNativeSeparators(path).split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

// The text a link holds, as written in it.
QString linkText(const QString &link)
{
    char buffer[PATH_MAX];
    const ssize_t size = ::readlink(QFile::encodeName(link).constData(), buffer, sizeof buffer);
    return size > 0 ? QFile::decodeName(QByteArray(buffer, qsizetype(size))) : QString();
}

bool statOf(const QString &path, struct stat *st)
{
    return ::stat(QFile::encodeName(path).constData(), st) == 0;
}

} // namespace

namespace PathFacts {

Kind kindOf(const QString &path)
{
    struct stat st;
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return Kind::Missing;
    if (S_ISLNK(st.st_mode))
        return Kind::Link;
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    return S_ISREG(st.st_mode) ? Kind::File : Kind::Other;
}

QString resolvedPath(const QString &path)
{
    if (path.isEmpty())
        return QString();
    QStringList pending = componentsOf(QDir::isAbsolutePath(path) ? path : joined(QDir::currentPath(), path));
    QString reached = QStringLiteral("/");
    bool missing = false;  // past the part that exists: the rest as written
    int links = 0;
    while (!pending.isEmpty()) {
        const QString name = pending.takeFirst();
        if (name == QLatin1String("."))
            continue;
        if (name == QLatin1String("..")) {
            // Back out of a missing name, the folder above may exist and
            // hold links: a path made by cleaning the text leads there.
            reached = parentOf(reached);
            missing = missing && kindOf(reached) == Kind::Missing;
            continue;
        }
        const QString next = joined(reached, name);
        const Kind kind = missing ? Kind::Missing : kindOf(next);
        const QString target = kind == Kind::Link && links < kMaxLinks ? linkText(next) : QString();
        if (!target.isEmpty()) {
            ++links;
            if (target.startsWith(QLatin1Char('/')))
                reached = QStringLiteral("/");
            pending = componentsOf(target) + pending;
            continue;
        }
        // A link that loops or cannot be read is taken as a name, as written.
        missing = missing || kind == Kind::Missing || kind == Kind::Link;
        reached = next;
    }
    return reached;
}

QString realPath(const QString &path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

bool isInside(const QString &path, const QString &folder)
{
    if (folder.isEmpty() || path.size() <= folder.size())
        return false;
    if (folder == QLatin1String("/"))
        return path.startsWith(folder);
    return path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/');
}

QByteArray realPath(const QByteArray &path)
{
    char buffer[PATH_MAX];
    return !path.isEmpty() && ::realpath(path.constData(), buffer) ? QByteArray(buffer) : QByteArray();
}

bool isInside(const QByteArray &path, const QByteArray &folder)
{
    if (folder.isEmpty() || path.size() <= folder.size())
        return false;
    if (folder == "/")
        return path.startsWith(folder);
    return path.startsWith(folder) && path.at(folder.size()) == '/';
}

QString withoutTrailingSlash(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

bool isInsideFolder(const QString &path, const QString &folder)
{
    if (path.isEmpty() || folder.isEmpty())
        return false;
    const QString p = resolvedPath(path);
    const QString f = resolvedPath(folder);
    return p == f || isInside(p, f);
}

bool sameFile(const QString &a, const QString &b)
{
    if (QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath()))
        return true;
    struct stat first;
    struct stat second;
    return statOf(a, &first) && statOf(b, &second) && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

} // namespace PathFacts

#include "exchange/ImportListing.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <QRegularExpression>

#include "platform/PathFacts.h"

namespace {

struct RawEntry
{
    QString name;
    bool decodable = true;
    bool directory = false;
};

// The name as text, and whether that text names the same bytes again: a
// byte that is not valid in the system's encoding becomes U+FFFD, and a
// path built from that text names no file.
RawEntry entryOf(const char *raw)
{
    RawEntry entry;
    entry.name = QFile::decodeName(raw);
    entry.decodable = QFile::encodeName(entry.name) == QByteArray(raw);
    return entry;
}

bool isDirectory(const QByteArray &path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The visible entries of dir; an unreadable directory lists nothing, as
// QDir's listing did.
// A name as an export made it unique: "Page 7 (2).jpg" is the second
// "Page 7.jpg". Listed after the first, pages that share a number come back
// in the order they were exported.
struct ExportedName
{
    QString base;
    int copy = 1;
};

ExportedName exportedName(const QString &name)
{
    static const QRegularExpression copyOf(QStringLiteral("^(.*) \\(([0-9]{1,9})\\)(\\.[^.]*)?$"));
    const QRegularExpressionMatch m = copyOf.match(name);
    if (!m.hasMatch())
        return {name, 1};
    return {m.captured(1) + m.captured(3), m.captured(2).toInt()};
}

QVector<RawEntry> readEntries(const QString &dir)
{
    QVector<RawEntry> entries;
    QByteArray base = QFile::encodeName(dir);
    if (!base.endsWith('/'))
        base += '/';
    DIR *d = ::opendir(base.constData());
    if (!d)
        return entries;
    while (const dirent *e = ::readdir(d)) {
        if (e->d_name[0] == '.')
            continue;  // ".", ".." and hidden entries
        RawEntry entry = entryOf(e->d_name);
        entry.directory = isDirectory(base + e->d_name);
        entries.append(entry);
    }
    ::closedir(d);
    std::sort(entries.begin(), entries.end(), [](const RawEntry &a, const RawEntry &b) {
        const ExportedName na = exportedName(a.name);
        const ExportedName nb = exportedName(b.name);
        const int c = na.base.compare(nb.base, Qt::CaseInsensitive);
        if (c != 0)
            return c < 0;
        if (na.copy != nb.copy)
            return na.copy < nb.copy;
        return a.name < b.name;
    });
    return entries;
}

// Why a path of the tree may not be followed: a link that leads nowhere or
// out of root.
std::optional<QString> outside(const QByteArray &path, const QString &root)
{
    const QByteArray target = PathFacts::realPath(path);
    if (target.isEmpty())
        return ImportListing::linkOutsideText(QString());
    const QByteArray top = PathFacts::realPath(QFile::encodeName(root));
    if (top.isEmpty() || (target != top && !PathFacts::isInside(target, top)))
        return ImportListing::linkOutsideText(QFile::decodeName(target));
    return std::nullopt;
}

} // namespace

namespace ImportListing {

QString undecodableNameText()
{
    return QStringLiteral("The name is not valid in the system's character encoding; rename it to import it.");
}

QString linkOutsideText(const QString &target)
{
    if (target.isEmpty())
        return QStringLiteral("It is a link that leads nowhere.");
    return QStringLiteral("It is a link that leads out of the folder being imported (to %1).").arg(target);
}

QString notRegularText()
{
    return QStringLiteral("It is not a regular file.");
}

QStringList files(const QString &dir)
{
    QStringList names;
    for (const RawEntry &entry : readEntries(dir)) {
        if (!entry.directory)
            names.append(entry.name);
    }
    return names;
}

Directories directories(const QString &dir, const QString &root)
{
    Directories result;
    const QString base = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
    for (const RawEntry &entry : readEntries(dir)) {
        if (!entry.directory)
            continue;
        if (!entry.decodable) {
            result.refused.append({base + entry.name, undecodableNameText()});
        } else if (const std::optional<QString> reason = outside(QFile::encodeName(base + entry.name), root)) {
            result.refused.append({base + entry.name, *reason});
        } else {
            result.names.append(entry.name);
        }
    }
    return result;
}

std::optional<QString> fileRefusal(const QString &path, const QString &root)
{
    const QByteArray raw = QFile::encodeName(path);
    struct stat st;
    if (::lstat(raw.constData(), &st) != 0)
        return path.contains(QChar::ReplacementCharacter) ? std::optional<QString>(undecodableNameText())
                                                          : std::nullopt;  // the open names the reason
    if (S_ISLNK(st.st_mode)) {
        if (std::optional<QString> reason = outside(raw, root))
            return reason;
        if (::stat(raw.constData(), &st) != 0)
            return linkOutsideText(QString());
    }
    if (!S_ISREG(st.st_mode))
        return notRegularText();
    return std::nullopt;
}

} // namespace ImportListing

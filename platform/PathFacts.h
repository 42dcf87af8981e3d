#pragma once

#include <QByteArray>
#include <QString>

// What the file system says about paths: what stands at one, where a path
// really leads, whether it lies inside a folder, whether two paths name one
// file. The rules built on them (what a page may own, where an export or a
// saved copy may go) are their callers'.
namespace PathFacts {

enum class Kind { Missing, File, Folder, Link, Other };

// What stands at path itself, a link not followed (lstat): a dangling
// link is a Link. Missing also when it cannot be looked at.
Kind kindOf(const QString &path);

// The path as the system would take it: made absolute, and as far as it
// exists each link followed (a dangling one too, to where it points) and
// each ".." taken from the folder reached so far, as opening it would;
// the part that does not exist is added as written, so that a file not
// made yet gets the real folder it would go into.
QString resolvedPath(const QString &path);

// The path of an existing file with every link and ".." resolved; empty
// when it, or what one of its links names, is missing.
QString realPath(const QString &path);

// True when path lies below folder, by whole components of the texts as
// given: /opt/vlm2 is not in /opt/vlm, and a folder is not inside itself.
// Resolve both first (resolvedPath, realPath) for where they lead.
bool isInside(const QString &path, const QString &folder);

// realPath and isInside for a path given as the bytes the system names it
// by: an imported tree's names need not be valid in the system's encoding,
// and they must not change on the way.
QByteArray realPath(const QByteArray &path);
bool isInside(const QByteArray &path, const QByteArray &folder);

// folder without the slashes it ends with; "/" stays "/".
QString withoutTrailingSlash(QString folder);

// True when path, resolved, is folder, resolved, or lies below it.
bool isInsideFolder(const QString &path, const QString &folder);

// True when the two paths name one file: the same absolute path, or the
// same device and inode once links are followed, so a hard link or a
// symbolic link to a file is that file. A missing file is only itself.
bool sameFile(const QString &a, const QString &b);

} // namespace PathFacts

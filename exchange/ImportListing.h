#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// What an import may take from a directory of the tree it reads. The
// listing goes by the names' own bytes: a name that is not in the system's
// character encoding is one Qt's listing drops without a word, and the
// import names it instead. Links are resolved, and only what lies inside
// the chosen tree is taken: a link that leads out of it (a private key, a
// device such as /dev/zero) is refused with its name.
namespace ImportListing {

struct Refusal
{
    QString name;
    QString reason;
};

// Every entry of dir that is not a directory (hidden ones aside), by name
// without regard to case. Links, devices and the like are listed too: the
// import refuses each with its reason (fileRefusal).
QStringList files(const QString &dir);

struct Directories
{
    QStringList names;          // by name without regard to case
    QVector<Refusal> refused;   // full paths, with the reason
};
// The sub-directories of dir (hidden ones aside) that lie inside root
// once links are resolved; the others, and those whose names cannot be
// read, are refused.
Directories directories(const QString &dir, const QString &root);

// Why the file at path may not be imported from the tree at root: its
// name is not in the system's encoding, it is a link that leads out of
// the tree or nowhere, or it is not a regular file once opened; nothing
// when it may be read.
std::optional<QString> fileRefusal(const QString &path, const QString &root);

// The texts of the refusals, for the import's report.
QString undecodableNameText();
QString linkOutsideText(const QString &target);
QString notRegularText();

} // namespace ImportListing

#pragma once

#include <QDate>
#include <QString>

// Renaming a cabinet, drawer, folder or document in place, in the tree or
// the level list.
namespace Renames {

struct Result
{
    bool stored = false;   // the row holds the new name
    QString name;          // the name stored (invalid characters removed)
    QDate date;            // a document's date, for its node text
    QStringList messages;  // what the user is told, in order
    bool taken = false;    // refused as a duplicate: another name may do
    bool tooLong = false;  // refused as longer than a name may be
};

// Checks and stores a new name for the record of a node key. Forbidden
// characters are removed after a message; an empty name is refused
// silently; a name over 80 characters is refused with a message; a cabinet name must be unique among all cabinets, a drawer's
// among the drawers of its cabinet and a folder's among the folders of its
// drawer, without regard to letter case; documents may share names.
// Throws AppError.
Result renameRecord(const QString &key, const QString &newName);

} // namespace Renames

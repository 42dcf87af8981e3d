#pragma once

#include <QString>

#include "RecordId.h"

// Node keys of the navigation tree and the lists: a three-letter type prefix
// and the record's id in decimal ("CAB12"), or one of the two root keys.
namespace NavKeys {

inline const QString Root = QStringLiteral("ROOT");
inline const QString RootFound = QStringLiteral("ROOTFOUND");
inline const QString Cabinet = QStringLiteral("CAB");
inline const QString Drawer = QStringLiteral("DRW");
inline const QString Folder = QStringLiteral("FLD");
inline const QString Document = QStringLiteral("DOC");
inline const QString Page = QStringLiteral("PAG");
inline const QString FoundCabinet = QStringLiteral("FCB");
inline const QString FoundDrawer = QStringLiteral("FDW");
inline const QString FoundFolder = QStringLiteral("FFD");
inline const QString FoundDocument = QStringLiteral("FDC");

// "CAB" + 12 -> "CAB12".
inline QString NavNodeKey(const QString &prefix, RecordId id)
{
    return prefix + QString::number(id);
}
// The first three characters ("ROO" for both roots).
inline QString prefixOf(const QString &key)
{
    return key.left(3);
}
// The id after the prefix; 0 when there is none.
inline RecordId idOf(const QString &key)
{
    return key.mid(3).toLongLong();
}

} // namespace NavKeys

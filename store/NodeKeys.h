#pragma once

#include <QString>

#include <optional>

#include "core/RecordId.h"
#include "store/Schema.h"

// Node keys of the navigation tree and the lists, also handed to the viewer,
// the scanner and the imports: a three-letter type prefix and the record's
// id in decimal ("CAB12"), or one of the two root keys.
namespace NodeKeys {

inline const QString Root = QStringLiteral("ROOT");
inline const QString RootFound = QStringLiteral("ROOTFOUND");
inline const QString Cabinet = Schema::keyPrefix(RecordLevel::Cabinet);
inline const QString Drawer = Schema::keyPrefix(RecordLevel::Drawer);
inline const QString Folder = Schema::keyPrefix(RecordLevel::Folder);
inline const QString Document = Schema::keyPrefix(RecordLevel::Document);
inline const QString Page = Schema::keyPrefix(RecordLevel::Page);
inline const QString FoundCabinet = QStringLiteral("FCB");
inline const QString FoundDrawer = QStringLiteral("FDW");
inline const QString FoundFolder = QStringLiteral("FFD");
inline const QString FoundDocument = QStringLiteral("FDC");

// "CAB" + 12 -> "CAB12".
inline QString NavNodeKey(const QString &prefix, RecordId id)
{
    return prefix + QString::number(id);
}
// The key of a record of a level: (Drawer, 7) -> "DRW7".
inline QString keyOf(RecordLevel level, RecordId id)
{
    return NavNodeKey(Schema::keyPrefix(level), id);
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

// A record's key taken apart.
struct RecordKey
{
    RecordLevel level;
    RecordId id;
};

// The level and id of a record's key; none for a key that is no record's:
// a root, a found copy, an unknown prefix, a missing id, an id with other
// characters than digits or beyond 64 bits. The prefix may come in any
// letter case.
std::optional<RecordKey> parseKey(const QString &key);
// The level of a record's key, as parseKey gives it.
std::optional<RecordLevel> levelOf(const QString &key);
// True for a record key of this level.
bool isKeyOf(RecordLevel level, const QString &key);

} // namespace NodeKeys

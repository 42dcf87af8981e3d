#pragma once

#include <QString>

#include <optional>

#include "core/RecordId.h"
#include "store/Schema.h"

// Node keys of the navigation tree and the lists, also handed to the viewer,
// the scanner and the imports: a three-letter type prefix and the record's
// id in decimal ("CAB12", a found copy "FDC12"), or one of the two root
// keys. They are read only through parseKey and the helpers built on it,
// so a text that is no key never stands for some record.
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

// A node key taken apart.
struct NodeKey
{
    QString type;                      // Cabinet … Page, FoundCabinet … FoundDocument, Root or RootFound
    RecordId id = 0;                   // 0 for the roots
    std::optional<RecordLevel> level;  // a record's key's level; none for a found copy and the roots
};

// The one reader of node keys: the type and id of every key the program
// makes (a record's, a found copy's, a root). None for any other text: an
// unknown prefix, a missing id, an id with other characters than digits or
// beyond 64 bits, a root with anything after it. The prefix may come in any
// letter case; the type is given as the constants above write it.
std::optional<NodeKey> parseKey(const QString &key);
// The type of a key, as parseKey reads it; empty for a text that is no
// key, so that it equals none of the types.
QString typeOf(const QString &key);
// The id of a key of the type, as parseKey reads it; none for a key of
// another type or a text that is no key.
std::optional<RecordId> idOfType(const QString &key, const QString &type);
// The level of a record's key, as parseKey gives it.
std::optional<RecordLevel> levelOf(const QString &key);
// True for a record key of this level.
bool isKeyOf(RecordLevel level, const QString &key);

} // namespace NodeKeys

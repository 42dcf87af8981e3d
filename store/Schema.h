#pragma once

#include <QLatin1StringView>
#include <QString>

#include <array>
#include <optional>

#include "core/RecordLevel.h"

// The names the levels of the filing hierarchy go by: the table and columns
// each is stored in, the prefix of its node keys and the word the windows
// use for it. SQL that picks a table or column at run time takes the names
// from here.
namespace Schema {

struct LevelNames
{
    const char *table;
    const char *idColumn;
    const char *parentIdColumn;  // nullptr for a cabinet: it has no parent
    const char *keyPrefix;
    const char *label;
};

inline constexpr std::array<LevelNames, 5> kLevels{{
    {"Cabinet", "CabinetId", nullptr, "CAB", "file cabinet"},
    {"Drawer", "DrawerId", "CabinetId", "DRW", "drawer"},
    {"Folder", "FolderId", "DrawerId", "FLD", "folder"},
    {"Document", "DocumentId", "FolderId", "DOC", "document"},
    {"Page", "PageId", "DocumentId", "PAG", "page"},
}};

// Every level, outermost first.
inline constexpr std::array<RecordLevel, 5> AllLevels{RecordLevel::Cabinet, RecordLevel::Drawer, RecordLevel::Folder,
                                                      RecordLevel::Document, RecordLevel::Page};

inline constexpr const LevelNames &namesOf(RecordLevel level)
{
    return kLevels[std::size_t(level)];
}

inline QLatin1StringView tableName(RecordLevel level)
{
    return QLatin1StringView(namesOf(level).table);
}

inline QLatin1StringView idColumn(RecordLevel level)
{
    return QLatin1StringView(namesOf(level).idColumn);
}

// The column holding the parent's id; empty for a cabinet.
inline QLatin1StringView parentIdColumn(RecordLevel level)
{
    return QLatin1StringView(namesOf(level).parentIdColumn);
}

inline QString keyPrefix(RecordLevel level)
{
    return QString::fromLatin1(namesOf(level).keyPrefix);
}

// "file cabinet", "drawer", "folder", "document", "page".
inline QString label(RecordLevel level)
{
    return QString::fromLatin1(namesOf(level).label);
}

// The level a record of this level is filed in; none for a cabinet.
inline std::optional<RecordLevel> parentLevel(RecordLevel level)
{
    if (level == RecordLevel::Cabinet)
        return std::nullopt;
    return RecordLevel(int(level) - 1);
}

// The level of the records filed in one of this level; none for a page.
inline std::optional<RecordLevel> childLevel(RecordLevel level)
{
    if (level == RecordLevel::Page)
        return std::nullopt;
    return RecordLevel(int(level) + 1);
}

// The level whose key prefix this is ("DRW" a drawer, in any letter case,
// as keys typed or stored by hand have always been taken); none for any
// other text, the found copies' and the roots' prefixes too.
inline std::optional<RecordLevel> levelOfPrefix(QStringView prefix)
{
    for (RecordLevel level : AllLevels) {
        if (prefix.compare(QLatin1StringView(namesOf(level).keyPrefix), Qt::CaseInsensitive) == 0)
            return level;
    }
    return std::nullopt;
}

// A level's table and id column with the table above it and the column of
// the child row that holds the parent's id: what the code that walks every
// level alike (link repair) needs of a level below the cabinets.
struct ParentLink
{
    const char *table;
    const char *idColumn;
    const char *parentTable;
    const char *parentColumn;
};

inline constexpr ParentLink parentLink(RecordLevel level)
{
    return {namesOf(level).table, namesOf(level).idColumn, namesOf(RecordLevel(int(level) - 1)).table,
            namesOf(level).parentIdColumn};
}

inline constexpr ParentLink PageInDocument = parentLink(RecordLevel::Page);
inline constexpr ParentLink DocumentInFolder = parentLink(RecordLevel::Document);
inline constexpr ParentLink FolderInDrawer = parentLink(RecordLevel::Folder);
inline constexpr ParentLink DrawerInCabinet = parentLink(RecordLevel::Drawer);

} // namespace Schema

#pragma once

// The names of the tables of the filing hierarchy and of the columns that
// tie each level to the one above it, in one place for the code that walks
// every level alike.
namespace Schema {

// A table, its id column, and the table above it with the column of the
// child row that holds the parent's id (named like the parent's id column).
struct ParentLink
{
    const char *table;
    const char *idColumn;
    const char *parentTable;
    const char *parentColumn;
};

inline constexpr ParentLink PageInDocument{"Page", "PageId", "Document", "DocumentId"};
inline constexpr ParentLink DocumentInFolder{"Document", "DocumentId", "Folder", "FolderId"};
inline constexpr ParentLink FolderInDrawer{"Folder", "FolderId", "Drawer", "DrawerId"};
inline constexpr ParentLink DrawerInCabinet{"Drawer", "DrawerId", "Cabinet", "CabinetId"};

} // namespace Schema

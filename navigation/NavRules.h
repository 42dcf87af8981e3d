#pragma once

#include <QString>
#include <QStringList>

#include "core/RecordId.h"

// The rules of the navigation window that need no window: which keys are
// search results, which menu belongs to a node, which command a key runs,
// how the last node of a run is found again.
namespace NavRules {

// The found copies under "ROOTFOUND" ("FCB", "FDW", "FFD", "FDC").
bool isFoundKey(const QString &key);

// The type menus, each shown on the menu bar while a node of its type is on
// show and used as that type's popup.
enum class TypeMenu { None, Root, Cabinet, Drawer, Folder, Document, Page };
// The menu of a node key: "ROOT" the root menu, a cabinet, drawer, folder or
// document key its type's menu, anything else (found keys too) none.
TypeMenu typeMenuOf(const QString &key);

// The commands the Insert, Delete and F5 keys run.
enum class KeyCommand {
    None,
    Refresh,
    NewCabinet,
    CabinetNewDrawer,
    CabinetDelete,
    DrawerNewDrawer,
    DrawerNewFolder,
    DrawerDelete,
    FolderNewFolder,
    FolderNewDocument,
    FolderDelete,
    DocumentNewDocument,
    DocumentScanPage,
    DocumentDelete,
};
// In the tree, Insert adds a child of the selected node and Delete deletes
// it; F5 rebuilds the tree whatever is selected. Shift is ignored; with
// Ctrl or Alt the keys run nothing.
KeyCommand treeKeyCommand(int key, int modifiers, const QString &nodeKey);
// In the list, Insert adds an item beside the selected one, but scans a new
// page into a document.
KeyCommand listKeyCommand(int key, int modifiers, const QString &itemKey);

// How the node selected at the last exit is found again: the menu of its
// type, the cabinet whose password decides, and the keys to select and
// expand in turn, down to the node itself. The window puts a menu on the
// bar only for a node it lists. Rows that are gone
// give cabinet 0 and a chain of keys that are not in the tree. Throws
// AppError.
struct RestorePlan
{
    TypeMenu menu = TypeMenu::None;
    RecordId cabinetId = 0;
    QStringList chain;
};
RestorePlan restorePlan(const QString &key);

// The cabinet a cabinet, drawer, folder or document key lies in; 0 for any
// other key or a row that is gone. Throws AppError.
RecordId cabinetOf(const QString &key);

// An empty cabinet table makes the sample cabinet, of this name.
bool needsSampleCabinet(int cabinetCount);
QString sampleCabinetName();

} // namespace NavRules

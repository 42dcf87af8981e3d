#pragma once

#include "core/RecordId.h"
#include "navigation/NavRules.h"
#include "store/Schema.h"

#include <QList>

class NavLoader;
class NavShownNode;
class NavTree;
class NavigationSink;
class QAction;
class QDate;
class QMenu;
class QString;
namespace Ui {
class frmNavTree;
}

// What the navigation window does with a node of each record level, in one
// place: the menu it shows, what it loads into the tree before listing, how
// its contents are listed, its popup and the popup items only the tree
// offers, and how a new name is shown. Every handler that acts by level
// looks it up here instead of testing the key's prefix.
struct NavLevelActions
{
    // The bar's menu while a node of the level is on show.
    NavRules::TypeMenu menu;
    // Fills the tree below the node before its contents are listed.
    void (*loadBelow)(NavLoader &loader, const QString &key);
    // Lists the node's contents: the level list, or a document's page pane.
    void (*listContents)(NavShownNode &shown, const QString &key);
    // True when the contents go to the level list, false for the page pane.
    bool listedInLevelList;
    // The node's popup, and the items the tree's popup adds to the list's.
    QMenu *Ui::frmNavTree::*popup;
    QList<QAction *Ui::frmNavTree::*> treeOnlyItems;
    // Shows a record's new name wherever the window shows the record.
    void (*showName)(NavigationSink &sink, RecordId id, const QString &name, const QDate &date);
    // The image of a new node (an open cabinet's; a locked one has its own).
    const QString *iconKey;
};

namespace NavLevels {

// The actions of a cabinet, drawer, folder or document node; nullptr for
// any other key (the roots, found copies, pages) or for the page level.
const NavLevelActions *actionsOf(const QString &key);
const NavLevelActions *actionsOf(RecordLevel level);

// Adds a new record's node (its text, bare name and its level's image)
// under its parent's node (a cabinet's under the root), or shows the new
// text on the node already there, and selects it. Gives the node's key.
QString placeNode(NavTree *tree, RecordLevel level, RecordId parentId, RecordId id, const QString &text,
                  const QString &name);

} // namespace NavLevels

#pragma once

#include "navigation/NavRules.h"

#include <QMap>
#include <QSet>
#include <QString>

class QAction;
class QMenu;
namespace Ui {
class frmNavTree;
}

// The six type menus of the navigation window's menu bar (declared in
// frmNavTree.ui): each serves as the popup of its node type and is shown on
// the bar while a node of that type is on show.
class NavMenus
{
public:
    // Hides every type menu and the search-result popup from the bar.
    explicit NavMenus(Ui::frmNavTree &ui);

    QMenu *typeMenu(NavRules::TypeMenu menu) const;
    // Shows that type's menu on the bar and hides the others (None: all).
    // Only the menu on show answers its Alt key.
    void showOnBar(NavRules::TypeMenu menu);
    // Disables every item but those built: a command stays disabled until
    // its window exists.
    void disableAllBut(const QSet<QAction *> &built);

private:
    Ui::frmNavTree &m_ui;
    // The type menus' titles with their key letters marked.
    QMap<NavRules::TypeMenu, QString> m_titles;
};

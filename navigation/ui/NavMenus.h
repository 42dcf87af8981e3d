#pragma once

#include "NavRules.h"

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
    void showOnBar(NavRules::TypeMenu menu);

private:
    Ui::frmNavTree &m_ui;
};

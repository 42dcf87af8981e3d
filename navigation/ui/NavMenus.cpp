#include "navigation/ui/NavMenus.h"
#include "ui_frmNavTree.h"

#include <QAction>
#include <QMenu>

using NavRules::TypeMenu;

NavMenus::NavMenus(Ui::frmNavTree &ui) : m_ui(ui)
{
    m_ui.mnuPopupFound->menuAction()->setVisible(false);
    showOnBar(TypeMenu::None);
}

QMenu *NavMenus::typeMenu(TypeMenu menu) const
{
    switch (menu) {
    case TypeMenu::None:
        break;
    case TypeMenu::Root:
        return m_ui.mnuPopupRoot;
    case TypeMenu::Cabinet:
        return m_ui.mnuPopupCabinet;
    case TypeMenu::Drawer:
        return m_ui.mnuPopupDrawer;
    case TypeMenu::Folder:
        return m_ui.mnuPopupFolder;
    case TypeMenu::Document:
        return m_ui.mnuPopupDocument;
    case TypeMenu::Page:
        return m_ui.mnuPopupPage;
    }
    return nullptr;
}

void NavMenus::showOnBar(TypeMenu menu)
{
    for (TypeMenu m : {TypeMenu::Root, TypeMenu::Cabinet, TypeMenu::Drawer, TypeMenu::Folder, TypeMenu::Document,
                       TypeMenu::Page})
        typeMenu(m)->menuAction()->setVisible(m == menu);
}

void NavMenus::disableAllBut(const QSet<QAction *> &built)
{
    for (QMenu *menu : m_ui.menuBar->findChildren<QMenu *>()) {
        for (QAction *a : menu->actions()) {
            if (!a->isSeparator() && !a->menu() && !built.contains(a))
                a->setEnabled(false);
        }
    }
}

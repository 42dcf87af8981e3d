#include "navigation/ui/NavMenus.h"
#include "ui_frmNavTree.h"

#include <QAction>
#include <QMenu>

using NavRules::TypeMenu;

namespace {

constexpr TypeMenu kTypeMenus[] = {TypeMenu::Root,   TypeMenu::Cabinet,  TypeMenu::Drawer,
                                   TypeMenu::Folder, TypeMenu::Document, TypeMenu::Page};

} // namespace

NavMenus::NavMenus(Ui::frmNavTree &ui) : m_ui(ui)
{
    for (TypeMenu m : kTypeMenus)
        m_titles.insert(m, typeMenu(m)->title());
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
    for (TypeMenu m : kTypeMenus) {
        QAction *onBar = typeMenu(m)->menuAction();
        onBar->setVisible(m == menu);
        // The bar takes the Alt key of every menu it holds, hidden ones too,
        // and Cabinets and Cabinet, Drawer and Document share their letters:
        // a key two menus claim opens them by turns, the hidden one first as
        // likely as not. A hidden menu keeps no key letter.
        QString title = m_titles.value(m);
        onBar->setText(m == menu ? title : title.remove(QLatin1Char('&')));
    }
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

#pragma once

#include <QHash>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// Builds the navigation window's menu bar: File, the six type menus that
// also serve as popups (hidden on the bar until a node of their type is
// shown), Tools, Help and the found-results popup. Menus and actions carry
// their fixed object names, so commands and tests find them by name.
class NavMenus
{
public:
    NavMenus(QMenuBar *bar, QWidget *owner);

    QAction *action(const QString &name) const;
    QMenu *menu(const QString &name) const;
    // The six type menus, in bar order.
    static const QStringList &typeMenuNames();
    void hideTypeMenus();
    void showMenuOnBar(const QString &name, bool visible = true);
    bool isOnBar(const QString &name) const;

private:
    QHash<QString, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
};

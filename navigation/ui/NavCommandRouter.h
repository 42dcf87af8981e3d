#pragma once

#include "core/RecordId.h"
#include "navigation/NavRules.h"
#include "navigation/ui/CabinetCommands.h"
#include "navigation/ui/DocumentCommands.h"
#include "navigation/ui/DrawerFolderCommands.h"
#include "navigation/ui/NavCommandHost.h"
#include "navigation/ui/PageCommands.h"
#include "navigation/ui/RenameDelegate.h"

#include <QObject>
#include <QSet>

class QAction;
class QMenu;
struct NavState;
namespace Ui {
class frmNavTree;
}

// Turns the input of the navigation window's tree and list (popups, keys,
// renames in place) into commands, and gives the command classes the
// record each one works on.
class NavCommandRouter : public QObject, public NavCommandHost
{
    Q_OBJECT

public:
    NavCommandRouter(Ui::frmNavTree &ui, QWidget *window);
    ~NavCommandRouter() override;

    // Connects the input of the tree and the list, and their name editors.
    void connectViews();
    // Connects the menu items of the command classes; returns them.
    QSet<QAction *> connectCommands();

    // The control the last key or mouse release came from: "T", "L", "L2".
    QString popupSource() const { return m_popupSource; }
    // Readies the popup of a tree ("T") or list ("L") node: sets the
    // current position and the items' visibility as a right-click does.
    // Returns nullptr when the node gets no menu (a locked cabinet, a found
    // item).
    QMenu *preparePopup(const QString &source, const QString &key);
    // Runs one item of a prepared popup for that node, as a click on it
    // would.
    void runPopupCommand(const QString &source, const QString &key, QAction *action);

    void handleTreeMouseReleased();
    void handleListMouseReleased();
    void handleContextMenu(const QString &source, const QString &key, const QPoint &globalPos);
    void handleTreeKeyCommand(int key, int modifiers, const QString &nodeKey);
    void handleListKeyCommand(int key, int modifiers, const QString &itemKey);
    bool renameAllowed(const QString &key) const;
    // Checks and stores a new name.
    RenameDelegate::Outcome commitRename(const QString &key, const QString &text);

    // NavCommandHost
    CommandTarget commandTarget(const QString &kind, bool treeUnlessList) const override;
    QWidget *dialogParent() const override { return m_window; }
    void startRename(const CommandTarget &target) override;
    void returnFocus() override;
    void focusTree() override;
    void removeDeleted(const QString &key, const QString &foundKey) override;
    void contentsChanged(const QString &key) override { Q_EMIT recordContentsChanged(key); }
    void shownContentsChanged() override { Q_EMIT shownContentsStale(); }
    PagePane *pagePane() const override;

    // A right-click in the page pane: the page menu for the shown
    // document's selected pages.
    void handlePageContextMenu(RecordId pageId, const QPoint &globalPos);
    // Readies the page menu as a right-click in the pane does; nullptr
    // when the pane shows no document.
    QMenu *preparePagePopup();
    // The page pane's keys: Delete, R, Ctrl+X, Ctrl+C, Ctrl+V.
    void handlePageKey(int key, int modifiers, bool *handled);
    PageCommands &pageCommands() { return m_page; }

Q_SIGNALS:
    void refreshRequested();
    // A name editor opened (true) or closed (false) in the tree or list.
    void renameEditingChanged(bool editing);
    // A record was deleted and its nodes removed; parentKey is the node
    // it stood under.
    void recordDeleted(const QString &key, const QString &parentKey);
    // Rows were added below a record (an import).
    void recordContentsChanged(const QString &key);
    // Rows may have been added anywhere (a cabinet import).
    void shownContentsStale();

private:
    // Paste is offered when the clipboard holds files or pages were cut.
    static bool pasteOffered();
    void runKeyCommand(NavRules::KeyCommand command, const CommandTarget &target);

    Ui::frmNavTree &m_ui;
    NavState &m_state;
    QWidget *m_window;
    CabinetCommands m_cabinet{*this};
    DrawerFolderCommands m_drawerFolder{*this};
    DocumentCommands m_document{*this};
    PageCommands m_page{*this};
    QString m_popupSource = QStringLiteral("T");
    CommandTarget m_pendingTarget;
};

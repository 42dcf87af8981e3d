#pragma once

#include "core/RecordId.h"

#include <QObject>
#include <QString>

class NavLoader;
class NavMenus;
struct NavState;
namespace Ui {
class frmNavTree;
}

// The node whose contents the navigation window's right-hand side shows:
// the level list of a root, cabinet, drawer or folder, or the page pane of
// a document. It keeps the bar's menu and the current position in step with
// that node, lists it again after changes, and finds the node of the last
// run again at start.
class NavShownNode : public QObject
{
    Q_OBJECT

public:
    NavShownNode(Ui::frmNavTree &ui, NavMenus &menus, NavLoader &loader, QObject *parent);
    ~NavShownNode() override;

    // The key of the node whose contents the list or the pane shows.
    QString key() const { return m_shownKey; }
    // True while a node's contents are being shown.
    bool isShowingNode() const { return m_nodeShowActive; }

    // Rebuilds the tree from the database; an empty cabinet table makes the
    // sample cabinet. Throws AppError.
    void buildTree();
    // Rebuilds the tree and forgets the node on show; a failure is told.
    void refreshTree();
    // Selects and lists the node selected at the last exit when it is still
    // there and its cabinet is open, then puts the position at the selection.
    void restoreLastNode(const QString &key);

    // Shows what lies below a node and makes its menu the one on the bar.
    void showNode(const QString &key);
    // Lists what lies below a node in the list or the page pane.
    void listContentsOf(const QString &key);
    void showCabinets();
    void showDrawers(RecordId cabinetId);
    void showFolders(const QString &drawerKey);
    void showDocuments(const QString &folderKey);
    void showFoundItems();
    void showPages(RecordId documentId);

    // Lists the node again when it is the one on show.
    void relistIfShown(const QString &key);
    // Lists whatever is on show again.
    void relistShown();
    // Puts the position at the node on show, or resets it when there is none.
    void positionAtShownNode();
    // Takes the search results out of the tree, and out of the list or the
    // pane when they show them.
    void removeFoundBranch();
    // A record was deleted from the tree: the right-hand side follows.
    void handleRecordDeleted(const QString &key, const QString &parentKey);

private:
    void restoreChain(const QString &key);
    void showLevelList();
    // Records what the list or the pane shows; the bar's menu and the
    // position the bar's commands act on follow it.
    void setShownKey(const QString &key);
    // Selects the node on show again, with its position and its menu.
    void returnToShownNode();
    // Shows the contents of a root, cabinet, drawer, folder or document node
    // with its menu on the bar.
    void showNodeOfType(const QString &key);

    Ui::frmNavTree &m_ui;
    NavMenus &m_menus;
    NavLoader &m_loader;
    NavState &m_state;
    QString m_shownKey;
    bool m_nodeShowActive = false;
};

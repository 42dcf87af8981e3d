#pragma once

#include "CommandTarget.h"
#include "NavState.h"
#include "NavigationSink.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class LevelList;
class NavMenus;
class QMenu;
class QShortcut;
class NavTree;
class PagePane;
namespace Ui {
class frmNavTree;
}

// The main window: the filing tree on the left, and on the right the list of
// the selected level or the page pane of the selected document. It mirrors
// the changes other windows make through the NavigationSink operations.
class frmNavTree : public QMainWindow, public NavigationSink
{
    Q_OBJECT

public:
    explicit frmNavTree(QWidget *parent = nullptr);
    ~frmNavTree() override;

    // Prepares the window before it is shown: placement, tree, and the node
    // selected at the last exit. splashStatus, when given, is told of the
    // progress.
    void Form_Load(const std::function<void(const QString &)> &splashStatus = {});

    NavTree *tvwMain() const;
    LevelList *lvwMain() const;
    PagePane *pagePane() const;
    NavMenus &menus() const { return *m_menus; }
    const CurrentPosition &position() const { return m_state.position; }
    // The key of the node whose contents the list or the pane shows.
    QString shownKey() const { return m_shownKey; }

    // NavigationSink
    void AddCabinetToNavTree(int cabinetId, const QString &name) override;
    void AddDrawerToNavTree(int cabinetId, int drawerId, const QString &name) override;
    void AddFolderToNavTree(int drawerId, int folderId, const QString &name) override;
    void AddDocumentToNavTree(int folderId, int documentId, const QString &name,
                              const QDate &dateOnDocument) override;
    void UpdateCabinetName(int cabinetId, const QString &name) override;
    void UpdateDrawerName(int drawerId, const QString &name) override;
    void UpdateFolderName(int folderId, const QString &name) override;
    void UpdateDocumentName(int documentId, const QString &name, const QDate &dateOnDocument) override;
    void ShowDrawersInListView(int cabinetId) override;
    void ShowPagesInListView(int documentId) override;

    // Shows what lies below a node and makes its menu the one on the bar.
    void ShowNodeContents(const QString &key);
    // Rebuilds the tree from the database.
    void RefreshNavTree();
    void BuildNavTree();
    void LoadDrawersOfCabinet(const QString &cabinetKey);
    void LoadFoldersOfCabinet(const QString &cabinetKey);
    void LoadDocumentsOfDrawer(const QString &drawerKey);
    void ShowCabinetsInListView();
    void ShowFoldersInListView(const QString &drawerKey);
    void ShowDocumentsInListView(const QString &folderKey);
    void ShowFoundItemsInListView();
    static QString GetCabinetIconKey(int cabinetId);

    // The control the last key or mouse release came from: "T", "L", "L2".
    QString popupSource() const { return m_popupSource; }
    // Readies the popup menu of a tree ("T") or list ("L") node for the
    // command target it names: sets the current position and the items'
    // visibility as a right-click does. Returns nullptr when the node gets
    // no menu (a locked cabinet, a found item).
    QMenu *preparePopup(const QString &source, const QString &key);
    // Runs one item of a prepared popup for that node, as a click on it
    // would (tests and the real menu share this path).
    void runPopupCommand(const QString &source, const QString &key, const QString &actionName);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void wireActions();
    void wireCommand(const QString &actionName, void (frmNavTree::*slot)());
    void restoreLastNode(const QString &key);
    // Loads the level below a node, selects and expands it.
    void openNode(const QString &key);
    // Lists what lies below a node in the list or the page pane.
    void listContentsOf(const QString &key);
    void showLevelList();
    void saveTreeWidth();
    void savePlacementAndKey();
    void handleCabinetUnlocked(int cabinetId, const QString &name);
    void handleNodeClicked(const QString &key);
    void handleNodeExpanded(const QString &key);
    // Runs a command, showing a database error instead of letting it escape.
    void guarded(const std::function<void()> &work);

    // Input of the tree and the list.
    void handleTreeMouseReleased(Qt::MouseButton button);
    void handleListMouseReleased(Qt::MouseButton button);
    void handleContextMenu(const QString &source, const QString &key, const QPoint &globalPos);
    void handleTreeKeyCommand(int key, const QString &nodeKey);
    void handleListKeyCommand(int key, const QString &itemKey);
    void handleTreeDoubleClicked(const QString &key);
    void handleListEntryOpened(const QString &key);
    bool treeRenameAllowed(const QString &key);
    bool listRenameAllowed(const QString &key);
    bool commitRename(const QString &key, const QString &text);

    // The record a command works on: the popup's or key's own target when
    // there is one, else the current position, else a selection.
    CommandTarget commandTarget(const QString &kind, bool treeUnlessList) const;
    void runCommand(const CommandTarget &target, void (frmNavTree::*command)());
    void returnFocus();
    void startRename(const CommandTarget &target);
    void removeEverywhere(const QString &key, const QString &foundKey);
    // The shared steps of the drawer and folder commands.
    void addSibling(const QString &kind, const QString &parentKind, int (*parentOf)(int),
                    bool (*add)(QWidget *, int));
    void deleteRecord(const QString &kind, const QString &foundPrefix, void (*deleteRows)(int));
    // Opens a record dialog on the command's target of that kind.
    void openDialogOnTarget(const QString &kind, bool treeUnlessList, bool (*dialog)(QWidget *, int));

    // Commands of the menus.
    void mnuFileExit_Click();
    void mnuPopupRootRefresh_Click();
    void mnuPopupFoundClear_Click();
    void mnuToolsDrawerTemplates_Click();
    void mnuToolsCreateSampleCabinet_Click();
    void mnuHelpHelpTopics_Click();
    void mnuHelpAbout_Click();
    void mnuPopupCabinetNewCabinet_Click();
    void mnuPopupCabinetNewDrawer_Click();
    void mnuPopupCabinetRename_Click();
    void mnuPopupCabinetDelete_Click();
    void mnuPopupCabinetProperties_Click();
    void mnuPopupDrawerNewDrawer_Click();
    void mnuPopupDrawerNewFolder_Click();
    void mnuPopupDrawerRename_Click();
    void mnuPopupDrawerDelete_Click();
    void mnuPopupDrawerProperties_Click();
    void mnuPopupFolderNewFolder_Click();
    void mnuPopupFolderNewDocument_Click();
    void mnuPopupFolderRename_Click();
    void mnuPopupFolderDelete_Click();
    void mnuPopupFolderProperties_Click();

    std::unique_ptr<Ui::frmNavTree> m_ui;
    std::unique_ptr<NavMenus> m_menus;
    NavState &m_state;
    QString m_shownKey;
    QString m_popupSource = QStringLiteral("T");
    CommandTarget m_pendingTarget;
    QShortcut *m_escShortcut = nullptr;
    bool m_nodeShowActive = false;
    bool m_exiting = false;
};

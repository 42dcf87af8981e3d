#pragma once

#include "core/NavigationSink.h"
#include "core/RecordId.h"
#include "navigation/NavState.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class LevelList;
class MainMenuCommands;
class NavCommandRouter;
class NavLoader;
class NavMenus;
class NavShownNode;
class NavTree;
class PagePane;
class QAction;
class QMenu;
class QShortcut;
namespace Ui {
class frmNavTree;
}

// The main window: the filing tree on the left, and on the right the list of
// the selected level or the page pane of the selected document. It mirrors
// the changes other windows make through the NavigationSink operations; the
// commands of its menus and keys are run by the router's command classes.
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
    const CurrentPosition &position() const { return m_state.position; }
    // The key of the node whose contents the list or the pane shows.
    QString shownKey() const;

    // NavigationSink
    void AddCabinetToNavTree(RecordId cabinetId, const QString &name) override;
    void AddDrawerToNavTree(RecordId cabinetId, RecordId drawerId, const QString &name) override;
    void AddFolderToNavTree(RecordId drawerId, RecordId folderId, const QString &name) override;
    void AddDocumentToNavTree(RecordId folderId, RecordId documentId, const QString &name,
                              const QDate &dateOnDocument) override;
    void UpdateCabinetName(RecordId cabinetId, const QString &name) override;
    void UpdateDrawerName(RecordId drawerId, const QString &name) override;
    void UpdateFolderName(RecordId folderId, const QString &name) override;
    void UpdateDocumentName(RecordId documentId, const QString &name, const QDate &dateOnDocument) override;
    void ShowDrawersInListView(RecordId cabinetId) override;
    void ShowPagesInListView(RecordId documentId) override;
    void selectPageInListView(RecordId pageId) override;

    // Shows what lies below a node and makes its menu the one on the bar.
    void ShowNodeContents(const QString &key);
    // Rebuilds the tree from the database.
    void RefreshNavTree();
    void ShowCabinetsInListView();
    void ShowFoldersInListView(const QString &drawerKey);
    void ShowDocumentsInListView(const QString &folderKey);
    void ShowFoundItemsInListView();

    // The control the last key or mouse release came from: "T", "L", "L2".
    QString popupSource() const;
    // Readies the popup menu of a tree ("T") or list ("L") node as a
    // right-click does; nullptr when the node gets no menu.
    QMenu *preparePopup(const QString &source, const QString &key);
    // Runs one item of a prepared popup for that node, as a click on it
    // would (tests and the real menu share this path).
    void runPopupCommand(const QString &source, const QString &key, QAction *action);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void wireActions();
    void wireViews();
    void wireChanges();
    void savePlacementAndKey();
    void handleTreeDoubleClicked(const QString &key);
    void handleListEntryOpened(const QString &key);

    // Commands that work on the window itself: Exit, the root popup's
    // Refresh and the search-result popup's Clear Results.
    void mnuFileExit_Click();
    void mnuPopupRootRefresh_Click();
    void mnuPopupFoundClear_Click();
    // The search: the Find button, File > Find... and F3.
    void cmdFind_Click();
    void mnuViewSettings_Click();

    std::unique_ptr<Ui::frmNavTree> m_ui;
    std::unique_ptr<NavMenus> m_menus;
    std::unique_ptr<NavLoader> m_loader;
    std::unique_ptr<MainMenuCommands> m_mainCommands;
    // Declared after the menus and the loader it works with: it goes first.
    std::unique_ptr<NavShownNode> m_shown;
    NavCommandRouter *m_router = nullptr;
    NavState &m_state;
    QShortcut *m_escShortcut = nullptr;
    bool m_exiting = false;
};

#pragma once

#include "NavState.h"
#include "NavigationSink.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class LevelList;
class NavMenus;
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

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void wireActions();
    void wireCommand(const QString &actionName, void (frmNavTree::*slot)());
    void restoreLastNode(const QString &key);
    void showLevelList();
    void saveTreeWidth();
    void savePlacementAndKey();
    void handleCabinetUnlocked(int cabinetId, const QString &name);
    void handleNodeClicked(const QString &key);
    void handleNodeExpanded(const QString &key);
    // Runs a command, showing a database error instead of letting it escape.
    void guarded(const std::function<void()> &work);

    void mnuFileExit_Click();
    void mnuPopupRootRefresh_Click();
    void mnuToolsDrawerTemplates_Click();
    void mnuToolsCreateSampleCabinet_Click();

    std::unique_ptr<Ui::frmNavTree> m_ui;
    std::unique_ptr<NavMenus> m_menus;
    NavState &m_state;
    QString m_shownKey;
    bool m_nodeShowActive = false;
    bool m_exiting = false;
};

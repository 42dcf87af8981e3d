#pragma once

#include <QDialog>
#include <QIcon>

#include <functional>
#include <memory>

class QTreeWidgetItem;

namespace Ui {
class frmCustomDrawer;
}

// The drawer template editor: all templates of the template file as a tree
// (templates, their folders, their documents) whose labels are edited in
// place. OK rewrites the file in the order the nodes were added (not the
// sorted order shown) and reloads the template names; Cancel writes
// nothing. The tree is rebuilt from the file at every opening.
class frmCustomDrawer : public QDialog
{
    Q_OBJECT

public:
    // The images of the navigation tree by their keys ("drawer", "folder",
    // "document"), so the templates look like what they become; without
    // them the theme's icons stand in.
    using NodeIcons = std::function<QIcon(const QString &imageKey)>;

    explicit frmCustomDrawer(QWidget *parent = nullptr, NodeIcons nodeIcons = {});
    ~frmCustomDrawer() override;

private Q_SLOTS:
    void cmdAddChild_Click();
    void cmdRemoveSibling_Click();
    void cmdOK_Click();
    void handleItemChanged(QTreeWidgetItem *item, int column);

private:
    void LoadTemplateTree();
    void setButtons();
    QTreeWidgetItem *addNode(QTreeWidgetItem *parent, const QString &kind, const QString &text);
    QIcon nodeIcon(const QString &kind) const;

    std::unique_ptr<Ui::frmCustomDrawer> m_ui;
    NodeIcons m_nodeIcons;
    QTreeWidgetItem *m_root = nullptr;
    // Numbers for the node keys; they only keep keys unique and, within one
    // parent, give the order in which nodes were added (the file's order).
    int m_drawerKeyCounter = 0;
    int m_folderKeyCounter = 0;
    int m_documentKeyCounter = 0;
    // Set while the dialog itself changes a label, so only the user's
    // edits are checked.
    bool m_settingText = false;
};

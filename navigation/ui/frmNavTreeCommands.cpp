// The navigation window's input handlers and menu commands.

#include "frmNavTree.h"
#include "ui_frmNavTree.h"

#include "Common.h"
#include "DbConnection.h"
#include "Deletes.h"
#include "LevelList.h"
#include "NavIconKeys.h"
#include "NavKeys.h"
#include "NavMenus.h"
#include "NavQueries.h"
#include "NavTree.h"
#include "PagePane.h"
#include "Passwords.h"
#include "Prompt.h"
#include "Renames.h"
#include "SampleCabinets.h"
#include "frmAbout.h"
#include "frmCabinet.h"
#include "frmCustomDrawer.h"
#include "frmDocument.h"
#include "frmDrawer.h"
#include "frmFolder.h"
#include "frmHelp.h"
#include "frmSample.h"

#include <QAction>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QStackedWidget>

using namespace NavKeys;

namespace {

const QString kTree = QStringLiteral("T");
const QString kList = QStringLiteral("L");

bool isFoundKey(const QString &key)
{
    const QString p = prefixOf(key);
    return p == FoundCabinet || p == FoundDrawer || p == FoundFolder || p == FoundDocument;
}

QString deleteQuestion(const QString &name)
{
    return QStringLiteral("Delete '%1'?").arg(name);
}

} // namespace

// ---- input of the tree and the list ---------------------------------------

void frmNavTree::handleTreeMouseReleased(Qt::MouseButton)
{
    // Every release in the tree starts from no current position; a node
    // click or a popup then names its one node.
    m_state.position.reset();
    m_popupSource = kTree;
}

void frmNavTree::handleListMouseReleased(Qt::MouseButton)
{
    m_popupSource = kList;
}

QMenu *frmNavTree::preparePopup(const QString &source, const QString &key)
{
    m_popupSource = source;
    const QString prefix = prefixOf(key);
    const bool fromTree = source == kTree;
    CurrentPosition &pos = m_state.position;
    if (fromTree)
        pos.reset();
    if (key == Root)
        return m_menus->menu(QStringLiteral("mnuPopupRoot"));
    if (key == RootFound)
        return fromTree ? m_menus->menu(QStringLiteral("mnuPopupFound")) : nullptr;
    if (isFoundKey(key))
        return nullptr;
    const QString text = fromTree ? m_ui->tvwMain->textOf(key)
                                  : (m_ui->lvwMain->entry(key) ? m_ui->lvwMain->entry(key)->text() : QString());
    if (prefix == Cabinet) {
        // A locked cabinet gets no menu at all; nothing prompts here.
        if (!Passwords::IsCabinetOpen(idOf(key)))
            return nullptr;
        if (fromTree) {
            pos.setFromNode(key, text, QString());
            m_menus->action(QStringLiteral("mnuPopupCabinetNewCabinet"))->setVisible(true);
            m_menus->action(QStringLiteral("mnuPopupCabinetNewDrawer"))->setVisible(true);
        }
        return m_menus->menu(QStringLiteral("mnuPopupCabinet"));
    }
    if (fromTree && (prefix == Drawer || prefix == Folder || prefix == Document))
        pos.setFromNode(key, text, m_ui->tvwMain->parentKeyOf(key));
    if (prefix == Drawer)
        return m_menus->menu(QStringLiteral("mnuPopupDrawer"));
    if (prefix == Folder)
        return m_menus->menu(QStringLiteral("mnuPopupFolder"));
    if (prefix == Document)
        return m_menus->menu(QStringLiteral("mnuPopupDocument"));
    return nullptr;
}

void frmNavTree::handleContextMenu(const QString &source, const QString &key, const QPoint &globalPos)
{
    QMenu *menu = nullptr;
    try {
        menu = preparePopup(source, key);
    } catch (const DbError &e) {
        Prompt::instance().error(e.message());
    }
    if (!menu)
        return;
    const QString text = source == kTree ? m_ui->tvwMain->textOf(key) : m_ui->lvwMain->selectedText();
    // The command acts on the node the menu was opened for, whatever the
    // selection or the current position become meanwhile.
    m_pendingTarget = {key, text, source};
    menu->exec(globalPos);
    m_pendingTarget = {};
}

void frmNavTree::runPopupCommand(const QString &source, const QString &key, const QString &actionName)
{
    QMenu *menu = preparePopup(source, key);
    QAction *action = m_menus->action(actionName);
    if (!menu || !action || !menu->actions().contains(action) || !action->isEnabled())
        return;
    const QString text = source == kTree ? m_ui->tvwMain->textOf(key)
                                         : (m_ui->lvwMain->entry(key) ? m_ui->lvwMain->entry(key)->text()
                                                                      : QString());
    m_pendingTarget = {key, text, source};
    action->trigger();
    m_pendingTarget = {};
}

void frmNavTree::handleTreeKeyCommand(int key, const QString &nodeKey)
{
    m_popupSource = kTree;
    if (nodeKey.isEmpty())
        return;
    const QString prefix = prefixOf(nodeKey);
    const CommandTarget target{nodeKey, m_ui->tvwMain->textOf(nodeKey), kTree};
    void (frmNavTree::*command)() = nullptr;
    if (key == Qt::Key_Insert) {
        if (nodeKey == Root)
            command = &frmNavTree::mnuPopupCabinetNewCabinet_Click;
        else if (prefix == Cabinet)
            command = &frmNavTree::mnuPopupCabinetNewDrawer_Click;
        else if (prefix == Drawer)
            command = &frmNavTree::mnuPopupDrawerNewFolder_Click;
        else if (prefix == Folder)
            command = &frmNavTree::mnuPopupFolderNewDocument_Click;
    } else if (key == Qt::Key_Delete) {
        if (prefix == Cabinet)
            command = &frmNavTree::mnuPopupCabinetDelete_Click;
        else if (prefix == Drawer)
            command = &frmNavTree::mnuPopupDrawerDelete_Click;
        else if (prefix == Folder)
            command = &frmNavTree::mnuPopupFolderDelete_Click;
    }
    if (command)
        runCommand(target, command);
    m_ui->tvwMain->setFocus();
}

void frmNavTree::handleListKeyCommand(int key, const QString &itemKey)
{
    m_popupSource = kList;
    if (itemKey.isEmpty())
        return;
    const QString prefix = prefixOf(itemKey);
    const CommandTarget target{itemKey, m_ui->lvwMain->selectedText(), kList};
    void (frmNavTree::*command)() = nullptr;
    if (key == Qt::Key_Insert) {
        if (prefix == Cabinet)
            command = &frmNavTree::mnuPopupCabinetNewCabinet_Click;
        else if (prefix == Drawer)
            command = &frmNavTree::mnuPopupDrawerNewDrawer_Click;
        else if (prefix == Folder)
            command = &frmNavTree::mnuPopupFolderNewFolder_Click;
    } else if (key == Qt::Key_Delete) {
        if (prefix == Cabinet)
            command = &frmNavTree::mnuPopupCabinetDelete_Click;
        else if (prefix == Drawer)
            command = &frmNavTree::mnuPopupDrawerDelete_Click;
        else if (prefix == Folder)
            command = &frmNavTree::mnuPopupFolderDelete_Click;
    }
    if (command)
        runCommand(target, command);
    m_ui->lvwMain->setFocus();
}

void frmNavTree::handleTreeDoubleClicked(const QString &key)
{
    if (prefixOf(key) != Document || m_nodeShowActive)
        return;
    guarded([this, &key] { frmDocument::editDocument(this, idOf(key)); });
    m_ui->tvwMain->setFocus();
}

void frmNavTree::handleListEntryOpened(const QString &key)
{
    const QString prefix = prefixOf(key);
    try {
        if (prefix == Cabinet && !Passwords::UnlockCabinet(idOf(key)))
            return;
        if (prefix == Cabinet || prefix == Drawer || prefix == Folder || prefix == Document
            || prefix == FoundDocument) {
            openNode(key);
            listContentsOf(key);
        }
    } catch (const DbError &e) {
        Prompt::instance().error(e.message());
    }
}

bool frmNavTree::treeRenameAllowed(const QString &key)
{
    if (key == Root || key == RootFound || isFoundKey(key))
        return false;
    try {
        if (prefixOf(key) == Cabinet)
            return Passwords::IsCabinetOpen(idOf(key));
    } catch (const DbError &) {
        return false;
    }
    return true;
}

bool frmNavTree::listRenameAllowed(const QString &key)
{
    // Whatever the list shows lies in a cabinet that passed its password;
    // a cabinet item itself is checked by its own id.
    return treeRenameAllowed(key);
}

bool frmNavTree::commitRename(const QString &key, const QString &text)
{
    Renames::Result r;
    try {
        r = Renames::RenameRecord(key, text);
    } catch (const DbError &e) {
        Prompt::instance().error(e.message());
        return false;
    }
    for (const QString &m : r.messages)
        Prompt::instance().message(m);
    if (!r.stored)
        return false;
    const QString prefix = prefixOf(key);
    const int id = idOf(key);
    if (prefix == Cabinet)
        UpdateCabinetName(id, r.name);
    else if (prefix == Drawer)
        UpdateDrawerName(id, r.name);
    else if (prefix == Folder)
        UpdateFolderName(id, r.name);
    else if (prefix == Document) {
        const QString nodeText = NavQueries::DocumentNodeText(r.name, r.date);
        m_ui->tvwMain->setNodeText(key, nodeText, r.name);
        m_ui->tvwMain->setNodeText(NavNodeKey(FoundDocument, id), nodeText, r.name);
        // The level list shows documents by their bare name.
        m_ui->lvwMain->setEntryText(key, r.name);
    }
    return true;
}

// ---- targets -----------------------------------------------------------------

CommandTarget frmNavTree::commandTarget(const QString &kind, bool treeUnlessList) const
{
    if (m_pendingTarget.isValid())
        return m_pendingTarget;
    const CurrentPosition &pos = m_state.position;
    TargetInputs in;
    if (kind == Cabinet) {
        in.currentId = pos.CurrentCabinetId;
        in.currentName = pos.CurrentCabinetName;
    } else if (kind == Drawer) {
        in.currentId = pos.CurrentDrawerId;
        in.currentName = pos.CurrentDrawerName;
    } else if (kind == Folder) {
        in.currentId = pos.CurrentFolderId;
        in.currentName = pos.CurrentFolderName;
    } else if (kind == Document) {
        in.currentId = pos.CurrentDocumentId;
        in.currentName = pos.CurrentDocumentName;
    }
    if (in.currentId != -1)
        in.currentKey = NavNodeKey(kind, in.currentId);
    in.popupSource = m_popupSource;
    in.treeKey = m_ui->tvwMain->selectedKey();
    in.treeText = m_ui->tvwMain->textOf(in.treeKey);
    if (m_ui->stkRight->currentWidget() == m_ui->lvwMain) {
        in.listKey = m_ui->lvwMain->selectedKey();
        in.listText = m_ui->lvwMain->selectedText();
    }
    return treeUnlessList ? CommandTargets::treeUnlessList(in) : CommandTargets::listUnlessTree(in);
}

void frmNavTree::runCommand(const CommandTarget &target, void (frmNavTree::*command)())
{
    m_pendingTarget = target;
    (this->*command)();
    m_pendingTarget = {};
}

void frmNavTree::returnFocus()
{
    if (m_popupSource == kTree)
        m_ui->tvwMain->setFocus();
    else if (m_ui->stkRight->currentWidget() == m_ui->lvwMain)
        m_ui->lvwMain->setFocus();
    else
        m_ui->pagePane->lvwThumb()->setFocus();
}

void frmNavTree::startRename(const CommandTarget &target)
{
    if (!target.isValid())
        return;
    if (target.source == kTree || !m_ui->lvwMain->entry(target.key))
        m_ui->tvwMain->renameNode(target.key);
    else
        m_ui->lvwMain->renameEntry(target.key);
}

void frmNavTree::removeEverywhere(const QString &key, const QString &foundKey)
{
    m_ui->tvwMain->removeNode(key);
    m_ui->tvwMain->removeNode(foundKey);
    if (QListWidgetItem *item = m_ui->lvwMain->entry(key))
        delete item;
    // Whatever was on show may have lain below the deleted record.
    m_shownKey.clear();
}

void frmNavTree::addSibling(const QString &kind, const QString &parentKind, int (*parentOf)(int),
                            bool (*add)(QWidget *, int))
{
    const CommandTarget target = commandTarget(kind, true);
    guarded([&] {
        int parent = 0;
        if (target.prefix() == kind)
            parent = parentOf(target.id());
        else if (target.prefix() == parentKind)
            parent = target.id();
        if (parent > 0)
            add(this, parent);
    });
    returnFocus();
}

void frmNavTree::deleteRecord(const QString &kind, const QString &foundPrefix, void (*deleteRows)(int))
{
    const CommandTarget target = commandTarget(kind, false);
    if (target.prefix() != kind || !Prompt::instance().question(deleteQuestion(target.name)))
        return;
    try {
        deleteRows(target.id());
    } catch (const DbError &e) {
        // The rows are as they were: the delete runs in one transaction.
        Prompt::instance().error(e.message());
        return;
    }
    removeEverywhere(target.key, NavNodeKey(foundPrefix, target.id()));
}

void frmNavTree::openDialogOnTarget(const QString &kind, bool treeUnlessList, bool (*dialog)(QWidget *, int))
{
    const CommandTarget target = commandTarget(kind, treeUnlessList);
    if (target.prefix() == kind)
        guarded([&] { dialog(this, target.id()); });
    returnFocus();
}

// ---- File, Tools, Help, root and found popups --------------------------------

void frmNavTree::mnuPopupFoundClear_Click()
{
    m_ui->tvwMain->removeNode(RootFound);
    // A list of found items would now name nodes that are gone.
    if (m_shownKey == RootFound || isFoundKey(m_shownKey)) {
        m_ui->lvwMain->clear();
        m_shownKey.clear();
    }
}

void frmNavTree::mnuToolsDrawerTemplates_Click()
{
    frmCustomDrawer dialog(this);
    dialog.exec();
}

void frmNavTree::mnuToolsCreateSampleCabinet_Click()
{
    if (!QFileInfo::exists(SampleCabinets::SampleOutlinePath()))
        SampleCabinets::WriteSampleOutline();
    if (!QFileInfo::exists(SampleCabinets::SampleOutlinePath())) {
        Prompt::instance().message(QStringLiteral("Missing file '%1'.").arg(SampleCabinets::SampleOutlinePath()));
        return;
    }
    frmSample dialog(this);
    dialog.exec();
}

void frmNavTree::mnuHelpHelpTopics_Click()
{
    if (!frmHelp::showHelp(this))
        Prompt::instance().message(QStringLiteral("Cannot find help file VLMHELP.TXT."));
}

void frmNavTree::mnuHelpAbout_Click()
{
    frmAbout::showAbout(this);
}

// ---- cabinet commands ----------------------------------------------------------

void frmNavTree::mnuPopupCabinetNewCabinet_Click()
{
    guarded([this] { frmCabinet::addCabinet(this); });
    returnFocus();
}

void frmNavTree::mnuPopupCabinetNewDrawer_Click()
{
    openDialogOnTarget(Cabinet, true, &frmDrawer::addDrawer);
}

void frmNavTree::mnuPopupCabinetRename_Click()
{
    startRename(commandTarget(Cabinet, false));
}

void frmNavTree::mnuPopupCabinetDelete_Click()
{
    const CommandTarget target = commandTarget(Cabinet, false);
    if (target.prefix() != Cabinet)
        return;
    try {
        if (!Passwords::UnlockCabinet(target.id())) {
            m_ui->tvwMain->setFocus();
            return;
        }
        if (!Prompt::instance().question(deleteQuestion(target.name)))
            return;
        Deletes::DeleteCabinet(target.id());
    } catch (const DbError &e) {
        // The rows are as they were: the delete runs in one transaction.
        Prompt::instance().error(e.message());
        return;
    }
    m_ui->tvwMain->removeNode(target.key);
    m_ui->tvwMain->removeNode(NavNodeKey(FoundCabinet, target.id()));
    m_ui->lvwMain->clear();
    m_shownKey.clear();
}

void frmNavTree::mnuPopupCabinetProperties_Click()
{
    const CommandTarget target = commandTarget(Cabinet, false);
    if (target.prefix() == Cabinet) {
        guarded([this, &target] {
            if (Passwords::UnlockCabinet(target.id()))
                frmCabinet::editCabinet(this, target.id());
        });
    }
    returnFocus();
}

// ---- drawer commands -----------------------------------------------------------

void frmNavTree::mnuPopupDrawerNewDrawer_Click()
{
    addSibling(Drawer, Cabinet, &Common::GetCabinetIdOfDrawer, &frmDrawer::addDrawer);
}

void frmNavTree::mnuPopupDrawerNewFolder_Click()
{
    openDialogOnTarget(Drawer, false, &frmFolder::addFolder);
}

void frmNavTree::mnuPopupDrawerRename_Click()
{
    startRename(commandTarget(Drawer, false));
}

void frmNavTree::mnuPopupDrawerDelete_Click()
{
    deleteRecord(Drawer, FoundDrawer, [](int id) { Deletes::DeleteDrawer(id); });
}

void frmNavTree::mnuPopupDrawerProperties_Click()
{
    openDialogOnTarget(Drawer, false, &frmDrawer::editDrawer);
}

// ---- folder commands -----------------------------------------------------------

void frmNavTree::mnuPopupFolderNewFolder_Click()
{
    addSibling(Folder, Drawer, &Common::GetDrawerIdOfFolder, &frmFolder::addFolder);
}

void frmNavTree::mnuPopupFolderNewDocument_Click()
{
    openDialogOnTarget(Folder, true, &frmDocument::addDocument);
}

void frmNavTree::mnuPopupFolderRename_Click()
{
    startRename(commandTarget(Folder, false));
}

void frmNavTree::mnuPopupFolderDelete_Click()
{
    deleteRecord(Folder, FoundFolder, [](int id) { Deletes::DeleteFolder(id); });
}

void frmNavTree::mnuPopupFolderProperties_Click()
{
    openDialogOnTarget(Folder, false, &frmFolder::editFolder);
}

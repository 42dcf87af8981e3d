#include "NavCommandRouter.h"

#include "DbError.h"
#include "Guard.h"
#include "LevelList.h"
#include "NavKeys.h"
#include "NavMenus.h"
#include "NavQueries.h"
#include "NavState.h"
#include "NavTree.h"
#include "NavigationSink.h"
#include "PagePane.h"
#include "Passwords.h"
#include "Prompt.h"
#include "Renames.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QStackedWidget>

using namespace NavKeys;
using NavRules::KeyCommand;

namespace {

const QString kTree = QStringLiteral("T");
const QString kList = QStringLiteral("L");

} // namespace

NavCommandRouter::NavCommandRouter(const Views &views, NavMenus &menus, QWidget *window)
    : QObject(window), m_views(views), m_menus(menus), m_state(NavState::instance()), m_window(window)
{
}

NavCommandRouter::~NavCommandRouter() = default;

// ---- popups ----------------------------------------------------------------

void NavCommandRouter::handleTreeMouseReleased()
{
    // Every release in the tree starts from no current position; a node
    // click or a popup then names its one node.
    m_state.position.reset();
    m_popupSource = kTree;
}

void NavCommandRouter::handleListMouseReleased()
{
    m_popupSource = kList;
}

QMenu *NavCommandRouter::preparePopup(const QString &source, const QString &key)
{
    m_popupSource = source;
    const QString prefix = prefixOf(key);
    const bool fromTree = source == kTree;
    CurrentPosition &pos = m_state.position;
    if (fromTree)
        pos.reset();
    if (key == Root)
        return m_menus.menu(QStringLiteral("mnuPopupRoot"));
    if (key == RootFound)
        return fromTree ? m_menus.menu(QStringLiteral("mnuPopupFound")) : nullptr;
    if (NavRules::isFoundKey(key))
        return nullptr;
    const QListWidgetItem *item = m_views.list->entry(key);
    const QString text = fromTree ? m_views.tree->textOf(key) : (item ? item->text() : QString());
    if (prefix == Cabinet) {
        // A locked cabinet gets no menu at all; nothing prompts here.
        if (!Passwords::IsCabinetOpen(idOf(key)))
            return nullptr;
        if (fromTree) {
            pos.setFromNode(key, text, QString());
            m_menus.action(QStringLiteral("mnuPopupCabinetNewCabinet"))->setVisible(true);
            m_menus.action(QStringLiteral("mnuPopupCabinetNewDrawer"))->setVisible(true);
        }
        return m_menus.menu(QStringLiteral("mnuPopupCabinet"));
    }
    if (fromTree && (prefix == Drawer || prefix == Folder || prefix == Document))
        pos.setFromNode(key, text, m_views.tree->parentKeyOf(key));
    if (prefix == Drawer)
        return m_menus.menu(QStringLiteral("mnuPopupDrawer"));
    if (prefix == Folder)
        return m_menus.menu(QStringLiteral("mnuPopupFolder"));
    if (prefix == Document)
        return m_menus.menu(QStringLiteral("mnuPopupDocument"));
    return nullptr;
}

void NavCommandRouter::handleContextMenu(const QString &source, const QString &key, const QPoint &globalPos)
{
    QMenu *menu = nullptr;
    guard([&] { menu = preparePopup(source, key); });
    if (!menu)
        return;
    const QString text = source == kTree ? m_views.tree->textOf(key) : m_views.list->selectedText();
    // The command acts on the node the menu was opened for, whatever the
    // selection or the current position become meanwhile.
    m_pendingTarget = {key, text, source};
    menu->exec(globalPos);
    m_pendingTarget = {};
}

void NavCommandRouter::runPopupCommand(const QString &source, const QString &key, QAction *action)
{
    QMenu *menu = preparePopup(source, key);
    if (!menu || !action || !menu->actions().contains(action) || !action->isEnabled())
        return;
    const QListWidgetItem *item = m_views.list->entry(key);
    const QString text = source == kTree ? m_views.tree->textOf(key) : (item ? item->text() : QString());
    m_pendingTarget = {key, text, source};
    action->trigger();
    m_pendingTarget = {};
}

// ---- keys -------------------------------------------------------------------

void NavCommandRouter::handleTreeKeyCommand(int key, int modifiers, const QString &nodeKey)
{
    m_popupSource = kTree;
    if (nodeKey.isEmpty())
        return;
    runKeyCommand(NavRules::treeKeyCommand(key, modifiers, nodeKey),
                  {nodeKey, m_views.tree->textOf(nodeKey), kTree});
    m_views.tree->setFocus();
}

void NavCommandRouter::handleListKeyCommand(int key, int modifiers, const QString &itemKey)
{
    m_popupSource = kList;
    if (itemKey.isEmpty())
        return;
    runKeyCommand(NavRules::listKeyCommand(key, modifiers, itemKey),
                  {itemKey, m_views.list->selectedText(), kList});
    m_views.list->setFocus();
}

void NavCommandRouter::runKeyCommand(KeyCommand command, const CommandTarget &target)
{
    m_pendingTarget = target;
    switch (command) {
    case KeyCommand::None:
        break;
    case KeyCommand::Refresh:
        Q_EMIT refreshRequested();
        break;
    case KeyCommand::NewCabinet:
        m_cabinet.mnuPopupCabinetNewCabinet_Click();
        break;
    case KeyCommand::CabinetNewDrawer:
        m_cabinet.mnuPopupCabinetNewDrawer_Click();
        break;
    case KeyCommand::CabinetDelete:
        m_cabinet.mnuPopupCabinetDelete_Click();
        break;
    case KeyCommand::DrawerNewDrawer:
        m_drawerFolder.mnuPopupDrawerNewDrawer_Click();
        break;
    case KeyCommand::DrawerNewFolder:
        m_drawerFolder.mnuPopupDrawerNewFolder_Click();
        break;
    case KeyCommand::DrawerDelete:
        m_drawerFolder.mnuPopupDrawerDelete_Click();
        break;
    case KeyCommand::FolderNewFolder:
        m_drawerFolder.mnuPopupFolderNewFolder_Click();
        break;
    case KeyCommand::FolderNewDocument:
        m_drawerFolder.mnuPopupFolderNewDocument_Click();
        break;
    case KeyCommand::FolderDelete:
        m_drawerFolder.mnuPopupFolderDelete_Click();
        break;
    }
    m_pendingTarget = {};
}

// ---- renames ------------------------------------------------------------------

bool NavCommandRouter::renameAllowed(const QString &key) const
{
    // Whatever the list shows lies in a cabinet that passed its password;
    // a cabinet item itself is checked by its own id, in both views.
    if (key == Root || key == RootFound || NavRules::isFoundKey(key))
        return false;
    bool allowed = true;
    if (prefixOf(key) == Cabinet) {
        try {
            allowed = Passwords::IsCabinetOpen(idOf(key));
        } catch (const DbError &) {
            allowed = false;
        }
    }
    return allowed;
}

bool NavCommandRouter::commitRename(const QString &key, const QString &text)
{
    Renames::Result r;
    if (!guard([&] { r = Renames::RenameRecord(key, text); }))
        return false;
    for (const QString &m : r.messages)
        Prompt::instance().message(m);
    if (!r.stored)
        return false;
    NavigationSink &sink = NavigationSink::instance();
    const QString prefix = prefixOf(key);
    const int id = idOf(key);
    if (prefix == Cabinet) {
        sink.UpdateCabinetName(id, r.name);
    } else if (prefix == Drawer) {
        sink.UpdateDrawerName(id, r.name);
    } else if (prefix == Folder) {
        sink.UpdateFolderName(id, r.name);
    } else if (prefix == Document) {
        const QString nodeText = NavQueries::DocumentNodeText(r.name, r.date);
        m_views.tree->setNodeText(key, nodeText, r.name);
        m_views.tree->setNodeText(NavNodeKey(FoundDocument, id), nodeText, r.name);
        // The level list shows documents by their bare name.
        m_views.list->setEntryText(key, r.name);
    }
    return true;
}

// ---- the command host -------------------------------------------------------------

CommandTarget NavCommandRouter::commandTarget(const QString &kind, bool treeUnlessList) const
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
    in.treeKey = m_views.tree->selectedKey();
    in.treeText = m_views.tree->textOf(in.treeKey);
    if (m_views.stack->currentWidget() == m_views.list) {
        in.listKey = m_views.list->selectedKey();
        in.listText = m_views.list->selectedText();
    }
    return treeUnlessList ? CommandTargets::treeUnlessList(in) : CommandTargets::listUnlessTree(in);
}

void NavCommandRouter::startRename(const CommandTarget &target)
{
    if (!target.isValid())
        return;
    if (target.source == kTree || !m_views.list->entry(target.key))
        m_views.tree->renameNode(target.key);
    else
        m_views.list->renameEntry(target.key);
}

void NavCommandRouter::returnFocus()
{
    if (m_popupSource == kTree)
        m_views.tree->setFocus();
    else if (m_views.stack->currentWidget() == m_views.list)
        m_views.list->setFocus();
    else
        m_views.pane->lvwThumb()->setFocus();
}

void NavCommandRouter::focusTree()
{
    m_views.tree->setFocus();
}

void NavCommandRouter::removeDeleted(const QString &key, const QString &foundKey)
{
    m_views.tree->removeNode(key);
    m_views.tree->removeNode(foundKey);
    // A cabinet's contents may fill the list at any depth below it.
    if (prefixOf(key) == Cabinet)
        m_views.list->clear();
    else if (QListWidgetItem *item = m_views.list->entry(key))
        delete item;
    Q_EMIT recordDeleted(key);
}

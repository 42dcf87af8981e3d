#include "navigation/ui/NavShownNode.h"
#include "ui_frmNavTree.h"

#include "core/Guard.h"
#include "navigation/NavRules.h"
#include "navigation/NavState.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/NavLevels.h"
#include "navigation/ui/NavLoader.h"
#include "navigation/ui/NavMenus.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/PagePane.h"
#include "platform/AppError.h"
#include "store/NodeKeys.h"
#include "store/Passwords.h"
#include "store/SampleCabinets.h"

using namespace NodeKeys;

NavShownNode::NavShownNode(Ui::frmNavTree &ui, NavMenus &menus, NavLoader &loader, QObject *parent)
    : QObject(parent), m_ui(ui), m_menus(menus), m_loader(loader), m_state(NavState::instance())
{
}

NavShownNode::~NavShownNode() = default;

void NavShownNode::buildTree()
{
    if (NavRules::needsSampleCabinet(m_loader.BuildNavTree()))
        SampleCabinets::CreateSampleCabinet(NavRules::sampleCabinetName());
}

void NavShownNode::refreshTree()
{
    // A refresh that fails stops where it is, says why, and the tree shows
    // what it got.
    guard([this] {
        m_ui.stkRight->setCurrentWidget(m_ui.lvwMain);
        buildTree();
        m_ui.tvwMain->expandNode(Root);
    });
    // The list now shows the cabinets, not what was last clicked: the next
    // click on any node lists it again, and no node's menu is left.
    m_shownKey.clear();
    m_state.position.reset();
    m_menus.showOnBar(NavRules::TypeMenu::None);
}

void NavShownNode::restoreLastNode(const QString &key)
{
    if (!key.isEmpty()) {
        try {
            restoreChain(key);
        } catch (const AppError &) {
            // Restoring is a convenience and is skipped without a word by
            // design: a key that no longer fits is dropped.
        }
    }
    NavTree *tree = m_ui.tvwMain;
    const QString selected = tree->selectedKey();
    if (!selected.isEmpty())
        m_state.position.setFromNode(selected, tree->textOf(selected), tree->parentKeyOf(selected));
}

void NavShownNode::restoreChain(const QString &key)
{
    const NavRules::RestorePlan plan = NavRules::restorePlan(key);
    // Never prompts: a locked cabinet is left closed, and with nothing
    // selected no menu goes on the bar, as it would act on nothing.
    if (plan.chain.isEmpty() || plan.cabinetId == 0 || !Passwords::IsCabinetOpen(plan.cabinetId))
        return;
    for (const QString &k : plan.chain) {
        if (!m_ui.tvwMain->contains(k))
            break;
        m_loader.openNode(k);
    }
    // The node itself, or as far down its chain as the tree goes, is
    // listed with its menu on the bar.
    const QString selected = m_ui.tvwMain->selectedKey();
    if (plan.chain.contains(selected))
        listContentsOf(selected);
}

void NavShownNode::showNode(const QString &key)
{
    if (m_nodeShowActive)
        return;
    bool freshlyUnlocked = false;
    bool refused = false;
    const std::optional<RecordId> cabinet = idOfType(key, Cabinet);
    const bool ok = guard([&] {
        if (cabinet && !Passwords::IsCabinetOpen(*cabinet)) {
            refused = !Passwords::UnlockCabinet(*cabinet);
            freshlyUnlocked = !refused;
        }
    });
    if (!ok || refused) {
        returnToShownNode();
        return;
    }
    // A node whose contents are on show is not listed again, but gets its
    // menu and position back (a click on a found cabinet, drawer or folder
    // took them away); right after an unlock the cabinet's drawers are not
    // on show yet, whatever was before.
    if (!freshlyUnlocked && key == m_shownKey) {
        returnToShownNode();
        return;
    }
    m_nodeShowActive = true;
    m_menus.showOnBar(NavRules::TypeMenu::None);
    m_state.position.reset();
    guard([&] { showNodeOfType(key); });
    m_nodeShowActive = false;
}

void NavShownNode::showNodeOfType(const QString &key)
{
    if (key == RootFound) {
        showFoundItems();
        return;
    }
    if (key == Root) {
        m_menus.showOnBar(NavRules::TypeMenu::Root);
        showCabinets();
        return;
    }
    const NavLevelActions *level = NavLevels::actionsOf(key);
    if (!level) {
        listContentsOf(key);  // a found document's matched pages
        return;
    }
    // The node as it was clicked: an unlock may change it in place.
    const QString text = m_ui.tvwMain->textOf(key);
    const QString parentKey = m_ui.tvwMain->parentKeyOf(key);
    if (const std::optional<RecordId> cabinet = idOfType(key, Cabinet); cabinet && !Passwords::UnlockCabinet(*cabinet))
        return;
    m_menus.showOnBar(level->menu);
    m_state.position.setFromNode(key, text, parentKey);
    level->loadBelow(m_loader, key);
    level->listContents(*this, key);
}

void NavShownNode::listContentsOf(const QString &key)
{
    if (const NavLevelActions *level = NavLevels::actionsOf(key)) {
        level->listContents(*this, key);
    } else if (const std::optional<RecordId> found = idOfType(key, FoundDocument)) {
        // A found document lists only the pages the search matched.
        m_ui.stkRight->setCurrentWidget(m_ui.pagePane);
        m_ui.pagePane->ShowPagePane(*found, true);
        setShownKey(key);
    }
}

void NavShownNode::showLevelList()
{
    // The pane forgets its document: nothing may act on it unseen.
    m_ui.pagePane->clear();
    m_ui.stkRight->setCurrentWidget(m_ui.lvwMain);
}

void NavShownNode::showCabinets()
{
    showLevelList();
    m_loader.listCabinets();
    setShownKey(Root);
}

void NavShownNode::showDrawers(RecordId cabinetId)
{
    showLevelList();
    m_loader.listDrawers(cabinetId);
    setShownKey(NavNodeKey(Cabinet, cabinetId));
}

void NavShownNode::showFolders(const QString &drawerKey)
{
    // A key that is no drawer's lists nothing, rather than some record's.
    const std::optional<RecordId> drawer = idOfType(drawerKey, Drawer);
    if (!drawer)
        return;
    showLevelList();
    m_loader.listFolders(*drawer);
    setShownKey(drawerKey);
}

void NavShownNode::showDocuments(const QString &folderKey)
{
    const std::optional<RecordId> folder = idOfType(folderKey, Folder);
    if (!folder)
        return;
    showLevelList();
    m_loader.listDocuments(*folder);
    setShownKey(folderKey);
}

void NavShownNode::showFoundItems()
{
    showLevelList();
    m_loader.listFound();
    setShownKey(RootFound);
}

void NavShownNode::showPages(RecordId documentId)
{
    // The page pane takes the right-hand side; the level list keeps nothing.
    m_ui.stkRight->setCurrentWidget(m_ui.pagePane);
    m_ui.pagePane->ShowPagePane(documentId, false);
    setShownKey(NavNodeKey(Document, documentId));
}

void NavShownNode::setShownKey(const QString &key)
{
    m_shownKey = key;
    m_menus.showOnBar(NavRules::typeMenuOf(key));
    positionAtShownNode();
}

void NavShownNode::positionAtShownNode()
{
    NavTree *tree = m_ui.tvwMain;
    if (m_shownKey.isEmpty() || !tree->contains(m_shownKey)) {
        m_state.position.reset();
        return;
    }
    m_state.position.setFromNode(m_shownKey, tree->textOf(m_shownKey), tree->parentKeyOf(m_shownKey));
}

void NavShownNode::handleRecordDeleted(const QString &key, const QString &parentKey)
{
    // No command may go on working on the deleted record: the position and
    // the bar's menu follow the node on show again.
    m_state.position.reset();
    if (typeOf(key) == Document && key == m_shownKey && m_ui.tvwMain->contains(parentKey)) {
        // The document on show is gone: its folder takes the selection and
        // shows what is left in it.
        m_shownKey.clear();
        m_ui.tvwMain->selectNode(parentKey);
        showNode(parentKey);
        return;
    }
    if (m_shownKey.isEmpty() || !m_ui.tvwMain->contains(m_shownKey)) {
        // The node on show was deleted, or lay below the deleted record.
        m_shownKey.clear();
        showLevelList();
        m_ui.lvwMain->clear();
        m_ui.tvwMain->setCurrentItem(nullptr);
        m_ui.tvwMain->clearSelection();
        m_menus.showOnBar(NavRules::TypeMenu::None);
        return;
    }
    relistIfShown(m_shownKey);
    returnToShownNode();
}

void NavShownNode::relistIfShown(const QString &key)
{
    if (key.isEmpty() || key != m_shownKey)
        return;
    guard([&] {
        if (key == Root)
            showCabinets();
        else if (key == RootFound)
            showFoundItems();
        else if (const NavLevelActions *level = NavLevels::actionsOf(key); level && level->listedInLevelList)
            listContentsOf(key);
    });
}

void NavShownNode::relistShown()
{
    const NavLevelActions *level = NavLevels::actionsOf(m_shownKey);
    if ((level && !level->listedInLevelList) || typeOf(m_shownKey) == FoundDocument)
        guard([this] { m_ui.pagePane->reload(); });
    else
        relistIfShown(m_shownKey);
}

void NavShownNode::returnToShownNode()
{
    NavTree *tree = m_ui.tvwMain;
    if (m_shownKey.isEmpty() || !tree->contains(m_shownKey)) {
        tree->setCurrentItem(nullptr);
        tree->clearSelection();
        return;
    }
    tree->selectNode(m_shownKey);
    m_state.position.setFromNode(m_shownKey, tree->textOf(m_shownKey), tree->parentKeyOf(m_shownKey));
    m_menus.showOnBar(NavRules::typeMenuOf(m_shownKey));
}

void NavShownNode::removeFoundBranch()
{
    m_ui.tvwMain->removeNode(RootFound);
    // A list of found items, or a found document's pages, would now name
    // nodes that are gone: the pane goes with the branch.
    if (m_shownKey == RootFound || NavRules::isFoundKey(m_shownKey)) {
        showLevelList();
        m_ui.lvwMain->clear();
        m_shownKey.clear();
    }
}

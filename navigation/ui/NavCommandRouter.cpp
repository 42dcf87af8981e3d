#include "navigation/ui/NavCommandRouter.h"
#include "ui_frmNavTree.h"

#include "core/Guard.h"
#include "core/NavigationSink.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "navigation/NavState.h"
#include "navigation/PageClipboard.h"
#include "navigation/Renames.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/NavLevels.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/PagePane.h"
#include "platform/ClipboardFiles.h"
#include "store/NodeKeys.h"
#include "store/Passwords.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QStackedWidget>

using namespace NodeKeys;
using NavRules::KeyCommand;

namespace {

const QString kTree = QStringLiteral("T");
const QString kList = QStringLiteral("L");

} // namespace

NavCommandRouter::NavCommandRouter(Ui::frmNavTree &ui, QWidget *window)
    : QObject(window), m_ui(ui), m_state(NavState::instance()), m_window(window)
{
}

NavCommandRouter::~NavCommandRouter() = default;

void NavCommandRouter::connectViews()
{
    NavTree *tree = m_ui.tvwMain;
    LevelList *list = m_ui.lvwMain;
    connect(tree, &NavTree::mouseReleased, this, &NavCommandRouter::handleTreeMouseReleased);
    connect(list, &LevelList::mouseReleased, this, &NavCommandRouter::handleListMouseReleased);
    connect(tree, &NavTree::contextMenuRequested, this,
            [this](const QString &key, const QPoint &pos) { handleContextMenu(kTree, key, pos); });
    connect(list, &LevelList::contextMenuRequested, this,
            [this](const QString &key, const QPoint &pos) { handleContextMenu(kList, key, pos); });
    connect(tree, &NavTree::keyCommandRequested, this, &NavCommandRouter::handleTreeKeyCommand);
    connect(list, &LevelList::keyCommandRequested, this, &NavCommandRouter::handleListKeyCommand);
    // Any key makes its control the source of the next popup command.
    connect(tree, &NavTree::keyPressed, this, [this] { m_popupSource = kTree; });
    connect(list, &LevelList::keyPressed, this, [this] { m_popupSource = kList; });
    auto *treeDelegate = new RenameDelegate(NavTree::KeyRole, NavTree::NameRole, tree);
    auto *listDelegate = new RenameDelegate(LevelList::KeyRole, -1, list);
    for (RenameDelegate *d : {treeDelegate, listDelegate}) {
        d->setCommitHandler([this](const QString &key, const QString &text) { return commitRename(key, text); });
        connect(d, &RenameDelegate::editStarted, this, [this] { Q_EMIT renameEditingChanged(true); });
        connect(d, &RenameDelegate::editEnded, this, [this] { Q_EMIT renameEditingChanged(false); });
    }
    tree->setItemDelegate(treeDelegate);
    list->setItemDelegate(listDelegate);
    tree->setRenameAllowed([this](const QString &key) { return renameAllowed(key); });
    list->setRenameAllowed([this](const QString &key) { return renameAllowed(key); });
}

QSet<QAction *> NavCommandRouter::connectCommands()
{
    CabinetCommands *cab = &m_cabinet;
    DrawerFolderCommands *df = &m_drawerFolder;
    DocumentCommands *doc = &m_document;
    PageCommands *pg = &m_page;
    const std::pair<QAction *, std::function<void()>> commands[] = {
        // The root popup's New File Cabinet is the cabinet command.
        {m_ui.mnuPopupRootNewFileCabinet, [cab] { cab->mnuPopupCabinetNewCabinet_Click(); }},
        {m_ui.mnuPopupCabinetNewCabinet, [cab] { cab->mnuPopupCabinetNewCabinet_Click(); }},
        {m_ui.mnuPopupCabinetNewDrawer, [cab] { cab->mnuPopupCabinetNewDrawer_Click(); }},
        {m_ui.mnuPopupCabinetRename, [cab] { cab->mnuPopupCabinetRename_Click(); }},
        {m_ui.mnuPopupCabinetDelete, [cab] { cab->mnuPopupCabinetDelete_Click(); }},
        {m_ui.mnuPopupCabinetProperties, [cab] { cab->mnuPopupCabinetProperties_Click(); }},
        {m_ui.mnuPopupCabinetExport, [cab] { cab->mnuPopupCabinetExport_Click(); }},
        {m_ui.mnuPopupCabinetImport, [cab] { cab->mnuPopupCabinetImport_Click(); }},
        {m_ui.mnuPopupDrawerNewDrawer, [df] { df->mnuPopupDrawerNewDrawer_Click(); }},
        {m_ui.mnuPopupDrawerNewFolder, [df] { df->mnuPopupDrawerNewFolder_Click(); }},
        {m_ui.mnuPopupDrawerRename, [df] { df->mnuPopupDrawerRename_Click(); }},
        {m_ui.mnuPopupDrawerDelete, [df] { df->mnuPopupDrawerDelete_Click(); }},
        {m_ui.mnuPopupDrawerProperties, [df] { df->mnuPopupDrawerProperties_Click(); }},
        {m_ui.mnuPopupFolderNewFolder, [df] { df->mnuPopupFolderNewFolder_Click(); }},
        {m_ui.mnuPopupFolderNewDocument, [df] { df->mnuPopupFolderNewDocument_Click(); }},
        {m_ui.mnuPopupFolderRename, [df] { df->mnuPopupFolderRename_Click(); }},
        {m_ui.mnuPopupFolderDelete, [df] { df->mnuPopupFolderDelete_Click(); }},
        {m_ui.mnuPopupFolderProperties, [df] { df->mnuPopupFolderProperties_Click(); }},
        {m_ui.mnuPopupFolderImportFiles, [df] { df->mnuPopupFolderImportFiles_Click(); }},
        {m_ui.mnuPopupDocumentImportFiles, [doc] { doc->mnuPopupDocumentImportFiles_Click(); }},
        {m_ui.mnuPopupDocumentPrint, [doc] { doc->mnuPopupDocumentPrint_Click(); }},
        {m_ui.mnuPopupDocumentNewDocument, [doc] { doc->mnuPopupDocumentNewDocument_Click(); }},
        {m_ui.mnuPopupDocumentRepaginate, [doc] { doc->mnuPopupDocumentRepaginate_Click(); }},
        {m_ui.mnuPopupDocumentRename, [doc] { doc->mnuPopupDocumentRename_Click(); }},
        {m_ui.mnuPopupDocumentDelete, [doc] { doc->mnuPopupDocumentDelete_Click(); }},
        {m_ui.mnuPopupDocumentPaste, [doc] { doc->mnuPopupDocumentPaste_Click(); }},
        {m_ui.mnuPopupDocumentProperties, [doc] { doc->mnuPopupDocumentProperties_Click(); }},
        {m_ui.mnuPopupDocumentScanPage, [doc] { doc->mnuPopupDocumentScanPage_Click(); }},
        {m_ui.mnuPopupPageOpen, [pg] { pg->mnuPopupPageOpen_Click(); }},
        {m_ui.mnuPopupPageRenumber, [pg] { pg->mnuPopupPageRenumber_Click(); }},
        {m_ui.mnuPopupPageDelete, [pg] { pg->mnuPopupPageDelete_Click(); }},
        {m_ui.mnuPopupPageCut, [pg] { pg->mnuPopupPageCut_Click(); }},
        {m_ui.mnuPopupPageCopy, [pg] { pg->mnuPopupPageCopy_Click(); }},
        {m_ui.mnuPopupPagePaste, [pg] { pg->mnuPopupPagePaste_Click(); }},
        {m_ui.mnuPopupPageProperties, [pg] { pg->mnuPopupPageProperties_Click(); }},
        {m_ui.mnuPopupPagePrint, [pg] { pg->mnuPopupPagePrint_Click(); }},
    };
    // Opened from the menu bar too, the menus offer Paste by the same rule.
    connect(m_ui.mnuPopupDocument, &QMenu::aboutToShow, this,
            [this] { m_ui.mnuPopupDocumentPaste->setEnabled(pasteOffered()); });
    connect(m_ui.mnuPopupPage, &QMenu::aboutToShow, this, [this] { m_ui.mnuPopupPagePaste->setEnabled(pasteOffered()); });
    QSet<QAction *> wired;
    for (const auto &c : commands) {
        connect(c.first, &QAction::triggered, this, c.second);
        wired.insert(c.first);
    }
    return wired;
}

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
    const QString prefix = typeOf(key);
    const bool fromTree = source == kTree;
    CurrentPosition &pos = m_state.position;
    if (fromTree)
        pos.reset();
    if (key == Root)
        return m_ui.mnuPopupRoot;
    if (key == RootFound)
        return fromTree ? m_ui.mnuPopupFound : nullptr;
    if (NavRules::isFoundKey(key))
        return nullptr;
    const NavLevelActions *level = NavLevels::actionsOf(key);
    if (!level)
        return nullptr;
    // A locked cabinet gets no menu at all; nothing prompts here.
    if (const std::optional<RecordId> cabinet = idOfType(key, Cabinet); cabinet && !Passwords::IsCabinetOpen(*cabinet))
        return nullptr;
    if (fromTree) {
        pos.setFromNode(key, m_ui.tvwMain->textOf(key), prefix == Cabinet ? QString() : m_ui.tvwMain->parentKeyOf(key));
        for (QAction *Ui::frmNavTree::*shown : level->treeOnlyItems)
            (m_ui.*shown)->setVisible(true);
    }
    if (prefix == Document)
        m_ui.mnuPopupDocumentPaste->setEnabled(pasteOffered());
    return m_ui.*(level->popup);
}

bool NavCommandRouter::pasteOffered()
{
    return ClipboardFiles::ClipboardHasFiles() || PageClipboard::cutList().CutPageCount() > 0;
}

void NavCommandRouter::handleContextMenu(const QString &source, const QString &key, const QPoint &globalPos)
{
    QMenu *menu = nullptr;
    guard([&] { menu = preparePopup(source, key); });
    if (!menu)
        return;
    const QString text = source == kTree ? m_ui.tvwMain->textOf(key) : m_ui.lvwMain->selectedText();
    // The command acts on the node the menu was opened for, whatever the
    // selection or the current position become meanwhile.
    m_pendingTarget = {key, text, source};
    // A menu closed without a command leaves no ids behind for a later
    // command of the menu bar to act on.
    if (!menu->exec(globalPos) && source == kTree)
        m_state.position.reset();
    m_pendingTarget = {};
}

void NavCommandRouter::runPopupCommand(const QString &source, const QString &key, QAction *action)
{
    QMenu *menu = preparePopup(source, key);
    if (!menu || !action || !menu->actions().contains(action) || !action->isEnabled())
        return;
    const QListWidgetItem *item = m_ui.lvwMain->entry(key);
    const QString text = source == kTree ? m_ui.tvwMain->textOf(key) : (item ? item->text() : QString());
    m_pendingTarget = {key, text, source};
    action->trigger();
    m_pendingTarget = {};
}

// ---- keys -------------------------------------------------------------------

void NavCommandRouter::handleTreeKeyCommand(int key, int modifiers, const QString &nodeKey)
{
    const KeyCommand command = NavRules::treeKeyCommand(key, modifiers, nodeKey);
    // F5 refreshes whatever is selected, and does nothing else.
    if (command == KeyCommand::Refresh) {
        Q_EMIT refreshRequested();
        return;
    }
    m_popupSource = kTree;
    if (nodeKey.isEmpty())
        return;
    runKeyCommand(command, {nodeKey, m_ui.tvwMain->textOf(nodeKey), kTree});
    m_ui.tvwMain->setFocus();
}

void NavCommandRouter::handleListKeyCommand(int key, int modifiers, const QString &itemKey)
{
    m_popupSource = kList;
    if (itemKey.isEmpty())
        return;
    runKeyCommand(NavRules::listKeyCommand(key, modifiers, itemKey),
                  {itemKey, m_ui.lvwMain->selectedText(), kList});
    m_ui.lvwMain->setFocus();
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
    case KeyCommand::DocumentNewDocument:
        m_document.mnuPopupDocumentNewDocument_Click();
        break;
    case KeyCommand::DocumentScanPage:
        // The document menu's Scan New Page, for the key's document.
        m_ui.mnuPopupDocumentScanPage->trigger();
        break;
    case KeyCommand::DocumentDelete:
        m_document.mnuPopupDocumentDelete_Click();
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
    if (const std::optional<RecordId> cabinet = idOfType(key, Cabinet))
        allowed = guard([&] { allowed = Passwords::IsCabinetOpen(*cabinet); }) && allowed;
    return allowed;
}

RenameDelegate::Outcome NavCommandRouter::commitRename(const QString &key, const QString &text)
{
    Renames::Result r;
    if (!guard([&] { r = Renames::renameRecord(key, text); }))
        return RenameDelegate::Outcome::Dropped;
    for (const QString &m : r.messages)
        Prompt::instance().warning(m);
    // A taken or too long name goes back to its editor; an empty one ends
    // the edit.
    if (!r.stored)
        return r.taken || r.tooLong ? RenameDelegate::Outcome::Refused : RenameDelegate::Outcome::Dropped;
    const std::optional<NodeKey> record = parseKey(key);
    if (const NavLevelActions *level = NavLevels::actionsOf(key); level && record)
        level->showName(NavigationSink::instance(), record->id, r.name, r.date);
    return RenameDelegate::Outcome::Stored;
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
    in.treeKey = m_ui.tvwMain->selectedKey();
    in.treeText = m_ui.tvwMain->textOf(in.treeKey);
    if (m_ui.stkRight->currentWidget() == m_ui.lvwMain) {
        in.listKey = m_ui.lvwMain->selectedKey();
        in.listText = m_ui.lvwMain->selectedText();
    }
    return treeUnlessList ? CommandTargets::treeUnlessList(in) : CommandTargets::listUnlessTree(in);
}

void NavCommandRouter::startRename(const CommandTarget &target)
{
    if (!target.isValid())
        return;
    if (target.source == kTree || !m_ui.lvwMain->entry(target.key))
        m_ui.tvwMain->renameNode(target.key);
    else
        m_ui.lvwMain->renameEntry(target.key);
}

void NavCommandRouter::returnFocus()
{
    if (m_popupSource == kTree)
        m_ui.tvwMain->setFocus();
    else if (m_ui.stkRight->currentWidget() == m_ui.lvwMain)
        m_ui.lvwMain->setFocus();
    else
        m_ui.pagePane->lvwThumb()->setFocus();
}

PagePane *NavCommandRouter::pagePane() const
{
    return m_ui.pagePane;
}

QMenu *NavCommandRouter::preparePagePopup()
{
    m_popupSource = QStringLiteral("L2");
    PagePane *pane = m_ui.pagePane;
    if (pane->documentId() < 0 || pane->PaneFillActive())
        return nullptr;
    const QList<RecordId> ids = pane->selectedPageIds();
    const bool any = !ids.isEmpty();
    const PageRecord *first = any ? pane->records().find(ids.first()) : nullptr;
    const bool shortcut = first && first->isShortcut();
    // An empty pane offers only Cut, Copy and Paste; a shortcut page cannot
    // be printed or renumbered.
    const bool hasPages = pane->model()->rowCount() > 0;
    for (QAction *a : m_ui.mnuPopupPage->actions()) {
        if (a->isSeparator())
            a->setVisible(hasPages);
    }
    for (QAction *a : {m_ui.mnuPopupPageOpen, m_ui.mnuPopupPageDelete, m_ui.mnuPopupPageProperties})
        a->setVisible(hasPages);
    m_ui.mnuPopupPagePrint->setVisible(hasPages && !shortcut);
    m_ui.mnuPopupPageRenumber->setVisible(hasPages && !shortcut);
    for (QAction *a : {m_ui.mnuPopupPageOpen, m_ui.mnuPopupPageDelete, m_ui.mnuPopupPageCut,
                       m_ui.mnuPopupPageCopy, m_ui.mnuPopupPageProperties, m_ui.mnuPopupPagePrint})
        a->setEnabled(any);
    m_ui.mnuPopupPageRenumber->setEnabled(ids.size() == 1);
    m_ui.mnuPopupPagePaste->setEnabled(pasteOffered());
    m_ui.mnuPopupPageDelete->setText(shortcut ? QStringLiteral("Delete shortcut") : QStringLiteral("Delete"));
    return m_ui.mnuPopupPage;
}

void NavCommandRouter::handlePageKey(int key, int modifiers, bool *handled)
{
    m_popupSource = QStringLiteral("L2");
    // Ctrl means Ctrl alone: Ctrl+Shift+A selects nothing.
    const bool ctrl = (modifiers & ~Qt::KeypadModifier) == Qt::ControlModifier;
    *handled = true;
    if (key == Qt::Key_Delete && !(modifiers & Qt::ControlModifier))
        m_page.mnuPopupPageDelete_Click();
    else if (key == Qt::Key_R) {
        // As on the popup: Renumber is for one page only.
        if (m_ui.pagePane->selectedPageIds().size() == 1)
            m_page.mnuPopupPageRenumber_Click();
    }
    else if (key == Qt::Key_I)
        m_page.mnuPopupPageProperties_Click();
    else if (key == Qt::Key_X && ctrl)
        m_page.mnuPopupPageCut_Click();
    else if (key == Qt::Key_C && ctrl)
        m_page.mnuPopupPageCopy_Click();
    else if (key == Qt::Key_V && ctrl)
        m_page.mnuPopupPagePaste_Click();
    else
        *handled = false;
}

void NavCommandRouter::handlePageContextMenu(RecordId, const QPoint &globalPos)
{
    if (QMenu *menu = preparePagePopup())
        menu->exec(globalPos);
}

void NavCommandRouter::focusTree()
{
    m_ui.tvwMain->setFocus();
}

void NavCommandRouter::removeDeleted(const QString &key, const QString &foundKey)
{
    const QString parentKey = m_ui.tvwMain->parentKeyOf(key);
    m_ui.tvwMain->removeNode(key);
    // A found cabinet, drawer or folder holds found documents only: one the
    // delete leaves empty goes too.
    m_ui.tvwMain->removeNodeAndEmptyAncestors(foundKey, RootFound);
    // A cabinet's contents may fill the list at any depth below it.
    if (typeOf(key) == Cabinet)
        m_ui.lvwMain->clear();
    else if (QListWidgetItem *item = m_ui.lvwMain->entry(key))
        delete item;
    Q_EMIT recordDeleted(key, parentKey);
}

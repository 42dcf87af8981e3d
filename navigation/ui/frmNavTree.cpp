#include "frmNavTree.h"
#include "ui_frmNavTree.h"

#include "Common.h"
#include "DbConnection.h"
#include "FormPosition.h"
#include "LevelList.h"
#include "NavIconKeys.h"
#include "NavIcons.h"
#include "NavKeys.h"
#include "NavMenus.h"
#include "NavQueries.h"
#include "NavTree.h"
#include "PagePane.h"
#include "RenameDelegate.h"
#include "Passwords.h"
#include "Prompt.h"
#include "SampleCabinets.h"
#include "Settings.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMap>
#include <QMenu>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>

using namespace NavKeys;

namespace {

// Twips, the unit the tree width is stored in, at 96 dpi.
constexpr int kTwipsPerPixel = 15;
constexpr int kDefaultTreeTwips = 3000;
constexpr int kMinimumPaneTwips = 1000;

int treeWidthTwips()
{
    bool ok = false;
    const double v = QLocale::c().toDouble(
        Settings::value(QStringLiteral("tvwMainWidth"), QString::number(kDefaultTreeTwips)).trimmed(), &ok);
    // A stored width that is not a number falls back to the default.
    return ok && v > 0 && v < 1e7 ? int(v) : kDefaultTreeTwips;
}

// The commands that are built, by action; every other command of the menus
// stays disabled until its window exists.
struct Command
{
    const char *action;
    void (frmNavTree::*handler)();
};

// The image of a cabinet read with its row: what GetCabinetIconKey gives,
// without a query per cabinet.
QString cabinetIconKey(const NavQueries::Row &cabinet)
{
    const bool open = !cabinet.locked || Passwords::UnlockedCabinets().contains(cabinet.id);
    return open ? NavIconKeys::Cabinet : NavIconKeys::Locked;
}

} // namespace

#define VLM_COMMAND(name) {#name, &frmNavTree::name##_Click}


frmNavTree::frmNavTree(QWidget *parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::frmNavTree>()), m_state(NavState::instance())
{
    m_ui->setupUi(this);
    setWindowIcon(NavIcons::appIcon());
    m_menus = std::make_unique<NavMenus>(m_ui->menuBar, this);
    m_ui->splitter->setStretchFactor(0, 0);
    m_ui->splitter->setStretchFactor(1, 1);
    m_ui->tvwMain->setMinimumWidth(kMinimumPaneTwips / kTwipsPerPixel);
    m_ui->stkRight->setMinimumWidth(kMinimumPaneTwips / kTwipsPerPixel);
    m_ui->stkRight->setCurrentWidget(m_ui->lvwMain);

    // Scanning and searching arrive with their windows.
    m_ui->cmdScanDoc->setEnabled(false);
    m_ui->cmdScanPic->setEnabled(false);
    m_ui->cmdFind->setEnabled(false);

    connect(m_ui->tvwMain, &NavTree::nodeClicked, this, &frmNavTree::handleNodeClicked);
    connect(m_ui->tvwMain, &NavTree::nodeExpanded, this, &frmNavTree::handleNodeExpanded);
    connect(m_ui->tvwMain, &NavTree::refreshRequested, this, &frmNavTree::mnuPopupRootRefresh_Click);
    connect(m_ui->splitter, &QSplitter::splitterMoved, this, &frmNavTree::saveTreeWidth);
    connect(m_ui->tvwMain, &NavTree::mouseReleased, this, &frmNavTree::handleTreeMouseReleased);
    connect(m_ui->lvwMain, &LevelList::mouseReleased, this, &frmNavTree::handleListMouseReleased);
    connect(m_ui->tvwMain, &NavTree::contextMenuRequested, this,
            [this](const QString &key, const QPoint &pos) { handleContextMenu(QStringLiteral("T"), key, pos); });
    connect(m_ui->lvwMain, &LevelList::contextMenuRequested, this,
            [this](const QString &key, const QPoint &pos) { handleContextMenu(QStringLiteral("L"), key, pos); });
    connect(m_ui->tvwMain, &NavTree::keyCommandRequested, this, &frmNavTree::handleTreeKeyCommand);
    connect(m_ui->lvwMain, &LevelList::keyCommandRequested, this, &frmNavTree::handleListKeyCommand);
    connect(m_ui->tvwMain, &NavTree::nodeDoubleClicked, this, &frmNavTree::handleTreeDoubleClicked);
    connect(m_ui->lvwMain, &LevelList::entryOpened, this, &frmNavTree::handleListEntryOpened);
    wireActions();

    // The window's own keys, wherever the focus is; Esc goes to a name
    // editor instead while one is open.
    m_escShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(m_escShortcut, &QShortcut::activated, this, &frmNavTree::mnuFileExit_Click);
    auto commit = [this](const QString &key, const QString &text) { return commitRename(key, text); };
    auto *treeDelegate = new RenameDelegate(NavTree::KeyRole, NavTree::NameRole, m_ui->tvwMain);
    auto *listDelegate = new RenameDelegate(LevelList::KeyRole, -1, m_ui->lvwMain);
    for (RenameDelegate *d : {treeDelegate, listDelegate}) {
        d->setCommitHandler(commit);
        connect(d, &RenameDelegate::editStarted, this, [this] { m_escShortcut->setEnabled(false); });
        connect(d, &RenameDelegate::editEnded, this, [this] { m_escShortcut->setEnabled(true); });
    }
    m_ui->tvwMain->setItemDelegate(treeDelegate);
    m_ui->lvwMain->setItemDelegate(listDelegate);
    m_ui->tvwMain->setRenameAllowed([this](const QString &key) { return treeRenameAllowed(key); });
    m_ui->lvwMain->setRenameAllowed([this](const QString &key) { return listRenameAllowed(key); });
    auto *f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(f3, &QShortcut::activated, m_ui->cmdFind, &QPushButton::click);

    NavigationSink::setInstance(this);
    Passwords::setUnlockHandler([this](int id, const QString &name) { handleCabinetUnlocked(id, name); });
}

frmNavTree::~frmNavTree()
{
    Passwords::setUnlockHandler(nullptr);
    if (&NavigationSink::instance() == this)
        NavigationSink::setInstance(nullptr);
}

NavTree *frmNavTree::tvwMain() const
{
    return m_ui->tvwMain;
}

LevelList *frmNavTree::lvwMain() const
{
    return m_ui->lvwMain;
}

PagePane *frmNavTree::pagePane() const
{
    return m_ui->pagePane;
}

void frmNavTree::wireActions()
{
    const Command commands[] = {
        VLM_COMMAND(mnuFileExit),
        VLM_COMMAND(mnuPopupRootRefresh),
        VLM_COMMAND(mnuPopupFoundClear),
        VLM_COMMAND(mnuToolsDrawerTemplates),
        VLM_COMMAND(mnuToolsCreateSampleCabinet),
        VLM_COMMAND(mnuHelpHelpTopics),
        VLM_COMMAND(mnuHelpAbout),
        VLM_COMMAND(mnuPopupCabinetNewCabinet),
        VLM_COMMAND(mnuPopupCabinetNewDrawer),
        VLM_COMMAND(mnuPopupCabinetRename),
        VLM_COMMAND(mnuPopupCabinetDelete),
        VLM_COMMAND(mnuPopupCabinetProperties),
        VLM_COMMAND(mnuPopupDrawerNewDrawer),
        VLM_COMMAND(mnuPopupDrawerNewFolder),
        VLM_COMMAND(mnuPopupDrawerRename),
        VLM_COMMAND(mnuPopupDrawerDelete),
        VLM_COMMAND(mnuPopupDrawerProperties),
        VLM_COMMAND(mnuPopupFolderNewFolder),
        VLM_COMMAND(mnuPopupFolderNewDocument),
        VLM_COMMAND(mnuPopupFolderRename),
        VLM_COMMAND(mnuPopupFolderDelete),
        VLM_COMMAND(mnuPopupFolderProperties),
    };
    QSet<QString> wired;
    for (const Command &c : commands) {
        connect(m_menus->action(QLatin1String(c.action)), &QAction::triggered, this, c.handler);
        wired.insert(QLatin1String(c.action));
    }
    // The root popup's New File Cabinet is the cabinet command.
    connect(m_menus->action(QStringLiteral("mnuPopupRootNewFileCabinet")), &QAction::triggered, this,
            &frmNavTree::mnuPopupCabinetNewCabinet_Click);
    wired.insert(QStringLiteral("mnuPopupRootNewFileCabinet"));
    for (QMenu *menu : findChildren<QMenu *>()) {
        for (QAction *a : menu->actions()) {
            if (!a->isSeparator() && !wired.contains(a->objectName()))
                a->setEnabled(false);
        }
    }
}

void frmNavTree::guarded(const std::function<void()> &work)
{
    try {
        work();
    } catch (const DbError &e) {
        Prompt::instance().error(e.message());
    }
}

void frmNavTree::Form_Load(const std::function<void(const QString &)> &splashStatus)
{
    auto status = [&splashStatus](const QString &text) {
        if (splashStatus)
            splashStatus(text);
    };
    m_state.position.reset();
    if (Settings::value(QStringLiteral("FirstShow"), QStringLiteral("Y")) == QLatin1String("Y"))
        setWindowState(Qt::WindowMaximized);
    else
        FormPosition::RestoreFormPosition(this, QStringLiteral("frmNavTree"));
    Settings::setValue(QStringLiteral("FirstShow"), QStringLiteral("N"));

    const int treePx = treeWidthTwips() / kTwipsPerPixel;
    m_ui->splitter->setSizes({treePx, qMax(width() - treePx, kMinimumPaneTwips / kTwipsPerPixel)});
    status(QStringLiteral("Loading main menu"));

    // A failure here leaves an empty tree and a usable window; the user is
    // told and can try Refresh.
    guarded([this] { BuildNavTree(); });
    status(QStringLiteral("Loading main menu"));
    m_ui->tvwMain->expandNode(Root);
    m_menus->hideTypeMenus();

    const QString lastKey = Settings::value(QStringLiteral("LastNavTreeNodeKey"));
    if (!lastKey.isEmpty()) {
        try {
            restoreLastNode(lastKey);
        } catch (const DbError &) {
            // Restoring is a convenience: a key that no longer fits is dropped.
        }
    }
    const QString selected = m_ui->tvwMain->selectedKey();
    if (!selected.isEmpty())
        m_state.position.setFromNode(selected, m_ui->tvwMain->textOf(selected),
                                     m_ui->tvwMain->parentKeyOf(selected));
    status(QStringLiteral("Loading main menu"));
}

void frmNavTree::restoreLastNode(const QString &key)
{
    const QString prefix = prefixOf(key);
    const int id = idOf(key);
    int cabinet = 0;
    int drawer = 0;
    int folder = 0;
    if (prefix == Cabinet) {
        m_menus->showMenuOnBar(QStringLiteral("mnuPopupCabinet"));
        cabinet = id;
    } else if (prefix == Drawer) {
        m_menus->showMenuOnBar(QStringLiteral("mnuPopupDrawer"));
        drawer = id;
        cabinet = Common::GetCabinetIdOfDrawer(drawer);
    } else if (prefix == Folder) {
        m_menus->showMenuOnBar(QStringLiteral("mnuPopupFolder"));
        folder = id;
        drawer = Common::GetDrawerIdOfFolder(folder);
        cabinet = Common::GetCabinetIdOfDrawer(drawer);
    } else if (prefix == Document) {
        m_menus->showMenuOnBar(QStringLiteral("mnuPopupDocument"));
        folder = Common::GetFolderIdOfDocument(id);
        drawer = Common::GetDrawerIdOfFolder(folder);
        cabinet = Common::GetCabinetIdOfDrawer(drawer);
    } else {
        return;
    }
    // Never prompts: a locked cabinet is left closed.
    if (cabinet == 0 || !Passwords::IsCabinetOpen(cabinet))
        return;
    const QString chain[] = {NavNodeKey(Cabinet, cabinet), drawer ? NavNodeKey(Drawer, drawer) : QString(),
                             folder ? NavNodeKey(Folder, folder) : QString(),
                             prefix == Document ? key : QString()};
    for (const QString &k : chain) {
        if (k.isEmpty() || !m_ui->tvwMain->contains(k))
            break;
        openNode(k);
    }
    if (m_ui->tvwMain->selectedKey() == key)
        listContentsOf(key);
}

void frmNavTree::openNode(const QString &key)
{
    const QString prefix = prefixOf(key);
    if (prefix == Cabinet) {
        LoadDrawersOfCabinet(key);
        LoadFoldersOfCabinet(key);
    } else if (prefix == Drawer) {
        LoadDocumentsOfDrawer(key);
    }
    m_ui->tvwMain->selectNode(key);
    m_ui->tvwMain->expandNode(key);
}

void frmNavTree::listContentsOf(const QString &key)
{
    const QString prefix = prefixOf(key);
    if (prefix == Cabinet)
        ShowDrawersInListView(idOf(key));
    else if (prefix == Drawer)
        ShowFoldersInListView(key);
    else if (prefix == Folder)
        ShowDocumentsInListView(key);
    else if (prefix == Document || prefix == FoundDocument)
        ShowPagesInListView(idOf(key));
}

QString frmNavTree::GetCabinetIconKey(int cabinetId)
{
    return Passwords::IsCabinetOpen(cabinetId) ? NavIconKeys::Cabinet : NavIconKeys::Locked;
}

void frmNavTree::BuildNavTree()
{
    NavTree *tree = m_ui->tvwMain;
    m_ui->lvwMain->clear();
    tree->clearAll();
    tree->addNode(QString(), Root, QStringLiteral("File Cabinets"), NavIconKeys::Root);
    const QVector<NavQueries::Row> cabinets = NavQueries::cabinets();
    if (cabinets.isEmpty()) {
        SampleCabinets::CreateSampleCabinet(QStringLiteral("Generic File Cabinet"));
        return;
    }
    for (const NavQueries::Row &c : cabinets) {
        const QString key = NavNodeKey(Cabinet, c.id);
        const QString icon = cabinetIconKey(c);
        tree->addNode(Root, key, c.name, icon);
        m_ui->lvwMain->addEntry(key, c.name, icon);
        // A cabinet with a password shows its drawers only once it is opened.
        if (!c.locked)
            LoadDrawersOfCabinet(key);
    }
}

void frmNavTree::LoadDrawersOfCabinet(const QString &cabinetKey)
{
    QVector<NavTree::NewNode> nodes;
    for (const NavQueries::Row &d : NavQueries::drawersOfCabinet(idOf(cabinetKey)))
        nodes.append({NavNodeKey(Drawer, d.id), d.name, d.name});
    m_ui->tvwMain->addNodes(cabinetKey, nodes, NavIconKeys::Drawer);
}

void frmNavTree::LoadFoldersOfCabinet(const QString &cabinetKey)
{
    QMap<int, QVector<NavTree::NewNode>> byDrawer;
    for (const NavQueries::Row &f : NavQueries::foldersOfCabinet(idOf(cabinetKey)))
        byDrawer[f.parentId].append({NavNodeKey(Folder, f.id), f.name, f.name});
    for (auto it = byDrawer.cbegin(); it != byDrawer.cend(); ++it)
        m_ui->tvwMain->addNodes(NavNodeKey(Drawer, it.key()), it.value(), NavIconKeys::Folder);
}

void frmNavTree::LoadDocumentsOfDrawer(const QString &drawerKey)
{
    QMap<int, QVector<NavTree::NewNode>> byFolder;
    for (const NavQueries::Row &d : NavQueries::documentsOfDrawer(idOf(drawerKey)))
        byFolder[d.parentId].append({NavNodeKey(Document, d.id), NavQueries::DocumentNodeText(d.name, d.date), d.name});
    for (auto it = byFolder.cbegin(); it != byFolder.cend(); ++it)
        m_ui->tvwMain->addNodes(NavNodeKey(Folder, it.key()), it.value(), NavIconKeys::Document);
}

void frmNavTree::showLevelList()
{
    m_ui->stkRight->setCurrentWidget(m_ui->lvwMain);
    m_ui->lvwMain->clear();
}

void frmNavTree::ShowCabinetsInListView()
{
    showLevelList();
    for (const NavQueries::Row &c : NavQueries::cabinets())
        m_ui->lvwMain->addEntry(NavNodeKey(Cabinet, c.id), c.name,
                                cabinetIconKey(c));
    m_shownKey = Root;
}

void frmNavTree::ShowDrawersInListView(int cabinetId)
{
    showLevelList();
    for (const NavQueries::Row &d : NavQueries::drawersOfCabinet(cabinetId))
        m_ui->lvwMain->addEntry(NavNodeKey(Drawer, d.id), d.name, NavIconKeys::Drawer);
    m_shownKey = NavNodeKey(Cabinet, cabinetId);
}

void frmNavTree::ShowFoldersInListView(const QString &drawerKey)
{
    showLevelList();
    for (const NavQueries::Row &f : NavQueries::foldersOfDrawer(idOf(drawerKey)))
        m_ui->lvwMain->addEntry(NavNodeKey(Folder, f.id), f.name, NavIconKeys::Folder);
    m_shownKey = drawerKey;
}

void frmNavTree::ShowDocumentsInListView(const QString &folderKey)
{
    showLevelList();
    // Documents are listed by name alone; their tree nodes carry the date.
    for (const NavQueries::Row &d : NavQueries::documentsOfFolder(idOf(folderKey)))
        m_ui->lvwMain->addEntry(NavNodeKey(Document, d.id), d.name, NavIconKeys::Document);
    m_shownKey = folderKey;
}

void frmNavTree::ShowFoundItemsInListView()
{
    showLevelList();
    for (const QString &key : m_ui->tvwMain->childKeys(RootFound))
        m_ui->lvwMain->addEntry(key, m_ui->tvwMain->textOf(key), NavIconKeys::Document);
    m_shownKey = RootFound;
}

void frmNavTree::ShowPagesInListView(int documentId)
{
    // The page pane takes the right-hand side; the level list keeps nothing.
    m_ui->stkRight->setCurrentWidget(m_ui->pagePane);
    m_ui->pagePane->setDocumentId(documentId);
    m_ui->pagePane->lvwThumb()->clear();
    m_ui->pagePane->lblStatus()->clear();
    m_shownKey = NavNodeKey(Document, documentId);
}

void frmNavTree::handleNodeClicked(const QString &key)
{
    ShowNodeContents(key);
}

void frmNavTree::handleNodeExpanded(const QString &key)
{
    guarded([this, &key] {
        if (prefixOf(key) == Cabinet)
            LoadFoldersOfCabinet(key);
        else if (prefixOf(key) == Drawer)
            LoadDocumentsOfDrawer(key);
    });
}

void frmNavTree::ShowNodeContents(const QString &key)
{
    if (m_nodeShowActive)
        return;
    bool freshlyUnlocked = false;
    try {
        if (prefixOf(key) == Cabinet && !Passwords::IsCabinetOpen(idOf(key))) {
            if (!Passwords::UnlockCabinet(idOf(key)))
                return;
            freshlyUnlocked = true;
        }
    } catch (const DbError &e) {
        Prompt::instance().error(e.message());
        return;
    }
    // A node whose contents are on show is not listed again; right after an
    // unlock the cabinet's drawers are not on show yet, whatever was before.
    if (!freshlyUnlocked && key == m_shownKey)
        return;
    m_nodeShowActive = true;
    m_menus->hideTypeMenus();
    m_state.position.reset();
    NavTree *tree = m_ui->tvwMain;
    const QString prefix = prefixOf(key);
    const int id = idOf(key);
    const QString text = tree->textOf(key);
    const QString parentKey = tree->parentKeyOf(key);
    guarded([&] {
        if (key == RootFound) {
            ShowFoundItemsInListView();
        } else if (key == Root) {
            m_menus->showMenuOnBar(QStringLiteral("mnuPopupRoot"));
            ShowCabinetsInListView();
        } else if (prefix == Cabinet) {
            if (!Passwords::UnlockCabinet(id))
                return;
            m_menus->showMenuOnBar(QStringLiteral("mnuPopupCabinet"));
            m_state.position.setFromNode(key, text, parentKey);
            LoadDrawersOfCabinet(key);
            LoadFoldersOfCabinet(key);
            ShowDrawersInListView(id);
        } else if (prefix == Drawer) {
            m_menus->showMenuOnBar(QStringLiteral("mnuPopupDrawer"));
            m_state.position.setFromNode(key, text, parentKey);
            LoadDocumentsOfDrawer(key);
            ShowFoldersInListView(key);
        } else if (prefix == Folder) {
            m_menus->showMenuOnBar(QStringLiteral("mnuPopupFolder"));
            m_state.position.setFromNode(key, text, parentKey);
            ShowDocumentsInListView(key);
        } else if (prefix == Document) {
            m_menus->showMenuOnBar(QStringLiteral("mnuPopupDocument"));
            m_state.position.setFromNode(key, text, parentKey);
            ShowPagesInListView(id);
        } else if (prefix == FoundDocument) {
            ShowPagesInListView(id);
            m_shownKey = key;
        }
    });
    m_nodeShowActive = false;
}

void frmNavTree::RefreshNavTree()
{
    try {
        m_ui->stkRight->setCurrentWidget(m_ui->lvwMain);
        BuildNavTree();
        m_ui->tvwMain->expandNode(Root);
    } catch (const DbError &) {
        // A refresh that fails stops where it is; the tree shows what it got.
    }
    // The list now shows the cabinets, not what was last clicked: the next
    // click on any node lists it again.
    m_shownKey.clear();
}

void frmNavTree::handleCabinetUnlocked(int cabinetId, const QString &name)
{
    // The node is updated in place (never deleted inside the click that is
    // being handled): open image, no stale children, selected and expanded.
    NavTree *tree = m_ui->tvwMain;
    const QString key = NavNodeKey(Cabinet, cabinetId);
    if (!tree->contains(key))
        tree->addNode(Root, key, name, NavIconKeys::Cabinet);
    tree->setNodeText(key, name, name);
    tree->setNodeIcon(key, NavIconKeys::Cabinet);
    tree->removeChildren(key);
    tree->selectNode(key);
    tree->expandNode(key);
    if (QListWidgetItem *item = m_ui->lvwMain->entry(key)) {
        item->setIcon(NavIcons::icon(NavIconKeys::Cabinet));
        item->setData(LevelList::IconKeyRole, NavIconKeys::Cabinet);
    }
}

void frmNavTree::AddCabinetToNavTree(int cabinetId, const QString &name)
{
    const QString key = NavNodeKey(Cabinet, cabinetId);
    NavTree *tree = m_ui->tvwMain;
    if (!tree->addNode(Root, key, name, GetCabinetIconKey(cabinetId)))
        tree->setNodeText(key, name, name);
    tree->selectNode(key);
    ShowDrawersInListView(cabinetId);
}

void frmNavTree::AddDrawerToNavTree(int cabinetId, int drawerId, const QString &name)
{
    const QString key = NavNodeKey(Drawer, drawerId);
    NavTree *tree = m_ui->tvwMain;
    if (!tree->addNode(NavNodeKey(Cabinet, cabinetId), key, name, NavIconKeys::Drawer))
        tree->setNodeText(key, name, name);
    tree->selectNode(key);
}

void frmNavTree::AddFolderToNavTree(int drawerId, int folderId, const QString &name)
{
    const QString key = NavNodeKey(Folder, folderId);
    NavTree *tree = m_ui->tvwMain;
    if (!tree->addNode(NavNodeKey(Drawer, drawerId), key, name, NavIconKeys::Folder))
        tree->setNodeText(key, name, name);
    tree->selectNode(key);
}

void frmNavTree::AddDocumentToNavTree(int folderId, int documentId, const QString &name,
                                      const QDate &dateOnDocument)
{
    const QString key = NavNodeKey(Document, documentId);
    const QString text = NavQueries::DocumentNodeText(name, dateOnDocument);
    NavTree *tree = m_ui->tvwMain;
    if (!tree->addNode(NavNodeKey(Folder, folderId), key, text, NavIconKeys::Document, name))
        tree->setNodeText(key, text, name);
    tree->selectNode(key);
}

void frmNavTree::UpdateCabinetName(int cabinetId, const QString &name)
{
    m_ui->tvwMain->setNodeText(NavNodeKey(Cabinet, cabinetId), name, name);
    m_ui->tvwMain->setNodeText(NavNodeKey(FoundCabinet, cabinetId), name, name);
    m_ui->lvwMain->setEntryText(NavNodeKey(Cabinet, cabinetId), name);
}

void frmNavTree::UpdateDrawerName(int drawerId, const QString &name)
{
    m_ui->tvwMain->setNodeText(NavNodeKey(Drawer, drawerId), name, name);
    m_ui->tvwMain->setNodeText(NavNodeKey(FoundDrawer, drawerId), name, name);
    m_ui->lvwMain->setEntryText(NavNodeKey(Drawer, drawerId), name);
}

void frmNavTree::UpdateFolderName(int folderId, const QString &name)
{
    m_ui->tvwMain->setNodeText(NavNodeKey(Folder, folderId), name, name);
    m_ui->tvwMain->setNodeText(NavNodeKey(FoundFolder, folderId), name, name);
    m_ui->lvwMain->setEntryText(NavNodeKey(Folder, folderId), name);
}

void frmNavTree::UpdateDocumentName(int documentId, const QString &name, const QDate &dateOnDocument)
{
    const QString text = NavQueries::DocumentNodeText(name, dateOnDocument);
    m_ui->tvwMain->setNodeText(NavNodeKey(Document, documentId), text, name);
    m_ui->tvwMain->setNodeText(NavNodeKey(FoundDocument, documentId), text, name);
    m_ui->lvwMain->setEntryText(NavNodeKey(Document, documentId), text);
}

void frmNavTree::saveTreeWidth()
{
    const QList<int> sizes = m_ui->splitter->sizes();
    if (!sizes.isEmpty())
        Settings::setValue(QStringLiteral("tvwMainWidth"), QString::number(sizes.first() * kTwipsPerPixel));
}

void frmNavTree::savePlacementAndKey()
{
    FormPosition::SaveFormPosition(this, QStringLiteral("frmNavTree"));
    saveTreeWidth();
    const QString key = m_ui->tvwMain->selectedKey();
    if (!key.isEmpty())
        Settings::setValue(QStringLiteral("LastNavTreeNodeKey"), key);
    Settings::sync();
}

void frmNavTree::closeEvent(QCloseEvent *event)
{
    if (!m_exiting) {
        savePlacementAndKey();
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w != this && w->isVisible())
                w->close();
        }
        DbConnection::close();
    }
    event->accept();
}

void frmNavTree::mnuFileExit_Click()
{
    if (!Prompt::instance().question(QStringLiteral("Exit the Vellumark?")))
        return;
    savePlacementAndKey();
    DbConnection::close();
    m_exiting = true;
    QCoreApplication::exit(0);
}

void frmNavTree::mnuPopupRootRefresh_Click()
{
    RefreshNavTree();
}

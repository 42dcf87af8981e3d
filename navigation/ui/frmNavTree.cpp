#include "frmNavTree.h"
#include "ui_frmNavTree.h"

#include "DbConnection.h"
#include "FormPosition.h"
#include "Guard.h"
#include "LevelList.h"
#include "MainMenuCommands.h"
#include "NavCommandRouter.h"
#include "NavDragController.h"
#include "NavDropEngine.h"
#include "NavIconKeys.h"
#include "NavIcons.h"
#include "NavKeys.h"
#include "NavLoader.h"
#include "NavMenus.h"
#include "NavQueries.h"
#include "NavRules.h"
#include "NavTree.h"
#include "PagePane.h"
#include "Passwords.h"
#include "Prompt.h"
#include "RecordId.h"
#include "SampleCabinets.h"
#include "Scanning.h"
#include "Settings.h"
#include "CabinetImport.h"
#include "FileImport.h"
#include "frmDocument.h"
#include "frmFind.h"
#include "frmViewSettings.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLocale>
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

} // namespace

frmNavTree::frmNavTree(QWidget *parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::frmNavTree>()), m_state(NavState::instance())
{
    m_ui->setupUi(this);
    setWindowIcon(NavIcons::appIcon());
    m_menus = std::make_unique<NavMenus>(*m_ui);
    m_loader = std::make_unique<NavLoader>(m_ui->tvwMain, m_ui->lvwMain);
    m_router = new NavCommandRouter(*m_ui, this);
    m_mainCommands = std::make_unique<MainMenuCommands>(this);
    m_ui->splitter->setStretchFactor(0, 0);
    m_ui->splitter->setStretchFactor(1, 1);
    m_ui->tvwMain->setMinimumWidth(kMinimumPaneTwips / kTwipsPerPixel);
    m_ui->stkRight->setMinimumWidth(kMinimumPaneTwips / kTwipsPerPixel);
    m_ui->stkRight->setCurrentWidget(m_ui->lvwMain);

    wireViews();
    wireActions();
    NavigationSink::setInstance(this);
    Passwords::setUnlockHandler([this](RecordId id, const QString &name) { guard([&] { m_loader->cabinetUnlocked(id, name); }); });
}

frmNavTree::~frmNavTree()
{
    Passwords::setUnlockHandler(nullptr);
    FileImport::setDocumentAdded({});
    CabinetImport::setRecordAdded({});
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

QString frmNavTree::popupSource() const
{
    return m_router->popupSource();
}

QMenu *frmNavTree::preparePopup(const QString &source, const QString &key)
{
    return m_router->preparePopup(source, key);
}

void frmNavTree::runPopupCommand(const QString &source, const QString &key, QAction *action)
{
    m_router->runPopupCommand(source, key, action);
}

void frmNavTree::wireViews()
{
    NavTree *tree = m_ui->tvwMain;
    connect(tree, &NavTree::nodeClicked, this, &frmNavTree::ShowNodeContents);
    connect(tree, &NavTree::nodeExpanded, this, [this](const QString &key) { guard([&] { m_loader->loadAhead(key); }); });
    connect(tree, &NavTree::nodeDoubleClicked, this, &frmNavTree::handleTreeDoubleClicked);
    connect(m_ui->lvwMain, &LevelList::entryOpened, this, &frmNavTree::handleListEntryOpened);
    connect(m_ui->splitter, &QSplitter::splitterMoved, this, &frmNavTree::saveTreeWidth);
    m_router->connectViews();
    // A left click that shows nothing new (the node on show again, an
    // expand mark) leaves the bar's commands on the node on show.
    connect(tree, &NavTree::mouseReleased, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            positionAtShownNode();
    });
    NavDropEngine *drops = (new NavDragController(*m_ui, this))->engine();
    connect(drops, &NavDropEngine::contentsChanged, this, &frmNavTree::relistIfShown);
    // Files dropped on a document node: its pages come on show.
    connect(drops, &NavDropEngine::documentFilled, this, [this](const QString &key) {
        m_ui->tvwMain->selectNode(key);
        ShowNodeContents(key);
    });
    connect(m_ui->pagePane, &PagePane::pageOpened, this, [this](RecordId pageId) { m_router->pageCommands().openPage(pageId); });
    connect(m_ui->pagePane, &PagePane::keyCommandRequested, m_router, &NavCommandRouter::handlePageKey);
    connect(m_ui->pagePane, &PagePane::contextMenuRequested, m_router, &NavCommandRouter::handlePageContextMenu);
    connect(m_router, &NavCommandRouter::refreshRequested, this, &frmNavTree::RefreshNavTree);
    connect(m_router, &NavCommandRouter::recordDeleted, this, &frmNavTree::handleRecordDeleted);
    connect(m_router, &NavCommandRouter::recordContentsChanged, this, &frmNavTree::relistIfShown);
    connect(m_router, &NavCommandRouter::shownContentsStale, this, &frmNavTree::relistShown);
    // A folder import adds a document per file, without taking the selection.
    FileImport::setDocumentAdded([tree = m_ui->tvwMain](RecordId folderId, RecordId documentId, const QString &name) {
        tree->addDocumentNode(folderId, documentId, name);
    });
    // So does a cabinet import for each drawer, folder and document it makes.
    CabinetImport::setRecordAdded([tree = m_ui->tvwMain](Records::Table table, RecordId parentId, RecordId id,
                                                         const QString &name, const QDate &date) {
        if (table == Records::Table::Drawer)
            tree->addNode(NavNodeKey(Cabinet, parentId), NavNodeKey(Drawer, id), name, NavIconKeys::Drawer);
        else if (table == Records::Table::Folder)
            tree->addNode(NavNodeKey(Drawer, parentId), NavNodeKey(Folder, id), name, NavIconKeys::Folder);
        else if (table == Records::Table::Document)
            tree->addNode(NavNodeKey(Folder, parentId), NavNodeKey(Document, id),
                          NavQueries::DocumentNodeText(name, date), NavIconKeys::Document, name);
    });

    // The window's own keys, wherever the focus is; Esc goes to a name
    // editor instead while one is open.
    m_escShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(m_escShortcut, &QShortcut::activated, this, &frmNavTree::mnuFileExit_Click);
    connect(m_router, &NavCommandRouter::renameEditingChanged, m_escShortcut,
            [this](bool editing) { m_escShortcut->setEnabled(!editing); });
    auto *f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(f3, &QShortcut::activated, m_ui->cmdFind, &QPushButton::click);
}

void frmNavTree::wireActions()
{
    QSet<QAction *> built = m_router->connectCommands();
    const std::pair<QAction *, void (frmNavTree::*)()> own[] = {
        {m_ui->mnuFileExit, &frmNavTree::mnuFileExit_Click},
        {m_ui->mnuPopupRootRefresh, &frmNavTree::mnuPopupRootRefresh_Click},
        {m_ui->mnuPopupFoundClear, &frmNavTree::mnuPopupFoundClear_Click},
        {m_ui->mnuFileFind, &frmNavTree::cmdFind_Click},
        {m_ui->mnuViewSettings, &frmNavTree::mnuViewSettings_Click},
    };
    connect(m_ui->cmdFind, &QPushButton::clicked, this, &frmNavTree::cmdFind_Click);
    // Scan Page and Scan Picture scan into the tree's selection; the File
    // menu's items are the buttons.
    const std::pair<QPushButton *, QAction *> scans[] = {{m_ui->cmdScanDoc, m_ui->mnuFileScanPage},
                                                         {m_ui->cmdScanPic, m_ui->mnuFileScanPicture}};
    for (const auto &[button, action] : scans) {
        const QString type = button == m_ui->cmdScanDoc ? QStringLiteral("document") : QStringLiteral("picture");
        connect(button, &QPushButton::clicked, this,
                [this, type] { Scanning::ScanSelected(this, type, m_ui->tvwMain->selectedKey()); });
        connect(action, &QAction::triggered, button, &QPushButton::click);
        built.insert(action);
    }
    for (const auto &c : own) {
        connect(c.first, &QAction::triggered, this, c.second);
        built.insert(c.first);
    }
    MainMenuCommands *main = m_mainCommands.get();
    const std::pair<QAction *, void (MainMenuCommands::*)()> tools[] = {
        {m_ui->mnuScanSettings, &MainMenuCommands::mnuScanSettings_Click},
        {m_ui->mnuPrintSettings, &MainMenuCommands::mnuPrintSettings_Click},
        {m_ui->mnuEmailSettings, &MainMenuCommands::mnuEmailSettings_Click},
        {m_ui->mnuToolsImportFiles, &MainMenuCommands::mnuToolsImportFiles_Click},
        {m_ui->mnuToolsExportCabinet, &MainMenuCommands::mnuToolsExportCabinet_Click},
        {m_ui->mnuToolsDrawerTemplates, &MainMenuCommands::mnuToolsDrawerTemplates_Click},
        {m_ui->mnuToolsCreateSampleCabinet, &MainMenuCommands::mnuToolsCreateSampleCabinet_Click},
        {m_ui->mnuHelpHelpTopics, &MainMenuCommands::mnuHelpHelpTopics_Click},
        {m_ui->mnuHelpAbout, &MainMenuCommands::mnuHelpAbout_Click},
    };
    for (const auto &c : tools) {
        connect(c.first, &QAction::triggered, this, [main, f = c.second] { (main->*f)(); });
        built.insert(c.first);
    }
    // An import may have added to whatever is on show.
    connect(m_ui->mnuToolsImportFiles, &QAction::triggered, this, &frmNavTree::relistShown);
    m_menus->disableAllBut(built);
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

    // Before the build: a first run's sample cabinet comes on show with its
    // menu.
    m_menus->showOnBar(NavRules::TypeMenu::None);
    // A failure here leaves an empty tree and a usable window; the user is
    // told and can try Refresh.
    guard([this] {
        if (NavRules::needsSampleCabinet(m_loader->BuildNavTree()))
            SampleCabinets::CreateSampleCabinet(NavRules::sampleCabinetName());
    });
    status(QStringLiteral("Loading main menu"));
    m_ui->tvwMain->expandNode(Root);

    const QString lastKey = Settings::value(QStringLiteral("LastNavTreeNodeKey"));
    if (!lastKey.isEmpty()) {
        try {
            restoreLastNode(lastKey);
        } catch (const DbError &) {
            // Restoring is a convenience and is skipped without a word by
            // design: a key that no longer fits is dropped.
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
    const NavRules::RestorePlan plan = NavRules::restorePlan(key);
    m_menus->showOnBar(plan.menu);
    // Never prompts: a locked cabinet is left closed.
    if (plan.chain.isEmpty() || plan.cabinetId == 0 || !Passwords::IsCabinetOpen(plan.cabinetId))
        return;
    for (const QString &k : plan.chain) {
        if (!m_ui->tvwMain->contains(k))
            break;
        m_loader->openNode(k);
    }
    if (m_ui->tvwMain->selectedKey() == key)
        listContentsOf(key);
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
    else if (prefix == Document)
        ShowPagesInListView(idOf(key));
    else if (prefix == FoundDocument) {
        // A found document lists only the pages the search matched.
        m_ui->stkRight->setCurrentWidget(m_ui->pagePane);
        m_ui->pagePane->ShowPagePane(idOf(key), true);
        setShownKey(key);
    }
}

void frmNavTree::showLevelList()
{
    // The pane forgets its document: nothing may act on it unseen.
    m_ui->pagePane->clear();
    m_ui->stkRight->setCurrentWidget(m_ui->lvwMain);
}

void frmNavTree::ShowCabinetsInListView()
{
    showLevelList();
    m_loader->listCabinets();
    setShownKey(Root);
}

void frmNavTree::ShowDrawersInListView(RecordId cabinetId)
{
    showLevelList();
    m_loader->listDrawers(cabinetId);
    setShownKey(NavNodeKey(Cabinet, cabinetId));
}

void frmNavTree::ShowFoldersInListView(const QString &drawerKey)
{
    showLevelList();
    m_loader->listFolders(idOf(drawerKey));
    setShownKey(drawerKey);
}

void frmNavTree::ShowDocumentsInListView(const QString &folderKey)
{
    showLevelList();
    m_loader->listDocuments(idOf(folderKey));
    setShownKey(folderKey);
}

void frmNavTree::ShowFoundItemsInListView()
{
    showLevelList();
    m_loader->listFound();
    setShownKey(RootFound);
}

void frmNavTree::ShowPagesInListView(RecordId documentId)
{
    // The page pane takes the right-hand side; the level list keeps nothing.
    m_ui->stkRight->setCurrentWidget(m_ui->pagePane);
    m_ui->pagePane->ShowPagePane(documentId, false);
    setShownKey(NavNodeKey(Document, documentId));
}

void frmNavTree::SelectPageInListView(RecordId pageId)
{
    m_ui->pagePane->selectPage(pageId);
}

void frmNavTree::setShownKey(const QString &key)
{
    m_shownKey = key;
    m_menus->showOnBar(NavRules::typeMenuOf(key));
    positionAtShownNode();
}

void frmNavTree::positionAtShownNode()
{
    NavTree *tree = m_ui->tvwMain;
    if (m_shownKey.isEmpty() || !tree->contains(m_shownKey)) {
        m_state.position.reset();
        return;
    }
    m_state.position.setFromNode(m_shownKey, tree->textOf(m_shownKey), tree->parentKeyOf(m_shownKey));
}

void frmNavTree::handleTreeDoubleClicked(const QString &key)
{
    if (prefixOf(key) != Document || m_nodeShowActive)
        return;
    guard([this, &key] { frmDocument::editDocument(this, idOf(key)); });
    m_ui->tvwMain->setFocus();
}

void frmNavTree::handleListEntryOpened(const QString &key)
{
    const QString prefix = prefixOf(key);
    guard([&] {
        if (prefix == Cabinet && !Passwords::UnlockCabinet(idOf(key)))
            return;
        if (prefix == Cabinet || prefix == Drawer || prefix == Folder || prefix == Document
            || prefix == FoundDocument) {
            m_loader->openNode(key);
            listContentsOf(key);
        }
    });
}

void frmNavTree::handleRecordDeleted(const QString &key, const QString &parentKey)
{
    // No command may go on working on the deleted record: the position and
    // the bar's menu follow the node on show again.
    m_state.position.reset();
    if (prefixOf(key) == Document && key == m_shownKey && m_ui->tvwMain->contains(parentKey)) {
        // The document on show is gone: its folder takes the selection and
        // shows what is left in it.
        m_shownKey.clear();
        m_ui->tvwMain->selectNode(parentKey);
        ShowNodeContents(parentKey);
        return;
    }
    if (m_shownKey.isEmpty() || !m_ui->tvwMain->contains(m_shownKey)) {
        // The node on show was deleted, or lay below the deleted record.
        m_shownKey.clear();
        showLevelList();
        m_ui->lvwMain->clear();
        m_ui->tvwMain->setCurrentItem(nullptr);
        m_ui->tvwMain->clearSelection();
        m_menus->showOnBar(NavRules::TypeMenu::None);
        return;
    }
    relistIfShown(m_shownKey);
    returnToShownNode();
}

void frmNavTree::relistIfShown(const QString &key)
{
    if (key.isEmpty() || key != m_shownKey)
        return;
    guard([&] {
        if (key == Root)
            ShowCabinetsInListView();
        else if (key == RootFound)
            ShowFoundItemsInListView();
        else if (prefixOf(key) == Cabinet || prefixOf(key) == Drawer || prefixOf(key) == Folder)
            listContentsOf(key);
    });
}

void frmNavTree::relistShown()
{
    const QString prefix = prefixOf(m_shownKey);
    if (prefix == Document || prefix == FoundDocument)
        guard([this] { m_ui->pagePane->reload(); });
    else
        relistIfShown(m_shownKey);
}

void frmNavTree::returnToShownNode()
{
    NavTree *tree = m_ui->tvwMain;
    if (m_shownKey.isEmpty() || !tree->contains(m_shownKey)) {
        tree->setCurrentItem(nullptr);
        tree->clearSelection();
        return;
    }
    tree->selectNode(m_shownKey);
    m_state.position.setFromNode(m_shownKey, tree->textOf(m_shownKey), tree->parentKeyOf(m_shownKey));
    m_menus->showOnBar(NavRules::typeMenuOf(m_shownKey));
}

void frmNavTree::ShowNodeContents(const QString &key)
{
    if (m_nodeShowActive)
        return;
    bool freshlyUnlocked = false;
    bool refused = false;
    const bool ok = guard([&] {
        if (prefixOf(key) == Cabinet && !Passwords::IsCabinetOpen(idOf(key))) {
            refused = !Passwords::UnlockCabinet(idOf(key));
            freshlyUnlocked = !refused;
        }
    });
    if (!ok || refused) {
        returnToShownNode();
        return;
    }
    // A node whose contents are on show is not listed again; right after an
    // unlock the cabinet's drawers are not on show yet, whatever was before.
    if (!freshlyUnlocked && key == m_shownKey)
        return;
    m_nodeShowActive = true;
    m_menus->showOnBar(NavRules::TypeMenu::None);
    m_state.position.reset();
    NavTree *tree = m_ui->tvwMain;
    const QString prefix = prefixOf(key);
    const RecordId id = idOf(key);
    const QString text = tree->textOf(key);
    const QString parentKey = tree->parentKeyOf(key);
    guard([&] {
        if (key == RootFound) {
            ShowFoundItemsInListView();
        } else if (key == Root) {
            m_menus->showOnBar(NavRules::TypeMenu::Root);
            ShowCabinetsInListView();
        } else if (prefix == Cabinet) {
            if (!Passwords::UnlockCabinet(id))
                return;
            m_menus->showOnBar(NavRules::TypeMenu::Cabinet);
            m_state.position.setFromNode(key, text, parentKey);
            m_loader->LoadDrawersOfCabinet(key);
            m_loader->LoadFoldersOfCabinet(key);
            ShowDrawersInListView(id);
        } else if (prefix == Drawer) {
            m_menus->showOnBar(NavRules::TypeMenu::Drawer);
            m_state.position.setFromNode(key, text, parentKey);
            m_loader->LoadDocumentsOfDrawer(key);
            ShowFoldersInListView(key);
        } else if (prefix == Folder) {
            m_menus->showOnBar(NavRules::TypeMenu::Folder);
            m_state.position.setFromNode(key, text, parentKey);
            ShowDocumentsInListView(key);
        } else if (prefix == Document) {
            m_menus->showOnBar(NavRules::TypeMenu::Document);
            m_state.position.setFromNode(key, text, parentKey);
            ShowPagesInListView(id);
        } else {
            listContentsOf(key);  // a found document's matched pages
        }
    });
    m_nodeShowActive = false;
}

void frmNavTree::RefreshNavTree()
{
    // A refresh that fails stops where it is, says why, and the tree shows
    // what it got.
    guard([this] {
        m_ui->stkRight->setCurrentWidget(m_ui->lvwMain);
        if (NavRules::needsSampleCabinet(m_loader->BuildNavTree()))
            SampleCabinets::CreateSampleCabinet(NavRules::sampleCabinetName());
        m_ui->tvwMain->expandNode(Root);
    });
    // The list now shows the cabinets, not what was last clicked: the next
    // click on any node lists it again, and no node's menu is left.
    m_shownKey.clear();
    m_state.position.reset();
    m_menus->showOnBar(NavRules::TypeMenu::None);
}

void frmNavTree::AddCabinetToNavTree(RecordId cabinetId, const QString &name)
{
    const QString key = NavNodeKey(Cabinet, cabinetId);
    NavTree *tree = m_ui->tvwMain;
    if (!tree->addNode(Root, key, name, NavLoader::GetCabinetIconKey(cabinetId)))
        tree->setNodeText(key, name, name);
    tree->selectNode(key);
    // The new cabinet is on show, as after a click on it.
    guard([&] { ShowDrawersInListView(cabinetId); });
    m_state.position.setFromNode(key, name, Root);
    m_menus->showOnBar(NavRules::TypeMenu::Cabinet);
}

void frmNavTree::AddDrawerToNavTree(RecordId cabinetId, RecordId drawerId, const QString &name)
{
    const QString key = NavNodeKey(Drawer, drawerId);
    NavTree *tree = m_ui->tvwMain;
    if (!tree->addNode(NavNodeKey(Cabinet, cabinetId), key, name, NavIconKeys::Drawer))
        tree->setNodeText(key, name, name);
    tree->selectNode(key);
    relistIfShown(NavNodeKey(Cabinet, cabinetId));
}

void frmNavTree::AddFolderToNavTree(RecordId drawerId, RecordId folderId, const QString &name)
{
    const QString key = NavNodeKey(Folder, folderId);
    NavTree *tree = m_ui->tvwMain;
    if (!tree->addNode(NavNodeKey(Drawer, drawerId), key, name, NavIconKeys::Folder))
        tree->setNodeText(key, name, name);
    tree->selectNode(key);
    relistIfShown(NavNodeKey(Drawer, drawerId));
}

void frmNavTree::AddDocumentToNavTree(RecordId folderId, RecordId documentId, const QString &name,
                                      const QDate &dateOnDocument)
{
    const QString key = NavNodeKey(Document, documentId);
    const QString text = NavQueries::DocumentNodeText(name, dateOnDocument);
    NavTree *tree = m_ui->tvwMain;
    if (!tree->addNode(NavNodeKey(Folder, folderId), key, text, NavIconKeys::Document, name))
        tree->setNodeText(key, text, name);
    tree->selectNode(key);
    // The pane shows no document but the one the tree selects.
    if (prefixOf(m_shownKey) == Document && m_shownKey != key) {
        ShowNodeContents(key);
        return;
    }
    relistIfShown(NavNodeKey(Folder, folderId));
}

void frmNavTree::UpdateCabinetName(RecordId cabinetId, const QString &name)
{
    m_loader->showName(NavNodeKey(Cabinet, cabinetId), name);
}

void frmNavTree::UpdateDrawerName(RecordId drawerId, const QString &name)
{
    m_loader->showName(NavNodeKey(Drawer, drawerId), name);
}

void frmNavTree::UpdateFolderName(RecordId folderId, const QString &name)
{
    m_loader->showName(NavNodeKey(Folder, folderId), name);
}

void frmNavTree::UpdateDocumentName(RecordId documentId, const QString &name, const QDate &dateOnDocument)
{
    m_loader->showName(NavNodeKey(Document, documentId), name, dateOnDocument);
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
    if (Prompt::instance().questionYesNoCancel(QStringLiteral("Exit the Vellumark?")) != Prompt::Answer::Yes)
        return;
    savePlacementAndKey();
    DbConnection::close();
    m_exiting = true;
    QCoreApplication::exit(0);
}

void frmNavTree::mnuViewSettings_Click()
{
    guard([this] { frmViewSettings::ShowViewSettings(this); });
}

void frmNavTree::mnuPopupRootRefresh_Click()
{
    RefreshNavTree();
}

void frmNavTree::mnuPopupFoundClear_Click()
{
    removeFoundBranch();
}

void frmNavTree::cmdFind_Click()
{
    frmFind dialog(this);
    connect(&dialog, &frmFind::searchStarted, this, &frmNavTree::removeFoundBranch);
    connect(&dialog, &frmFind::searchFinished, this, [this](const FindQuery::FindResult &result) {
        m_loader->showFound(result);
        if (result.hitCount == 0)
            Prompt::instance().message(FindQuery::NothingFoundText);
    });
    dialog.exec();
}

void frmNavTree::removeFoundBranch()
{
    m_ui->tvwMain->removeNode(RootFound);
    // A list of found items, or a found document's pages, would now name
    // nodes that are gone: the pane goes with the branch.
    if (m_shownKey == RootFound || NavRules::isFoundKey(m_shownKey)) {
        showLevelList();
        m_ui->lvwMain->clear();
        m_shownKey.clear();
    }
}

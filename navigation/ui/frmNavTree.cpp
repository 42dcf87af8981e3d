#include "navigation/ui/frmNavTree.h"
#include "ui_frmNavTree.h"

#include "core/AppSettings.h"
#include "core/Changes.h"
#include "core/Guard.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "core/ui/FormPosition.h"
#include "imaging/ui/Scanning.h"
#include "imaging/ui/frmViewSettings.h"
#include "navigation/NavQueries.h"
#include "navigation/NavRules.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/MainMenuCommands.h"
#include "navigation/ui/NavCommandRouter.h"
#include "navigation/ui/NavDragController.h"
#include "navigation/ui/NavDropEngine.h"
#include "navigation/ui/NavIcons.h"
#include "navigation/ui/NavLevels.h"
#include "navigation/ui/NavLoader.h"
#include "navigation/ui/NavMenus.h"
#include "navigation/ui/NavShownNode.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/PagePane.h"
#include "navigation/ui/TreeWidth.h"
#include "navigation/ui/frmFind.h"
#include "platform/DbConnection.h"
#include "store/NodeKeys.h"
#include "store/Passwords.h"
#include "store/ui/frmDocument.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>

using namespace NodeKeys;

frmNavTree::frmNavTree(QWidget *parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::frmNavTree>()), m_state(NavState::instance())
{
    m_ui->setupUi(this);
    setWindowIcon(NavIcons::appIcon());
    m_menus = std::make_unique<NavMenus>(*m_ui);
    m_loader = std::make_unique<NavLoader>(m_ui->tvwMain, m_ui->lvwMain);
    m_router = new NavCommandRouter(*m_ui, this);
    m_shown = std::make_unique<NavShownNode>(*m_ui, *m_menus, *m_loader, nullptr);
    m_mainCommands = std::make_unique<MainMenuCommands>(this);
    m_ui->splitter->setStretchFactor(0, 0);
    m_ui->splitter->setStretchFactor(1, 1);
    m_ui->tvwMain->setMinimumWidth(TreeWidth::minimumPanePixels());
    m_ui->stkRight->setMinimumWidth(TreeWidth::minimumPanePixels());
    m_ui->stkRight->setCurrentWidget(m_ui->lvwMain);

    wireViews();
    wireActions();
    NavigationSink::setInstance(this);
}

frmNavTree::~frmNavTree()
{
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

QString frmNavTree::shownKey() const
{
    return m_shown->key();
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
    connect(m_ui->splitter, &QSplitter::splitterMoved, this, [this] { TreeWidth::save(m_ui->splitter); });
    m_router->connectViews();
    // A left click that shows nothing new (the node on show again, an
    // expand mark) leaves the bar's commands on the node on show.
    connect(tree, &NavTree::mouseReleased, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            m_shown->positionAtShownNode();
    });
    NavDropEngine *drops = (new NavDragController(*m_ui, this))->engine();
    connect(drops, &NavDropEngine::contentsChanged, m_shown.get(), &NavShownNode::relistIfShown);
    // Files dropped on a document node: its pages come on show.
    connect(drops, &NavDropEngine::documentFilled, this, [this](const QString &key) {
        m_ui->tvwMain->selectNode(key);
        ShowNodeContents(key);
    });
    connect(m_ui->pagePane, &PagePane::pageOpened, this, [this](RecordId pageId) { m_router->pageCommands().openPage(pageId); });
    connect(m_ui->pagePane, &PagePane::keyCommandRequested, m_router, &NavCommandRouter::handlePageKey);
    connect(m_ui->pagePane, &PagePane::contextMenuRequested, m_router, &NavCommandRouter::handlePageContextMenu);
    connect(m_router, &NavCommandRouter::refreshRequested, this, &frmNavTree::RefreshNavTree);
    connect(m_router, &NavCommandRouter::recordDeleted, m_shown.get(), &NavShownNode::handleRecordDeleted);
    connect(m_router, &NavCommandRouter::recordContentsChanged, m_shown.get(), &NavShownNode::relistIfShown);
    connect(m_router, &NavCommandRouter::shownContentsStale, m_shown.get(), &NavShownNode::relistShown);
    wireChanges();

    // The window's own keys, wherever the focus is; Esc goes to a name
    // editor instead while one is open.
    m_escShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(m_escShortcut, &QShortcut::activated, this, &frmNavTree::mnuFileExit_Click);
    // The shortcut itself is captured, not the window: a name editor still
    // open when the window goes is closed after frmNavTree's part is gone.
    connect(m_router, &NavCommandRouter::renameEditingChanged, m_escShortcut,
            [esc = m_escShortcut](bool editing) { esc->setEnabled(!editing); });
    auto *f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(f3, &QShortcut::activated, m_ui->cmdFind, &QPushButton::click);
}

void frmNavTree::wireChanges()
{
    // Direct: the news arrives inside the import's transaction or the
    // unlock, and the tree is up to date when the call returns.
    Changes &changes = Changes::instance();
    // A folder import adds a document per file, without taking the
    // selection; so does a cabinet import for each drawer, folder and
    // document it makes.
    connect(&changes, &Changes::recordAdded, m_ui->tvwMain, &NavTree::addImportedNode, Qt::DirectConnection);
    connect(&changes, &Changes::cabinetUnlocked, this,
            [this](RecordId id, const QString &name) { guard([&] { m_loader->cabinetUnlocked(id, name); }); },
            Qt::DirectConnection);
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
                [this, type] { Scanning::scanSelected(this, type, m_ui->tvwMain->selectedKey()); });
        connect(action, &QAction::triggered, button, &QPushButton::click);
        built.insert(action);
    }
    for (const auto &c : own) {
        connect(c.first, &QAction::triggered, this, c.second);
        built.insert(c.first);
    }
    built.unite(m_mainCommands->connectActions(*m_ui));
    // An import may have added to whatever is on show.
    connect(m_ui->mnuToolsImportFiles, &QAction::triggered, m_shown.get(), &NavShownNode::relistShown);
    m_menus->disableAllBut(built);
}

void frmNavTree::Form_Load(const std::function<void(const QString &)> &splashStatus)
{
    auto status = [&splashStatus](const QString &text) {
        if (splashStatus)
            splashStatus(text);
    };
    m_state.position.reset();
    if (AppSettings::FirstShow.read())
        setWindowState(Qt::WindowMaximized);
    else
        FormPosition::RestoreFormPosition(this, QStringLiteral("frmNavTree"));
    AppSettings::FirstShow.write(false);

    TreeWidth::restore(m_ui->splitter, width());
    status(QStringLiteral("Loading main menu"));

    // Before the build: a first run's sample cabinet comes on show with its
    // menu.
    m_menus->showOnBar(NavRules::TypeMenu::None);
    // A failure here leaves an empty tree and a usable window; the user is
    // told and can try Refresh.
    guard([this] { m_shown->buildTree(); });
    status(QStringLiteral("Loading main menu"));
    m_ui->tvwMain->expandNode(Root);

    m_shown->restoreLastNode(AppSettings::LastNavTreeNodeKey.read());
    status(QStringLiteral("Loading main menu"));
}

void frmNavTree::ShowCabinetsInListView()
{
    m_shown->showCabinets();
}

void frmNavTree::ShowDrawersInListView(RecordId cabinetId)
{
    m_shown->showDrawers(cabinetId);
}

void frmNavTree::ShowFoldersInListView(const QString &drawerKey)
{
    m_shown->showFolders(drawerKey);
}

void frmNavTree::ShowDocumentsInListView(const QString &folderKey)
{
    m_shown->showDocuments(folderKey);
}

void frmNavTree::ShowFoundItemsInListView()
{
    m_shown->showFoundItems();
}

void frmNavTree::ShowPagesInListView(RecordId documentId)
{
    m_shown->showPages(documentId);
}

void frmNavTree::selectPageInListView(RecordId pageId)
{
    m_ui->pagePane->selectPage(pageId);
}

void frmNavTree::handleTreeDoubleClicked(const QString &key)
{
    const std::optional<RecordId> document = idOfType(key, Document);
    if (!document || m_shown->isShowingNode())
        return;
    guard([this, &document] { frmDocument::editDocument(this, *document); });
    m_ui->tvwMain->setFocus();
}

void frmNavTree::handleListEntryOpened(const QString &key)
{
    guard([&] {
        if (const std::optional<RecordId> cabinet = idOfType(key, Cabinet);
            cabinet && !Passwords::UnlockCabinet(*cabinet))
            return;
        if (NavLevels::actionsOf(key) || typeOf(key) == FoundDocument) {
            m_loader->openNode(key);
            m_shown->listContentsOf(key);
        }
    });
}

void frmNavTree::ShowNodeContents(const QString &key)
{
    m_shown->showNode(key);
}

void frmNavTree::RefreshNavTree()
{
    m_shown->refreshTree();
}

void frmNavTree::AddCabinetToNavTree(RecordId cabinetId, const QString &name)
{
    const QString key = NavNodeKey(Cabinet, cabinetId);
    NavTree *tree = m_ui->tvwMain;
    if (!tree->addNode(Root, key, name, NavLoader::GetCabinetIconKey(cabinetId)))
        tree->setNodeText(key, name, name);
    tree->selectNode(key);
    // The new cabinet is on show, as after a click on it.
    guard([&] { m_shown->showDrawers(cabinetId); });
    m_state.position.setFromNode(key, name, Root);
    m_menus->showOnBar(NavRules::TypeMenu::Cabinet);
}

void frmNavTree::AddDrawerToNavTree(RecordId cabinetId, RecordId drawerId, const QString &name)
{
    NavLevels::placeNode(m_ui->tvwMain, RecordLevel::Drawer, cabinetId, drawerId, name, name);
    m_shown->relistIfShown(NavNodeKey(Cabinet, cabinetId));
}

void frmNavTree::AddFolderToNavTree(RecordId drawerId, RecordId folderId, const QString &name)
{
    NavLevels::placeNode(m_ui->tvwMain, RecordLevel::Folder, drawerId, folderId, name, name);
    m_shown->relistIfShown(NavNodeKey(Drawer, drawerId));
}

void frmNavTree::AddDocumentToNavTree(RecordId folderId, RecordId documentId, const QString &name,
                                      const QDate &dateOnDocument)
{
    const QString key = NavLevels::placeNode(m_ui->tvwMain, RecordLevel::Document, folderId, documentId,
                                             NavQueries::documentNodeText(name, dateOnDocument), name);
    // The pane shows no document but the one the tree selects.
    if (typeOf(m_shown->key()) == Document && m_shown->key() != key) {
        ShowNodeContents(key);
        return;
    }
    m_shown->relistIfShown(NavNodeKey(Folder, folderId));
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

void frmNavTree::savePlacementAndKey()
{
    FormPosition::SaveFormPosition(this, QStringLiteral("frmNavTree"));
    TreeWidth::save(m_ui->splitter);
    const QString key = m_ui->tvwMain->selectedKey();
    if (!key.isEmpty())
        AppSettings::LastNavTreeNodeKey.write(key);
    AppSettings::sync();
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
    guard([this] { frmViewSettings::showViewSettings(this); });
}

void frmNavTree::mnuPopupRootRefresh_Click()
{
    RefreshNavTree();
}

void frmNavTree::mnuPopupFoundClear_Click()
{
    m_shown->removeFoundBranch();
}

void frmNavTree::cmdFind_Click()
{
    frmFind dialog(this);
    connect(&dialog, &frmFind::searchStarted, m_shown.get(), &NavShownNode::removeFoundBranch);
    connect(&dialog, &frmFind::searchFinished, this, [this](const FindQuery::FindResult &result) {
        m_loader->showFound(result);
        if (result.hitCount == 0)
            Prompt::instance().message(FindQuery::NothingFoundText);
    });
    dialog.exec();
}

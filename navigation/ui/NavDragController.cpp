#include "navigation/ui/NavDragController.h"
#include "ui_frmNavTree.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPalette>
#include <QTimer>

#include "core/RecordId.h"
#include "navigation/NavDrop.h"
#include "navigation/NavIconKeys.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/NavDropEngine.h"
#include "navigation/ui/NavIcons.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/PagePane.h"
#include "store/NodeKeys.h"

using namespace NodeKeys;

namespace {

const QString kTree = QStringLiteral("T");
const QString kList = QStringLiteral("L");
const QString kPane = QStringLiteral("L2");

QString dragIconKey(const QString &key)
{
    const QString prefix = typeOf(key);
    if (prefix == Drawer)
        return NavIconKeys::Drawer;
    if (prefix == Folder)
        return NavIconKeys::Folder;
    if (prefix == Document)
        return NavIconKeys::Document;
    return NavIconKeys::Page;
}

} // namespace

NavDragController::NavDragController(Ui::frmNavTree &ui, QObject *parent)
    : QObject(parent), m_ui(ui), m_engine(new NavDropEngine(ui, this))
{
    QList<std::pair<QAbstractItemView *, View>> views{{m_ui.tvwMain, View::Tree}, {m_ui.lvwMain, View::List}};
    for (QAbstractItemView *pane : m_ui.pagePane->views())
        views.append({pane, View::Pane});
    for (const auto &[view, kind] : views) {
        // The views' own drag and drop would move items about in the view;
        // this controller runs it instead.
        view->setDragEnabled(false);
        QWidget *viewport = view->viewport();
        viewport->setAcceptDrops(true);
        viewport->installEventFilter(this);
        // Known by address: while the window is torn down a view may be
        // half destroyed when its viewport's last events pass the filter,
        // so the filter must not ask a view for its viewport.
        m_viewports.insert(viewport, kind);
        connect(viewport, &QObject::destroyed, this, [this](QObject *gone) { m_viewports.remove(gone); });
    }
}

NavDragController::~NavDragController() = default;

NavDragController::View NavDragController::viewOf(const QObject *viewport) const
{
    return m_viewports.value(viewport, View::None);
}

QWidget *NavDragController::viewWidget(View view) const
{
    switch (view) {
    case View::Tree:
        return m_ui.tvwMain;
    case View::List:
        return m_ui.lvwMain;
    case View::Pane:
        return m_ui.pagePane->lvwThumb();
    case View::None:
        break;
    }
    return nullptr;
}

QString NavDragController::keyAt(View view, const QPoint &pos) const
{
    switch (view) {
    case View::Tree:
        return NavTree::keyOf(m_ui.tvwMain->itemAt(pos));
    case View::List:
        return LevelList::keyOf(m_ui.lvwMain->itemAt(pos));
    case View::Pane: {
        const RecordId pageId = m_ui.pagePane->pageAt(pos);
        return pageId > 0 ? NavNodeKey(Page, pageId) : QString();
    }
    case View::None:
        break;
    }
    return QString();
}

bool NavDragController::eventFilter(QObject *watched, QEvent *event)
{
    const View view = viewOf(watched);
    if (view == View::None)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        // Only the left button arms a drag; the view still sees the press.
        m_pressView = mouse->button() == Qt::LeftButton && m_dragSource.isEmpty() ? view : View::None;
        m_pressPos = mouse->position().toPoint();
        m_selectionBefore = m_ui.tvwMain->selectedKey();
        return false;
    }
    case QEvent::MouseMove:
        return mouseMoved(view, static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonRelease:
        m_pressView = View::None;
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        dragMoved(view, static_cast<QDragMoveEvent *>(event));
        return true;
    case QEvent::DragLeave:
        clearHighlight();
        return true;
    case QEvent::Drop:
        dropped(view, static_cast<QDropEvent *>(event));
        return true;
    default:
        return false;
    }
}

bool NavDragController::mouseMoved(View view, QMouseEvent *event)
{
    if (m_pressView != view || !(event->buttons() & Qt::LeftButton))
        return false;
    if ((event->position().toPoint() - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return false;
    // One chance per press: a cabinet pressed and moved never drags later
    // in the same press.
    m_pressView = View::None;
    const QString key = keyAt(view, m_pressPos);
    if (!NavDrop::CanDragNode(key))
        return false;
    startDrag(view, key);
    return true;
}

void NavDragController::startDrag(View view, const QString &key)
{
    m_dragSource = view == View::Tree ? kTree : view == View::List ? kList : kPane;
    m_dragKey = key;
    auto *drag = new QDrag(viewWidget(view));
    drag->setMimeData(NavDrop::dragData({m_dragSource, key}));
    drag->setPixmap(NavIcons::icon(dragIconKey(key)).pixmap(32, 32));
    Q_EMIT dragStarted(m_dragSource, key);
    drag->exec(Qt::MoveAction);
    EndNavDrag();
}

void NavDragController::EndNavDrag()
{
    const bool ours = !m_dragSource.isEmpty();
    clearHighlight();
    m_dragSource.clear();
    m_dragKey.clear();
    m_pressView = View::None;
    const std::function<void()> work = std::move(m_afterDrag);
    m_afterDrag = nullptr;
    if (work)
        work();
    // The press and the drop may have moved the tree's selection; the tree
    // shows again what it showed before the drag.
    NavTree *tree = m_ui.tvwMain;
    if (ours && tree->selectedKey() != m_selectionBefore) {
        if (tree->contains(m_selectionBefore)) {
            tree->selectNode(m_selectionBefore);
        } else {
            tree->setCurrentItem(nullptr);
            tree->clearSelection();
        }
    }
}

QString NavDragController::dropTarget(View view, const QPoint &pos, const QMimeData *data) const
{
    if (const std::optional<NavDrop::DraggedNode> node = NavDrop::draggedNode(data)) {
        // Pages and records are dropped on nodes and items, never on the
        // pane they may have come from.
        const QString key = view == View::Pane ? QString() : keyAt(view, pos);
        return NavDrop::CanDropOnNode(node->key, key) ? key : QString();
    }
    const QStringList files = NavDrop::droppedFiles(data);
    if (!NavDrop::offersPageFile(files))
        return QString();
    const QString key = view == View::Pane ? m_engine->paneKey() : keyAt(view, pos);
    return NavDrop::CanDropOnNode(Page, key) ? key : QString();
}

void NavDragController::dragMoved(View view, QDragMoveEvent *event)
{
    const QString target = dropTarget(view, event->position().toPoint(), event->mimeData());
    if (target.isEmpty()) {
        clearHighlight();
        // An enter is taken whenever the data could go somewhere in the
        // view, else the moves that follow would not come here.
        const QMimeData *data = event->mimeData();
        const bool somewhere = (view != View::Pane && NavDrop::draggedNode(data))
                               || NavDrop::offersPageFile(NavDrop::droppedFiles(data));
        if (event->type() == QEvent::DragEnter && somewhere)
            event->acceptProposedAction();
        else
            event->ignore();
        return;
    }
    // A file from the file manager is always copied: a move would let the
    // file manager delete the user's file.
    event->setDropAction(NavDrop::draggedNode(event->mimeData()) ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
    if (view != View::Pane)
        setHighlight(view, target);
}

void NavDragController::dropped(View view, QDropEvent *event)
{
    clearHighlight();
    const QPoint pos = event->position().toPoint();
    const QString target = dropTarget(view, pos, event->mimeData());
    if (target.isEmpty()) {
        event->ignore();
        return;
    }
    const std::optional<NavDrop::DraggedNode> node = NavDrop::draggedNode(event->mimeData());
    event->setDropAction(node ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
    NavDropEngine *engine = m_engine;
    if (node) {
        runAfterDrag([engine, node = *node, target] {
            QString key = target;
            engine->DropOnNavNode(node.source, node.key, key, QString());
        });
        return;
    }
    // Every file the drop offers, in order; the engine passes over those the
    // page rules refuse.
    const QStringList files = NavDrop::droppedFiles(event->mimeData());
    runAfterDrag([engine, view, files, target] {
        if (view == View::Tree)
            engine->dropFilesOnTree(files, target);
        else if (view == View::List)
            engine->dropFilesOnList(files, target);
        else
            engine->dropFilesOnPane(files);
    });
}

void NavDragController::runAfterDrag(std::function<void()> work)
{
    // Inside our own drag the platform's drag loop is still running.
    if (!m_dragSource.isEmpty())
        m_afterDrag = std::move(work);
    else
        QTimer::singleShot(0, this, std::move(work));
}

void NavDragController::setHighlight(View view, const QString &key)
{
    if (view == m_highlightView && key == m_highlightKey)
        return;
    clearHighlight();
    const QBrush brush = viewWidget(view)->palette().brush(QPalette::Highlight).color().lighter(160);
    if (view == View::Tree) {
        if (QTreeWidgetItem *item = m_ui.tvwMain->node(key))
            item->setData(0, Qt::BackgroundRole, brush);
    } else if (QListWidgetItem *item = m_ui.lvwMain->entry(key)) {
        item->setData(Qt::BackgroundRole, brush);
    }
    m_highlightView = view;
    m_highlightKey = key;
}

void NavDragController::clearHighlight()
{
    if (m_highlightView == View::Tree) {
        if (QTreeWidgetItem *item = m_ui.tvwMain->node(m_highlightKey))
            item->setData(0, Qt::BackgroundRole, QVariant());
    } else if (m_highlightView == View::List) {
        if (QListWidgetItem *item = m_ui.lvwMain->entry(m_highlightKey))
            item->setData(Qt::BackgroundRole, QVariant());
    }
    m_highlightView = View::None;
    m_highlightKey.clear();
}

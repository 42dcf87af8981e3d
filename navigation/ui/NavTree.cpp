#include "navigation/ui/NavTree.h"

#include "core/RecordId.h"
#include "navigation/FoundBranch.h"
#include "navigation/NameOrder.h"
#include "navigation/NavIconKeys.h"
#include "navigation/NavQueries.h"
#include "navigation/ui/NavIcons.h"
#include "navigation/ui/NavTreeItem.h"
#include "store/NodeKeys.h"
#include "store/Records.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>

namespace {



// Equal texts are ordered by key, so the order is stable.
bool sortsBefore(const QString &text, const QString &key, const QTreeWidgetItem *other)
{
    const int r = NameOrder::compare(text, other->text(0));
    if (r != 0)
        return r < 0;
    return key < NavTree::keyOf(other);
}

} // namespace

NavTree::NavTree(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    header()->hide();
    // Long names scroll sideways instead of being cut.
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    // The tree places every node in order itself: the view's own sorting
    // would sort the whole tree again after each lazy load.
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        Q_EMIT nodeExpanded(keyOf(item));
    });
}

NavTree::~NavTree() = default;

QString NavTree::keyOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, KeyRole).toString() : QString();
}

QTreeWidgetItem *NavTree::node(const QString &key) const
{
    return m_index.value(key, nullptr);
}

QTreeWidgetItem *NavTree::makeItem(const QString &key, const QString &text, const QString &iconKey,
                                   const QString &name) const
{
    auto *item = new QTreeWidgetItem;
    item->setText(0, text);
    item->setData(0, KeyRole, key);
    item->setData(0, NameRole, name.isNull() ? text : name);
    item->setData(0, IconKeyRole, iconKey);
    item->setIcon(0, NavIcons::icon(iconKey));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    return item;
}

QTreeWidgetItem *NavTree::addNode(const QString &parentKey, const QString &key, const QString &text,
                                  const QString &iconKey, const QString &name)
{
    if (m_index.contains(key))
        return nullptr;
    QTreeWidgetItem *parent = nullptr;
    if (!parentKey.isEmpty()) {
        parent = node(parentKey);
        if (!parent)
            return nullptr;
    }
    QTreeWidgetItem *item = makeItem(key, text, iconKey, name);
    const int at = sortedIndex(parent, text, key);
    if (parent)
        parent->insertChild(at, item);
    else
        insertTopLevelItem(at, item);
    m_index.insert(key, item);
    return item;
}

void NavTree::addDocumentNode(RecordId folderId, RecordId documentId, const QString &name)
{
    addNode(NodeKeys::NavNodeKey(NodeKeys::Folder, folderId), NodeKeys::NavNodeKey(NodeKeys::Document, documentId),
            name, NavIconKeys::Document, name);
}

int NavTree::addNodes(const QString &parentKey, const QVector<NewNode> &nodes, const QString &iconKey)
{
    QTreeWidgetItem *parent = node(parentKey);
    if (!parent)
        return 0;
    struct Entry
    {
        QCollatorSortKey sortKey;
        QString key;
        QTreeWidgetItem *item;
    };
    std::vector<Entry> entries;
    entries.reserve(nodes.size());
    for (const NewNode &n : nodes) {
        if (m_index.contains(n.key))
            continue;
        QTreeWidgetItem *item = makeItem(n.key, n.text, iconKey, n.name);
        m_index.insert(n.key, item);
        entries.push_back({NameOrder::sortKey(n.text), n.key, item});
    }
    if (entries.empty())
        return 0;
    const int added = int(entries.size());
    // Children already there are merged in, keeping their own subtrees.
    const bool hadChildren = parent->childCount() > 0;
    QHash<QTreeWidgetItem *, bool> expanded;
    if (hadChildren) {
        const QList<QTreeWidgetItem *> old = parent->takeChildren();
        for (QTreeWidgetItem *item : old) {
            expanded.insert(item, item->isExpanded());
            entries.push_back({NameOrder::sortKey(item->text(0)), keyOf(item), item});
        }
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        const int r = a.sortKey.compare(b.sortKey);
        return r != 0 ? r < 0 : a.key < b.key;
    });
    QList<QTreeWidgetItem *> items;
    items.reserve(int(entries.size()));
    for (const Entry &e : entries)
        items.append(e.item);
    // One insertion for the whole level.
    parent->addChildren(items);
    for (auto it = expanded.cbegin(); it != expanded.cend(); ++it)
        it.key()->setExpanded(it.value());
    return added;
}

int NavTree::sortedIndex(const QTreeWidgetItem *parent, const QString &text, const QString &key) const
{
    int lo = 0;
    int hi = parent ? parent->childCount() : topLevelItemCount();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        const QTreeWidgetItem *other = parent ? parent->child(mid) : topLevelItem(mid);
        if (sortsBefore(text, key, other))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

void NavTree::unindex(QTreeWidgetItem *item)
{
    m_index.remove(keyOf(item));
    for (int i = 0; i < item->childCount(); ++i)
        unindex(item->child(i));
}

void NavTree::removeNode(const QString &key)
{
    QTreeWidgetItem *item = node(key);
    if (!item)
        return;
    unindex(item);
    delete item;
}

void NavTree::removeNodeAndEmptyAncestors(const QString &key, const QString &stopKey)
{
    QTreeWidgetItem *item = node(key);
    if (!item)
        return;
    QTreeWidgetItem *parent = item->parent();
    removeNode(key);
    while (parent && parent->childCount() == 0 && keyOf(parent) != stopKey) {
        QTreeWidgetItem *above = parent->parent();
        removeNode(keyOf(parent));
        parent = above;
    }
}

void NavTree::removeChildren(const QString &key)
{
    QTreeWidgetItem *item = node(key);
    if (!item)
        return;
    const QList<QTreeWidgetItem *> children = item->takeChildren();
    for (QTreeWidgetItem *child : children) {
        unindex(child);
        delete child;
    }
}

void NavTree::clearAll()
{
    m_index.clear();
    clear();
}

bool NavTree::setNodeText(const QString &key, const QString &text, const QString &name)
{
    QTreeWidgetItem *item = node(key);
    if (!item)
        return false;
    item->setData(0, NameRole, name);
    if (item->text(0) == text)
        return true;
    item->setText(0, text);
    // A new text may belong elsewhere among the siblings.
    relocate(item, item->parent());
    return true;
}

void NavTree::moveNode(const QString &key, const QString &newParentKey)
{
    QTreeWidgetItem *item = node(key);
    if (!item)
        return;
    QTreeWidgetItem *parent = node(newParentKey);
    if (!parent) {
        removeNode(key);
        return;
    }
    if (item->parent() != parent)
        relocate(item, parent);
}

namespace {

void collectExpanded(QTreeWidgetItem *item, QList<QTreeWidgetItem *> &out)
{
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem *child = item->child(i);
        if (child->isExpanded())
            out.append(child);
        collectExpanded(child, out);
    }
}

} // namespace

void NavTree::relocate(QTreeWidgetItem *item, QTreeWidgetItem *parent)
{
    const bool wasCurrent = currentItem() == item;
    const bool wasSelected = item->isSelected();
    const bool wasExpanded = item->isExpanded();
    // Taking the node out forgets the view's expansion below it.
    QList<QTreeWidgetItem *> expanded;
    collectExpanded(item, expanded);
    if (QTreeWidgetItem *old = item->parent())
        old->removeChild(item);
    else
        takeTopLevelItem(indexOfTopLevelItem(item));
    const int at = sortedIndex(parent, item->text(0), keyOf(item));
    if (parent)
        parent->insertChild(at, item);
    else
        insertTopLevelItem(at, item);
    for (QTreeWidgetItem *e : std::as_const(expanded))
        e->setExpanded(true);
    item->setExpanded(wasExpanded);
    if (wasCurrent)
        setCurrentItem(item);
    item->setSelected(wasSelected);
}

void NavTree::setNodeIcon(const QString &key, const QString &iconKey)
{
    if (QTreeWidgetItem *item = node(key)) {
        item->setData(0, IconKeyRole, iconKey);
        item->setIcon(0, NavIcons::icon(iconKey));
    }
}

QString NavTree::iconKeyOf(const QString &key) const
{
    const QTreeWidgetItem *item = node(key);
    return item ? item->data(0, IconKeyRole).toString() : QString();
}

QString NavTree::textOf(const QString &key) const
{
    const QTreeWidgetItem *item = node(key);
    return item ? item->text(0) : QString();
}

QString NavTree::nameOf(const QString &key) const
{
    const QTreeWidgetItem *item = node(key);
    return item ? item->data(0, NameRole).toString() : QString();
}

QString NavTree::parentKeyOf(const QString &key) const
{
    const QTreeWidgetItem *item = node(key);
    return item ? keyOf(item->parent()) : QString();
}

QStringList NavTree::childKeys(const QString &key) const
{
    QStringList out;
    if (const QTreeWidgetItem *item = node(key)) {
        for (int i = 0; i < item->childCount(); ++i)
            out.append(keyOf(item->child(i)));
    }
    return out;
}

QString NavTree::selectedKey() const
{
    const QList<QTreeWidgetItem *> sel = selectedItems();
    return sel.isEmpty() ? QString() : keyOf(sel.first());
}

void NavTree::selectNode(const QString &key)
{
    if (QTreeWidgetItem *item = node(key)) {
        setCurrentItem(item);
        item->setSelected(true);
        scrollToItem(item);
    }
}

void NavTree::expandNode(const QString &key)
{
    if (QTreeWidgetItem *item = node(key))
        item->setExpanded(true);
}

void NavTree::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    QTreeWidgetItem *item = itemAt(pos);
    m_pressedKey = event->button() == Qt::LeftButton ? keyOf(item) : QString();
    // The expand mark lies left of the item's own rectangle.
    m_pressOnExpander = item && pos.x() < visualItemRect(item).left();
    QTreeWidget::mousePressEvent(event);
}

void NavTree::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeWidget::mouseReleaseEvent(event);
    Q_EMIT mouseReleased(event->button());
    const QString pressed = m_pressedKey;
    m_pressedKey.clear();
    if (event->button() != Qt::LeftButton || pressed.isEmpty() || m_pressOnExpander)
        return;
    if (keyOf(itemAt(event->position().toPoint())) == pressed && selectedKey() == pressed)
        Q_EMIT nodeClicked(pressed);
}

void NavTree::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        const QString key = keyOf(itemAt(event->position().toPoint()));
        if (!key.isEmpty() && key == selectedKey())
            Q_EMIT nodeDoubleClicked(key);
    }
}

void NavTree::keyPressEvent(QKeyEvent *event)
{
    Q_EMIT keyPressed();
    const int k = event->key();
    if ((k == Qt::Key_F5 || k == Qt::Key_Insert || k == Qt::Key_Delete)
        && state() != QAbstractItemView::EditingState) {
        Q_EMIT keyCommandRequested(k, int(event->modifiers()), selectedKey());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void NavTree::contextMenuEvent(QContextMenuEvent *event)
{
    // The menu follows the selected node, which a right press has just set.
    const QString key = selectedKey();
    if (!key.isEmpty())
        Q_EMIT contextMenuRequested(key, event->globalPos());
    event->accept();
}

bool NavTree::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    const bool opens = trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger);
    if (index.isValid() && opens && state() != QAbstractItemView::EditingState) {
        const QString key = index.data(KeyRole).toString();
        if (!m_renameAllowed || !m_renameAllowed(key))
            return false;
    }
    return QTreeWidget::edit(index, trigger, event);
}

void NavTree::renameNode(const QString &key)
{
    if (QTreeWidgetItem *item = node(key)) {
        setCurrentItem(item);
        editItem(item, 0);
    }
}

void NavTree::addImportedNode(RecordLevel level, RecordId parentId, RecordId id, const QString &name,
                              const QDate &date)
{
    const std::optional<RecordLevel> parent = Schema::parentLevel(level);
    if (!parent || level == RecordLevel::Page)
        return;
    const QString parentKey = NodeKeys::keyOf(*parent, parentId);
    const QString key = NodeKeys::keyOf(level, id);
    if (level == RecordLevel::Document)
        addNode(parentKey, key, NavQueries::documentNodeText(name, date), NavIconKeys::Document, name);
    else
        addNode(parentKey, key, name, level == RecordLevel::Drawer ? NavIconKeys::Drawer : NavIconKeys::Folder);
}

void NavTree::addFoundBranch(const FoundBranch &branch)
{
    using namespace NodeKeys;
    if (m_index.contains(RootFound))
        return;
    QTreeWidgetItem *root = makeItem(RootFound, FoundBranch::RootText, FoundBranch::RootIconKey, QString());
    m_index.reserve(m_index.size() + branch.nodeCount() + 1);
    m_index.insert(RootFound, root);
    // Items without a view take children without a signal or a re-sort:
    // the levels come in the tree's order, parents first.
    QList<QTreeWidgetItem *> parents;
    for (const FoundBranch::Level &level : branch.levels()) {
        QTreeWidgetItem *parent = m_index.value(level.parentKey, nullptr);
        if (!parent)
            continue;
        const QIcon icon = NavIcons::icon(level.iconKey);
        QList<QTreeWidgetItem *> items;
        items.reserve(level.children.size());
        for (const FoundBranch::Node &n : level.children) {
            QTreeWidgetItem *&slot = m_index[n.key];
            if (slot)
                continue;
            slot = new NavTreeItem(n.key, n.text, level.iconKey, icon);
            items.append(slot);
        }
        parent->addChildren(items);
        parents.append(parent);
    }
    insertTopLevelItem(sortedIndex(nullptr, FoundBranch::RootText, RootFound), root);
    // Expanding a found node loads nothing, so the view's expansion signals
    // are held back rather than sent once per node.
    const QSignalBlocker quiet(this);
    for (QTreeWidgetItem *item : std::as_const(parents))
        item->setExpanded(true);
}

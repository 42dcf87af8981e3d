#include "NavTree.h"

#include "NavIcons.h"

#include <QCollator>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// Orders siblings by text without regard to case, in the user's language.
class NavItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    bool operator<(const QTreeWidgetItem &other) const override
    {
        static const QCollator collator = [] {
            QCollator c;
            c.setCaseSensitivity(Qt::CaseInsensitive);
            c.setNumericMode(true);
            return c;
        }();
        const int r = collator.compare(text(0), other.text(0));
        if (r != 0)
            return r < 0;
        return NavTree::keyOf(this) < NavTree::keyOf(&other);
    }
};

} // namespace

NavTree::NavTree(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    header()->hide();
    // Long names scroll sideways instead of being cut.
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);
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
    auto *item = new NavItem;
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
    if (parent)
        parent->addChild(item);
    else
        addTopLevelItem(item);
    m_index.insert(key, item);
    return item;
}

int NavTree::addNodes(const QString &parentKey, const QVector<NewNode> &nodes, const QString &iconKey)
{
    QTreeWidgetItem *parent = node(parentKey);
    if (!parent)
        return 0;
    QList<QTreeWidgetItem *> items;
    items.reserve(nodes.size());
    for (const NewNode &n : nodes) {
        if (m_index.contains(n.key))
            continue;
        QTreeWidgetItem *item = makeItem(n.key, n.text, iconKey, n.name);
        m_index.insert(n.key, item);
        items.append(item);
    }
    if (items.isEmpty())
        return 0;
    // One insertion and one sort instead of a sorted insert per node.
    setSortingEnabled(false);
    parent->addChildren(items);
    parent->sortChildren(0, Qt::AscendingOrder);
    setSortingEnabled(true);
    return items.size();
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
    item->setText(0, text);
    item->setData(0, NameRole, name);
    return true;
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
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_F5 && mods == Qt::NoModifier) {
        Q_EMIT refreshRequested();
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Insert || event->key() == Qt::Key_Delete) && mods == Qt::NoModifier
        && state() != QAbstractItemView::EditingState) {
        Q_EMIT keyCommandRequested(event->key(), selectedKey());
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

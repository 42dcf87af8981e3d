#include "navigation/ui/LevelList.h"

#include "navigation/NameOrder.h"
#include "navigation/ui/NavIcons.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

class LevelItem : public QListWidgetItem
{
public:
    using QListWidgetItem::QListWidgetItem;

    bool operator<(const QListWidgetItem &other) const override
    {
        const int r = NameOrder::compare(text(), other.text());
        if (r != 0)
            return r < 0;
        return LevelList::keyOf(this) < LevelList::keyOf(&other);
    }
};

} // namespace

LevelList::LevelList(QWidget *parent) : QListWidget(parent)
{
    setViewMode(QListView::IconMode);
    setIconSize(QSize(32, 32));
    setGridSize(QSize(128, 80));
    setSpacing(4);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setWrapping(true);
    setWordWrap(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(true);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
}

LevelList::~LevelList() = default;

QString LevelList::keyOf(const QListWidgetItem *item)
{
    return item ? item->data(KeyRole).toString() : QString();
}

void LevelList::addEntry(const QString &key, const QString &text, const QString &iconKey)
{
    auto *item = new LevelItem(NavIcons::icon(iconKey), text);
    item->setData(KeyRole, key);
    item->setData(IconKeyRole, iconKey);
    item->setToolTip(text);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    addItem(item);
}

QListWidgetItem *LevelList::entry(const QString &key) const
{
    for (int i = 0; i < count(); ++i) {
        if (keyOf(item(i)) == key)
            return item(i);
    }
    return nullptr;
}

bool LevelList::setEntryText(const QString &key, const QString &text)
{
    QListWidgetItem *e = entry(key);
    if (!e)
        return false;
    e->setText(text);
    e->setToolTip(text);
    return true;
}

QStringList LevelList::keys() const
{
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out.append(keyOf(item(i)));
    return out;
}

QString LevelList::iconKeyOf(const QString &key) const
{
    const QListWidgetItem *e = entry(key);
    return e ? e->data(IconKeyRole).toString() : QString();
}

QString LevelList::selectedKey() const
{
    const QList<QListWidgetItem *> sel = selectedItems();
    return sel.isEmpty() ? QString() : keyOf(sel.first());
}

QString LevelList::selectedText() const
{
    const QList<QListWidgetItem *> sel = selectedItems();
    return sel.isEmpty() ? QString() : sel.first()->text();
}

void LevelList::renameEntry(const QString &key)
{
    if (QListWidgetItem *e = entry(key)) {
        setCurrentItem(e);
        editItem(e);
    }
}

void LevelList::mouseReleaseEvent(QMouseEvent *event)
{
    QListWidget::mouseReleaseEvent(event);
    Q_EMIT mouseReleased(event->button());
}

void LevelList::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        const QString key = keyOf(itemAt(event->position().toPoint()));
        if (!key.isEmpty())
            Q_EMIT entryOpened(key);
    }
}

void LevelList::keyPressEvent(QKeyEvent *event)
{
    Q_EMIT keyPressed();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (state() != QAbstractItemView::EditingState) {
        const int k = event->key();
        if ((k == Qt::Key_Return || k == Qt::Key_Enter) && mods == Qt::NoModifier) {
            const QString key = selectedKey();
            if (!key.isEmpty())
                Q_EMIT entryOpened(key);
            event->accept();
            return;
        }
        if (k == Qt::Key_Insert || k == Qt::Key_Delete) {
            Q_EMIT keyCommandRequested(k, int(event->modifiers()), selectedKey());
            event->accept();
            return;
        }
    }
    QListWidget::keyPressEvent(event);
}

void LevelList::contextMenuEvent(QContextMenuEvent *event)
{
    const QString key = selectedKey();
    if (!key.isEmpty())
        Q_EMIT contextMenuRequested(key, event->globalPos());
    event->accept();
}

bool LevelList::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    const bool opens = trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger);
    if (index.isValid() && opens && state() != QAbstractItemView::EditingState) {
        const QString key = index.data(KeyRole).toString();
        if (!m_renameAllowed || !m_renameAllowed(key))
            return false;
    }
    return QListWidget::edit(index, trigger, event);
}

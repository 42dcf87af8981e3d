#include "LevelList.h"

#include "NavIcons.h"

#include <QCollator>

namespace {

class LevelItem : public QListWidgetItem
{
public:
    using QListWidgetItem::QListWidgetItem;

    bool operator<(const QListWidgetItem &other) const override
    {
        static const QCollator collator = [] {
            QCollator c;
            c.setCaseSensitivity(Qt::CaseInsensitive);
            c.setNumericMode(true);
            return c;
        }();
        const int r = collator.compare(text(), other.text());
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

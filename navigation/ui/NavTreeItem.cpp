#include "navigation/ui/NavTreeItem.h"

#include "navigation/ui/NavTree.h"

NavTreeItem::NavTreeItem(const QString &key, const QString &text, const QString &iconKey, const QIcon &icon)
    : m_key(key), m_text(text), m_name(text), m_iconKey(iconKey), m_icon(icon)
{
    setFlags(flags() | Qt::ItemIsEditable);
}

QVariant NavTreeItem::data(int column, int role) const
{
    if (column == 0) {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return m_text;
        case Qt::DecorationRole:
            return m_icon;
        case NavTree::KeyRole:
            return m_key;
        case NavTree::NameRole:
            return m_name;
        case NavTree::IconKeyRole:
            return m_iconKey;
        default:
            break;
        }
    }
    return QTreeWidgetItem::data(column, role);
}

QString *NavTreeItem::stringFor(int column, int role)
{
    if (column != 0)
        return nullptr;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return &m_text;
    case NavTree::KeyRole:
        return &m_key;
    case NavTree::NameRole:
        return &m_name;
    case NavTree::IconKeyRole:
        return &m_iconKey;
    default:
        return nullptr;
    }
}

void NavTreeItem::setData(int column, int role, const QVariant &value)
{
    // As for any item, an unchanged value tells the view nothing.
    if (QString *member = stringFor(column, role)) {
        const QString text = value.toString();
        if (*member == text)
            return;
        *member = text;
    } else if (column == 0 && role == Qt::DecorationRole) {
        m_icon = value.value<QIcon>();
    } else {
        QTreeWidgetItem::setData(column, role, value);
        return;
    }
    emitDataChanged();
}

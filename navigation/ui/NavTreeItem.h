#pragma once

#include <QIcon>
#include <QTreeWidgetItem>

// A node of the navigation tree whose text, key, bare name and image are
// held in members instead of the item's list of role values: a search's
// "Found" branch makes and frees tens of thousands of them at once, and
// each role value would cost allocations of its own. It answers and takes
// the same roles as any other node.
class NavTreeItem : public QTreeWidgetItem
{
public:
    NavTreeItem(const QString &key, const QString &text, const QString &iconKey, const QIcon &icon);

    QVariant data(int column, int role) const override;
    void setData(int column, int role, const QVariant &value) override;

private:
    // The member behind one of the string roles; nullptr for any other role.
    QString *stringFor(int column, int role);

    QString m_key;
    QString m_text;
    QString m_name;
    QString m_iconKey;
    QIcon m_icon;
};

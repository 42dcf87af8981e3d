#pragma once

#include <QHash>
#include <QPoint>
#include <QTreeWidget>

#include <functional>

#include "core/RecordId.h"

class FoundBranch;
class QDate;
enum class RecordLevel;

// The filing tree: every node carries its key, its bare name and its image
// key, and is found by key through an index kept in step with every add and
// remove. Every level is sorted by text without regard to case.
//
// Callers pass keys, never item pointers, across anything that may change
// the tree.
class NavTree : public QTreeWidget
{
    Q_OBJECT

public:
    enum Role {
        KeyRole = Qt::UserRole,
        NameRole,     // the bare name (a document's text may carry its date)
        IconKeyRole,  // "cabinet", "locked", ...
    };

    explicit NavTree(QWidget *parent = nullptr);
    ~NavTree() override;

    QTreeWidgetItem *node(const QString &key) const;
    bool contains(const QString &key) const { return m_index.contains(key); }
    // Adds a node under the parent's node (nullptr for the top level). Does
    // nothing and returns nullptr when the parent is missing or the key is
    // already in the tree.
    QTreeWidgetItem *addNode(const QString &parentKey, const QString &key, const QString &text,
                             const QString &iconKey, const QString &name = QString());
    // Adds an undated document's node under its folder's node when that is
    // loaded; the selection stays where it is.
    void addDocumentNode(RecordId folderId, RecordId documentId, const QString &name);
    // Adds the node of a drawer, folder or document a cabinet import made
    // under its parent's node when that is loaded; the selection stays.
    void addImportedNode(RecordLevel level, RecordId parentId, RecordId id, const QString &name,
                         const QDate &date);
    // Adds many children of one parent at once, sorting once (the lazy loads).
    struct NewNode
    {
        QString key;
        QString text;
        QString name;
    };
    int addNodes(const QString &parentKey, const QVector<NewNode> &nodes, const QString &iconKey);
    // Removes the node and everything below it.
    void removeNode(const QString &key);
    // Removes the node, then each ancestor it leaves without children, up
    // to but not including the node stopKey.
    void removeNodeAndEmptyAncestors(const QString &key, const QString &stopKey);
    void removeChildren(const QString &key);
    void clearAll();

    bool setNodeText(const QString &key, const QString &text, const QString &name);
    // Puts the node, with everything below it, under another parent in its
    // sorted place. A parent that is not loaded takes the node out: it comes
    // back with that parent's level.
    void moveNode(const QString &key, const QString &newParentKey);
    void setNodeIcon(const QString &key, const QString &iconKey);
    QString iconKeyOf(const QString &key) const;
    QString textOf(const QString &key) const;
    QString nameOf(const QString &key) const;
    QString parentKeyOf(const QString &key) const;
    QStringList childKeys(const QString &key) const;

    QString selectedKey() const;
    // Makes the node the selected one without showing its contents.
    void selectNode(const QString &key);
    void expandNode(const QString &key);

    static QString keyOf(const QTreeWidgetItem *item);

    // Decides whether a node's name may be edited in place.
    void setRenameAllowed(std::function<bool(const QString &key)> allowed) { m_renameAllowed = std::move(allowed); }
    // Starts editing the name of a node.
    void renameNode(const QString &key);

    // Adds a search's "Found" branch at the top level, every node with
    // children expanded. The branch is built apart from the view in its
    // own sorted order and put in with one insertion. Does nothing when
    // "ROOTFOUND" is in the tree already.
    void addFoundBranch(const FoundBranch &branch);

Q_SIGNALS:
    // A left-button click on a node: pressed and released on the same node,
    // not on its expand mark.
    void nodeClicked(const QString &key);
    void nodeExpanded(const QString &key);
    // Any mouse button released over the tree.
    void mouseReleased(Qt::MouseButton button);
    // The popup menu for the selected node.
    void contextMenuRequested(const QString &key, const QPoint &globalPos);
    // Insert, Delete or F5 (with their modifiers) and the selected node's
    // key; the window decides what they run.
    void keyCommandRequested(int key, int modifiers, const QString &nodeKey);
    // Any key pressed in the tree, before it is handled.
    void keyPressed();
    void nodeDoubleClicked(const QString &key);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;

private:
    void unindex(QTreeWidgetItem *item);
    // Re-inserts the item under parent (nullptr: the top level) at its
    // sorted place, keeping its expansion, selection and currency.
    void relocate(QTreeWidgetItem *item, QTreeWidgetItem *parent);
    // Where a node with this text goes among the parent's children.
    int sortedIndex(const QTreeWidgetItem *parent, const QString &text, const QString &key) const;
    QTreeWidgetItem *makeItem(const QString &key, const QString &text, const QString &iconKey,
                              const QString &name) const;

    QHash<QString, QTreeWidgetItem *> m_index;
    std::function<bool(const QString &)> m_renameAllowed;
    QString m_pressedKey;
    bool m_pressOnExpander = false;
};

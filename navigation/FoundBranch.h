#pragma once

#include "navigation/FindQuery.h"

#include <QHash>
#include <QString>
#include <QVector>

// The "Found" branch of the navigation tree for one search: under
// "ROOTFOUND" a copy of each found document's cabinet ("FCB"), drawer
// ("FDW") and folder ("FFD"), and the document itself ("FDC", its bare
// name). Each node is there once however many hits lead to it. Nodes are
// gathered by key and sorted once, when the levels are first asked for, in
// the tree's order.
class FoundBranch
{
public:
    struct Node
    {
        QString key;
        QString text;
    };
    // The children of one parent, in the tree's order, with their image.
    struct Level
    {
        QString parentKey;
        QString iconKey;
        QVector<Node> children;
    };
    // A row of the level list shown for the "Found" node.
    struct ListRow
    {
        QString key;
        QString text;
        QString iconKey;
    };

    // The root node's text and image.
    static const QString RootText;
    static const QString RootIconKey;

    FoundBranch() = default;
    explicit FoundBranch(const QVector<FindQuery::FoundDocument> &documents);

    // Adds a document and its ancestors; a node whose key is there already
    // keeps its text.
    void add(const FindQuery::FoundDocument &document);

    bool isEmpty() const { return m_nodes.isEmpty(); }
    int nodeCount() const { return int(m_nodes.size()); }
    bool contains(const QString &key) const { return indexOf(key) >= 0; }
    // Empty for a key that is not in the branch.
    QString textOf(const QString &key) const;
    QString parentKeyOf(const QString &key) const;

    // Every parent's children, parents before their children ("ROOTFOUND"
    // first), so the tree can add one level at a time and every node is
    // expanded as it is added.
    const QVector<Level> &levels() const;
    // The children of a node in the tree's order; none for a missing key.
    QVector<Node> childrenOf(const QString &key) const;
    // The level list of the "Found" node: its children, each shown with the
    // "document" image whatever its level.
    QVector<ListRow> levelListRows() const;

private:
    // A node with its place: the parent's index (-1 for "ROOTFOUND") and
    // its children's, as added.
    struct Entry
    {
        Node node;
        int parent;
        QVector<int> children;
    };
    // The index of a level's node by its record id; the node is added under
    // the parent when the id is new.
    int nodeIndex(QHash<RecordId, int> &ids, const QString &prefix, RecordId id, const QString &text, int parent);
    // The index of the node with this key; -1 when there is none.
    int indexOf(const QString &key) const;
    void sortLevels() const;

    QVector<Entry> m_nodes;
    QVector<int> m_rootChildren;
    // Node of each record id, one table per level: a hit on a node already
    // there costs one integer look-up and makes no key text.
    QHash<RecordId, int> m_cabinets;
    QHash<RecordId, int> m_drawers;
    QHash<RecordId, int> m_folders;
    QHash<RecordId, int> m_documents;
    mutable QVector<Level> m_levels;
    mutable bool m_sorted = true;
};

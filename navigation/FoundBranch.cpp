#include "navigation/FoundBranch.h"

#include "navigation/NameOrder.h"
#include "navigation/NavIconKeys.h"
#include "store/NodeKeys.h"

#include <algorithm>
#include <vector>

#include <QCollatorSortKey>

using namespace NodeKeys;

namespace {

// The image of a branch node, by its level.
QString iconKeyOf(const QString &key)
{
    const QString prefix = typeOf(key);
    if (prefix == FoundCabinet)
        return NavIconKeys::Cabinet;
    if (prefix == FoundDrawer)
        return NavIconKeys::Drawer;
    if (prefix == FoundFolder)
        return NavIconKeys::Folder;
    return NavIconKeys::Document;
}

// A stand-in key for a level of one child, which is never compared.
const QCollatorSortKey &noKey()
{
    static const QCollatorSortKey key = NameOrder::sortKey(QString());
    return key;
}

} // namespace

const QString FoundBranch::RootText = QStringLiteral("Found");
const QString FoundBranch::RootIconKey = NavIconKeys::Found;

FoundBranch::FoundBranch(const QVector<FindQuery::FoundDocument> &documents)
{
    m_nodes.reserve(documents.size() * 2);
    m_documents.reserve(documents.size());
    for (const FindQuery::FoundDocument &d : documents)
        add(d);
}

void FoundBranch::add(const FindQuery::FoundDocument &d)
{
    // Only open cabinets are searched, so a found cabinet is never shown locked.
    const int cabinet = nodeIndex(m_cabinets, FoundCabinet, d.cabinetId, d.cabinetName, -1);
    const int drawer = nodeIndex(m_drawers, FoundDrawer, d.drawerId, d.drawerName, cabinet);
    const int folder = nodeIndex(m_folders, FoundFolder, d.folderId, d.folderName, drawer);
    nodeIndex(m_documents, FoundDocument, d.documentId, d.name, folder);
}

int FoundBranch::nodeIndex(QHash<RecordId, int> &ids, const QString &prefix, RecordId id, const QString &text,
                           int parent)
{
    const auto known = ids.constFind(id);
    if (known != ids.cend())
        return *known;
    // The first hit on a node gives its text and parent; later ones keep them.
    const int index = int(m_nodes.size());
    ids.insert(id, index);
    m_nodes.append({{NavNodeKey(prefix, id), text}, parent, {}});
    (parent < 0 ? m_rootChildren : m_nodes[parent].children).append(index);
    m_sorted = false;
    return index;
}

int FoundBranch::indexOf(const QString &key) const
{
    const std::optional<NodeKey> found = parseKey(key);
    if (!found)
        return -1;
    const QString &prefix = found->type;
    const QHash<RecordId, int> *ids = prefix == FoundCabinet  ? &m_cabinets
                                      : prefix == FoundDrawer ? &m_drawers
                                      : prefix == FoundFolder ? &m_folders
                                      : prefix == FoundDocument ? &m_documents
                                                                : nullptr;
    if (!ids)
        return -1;
    const int index = ids->value(found->id, -1);
    // The id alone would also take "FCB012" or "fcb12" for "FCB12".
    return index >= 0 && m_nodes.at(index).node.key == key ? index : -1;
}

QString FoundBranch::textOf(const QString &key) const
{
    const int index = indexOf(key);
    return index >= 0 ? m_nodes.at(index).node.text : QString();
}

QString FoundBranch::parentKeyOf(const QString &key) const
{
    const int index = indexOf(key);
    if (index < 0)
        return QString();
    const int parent = m_nodes.at(index).parent;
    return parent >= 0 ? m_nodes.at(parent).node.key : RootFound;
}

const QVector<FoundBranch::Level> &FoundBranch::levels() const
{
    if (!m_sorted)
        sortLevels();
    return m_levels;
}

void FoundBranch::sortLevels() const
{
    struct Entry
    {
        QCollatorSortKey sortKey;
        int index;
    };
    m_levels.clear();
    // Breadth first from the root: a parent's level comes before its children's.
    // -1 stands for the root.
    QVector<int> parents{-1};
    for (int i = 0; i < parents.size(); ++i) {
        const int parent = parents.at(i);
        const QVector<int> &children = parent < 0 ? m_rootChildren : m_nodes.at(parent).children;
        if (children.isEmpty())
            continue;
        std::vector<Entry> entries;
        entries.reserve(children.size());
        // A lone child needs no sort key: most folders hold one hit.
        for (int child : children)
            entries.push_back({children.size() > 1 ? NameOrder::sortKey(m_nodes.at(child).node.text) : noKey(), child});
        // The tree's own order: the name, then the key for equal names.
        std::sort(entries.begin(), entries.end(), [this](const Entry &a, const Entry &b) {
            const int r = a.sortKey.compare(b.sortKey);
            return r != 0 ? r < 0 : m_nodes.at(a.index).node.key < m_nodes.at(b.index).node.key;
        });
        Level level{parent < 0 ? RootFound : m_nodes.at(parent).node.key,
                    iconKeyOf(m_nodes.at(children.first()).node.key), {}};
        level.children.reserve(int(entries.size()));
        for (const Entry &e : entries) {
            level.children.append(m_nodes.at(e.index).node);
            parents.append(e.index);
        }
        m_levels.append(std::move(level));
    }
    m_sorted = true;
}

QVector<FoundBranch::Node> FoundBranch::childrenOf(const QString &key) const
{
    for (const Level &level : levels()) {
        if (level.parentKey == key)
            return level.children;
    }
    return {};
}

QVector<FoundBranch::ListRow> FoundBranch::levelListRows() const
{
    QVector<ListRow> rows;
    for (const Node &n : childrenOf(RootFound))
        rows.append({n.key, n.text, NavIconKeys::Document});
    return rows;
}

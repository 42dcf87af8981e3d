#include "FoundBranch.h"

#include "NameOrder.h"
#include "NavIconKeys.h"
#include "NavKeys.h"

#include <algorithm>
#include <vector>

#include <QCollatorSortKey>

using namespace NavKeys;

namespace {

// The image of a branch node, by its level.
QString iconKeyOf(const QString &key)
{
    const QString prefix = prefixOf(key);
    if (prefix == FoundCabinet)
        return NavIconKeys::Cabinet;
    if (prefix == FoundDrawer)
        return NavIconKeys::Drawer;
    if (prefix == FoundFolder)
        return NavIconKeys::Folder;
    return NavIconKeys::Document;
}

} // namespace

const QString FoundBranch::RootText = QStringLiteral("Found");
const QString FoundBranch::RootIconKey = NavIconKeys::Found;

FoundBranch::FoundBranch(const QVector<FindQuery::FoundDocument> &documents)
{
    m_nodes.reserve(documents.size() * 2);
    for (const FindQuery::FoundDocument &d : documents)
        add(d);
}

void FoundBranch::add(const FindQuery::FoundDocument &d)
{
    // Only open cabinets are searched, so a found cabinet is never shown locked.
    const QString cabinet = NavNodeKey(FoundCabinet, d.cabinetId);
    const QString drawer = NavNodeKey(FoundDrawer, d.drawerId);
    const QString folder = NavNodeKey(FoundFolder, d.folderId);
    addNode(cabinet, d.cabinetName, RootFound);
    addNode(drawer, d.drawerName, cabinet);
    addNode(folder, d.folderName, drawer);
    addNode(NavNodeKey(FoundDocument, d.documentId), d.name, folder);
}

void FoundBranch::addNode(const QString &key, const QString &text, const QString &parentKey)
{
    if (m_nodes.contains(key))
        return;
    m_nodes.insert(key, {text, parentKey});
    m_children[parentKey].append(key);
    m_sorted = false;
}

QString FoundBranch::textOf(const QString &key) const
{
    return m_nodes.value(key).text;
}

QString FoundBranch::parentKeyOf(const QString &key) const
{
    return m_nodes.value(key).parentKey;
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
        const QString *key;
    };
    m_levels.clear();
    m_levels.reserve(m_children.size());
    // Breadth first from the root: a parent's level comes before its children's.
    QVector<QString> parents{RootFound};
    for (int i = 0; i < parents.size(); ++i) {
        const auto found = m_children.constFind(parents.at(i));
        if (found == m_children.cend())
            continue;
        std::vector<Entry> entries;
        entries.reserve(found->size());
        for (const QString &key : *found)
            entries.push_back({NameOrder::sortKey(m_nodes.value(key).text), &key});
        // The tree's own order: the name, then the key for equal names.
        std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
            const int r = a.sortKey.compare(b.sortKey);
            return r != 0 ? r < 0 : *a.key < *b.key;
        });
        Level level{parents.at(i), iconKeyOf(found->first()), {}};
        level.children.reserve(int(entries.size()));
        for (const Entry &e : entries) {
            level.children.append({*e.key, m_nodes.value(*e.key).text});
            parents.append(*e.key);
        }
        m_levels.append(level);
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

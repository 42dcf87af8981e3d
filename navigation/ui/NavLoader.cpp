#include "navigation/ui/NavLoader.h"

#include "core/RecordId.h"
#include "navigation/FoundBranch.h"
#include "navigation/NavIconKeys.h"
#include "navigation/NavQueries.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/NavIcons.h"
#include "navigation/ui/NavTree.h"
#include "store/NodeKeys.h"
#include "store/Passwords.h"

#include <QListWidgetItem>
#include <QMap>

using namespace NodeKeys;

namespace {

// The image of a cabinet read with its row: what GetCabinetIconKey gives,
// without a query per cabinet.
QString cabinetIconKey(const NavQueries::Row &cabinet)
{
    const bool open = !cabinet.locked || Passwords::UnlockedCabinets().contains(cabinet.id);
    return open ? NavIconKeys::Cabinet : NavIconKeys::Locked;
}

} // namespace

QString NavLoader::GetCabinetIconKey(RecordId cabinetId)
{
    return Passwords::IsCabinetOpen(cabinetId) ? NavIconKeys::Cabinet : NavIconKeys::Locked;
}

void NavLoader::showName(const QString &key, const QString &name, const QDate &date)
{
    const std::optional<NodeKey> record = parseKey(key);
    if (!record || !record->level)
        return;
    const QString &prefix = record->type;
    const RecordId id = record->id;
    const bool document = prefix == Document;
    const QString text = document ? NavQueries::documentNodeText(name, date) : name;
    const QString found = prefix == Cabinet  ? FoundCabinet
                          : prefix == Drawer ? FoundDrawer
                          : prefix == Folder ? FoundFolder
                                             : FoundDocument;
    m_tree->setNodeText(key, text, name);
    m_tree->setNodeText(NavNodeKey(found, id), text, name);
    // The level list shows documents by their bare name.
    m_list->setEntryText(key, name);
}

int NavLoader::BuildNavTree()
{
    m_list->clear();
    m_tree->clearAll();
    m_tree->addNode(QString(), Root, QStringLiteral("File Cabinets"), NavIconKeys::Root);
    const QVector<NavQueries::Row> cabinets = NavQueries::cabinets();
    for (const NavQueries::Row &c : cabinets) {
        const QString key = NavNodeKey(Cabinet, c.id);
        const QString icon = cabinetIconKey(c);
        m_tree->addNode(Root, key, c.name, icon);
        m_list->addEntry(key, c.name, icon);
        // A cabinet with a password shows its drawers only once it is opened.
        if (!c.locked)
            LoadDrawersOfCabinet(key);
    }
    return int(cabinets.size());
}

void NavLoader::LoadDrawersOfCabinet(const QString &cabinetKey)
{
    QVector<NavTree::NewNode> nodes;
    const std::optional<RecordId> cabinet = idOfType(cabinetKey, Cabinet);
    if (!cabinet)
        return;
    for (const NavQueries::Row &d : NavQueries::drawersOfCabinet(*cabinet))
        nodes.append({NavNodeKey(Drawer, d.id), d.name, d.name});
    m_tree->addNodes(cabinetKey, nodes, NavIconKeys::Drawer);
}

void NavLoader::LoadFoldersOfCabinet(const QString &cabinetKey)
{
    const std::optional<RecordId> cabinet = idOfType(cabinetKey, Cabinet);
    if (!cabinet)
        return;
    QMap<RecordId, QVector<NavTree::NewNode>> byDrawer;
    for (const NavQueries::Row &f : NavQueries::foldersOfCabinet(*cabinet))
        byDrawer[f.parentId].append({NavNodeKey(Folder, f.id), f.name, f.name});
    for (auto it = byDrawer.cbegin(); it != byDrawer.cend(); ++it)
        m_tree->addNodes(NavNodeKey(Drawer, it.key()), it.value(), NavIconKeys::Folder);
}

void NavLoader::LoadDocumentsOfDrawer(const QString &drawerKey)
{
    const std::optional<RecordId> drawer = idOfType(drawerKey, Drawer);
    if (!drawer)
        return;
    QMap<RecordId, QVector<NavTree::NewNode>> byFolder;
    for (const NavQueries::Row &d : NavQueries::documentsOfDrawer(*drawer))
        byFolder[d.parentId].append({NavNodeKey(Document, d.id), NavQueries::documentNodeText(d.name, d.date), d.name});
    for (auto it = byFolder.cbegin(); it != byFolder.cend(); ++it)
        m_tree->addNodes(NavNodeKey(Folder, it.key()), it.value(), NavIconKeys::Document);
}

void NavLoader::openNode(const QString &key)
{
    const QString prefix = typeOf(key);
    if (prefix == Cabinet) {
        LoadDrawersOfCabinet(key);
        LoadFoldersOfCabinet(key);
    } else if (prefix == Drawer) {
        LoadDocumentsOfDrawer(key);
    }
    m_tree->selectNode(key);
    m_tree->expandNode(key);
}

void NavLoader::loadAhead(const QString &key)
{
    const QString prefix = typeOf(key);
    if (prefix == Cabinet)
        LoadFoldersOfCabinet(key);
    else if (prefix == Drawer)
        LoadDocumentsOfDrawer(key);
}

void NavLoader::cabinetUnlocked(RecordId cabinetId, const QString &name)
{
    // The node is updated in place (never deleted inside the click that is
    // being handled): open image, its drawers loaded afresh whatever the
    // unlock was for, selected and expanded.
    const QString key = NavNodeKey(Cabinet, cabinetId);
    // A cabinet without a password shows what it holds from the start:
    // there is nothing to load again.
    if (m_tree->contains(key) && m_tree->iconKeyOf(key) == NavIconKeys::Cabinet) {
        // Its first selection in the run still opens it, as for a
        // cabinet with a password.
        m_tree->expandNode(key);
        return;
    }
    if (!m_tree->contains(key))
        m_tree->addNode(Root, key, name, NavIconKeys::Cabinet);
    m_tree->setNodeText(key, name, name);
    m_tree->setNodeIcon(key, NavIconKeys::Cabinet);
    m_tree->removeChildren(key);
    LoadDrawersOfCabinet(key);
    LoadFoldersOfCabinet(key);
    m_tree->selectNode(key);
    m_tree->expandNode(key);
    if (QListWidgetItem *item = m_list->entry(key)) {
        item->setIcon(NavIcons::icon(NavIconKeys::Cabinet));
        item->setData(LevelList::IconKeyRole, NavIconKeys::Cabinet);
    }
}

void NavLoader::listCabinets()
{
    m_list->clear();
    for (const NavQueries::Row &c : NavQueries::cabinets())
        m_list->addEntry(NavNodeKey(Cabinet, c.id), c.name, cabinetIconKey(c));
}

void NavLoader::listDrawers(RecordId cabinetId)
{
    m_list->clear();
    for (const NavQueries::Row &d : NavQueries::drawersOfCabinet(cabinetId))
        m_list->addEntry(NavNodeKey(Drawer, d.id), d.name, NavIconKeys::Drawer);
}

void NavLoader::listFolders(RecordId drawerId)
{
    m_list->clear();
    for (const NavQueries::Row &f : NavQueries::foldersOfDrawer(drawerId))
        m_list->addEntry(NavNodeKey(Folder, f.id), f.name, NavIconKeys::Folder);
}

void NavLoader::listDocuments(RecordId folderId)
{
    m_list->clear();
    // Documents are listed by name alone; their tree nodes carry the date.
    for (const NavQueries::Row &d : NavQueries::documentsOfFolder(folderId))
        m_list->addEntry(NavNodeKey(Document, d.id), d.name, NavIconKeys::Document);
}

void NavLoader::listFound()
{
    m_list->clear();
    for (const QString &key : m_tree->childKeys(RootFound))
        m_list->addEntry(key, m_tree->textOf(key), NavIconKeys::Document);
}

void NavLoader::showFound(const FindQuery::FindResult &result)
{
    if (result.hitCount == 0)
        return;
    const FoundBranch branch(result.documents);
    if (!m_tree->contains(RootFound)) {
        m_tree->addFoundBranch(branch);
    } else {
        // A branch still in the tree takes the new nodes a level at a time.
        for (const FoundBranch::Level &level : branch.levels()) {
            QVector<NavTree::NewNode> nodes;
            nodes.reserve(level.children.size());
            for (const FoundBranch::Node &n : level.children)
                nodes.append({n.key, n.text, n.text});
            m_tree->addNodes(level.parentKey, nodes, level.iconKey);
            m_tree->expandNode(level.parentKey);
        }
    }
    m_tree->expandNode(RootFound);
    m_tree->selectNode(RootFound);
}

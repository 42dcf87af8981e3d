#pragma once

#include <QDate>
#include <QString>

#include "core/RecordId.h"

namespace FindQuery {
struct FindResult;
}

class LevelList;
class NavTree;

// Fills the navigation tree and the level list from the database. The tree
// holds one level more than is expanded; each level is read once, in one
// query. Every function throws AppError.
class NavLoader
{
public:
    NavLoader(NavTree *tree, LevelList *list) : m_tree(tree), m_list(list) {}

    // Rebuilds the tree's root with every cabinet and the drawers of the
    // open ones, and lists the cabinets. Returns the number of cabinets.
    int BuildNavTree();
    void LoadDrawersOfCabinet(const QString &cabinetKey);
    void LoadFoldersOfCabinet(const QString &cabinetKey);
    void LoadDocumentsOfDrawer(const QString &drawerKey);

    // Loads the level below a node, selects and expands it.
    void openNode(const QString &key);
    // What an expanded node needs: the level below its children.
    void loadAhead(const QString &key);
    // A cabinet just opened with its password: its node shows the open
    // image and what it holds, selected and expanded; its list item the
    // open image.
    void cabinetUnlocked(RecordId cabinetId, const QString &name);

    // The level list's fills; each empties the list first.
    void listCabinets();
    void listDrawers(RecordId cabinetId);
    void listFolders(RecordId drawerId);
    void listDocuments(RecordId folderId);
    // The nodes under "ROOTFOUND" as the tree holds them.
    void listFound();
    // Builds the "Found" branch of a search at the top level, every node
    // expanded, and selects its root without listing it. Nothing is added
    // for a search that found nothing.
    void showFound(const FindQuery::FindResult &result);

    // A record's new name on its node, its search-result copy and its list
    // item ("CAB12" ...): a document's node text carries its date, its list
    // item the bare name. Views that do not hold the record are left alone.
    void showName(const QString &key, const QString &name, const QDate &date = QDate());

    // A cabinet's image: open or locked.
    static QString GetCabinetIconKey(RecordId cabinetId);

private:
    NavTree *m_tree;
    LevelList *m_list;
};

#include "navigation/ui/NavLevels.h"
#include "ui_frmNavTree.h"

#include "core/NavigationSink.h"
#include "navigation/NavIconKeys.h"
#include "navigation/ui/NavLoader.h"
#include "navigation/ui/NavShownNode.h"
#include "navigation/ui/NavTree.h"
#include "store/NodeKeys.h"

#include <QDate>

namespace {

void loadNothing(NavLoader &, const QString &)
{
}

void loadCabinet(NavLoader &loader, const QString &key)
{
    loader.LoadDrawersOfCabinet(key);
    loader.LoadFoldersOfCabinet(key);
}

void loadDrawer(NavLoader &loader, const QString &key)
{
    loader.LoadDocumentsOfDrawer(key);
}

// Reached through actionsOf, whose keys are of the level's type.
void listCabinet(NavShownNode &shown, const QString &key)
{
    if (const std::optional<RecordId> cabinet = NodeKeys::idOfType(key, NodeKeys::Cabinet))
        shown.showDrawers(*cabinet);
}

void listDrawer(NavShownNode &shown, const QString &key)
{
    shown.showFolders(key);
}

void listFolder(NavShownNode &shown, const QString &key)
{
    shown.showDocuments(key);
}

void listDocument(NavShownNode &shown, const QString &key)
{
    if (const std::optional<RecordId> document = NodeKeys::idOfType(key, NodeKeys::Document))
        shown.showPages(*document);
}

void showCabinetName(NavigationSink &sink, RecordId id, const QString &name, const QDate &)
{
    sink.UpdateCabinetName(id, name);
}

void showDrawerName(NavigationSink &sink, RecordId id, const QString &name, const QDate &)
{
    sink.UpdateDrawerName(id, name);
}

void showFolderName(NavigationSink &sink, RecordId id, const QString &name, const QDate &)
{
    sink.UpdateFolderName(id, name);
}

void showDocumentName(NavigationSink &sink, RecordId id, const QString &name, const QDate &date)
{
    sink.UpdateDocumentName(id, name, date);
}

using TypeMenu = NavRules::TypeMenu;
using Ui::frmNavTree;

// Indexed by RecordLevel; pages have no node in the tree.
const NavLevelActions kActions[] = {
    {TypeMenu::Cabinet, loadCabinet, listCabinet, true, &frmNavTree::mnuPopupCabinet,
     {&frmNavTree::mnuPopupCabinetNewCabinet, &frmNavTree::mnuPopupCabinetNewDrawer}, showCabinetName,
     &NavIconKeys::Cabinet},
    {TypeMenu::Drawer, loadDrawer, listDrawer, true, &frmNavTree::mnuPopupDrawer,
     {&frmNavTree::mnuPopupDrawerNewDrawer, &frmNavTree::mnuPopupDrawerNewFolder}, showDrawerName,
     &NavIconKeys::Drawer},
    {TypeMenu::Folder, loadNothing, listFolder, true, &frmNavTree::mnuPopupFolder,
     {&frmNavTree::mnuPopupFolderNewDocument, &frmNavTree::mnuPopupFolderNewFolder,
      &frmNavTree::mnuPopupFolderImportFiles},
     showFolderName, &NavIconKeys::Folder},
    {TypeMenu::Document, loadNothing, listDocument, false, &frmNavTree::mnuPopupDocument,
     {&frmNavTree::mnuPopupDocumentImportFiles, &frmNavTree::mnuPopupDocumentScanPage}, showDocumentName,
     &NavIconKeys::Document},
};

} // namespace

namespace NavLevels {

const NavLevelActions *actionsOf(const QString &key)
{
    const std::optional<RecordLevel> level = NodeKeys::levelOf(key);
    if (!level)
        return nullptr;
    return actionsOf(*level);
}

const NavLevelActions *actionsOf(RecordLevel level)
{
    if (level == RecordLevel::Page)
        return nullptr;
    return &kActions[std::size_t(level)];
}

QString placeNode(NavTree *tree, RecordLevel level, RecordId parentId, RecordId id, const QString &text,
                  const QString &name)
{
    const QString key = NodeKeys::keyOf(level, id);
    const std::optional<RecordLevel> parent = Schema::parentLevel(level);
    const QString parentKey = parent ? NodeKeys::keyOf(*parent, parentId) : NodeKeys::Root;
    if (!tree->addNode(parentKey, key, text, *actionsOf(level)->iconKey, name))
        tree->setNodeText(key, text, name);
    tree->selectNode(key);
    return key;
}

} // namespace NavLevels

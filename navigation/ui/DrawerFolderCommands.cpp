#include "navigation/ui/DrawerFolderCommands.h"

#include "core/Guard.h"
#include "core/RecordId.h"
#include "navigation/ui/NavCommandHost.h"
#include "store/Deletes.h"
#include "store/NodeKeys.h"
#include "store/Records.h"
#include "store/ui/frmDocument.h"
#include "store/ui/frmDrawer.h"
#include "store/ui/frmFolder.h"

using namespace NodeKeys;

void DrawerFolderCommands::addSibling(const QString &kind, const QString &parentKind, RecordId (*parentOf)(RecordId),
                                      bool (*add)(QWidget *, RecordId))
{
    const CommandTarget target = m_host.commandTarget(kind, true);
    if (target.prefix() == parentKind || NavCommandSteps::targetIsOfKind(target, kind)) {
        guard([&] {
            if (!NavCommandSteps::mayWorkIn(target.key, target.name))
                return;
            const RecordId parent = target.prefix() == kind ? parentOf(target.id()) : target.id();
            add(m_host.dialogParent(), parent);
        });
    }
    m_host.returnFocus();
}

void DrawerFolderCommands::deleteRecord(const QString &kind, const QString &foundPrefix, Deletes::DeleteResult (*deleteRows)(RecordId))
{
    const CommandTarget target = m_host.commandTarget(kind, false);
    if (!NavCommandSteps::targetIsOfKind(target, kind))
        return;
    if (NavCommandSteps::mayWorkOn(target) && NavCommandSteps::confirmDelete(target.name)) {
        // The rows stay as they were when this fails: one transaction.
        Deletes::DeleteResult result;
        if (guard([&] { result = deleteRows(target.id()); })) {
            m_host.removeDeleted(target.key, NavNodeKey(foundPrefix, target.id()));
            NavCommandSteps::reportKeptFiles(result);
        }
    }
    m_host.returnFocus();
}

void DrawerFolderCommands::mnuPopupDrawerNewDrawer_Click()
{
    addSibling(Drawer, Cabinet, &Records::GetCabinetIdOfDrawer, &frmDrawer::addDrawer);
}

void DrawerFolderCommands::mnuPopupDrawerNewFolder_Click()
{
    NavCommandSteps::openDialogOnTarget(m_host, Drawer, false, &frmFolder::addFolder);
}

void DrawerFolderCommands::mnuPopupDrawerRename_Click()
{
    const CommandTarget target = m_host.commandTarget(Drawer, false);
    if (NavCommandSteps::targetIsOfKind(target, Drawer))
        m_host.startRename(target);
}

void DrawerFolderCommands::mnuPopupDrawerDelete_Click()
{
    deleteRecord(Drawer, FoundDrawer, &Deletes::deleteDrawer);
}

void DrawerFolderCommands::mnuPopupDrawerProperties_Click()
{
    NavCommandSteps::openDialogOnTarget(m_host, Drawer, false, &frmDrawer::editDrawer);
}

void DrawerFolderCommands::mnuPopupFolderNewFolder_Click()
{
    addSibling(Folder, Drawer, &Records::GetDrawerIdOfFolder, &frmFolder::addFolder);
}

void DrawerFolderCommands::mnuPopupFolderNewDocument_Click()
{
    NavCommandSteps::openDialogOnTarget(m_host, Folder, true, &frmDocument::addDocument);
}

void DrawerFolderCommands::mnuPopupFolderRename_Click()
{
    const CommandTarget target = m_host.commandTarget(Folder, false);
    if (NavCommandSteps::targetIsOfKind(target, Folder))
        m_host.startRename(target);
}

void DrawerFolderCommands::mnuPopupFolderDelete_Click()
{
    deleteRecord(Folder, FoundFolder, &Deletes::deleteFolder);
}

void DrawerFolderCommands::mnuPopupFolderProperties_Click()
{
    NavCommandSteps::openDialogOnTarget(m_host, Folder, false, &frmFolder::editFolder);
}

void DrawerFolderCommands::mnuPopupFolderImportFiles_Click()
{
    NavCommandSteps::importFilesInto(m_host, Folder);
}

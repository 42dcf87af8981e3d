#include "navigation/ui/CabinetCommands.h"

#include "core/Guard.h"
#include "exchange/ui/frmExport.h"
#include "exchange/ui/frmImport.h"
#include "navigation/ui/NavCommandHost.h"
#include "store/Deletes.h"
#include "store/NodeKeys.h"
#include "store/ui/frmCabinet.h"
#include "store/ui/frmDrawer.h"

using namespace NodeKeys;

void CabinetCommands::mnuPopupCabinetNewCabinet_Click()
{
    guard([this] { frmCabinet::addCabinet(m_host.dialogParent()); });
    m_host.returnFocus();
}

void CabinetCommands::mnuPopupCabinetNewDrawer_Click()
{
    NavCommandSteps::openDialogOnTarget(m_host, Cabinet, true, &frmDrawer::addDrawer);
}

void CabinetCommands::mnuPopupCabinetRename_Click()
{
    const CommandTarget target = m_host.commandTarget(Cabinet, false);
    if (NavCommandSteps::targetIsOfKind(target, Cabinet))
        m_host.startRename(target);
}

void CabinetCommands::mnuPopupCabinetDelete_Click()
{
    const CommandTarget target = m_host.commandTarget(Cabinet, false);
    if (!NavCommandSteps::targetIsOfKind(target, Cabinet))
        return;
    bool deleted = false;
    bool refused = false;
    Deletes::DeleteResult result;
    guard([&] {
        if (!NavCommandSteps::mayWorkIn(target.key, target.name)) {
            refused = true;
            return;
        }
        if (!NavCommandSteps::confirmDelete(target.name))
            return;
        // The rows stay as they were when this fails: one transaction.
        result = Deletes::deleteCabinet(target.id());
        deleted = true;
    });
    if (deleted) {
        m_host.removeDeleted(target.key, NavNodeKey(FoundCabinet, target.id()));
        NavCommandSteps::reportKeptFiles(result);
    }
    // A refused password leaves the focus on the tree, whatever the source.
    if (refused)
        m_host.focusTree();
    else
        m_host.returnFocus();
}

void CabinetCommands::mnuPopupCabinetProperties_Click()
{
    NavCommandSteps::openDialogOnTarget(m_host, Cabinet, false, &frmCabinet::editCabinet);
}

void CabinetCommands::mnuPopupCabinetExport_Click()
{
    const CommandTarget target = m_host.commandTarget(Cabinet, false);
    if (!NavCommandSteps::targetIsOfKind(target, Cabinet))
        return;
    frmExport dialog(m_host.dialogParent());
    dialog.selectCabinet(target.id());
    dialog.exec();
}

void CabinetCommands::mnuPopupCabinetImport_Click()
{
    const CommandTarget target = m_host.commandTarget(Cabinet, false);
    if (!NavCommandSteps::targetIsOfKind(target, Cabinet))
        return;
    frmImport dialog(m_host.dialogParent());
    dialog.selectCabinet(target.id());
    dialog.exec();
    // The import may have added to whatever is on show, not only to the
    // cabinet.
    m_host.shownContentsChanged();
}

#pragma once

#include "core/RecordId.h"
#include "store/Deletes.h"

class NavCommandHost;
class QString;
class QWidget;

// The commands of the drawer and folder menus, run from their popups, the
// menu bar or the Insert and Delete keys.
class DrawerFolderCommands
{
public:
    explicit DrawerFolderCommands(NavCommandHost &host) : m_host(host) {}

    void mnuPopupDrawerNewDrawer_Click();
    void mnuPopupDrawerNewFolder_Click();
    void mnuPopupDrawerRename_Click();
    void mnuPopupDrawerDelete_Click();
    void mnuPopupDrawerProperties_Click();
    void mnuPopupFolderNewFolder_Click();
    void mnuPopupFolderNewDocument_Click();
    void mnuPopupFolderRename_Click();
    void mnuPopupFolderDelete_Click();
    void mnuPopupFolderProperties_Click();
    void mnuPopupFolderImportFiles_Click();

private:
    // New Drawer of a drawer and New Folder of a folder: a record beside the
    // target, in the target's parent (or in the target when it is a parent).
    void addSibling(const QString &kind, const QString &parentKind, RecordId (*parentOf)(RecordId),
                    bool (*add)(QWidget *, RecordId));
    void deleteRecord(const QString &kind, const QString &foundPrefix, Deletes::DeleteResult (*deleteRows)(RecordId));

    NavCommandHost &m_host;
};

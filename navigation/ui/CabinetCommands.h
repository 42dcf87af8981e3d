#pragma once

class NavCommandHost;

// The commands of the cabinet menu, run from its popup, the menu bar or the
// Insert and Delete keys.
class CabinetCommands
{
public:
    explicit CabinetCommands(NavCommandHost &host) : m_host(host) {}

    void mnuPopupCabinetNewCabinet_Click();
    void mnuPopupCabinetNewDrawer_Click();
    void mnuPopupCabinetRename_Click();
    void mnuPopupCabinetDelete_Click();
    void mnuPopupCabinetProperties_Click();
    // The export and import dialogs with this cabinet chosen.
    void mnuPopupCabinetExport_Click();
    void mnuPopupCabinetImport_Click();

private:
    NavCommandHost &m_host;
};

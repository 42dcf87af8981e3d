#pragma once

class NavCommandHost;

// The commands of the document menu, run from its popup or the menu bar.
// Scan stays disabled until scanning exists.
class DocumentCommands
{
public:
    explicit DocumentCommands(NavCommandHost &host) : m_host(host) {}

    void mnuPopupDocumentNewDocument_Click();
    void mnuPopupDocumentRepaginate_Click();
    void mnuPopupDocumentRename_Click();
    void mnuPopupDocumentDelete_Click();
    void mnuPopupDocumentPaste_Click();
    void mnuPopupDocumentProperties_Click();
    void mnuPopupDocumentImportFiles_Click();
    void mnuPopupDocumentPrint_Click();

private:
    NavCommandHost &m_host;
};

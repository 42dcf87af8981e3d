#pragma once

class NavCommandHost;

// The commands of the document menu, run from its popup, the menu bar or a
// key of the level list.
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
    // Scan New Page: scans pages onto the end of the target document (also
    // Insert on a document of the level list).
    void mnuPopupDocumentScanPage_Click();

private:
    NavCommandHost &m_host;
};

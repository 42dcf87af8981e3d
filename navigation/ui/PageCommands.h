#pragma once

#include "core/RecordId.h"
#include "navigation/PageClipboard.h"

class NavCommandHost;

// The commands of the page menu. They act on the pages selected in the page
// pane, of the document the pane shows, whatever the tree has selected
// meanwhile; after each change the pane reads the document's pages again.
class PageCommands
{
public:
    explicit PageCommands(NavCommandHost &host) : m_host(host) {}

    void mnuPopupPageOpen_Click();
    void mnuPopupPageRenumber_Click();
    void mnuPopupPageDelete_Click();
    void mnuPopupPageCut_Click();
    void mnuPopupPageCopy_Click();
    void mnuPopupPagePaste_Click();
    void mnuPopupPageProperties_Click();
    // Prints the first selected page.
    void mnuPopupPagePrint_Click();

    // Opens one page: a stored image in the viewer, a shortcut page's file
    // with its own program.
    void openPage(RecordId pageId);

private:
    NavCommandHost &m_host;
};

namespace NavCommandSteps {
// Pastes the cut pages or the clipboard's files into the document and tells
// the user of every file skipped; the page pane, when it shows the document
// (or one the cut pages left), reads its pages again. Every file added
// sends its folder's new-page notice.
void pasteInto(NavCommandHost &host, RecordId documentId);
} // namespace NavCommandSteps

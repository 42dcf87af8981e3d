#pragma once

#include <QSet>

class QAction;
class QWidget;
namespace Ui {
class frmNavTree;
}

// The settings commands of the File menu and the commands of the Tools and
// Help menus: each opens its window over the navigation window.
class MainMenuCommands
{
public:
    explicit MainMenuCommands(QWidget *window) : m_window(window) {}

    // Connects the window's items of these menus; returns them.
    QSet<QAction *> connectActions(Ui::frmNavTree &ui);

    void mnuScanSettings_Click();
    void mnuPrintSettings_Click();
    void mnuEmailSettings_Click();
    // Tools "Import File Cabinet..." and "Export File Cabinet...".
    void mnuToolsImportFiles_Click();
    void mnuToolsExportCabinet_Click();
    void mnuToolsDrawerTemplates_Click();
    // Writes the sample outline when it is missing, then opens frmSample.
    void mnuToolsCreateSampleCabinet_Click();
    void mnuHelpHelpTopics_Click();
    void mnuHelpAbout_Click();

private:
    QWidget *m_window;
};

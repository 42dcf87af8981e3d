#pragma once

class QWidget;

// The commands of the Tools and Help menus: each opens its window over the
// navigation window.
class MainMenuCommands
{
public:
    explicit MainMenuCommands(QWidget *window) : m_window(window) {}

    void mnuToolsDrawerTemplates_Click();
    // Writes the sample outline when it is missing, then opens frmSample.
    void mnuToolsCreateSampleCabinet_Click();
    void mnuHelpHelpTopics_Click();
    void mnuHelpAbout_Click();

private:
    QWidget *m_window;
};

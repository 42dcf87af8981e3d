#include "navigation/ui/MainMenuCommands.h"
#include "ui_frmNavTree.h"

#include "core/Prompt.h"
#include "exchange/ui/frmEmailSettings.h"
#include "exchange/ui/frmExport.h"
#include "exchange/ui/frmImport.h"
#include "imaging/print/frmPrintSettings.h"
#include "imaging/ui/frmScanSettings.h"
#include "navigation/ui/NavIcons.h"
#include "store/SampleCabinets.h"
#include "store/ui/frmAbout.h"
#include "store/ui/frmCustomDrawer.h"
#include "store/ui/frmHelp.h"
#include "store/ui/frmSample.h"

#include <QAction>
#include <QFileInfo>

QSet<QAction *> MainMenuCommands::connectActions(Ui::frmNavTree &ui)
{
    const std::pair<QAction *, void (MainMenuCommands::*)()> commands[] = {
        {ui.mnuScanSettings, &MainMenuCommands::mnuScanSettings_Click},
        {ui.mnuPrintSettings, &MainMenuCommands::mnuPrintSettings_Click},
        {ui.mnuEmailSettings, &MainMenuCommands::mnuEmailSettings_Click},
        {ui.mnuToolsImportFiles, &MainMenuCommands::mnuToolsImportFiles_Click},
        {ui.mnuToolsExportCabinet, &MainMenuCommands::mnuToolsExportCabinet_Click},
        {ui.mnuToolsDrawerTemplates, &MainMenuCommands::mnuToolsDrawerTemplates_Click},
        {ui.mnuToolsCreateSampleCabinet, &MainMenuCommands::mnuToolsCreateSampleCabinet_Click},
        {ui.mnuHelpHelpTopics, &MainMenuCommands::mnuHelpHelpTopics_Click},
        {ui.mnuHelpAbout, &MainMenuCommands::mnuHelpAbout_Click},
    };
    QSet<QAction *> built;
    for (const auto &c : commands) {
        QObject::connect(c.first, &QAction::triggered, m_window, [this, f = c.second] { (this->*f)(); });
        built.insert(c.first);
    }
    return built;
}

void MainMenuCommands::mnuScanSettings_Click()
{
    frmScanSettings::showScanSettings(m_window);
}

void MainMenuCommands::mnuPrintSettings_Click()
{
    frmPrintSettings::showSettings(m_window);
}

void MainMenuCommands::mnuEmailSettings_Click()
{
    frmEmailSettings dialog(m_window);
    dialog.exec();
}

void MainMenuCommands::mnuToolsImportFiles_Click()
{
    frmImport dialog(m_window);
    dialog.exec();
}

void MainMenuCommands::mnuToolsExportCabinet_Click()
{
    frmExport dialog(m_window);
    dialog.exec();
}

void MainMenuCommands::mnuToolsDrawerTemplates_Click()
{
    // The templates show the images of the tree they fill.
    frmCustomDrawer dialog(m_window, &NavIcons::icon);
    dialog.exec();
}

void MainMenuCommands::mnuToolsCreateSampleCabinet_Click()
{
    if (!QFileInfo::exists(SampleCabinets::sampleOutlinePath()))
        SampleCabinets::WriteSampleOutline();
    if (!QFileInfo::exists(SampleCabinets::sampleOutlinePath())) {
        Prompt::instance().warning(QStringLiteral("Missing file '%1'.").arg(SampleCabinets::sampleOutlinePath()));
        return;
    }
    frmSample dialog(m_window);
    dialog.exec();
}

void MainMenuCommands::mnuHelpHelpTopics_Click()
{
    if (!frmHelp::showHelp(m_window))
        Prompt::instance().warning(QStringLiteral("Cannot find help file VLMHELP.TXT."));
}

void MainMenuCommands::mnuHelpAbout_Click()
{
    frmAbout::showAbout(m_window);
}

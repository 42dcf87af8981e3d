#include "MainMenuCommands.h"

#include "NavIcons.h"
#include "Prompt.h"
#include "SampleCabinets.h"
#include "frmAbout.h"
#include "frmCustomDrawer.h"
#include "frmEmailSettings.h"
#include "frmExport.h"
#include "frmHelp.h"
#include "frmImport.h"
#include "frmPrintSettings.h"
#include "frmScanSettings.h"
#include "frmSample.h"

#include <QFileInfo>

void MainMenuCommands::mnuScanSettings_Click()
{
    frmScanSettings::ShowScanSettings(m_window);
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
    if (!QFileInfo::exists(SampleCabinets::SampleOutlinePath()))
        SampleCabinets::WriteSampleOutline();
    if (!QFileInfo::exists(SampleCabinets::SampleOutlinePath())) {
        Prompt::instance().warning(QStringLiteral("Missing file '%1'.").arg(SampleCabinets::SampleOutlinePath()));
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

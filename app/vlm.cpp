#include "VlmApplication.h"
#include "VlmStartup.h"
#include "Settings.h"
#include "WidgetPrompt.h"
#include "frmNavTree.h"
#include "frmProgress.h"
#include "NavIcons.h"

#include <QApplication>
#include <QImageReader>
#include <QLockFile>

int main(int argc, char **argv)
{
    VlmApplication app(argc, argv);
    QApplication::setApplicationName(Settings::AppName);
    QApplication::setApplicationDisplayName(QStringLiteral("Vellumark"));
    QApplication::setApplicationVersion(QStringLiteral(VLM_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vellumark"));
    QApplication::setWindowIcon(NavIcons::appIcon());
    // Scanned pages at 600 dpi are larger than Qt's default image limit.
    QImageReader::setAllocationLimit(1024);

    WidgetPrompt prompt;
    Prompt::setInstance(&prompt);
    frmProgress::install();

    VlmStartup::Result started = VlmStartup::Main();
    if (!started.window)
        return started.exitCode;
    const int code = app.exec();
    started.window.reset();
    Prompt::setInstance(nullptr);
    return code;
}

#include "Email.h"
#include "VlmApplication.h"
#include "VlmStartup.h"
#include "Startup.h"
#include "WidgetPrompt.h"
#include "frmNavTree.h"
#include "frmProgress.h"
#include "NavIcons.h"

#include <QApplication>
#include <QLockFile>

int main(int argc, char **argv)
{
    VlmApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(VLM_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vellumark"));
    QApplication::setWindowIcon(NavIcons::appIcon());
    Startup::InitApplication();
    // A saved new page tells its folder's address when one is set.
    Email::ConnectNotices(&app);

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

#include "app/VlmApplication.h"
#include "app/VlmStartup.h"
#include "core/ui/frmProgress.h"
#include "exchange/Email.h"
#include "navigation/ui/NavIcons.h"
#include "navigation/ui/frmNavTree.h"
#include "store/ui/StorePrompt.h"

#include <QApplication>
#include <QLockFile>

int main(int argc, char **argv)
{
    VlmApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(VLM_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vellumark"));
    QApplication::setWindowIcon(NavIcons::appIcon());
    // A saved new page tells its folder's address when one is set.
    Email::connectNotices(&app);

    StorePrompt prompt;
    Prompt::setInstance(&prompt);
    frmProgress::install();

    // Main names the application and sets the image limit first, as
    // ToolsStartup::Main does for the tools.
    VlmStartup::Result started = VlmStartup::Main();
    if (!started.window)
        return started.exitCode;
    const int code = app.exec();
    started.window.reset();
    Prompt::setInstance(nullptr);
    return code;
}

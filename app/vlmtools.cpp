#include "Prompt.h"
#include "Startup.h"
#include "ToolsIcon.h"
#include "WidgetPrompt.h"
#include "frmMain.h"

#include <QApplication>

namespace {

// The start-up steps vlmtools shares with vlm: the settings name, the
// image size limit and the database driver check. The data folder is only
// resolved when a tool needs it, and never created here; the database is
// opened by the tool that needs it, never at start-up, and never created.
bool startUp()
{
    Startup::InitApplication();
    // The caption names the program already; a display name would be
    // appended to it by the window system integration.
    QGuiApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationVersion(QStringLiteral(VLM_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vlmtools"));
    QApplication::setWindowIcon(ToolsIcon::appIcon());
    if (const std::optional<Startup::Failure> failure = Startup::CheckDriver()) {
        Startup::Show(*failure);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    WidgetPrompt prompt;
    Prompt::setInstance(&prompt);
    if (!startUp()) {
        Prompt::setInstance(nullptr);
        return 1;
    }
    int code = 0;
    {
        frmMain window;
        window.show();
        code = app.exec();
    }
    Prompt::setInstance(nullptr);
    return code;
}

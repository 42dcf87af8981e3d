#include "store/Prompt.h"
#include "store/Startup.h"
#include "store/ui/WidgetPrompt.h"
#include "tools/ui/ToolsIcon.h"
#include "tools/ui/frmMain.h"

#include <QApplication>

namespace {

// The start-up steps vlmtools shares with vlm: the settings name, the
// image size limit, the database driver check, and on an existing data
// folder that vlm does not hold, the removal of an import's leftovers and
// the recognition of the database (an unfinished commit rolled back first).
// The data folder and the database are never created here; the database
// is opened by the tool that needs it.
bool startUp()
{
    Startup::InitApplication();
    // The caption names the program already; a display name would be
    // appended to it by the window system integration.
    QGuiApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationVersion(QStringLiteral(VLM_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vlmtools"));
    QApplication::setWindowIcon(ToolsIcon::appIcon());
    std::optional<Startup::Failure> failure = Startup::CheckDriver();
    if (!failure)
        failure = Startup::PrepareForTools();
    if (failure) {
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

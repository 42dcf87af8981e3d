#include "Database.h"
#include "Prompt.h"
#include "Settings.h"
#include "ToolsIcon.h"
#include "WidgetPrompt.h"
#include "frmMain.h"

#include <QApplication>
#include <QImageReader>

namespace {

// The start-up steps vlmtools shares with vlm: the settings name, the
// image size limit and the database driver check. The data folder is only
// resolved, when a tool needs it, and never created here; the database is
// opened by the tool that needs it, never at start-up, and never created.
// TODO: switch to the start-up module shared with vlm once it is in.
bool startUp()
{
    QApplication::setApplicationName(Settings::AppName);
    QApplication::setApplicationVersion(QStringLiteral(VLM_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vlmtools"));
    QApplication::setWindowIcon(ToolsIcon::appIcon());
    // Scanned pages at 600 dpi are larger than Qt's default image limit.
    QImageReader::setAllocationLimit(1024);
    QString message;
    if (!Database::CheckDatabaseDriver(&message)) {
        Prompt::instance().error(message);
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

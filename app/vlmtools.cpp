#include "app/ToolsStartup.h"
#include "store/Prompt.h"
#include "store/ui/WidgetPrompt.h"
#include "tools/ui/frmMain.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    WidgetPrompt prompt;
    Prompt::setInstance(&prompt);
    ToolsStartup::Result started = ToolsStartup::Main();
    if (!started.ok) {
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

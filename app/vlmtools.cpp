#include "app/ToolsStartup.h"
#include "core/Prompt.h"
#include "store/ui/StorePrompt.h"
#include "tools/ui/frmMain.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    StorePrompt prompt;
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

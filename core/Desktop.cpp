#include "core/Desktop.h"

#include <QDesktopServices>

namespace {

class SystemDesktop : public Desktop
{
public:
    bool openUrl(const QUrl &url) override { return QDesktopServices::openUrl(url); }
};

Desktop *g_desktop = nullptr;

} // namespace

Desktop &Desktop::instance()
{
    static SystemDesktop system;
    return g_desktop ? *g_desktop : system;
}

void Desktop::setInstance(Desktop *desktop)
{
    g_desktop = desktop;
}

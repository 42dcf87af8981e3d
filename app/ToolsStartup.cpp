#include "app/ToolsStartup.h"

#include "platform/ThumbnailTempSweep.h"
#include "store/Startup.h"
#include "tools/ui/ToolsIcon.h"

#include <QApplication>

namespace ToolsStartup {

Result::Result() = default;
Result::Result(Result &&) noexcept = default;
Result &Result::operator=(Result &&) noexcept = default;
Result::~Result() = default;

Result Main()
{
    Result result;
    Startup::initApplication();
    // The caption names the program already; a display name would be
    // appended to it by the window system integration.
    QGuiApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationVersion(QStringLiteral(VLM_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vlmtools"));
    QApplication::setWindowIcon(ToolsIcon::appIcon());
    if (const std::optional<Startup::Failure> failure = Startup::checkDriver()) {
        Startup::show(*failure);
        return result;
    }
    Startup::ToolsStart start = Startup::prepareForTools();
    if (start.warning)
        Startup::show(*start.warning);
    result.thumbnailSweep = std::move(start.thumbnailSweep);
    result.ok = true;
    return result;
}

} // namespace ToolsStartup

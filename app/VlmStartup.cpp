#include "app/VlmStartup.h"

#include "core/AppSettings.h"
#include "core/Prompt.h"
#include "exchange/ui/frmSendEmail.h"
#include "imaging/ImagingState.h"
#include "imaging/ui/frmPageView.h"
#include "navigation/FindCriteria.h"
#include "navigation/NavState.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/PagePane.h"
#include "navigation/ui/frmNavTree.h"
#include "platform/DataFolder.h"
#include "platform/ThumbnailTempSweep.h"
#include "store/DrawerTemplates.h"
#include "store/SampleCabinets.h"
#include "store/Startup.h"
#include "store/ui/frmSplash.h"

#include <QListWidget>
#include <QLockFile>

namespace VlmStartup {

Result::Result() = default;
Result::Result(Result &&) noexcept = default;
Result &Result::operator=(Result &&) noexcept = default;
Result::~Result() = default;

Result Main()
{
    Result result;
    result.exitCode = 1;
    NavState &state = NavState::instance();

    Startup::initApplication();
    std::optional<Startup::Failure> failure = Startup::checkDriver();
    if (!failure)
        failure = Startup::ensureDataFolder();
    std::unique_ptr<QLockFile> lock;
    if (!failure)
        lock = Startup::lockDataFolder(&failure);
    if (!failure) {
        // Under the lock no import runs: a staging folder is a killed one's,
        // and so is a thumbnail temporary older than this run.
        DataFolder::removeImportLeftovers();
        result.thumbnailSweep = std::make_unique<ThumbnailTempSweep>();
        if (const auto unfinished = Startup::unfinishedStartOver(Startup::Program::Vellumark))
            Startup::show(*unfinished);
        failure = Startup::OpenDatabase();
    }
    if (failure) {
        // Nothing is left running when start-up fails.
        result.thumbnailSweep.reset();
        Startup::show(*failure);
        return result;
    }

    Splash::ShowSplash(QStringLiteral("Starting"), 1, 8);
    state.settings = StartupSettings::read();
    ImagingState::instance().ZoomMode = AppSettings::ZoomDefault.read();
    frmPageView::setSendPage(&frmSendEmail::showForPage);

    Splash::SetSplashStatus(QStringLiteral("Load templates"));
    DrawerTemplates::ensureTemplateFile();
    SampleCabinets::ensureSampleOutline();
    DrawerTemplates::LoadDrawerTemplateNames();

    Splash::SetSplashStatus(QStringLiteral("Loading main menu"));
    auto window = std::make_unique<frmNavTree>();
    window->Form_Load(&Splash::SetSplashStatus);

    Splash::SetSplashStatus(QStringLiteral("Initializing"));
    ResetFindCriteria();
    Splash::closeSplash();

    window->show();
    if (window->pagePane()->isVisible())
        window->pagePane()->lvwThumb()->setFocus();
    result.window = std::move(window);
    result.lock = std::move(lock);
    result.exitCode = 0;
    return result;
}

} // namespace VlmStartup

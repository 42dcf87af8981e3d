#include "VlmStartup.h"

#include "DataFolder.h"
#include "Database.h"
#include "DbConnection.h"
#include "DrawerTemplates.h"
#include "FindCriteria.h"
#include "LevelList.h"
#include "NavState.h"
#include "PagePane.h"
#include "Prompt.h"
#include "SampleCabinets.h"
#include "frmNavTree.h"
#include "frmSplash.h"

#include <QListWidget>
#include <QLockFile>

namespace VlmStartup {

Result Main()
{
    Result result;
    result.exitCode = 1;
    NavState &state = NavState::instance();

    QString message;
    if (!Database::CheckDatabaseDriver(&message)) {
        Prompt::instance().error(message);
        return result;
    }
    if (!DataFolder::ensure(&message)) {
        Prompt::instance().error(message);
        return result;
    }
    // One program at a time works on the data folder; vlmtools checks this
    // lock before it changes anything.
    auto lock = std::make_unique<QLockFile>(DataFolder::filePath(QStringLiteral("vlm.lock")));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        Prompt::instance().error(QStringLiteral("Vellumark is already running on the data folder \"%1\".")
                                     .arg(DataFolder::path()));
        return result;
    }
    try {
        Database::OpenDatabase();
        Database::UpdateDatabase();
    } catch (const DbError &e) {
        DbConnection::close();
        Prompt::instance().error(e.message());
        return result;
    }

    Splash::ShowSplash(QStringLiteral("Starting"), 1, 8);
    state.settings = StartupSettings::read();

    Splash::SetSplashStatus(QStringLiteral("Load templates"));
    DrawerTemplates::EnsureTemplateFile();
    SampleCabinets::EnsureSampleOutline();
    DrawerTemplates::LoadDrawerTemplateNames();

    Splash::SetSplashStatus(QStringLiteral("Loading main menu"));
    auto window = std::make_unique<frmNavTree>();
    window->Form_Load(&Splash::SetSplashStatus);

    Splash::SetSplashStatus(QStringLiteral("Initializing"));
    ResetFindCriteria();
    Splash::CloseSplash();

    window->show();
    if (window->pagePane()->isVisible())
        window->pagePane()->lvwThumb()->setFocus();
    result.window = std::move(window);
    result.lock = std::move(lock);
    result.exitCode = 0;
    return result;
}

} // namespace VlmStartup

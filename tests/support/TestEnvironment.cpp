#include "tests/support/TestEnvironment.h"

#include "core/RunState.h"
#include "platform/DbConnection.h"
#include "platform/Settings.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>

#include <filesystem>
#include <system_error>

namespace {
QString g_root;
int g_counter = 0;

// A folder below the test root, made if missing; returns its path.
QString ownFolder(const QString &name)
{
    const QString path = g_root + QLatin1Char('/') + name;
    QDir().mkpath(path);
    return path;
}

void pointAt(const char *variable, const QString &path)
{
    qputenv(variable, QFile::encodeName(path));
}

// Home, settings, data, cache and state of the process's own, and no
// system-wide settings folder: nothing of the user's or the machine's
// configuration is read, nor written. The runtime folder must be private
// (0700), else Qt refuses it.
void isolateUserFolders()
{
    pointAt("HOME", ownFolder(QStringLiteral("home")));
    pointAt("XDG_CONFIG_HOME", ownFolder(QStringLiteral("config")));
    pointAt("XDG_CONFIG_DIRS", ownFolder(QStringLiteral("xdgsystemconfig")));
    pointAt("XDG_DATA_HOME", g_root + QStringLiteral("/xdgdata"));
    pointAt("XDG_CACHE_HOME", ownFolder(QStringLiteral("cache")));
    pointAt("XDG_STATE_HOME", ownFolder(QStringLiteral("state")));
    const QString runtime = ownFolder(QStringLiteral("runtime"));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    pointAt("XDG_RUNTIME_DIR", runtime);
}

// libsane reads dll.conf and dll.d/ from SANE_CONFIG_DIR alone when it has
// no trailing ':'; an empty dll.conf there loads no backend at all, so no
// scanner of the machine is probed. SaneTestDevice points it elsewhere.
void isolateScanners()
{
    const QString folder = ownFolder(QStringLiteral("sane-none"));
    QFile dllConf(folder + QStringLiteral("/dll.conf"));
    if (!dllConf.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(dllConf.fileName()));
    pointAt("SANE_CONFIG_DIR", folder);
}

// A CUPS server on a socket that does not exist: no printer of the machine
// is listed and no default printer is chosen (the user's lpoptions lie in
// the home above).
void isolatePrinters()
{
    pointAt("CUPS_SERVER", g_root + QStringLiteral("/no-cups.sock"));
}

// Numbers, dates and times read and written the same on every machine.
void isolateLocale()
{
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("LANG", "C.UTF-8");
    qunsetenv("LANGUAGE");
    qputenv("TZ", "UTC");
}

// No program the tests start (a mail client through xdg-email, a browser)
// reaches the user's screen or session bus; windows stay offscreen.
void isolateDesktop()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
    }
    qunsetenv("XDG_CURRENT_DESKTOP");
    qunsetenv("BROWSER");
    pointAt("DBUS_SESSION_BUS_ADDRESS", QStringLiteral("unix:path=") + g_root + QStringLiteral("/no-bus"));
}

} // namespace

TestEnvironment::TestEnvironment() : m_dir(std::make_unique<QTemporaryDir>())
{
    g_root = m_dir->path();
    isolateUserFolders();
    isolateScanners();
    isolatePrinters();
    isolateLocale();
    isolateDesktop();
    freshDataFolder();
}

// The settings are written out while the folder still stands: the settings
// object outlives main() and would otherwise make the folder again when it
// writes at exit. The folder is removed by its bytes, since some tests leave
// names that are not valid UTF-8, which QDir cannot name to remove.
TestEnvironment::~TestEnvironment()
{
    DbConnection::close();
    Settings::sync();
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(g_root).toStdString(), ignored);
}

QString TestEnvironment::root()
{
    return g_root;
}

QString TestEnvironment::freshDataFolder()
{
    DbConnection::close();
    const QString dir = QStringLiteral("%1/data%2").arg(g_root).arg(++g_counter);
    QDir().mkpath(dir);
    qputenv("VLM_DATA_DIR", QFile::encodeName(dir));
    Settings::removeAll();
    RunState::forgetAll();
    return dir;
}

void TestEnvironment::openFreshDatabase()
{
    freshDataFolder();
    Database::OpenDatabase();
    Database::UpdateDatabase();
}

#include "TestEnvironment.h"

#include "Database.h"
#include "DbConnection.h"
#include "RunState.h"
#include "Settings.h"

#include <QDir>

namespace {
QString g_root;
int g_counter = 0;
} // namespace

TestEnvironment::TestEnvironment() : m_dir(std::make_unique<QTemporaryDir>())
{
    g_root = m_dir->path();
    QDir(g_root).mkpath(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(g_root + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(g_root + QStringLiteral("/xdgdata")));
    freshDataFolder();
}

TestEnvironment::~TestEnvironment()
{
    DbConnection::close();
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
    RunState::Reset();
    return dir;
}

void TestEnvironment::openFreshDatabase()
{
    freshDataFolder();
    Database::OpenDatabase();
    Database::UpdateDatabase();
}

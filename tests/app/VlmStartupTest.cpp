#include "app/VlmStartup.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/frmNavTree.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "platform/Settings.h"
#include "platform/ThumbnailTempSweep.h"
#include "store/Database.h"
#include "store/ui/frmSplash.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace {

bool anyVisibleWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            return true;
    }
    return false;
}

} // namespace

class VlmStartupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }
    void cleanup() { DbConnection::close(); }

    // A first run on an empty folder makes the current database, the text
    // files and the sample cabinet, and shows the window.
    void firstRunOnEmptyFolder()
    {
        FakePrompt prompt;
        VlmStartup::Result r = VlmStartup::Main();
        QVERIFY(r.window);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(prompt.messages.isEmpty());
        QVERIFY(r.window->isVisible());
        QVERIFY(!Splash::splash());
        QCOMPARE(Database::readDbVersion(), 4);
        QVERIFY(QFile::exists(DataFolder::filePath("Drawer.txt")));
        QVERIFY(QFile::exists(DataFolder::filePath("Sample.txt")));
        QCOMPARE(DbConnection::queryValue("SELECT Name FROM Cabinet").toString(),
                 QStringLiteral("Generic File Cabinet"));
        QCOMPARE(r.window->tvwMain()->textOf(r.window->tvwMain()->selectedKey()),
                 QStringLiteral("Generic File Cabinet"));
    }

    // A file that is not a database stops start-up with the reason, leaves
    // no window and is not touched.
    void corruptDatabaseStops()
    {
        const QByteArray junk = "Not a database: notes about the tax return.\n";
        QFile f(DataFolder::filePath("vlm.mdb"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(junk);
        f.close();
        FakePrompt prompt;
        VlmStartup::Result r = VlmStartup::Main();
        QVERIFY(!r.window);
        QVERIFY(r.exitCode != 0);
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY2(prompt.messages.first().startsWith("Error # 26 "), qPrintable(prompt.messages.first()));
        QVERIFY(!anyVisibleWindow());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), junk);
    }

    // A database file start-up refuses shows the warning, leaves no window
    // and keeps the file as it was.
    void refusedDatabase_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("another program's file") << false;
        QTest::newRow("read-only file") << true;
    }
    void refusedDatabase()
    {
        QFETCH(bool, readOnly);
        const QString file = Database::databaseFile();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery(db).exec(readOnly ? "CREATE TABLE x (y)" : "CREATE TABLE Page (Id INTEGER)");
            db.close();
        }
        QSqlDatabase::removeDatabase("other");
        if (readOnly) {
            QFile::remove(file);
            TestEnvironment::openFreshDatabase();
            DbConnection::close();
            QVERIFY(QFile::setPermissions(Database::databaseFile(), QFile::ReadOwner));
        }
        const QByteArray before = TestFiles::read(Database::databaseFile());
        FakePrompt prompt;
        VlmStartup::Result r = VlmStartup::Main();
        QVERIFY(!r.window);
        QVERIFY(!anyVisibleWindow());
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QVERIFY2(prompt.messages.first().contains(Database::databaseFile()), qPrintable(prompt.messages.first()));
        QCOMPARE(TestFiles::read(Database::databaseFile()), before);
    }

    // The next start puts the window where it was and selects the node of
    // the last exit.
    void nextStartRestoresPlacementAndNode()
    {
        FakePrompt prompt;
        QString cabinetKey;
        {
            VlmStartup::Result r = VlmStartup::Main();
            QVERIFY(r.window);
            cabinetKey = r.window->tvwMain()->selectedKey();
            r.window->setWindowState(Qt::WindowNoState);
            r.window->setGeometry(50, 60, 640, 480);
            r.window->close();
        }
        QVERIFY(!DbConnection::isOpen());
        VlmStartup::Result again = VlmStartup::Main();
        QVERIFY(again.window);
        QVERIFY(!(again.window->windowState() & Qt::WindowMaximized));
        QCOMPARE(again.window->size(), QSize(640, 480));
        QCOMPARE(again.window->tvwMain()->selectedKey(), cabinetKey);
        QCOMPARE(again.window->position().CurrentCabinetId, cabinetKey.mid(3).toLongLong());
    }

    // Only one vlm works on a data folder at a time.
    void secondInstanceIsRefused()
    {
        QLockFile other(DataFolder::filePath("vlm.lock"));
        QVERIFY(other.tryLock(0));
        FakePrompt prompt;
        VlmStartup::Result r = VlmStartup::Main();
        QVERIFY(!r.window);
        QVERIFY(r.exitCode != 0);
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY(prompt.messages.first().contains("already running"));
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QVERIFY(!QFile::exists(Database::databaseFile()));
    }

    // A Start Over of vlmtools that did not finish is said at the start,
    // with what to do; the window still opens on what is left.
    void unfinishedStartOverWarned()
    {
        TestEnvironment::openFreshDatabase();
        DbConnection::close();
        TestFiles::write(DataFolder::filePath("vlm.startover"), "Start Over began");
        FakePrompt prompt;
        VlmStartup::Result r = VlmStartup::Main();
        QVERIFY(r.window);
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QVERIFY2(prompt.messages.first().contains("Start Over in Vellumark Tools did not finish"),
                 qPrintable(prompt.messages.first()));
        QVERIFY(prompt.messages.first().contains("Run Start Over in Vellumark Tools again"));
    }

    // The start removes what a killed thumbnail write left, on a thread
    // that the program stops with its start-up result.
    void thumbnailLeftoversSwept()
    {
        QDir().mkpath(DataFolder::filePath("Thumbs/0000000"));
        const QString left = DataFolder::filePath("Thumbs/0000000/5.jpg.Ab3dE9");
        TestFiles::write(left, "half a thumbnail");
        QFile f(left);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        f.close();
        FakePrompt prompt;
        VlmStartup::Result r = VlmStartup::Main();
        QVERIFY(r.window);
        QVERIFY(r.thumbnailSweep);
        r.thumbnailSweep->wait();
        QVERIFY(!QFile::exists(left));
    }
};

VLM_TEST_MAIN(VlmStartupTest)
#include "VlmStartupTest.moc"

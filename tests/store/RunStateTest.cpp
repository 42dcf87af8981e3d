#include "RunState.h"

#include <QCoreApplication>
#include <QtTest>

#include "DrawerTemplates.h"
#include "Passwords.h"
#include "Progress.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

class RunStateTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A fresh data folder starts a case from nothing: no cabinet unlocked,
    // no stop request, the templates of the new folder, and the state other
    // libraries registered reset as well.
    void freshFolderForgetsTheRun()
    {
        static int registered = 0;
        RunState::AddReset([] { registered = 0; });
        TestFiles::write(DrawerTemplates::TemplateFilePath(), "DRW=Old\r\n");
        DrawerTemplates::LoadDrawerTemplateNames();
        Passwords::UnlockedCabinets().insert(7);
        Progress::SetProgressCancelled(true);
        registered = 3;

        TestEnvironment::freshDataFolder();
        QVERIFY(Passwords::UnlockedCabinets().isEmpty());
        QVERIFY(!Progress::ProgressCancelled());
        QCOMPARE(DrawerTemplates::DrawerTemplateCount(), 0);
        QCOMPARE(registered, 0);
    }
};

VLM_TEST_GUILESS_MAIN(RunStateTest)
#include "RunStateTest.moc"

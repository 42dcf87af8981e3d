#include "core/RunState.h"

#include <QCoreApplication>
#include <QtTest>

#include "core/Progress.h"
#include "exchange/ExchangeState.h"
#include "imaging/ImagingState.h"
#include "navigation/FindCriteria.h"
#include "navigation/NavState.h"
#include "navigation/PageClipboard.h"
#include "store/DrawerTemplates.h"
#include "store/Passwords.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

class RunStateTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A reset rereads the template names from the data folder then in use,
    // also in a run that never read them before: this case runs first.
    void resetReadsTemplatesNeverRead()
    {
        TestFiles::write(DrawerTemplates::templateFilePath(), "DRW=Bills\r\nDRW=Taxes\r\n");
        RunState::forgetAll();
        QCOMPARE(DrawerTemplates::DrawerTemplateNames(), QStringList({QStringLiteral("Bills"), QStringLiteral("Taxes")}));
    }

    // A fresh data folder starts a case from nothing: no cabinet unlocked,
    // no stop request, the templates of the new folder, and the state other
    // libraries registered reset as well.
    void freshFolderForgetsTheRun()
    {
        static int registered = 0;
        RunState::addReset([] { registered = 0; });
        TestFiles::write(DrawerTemplates::templateFilePath(), "DRW=Old\r\n");
        DrawerTemplates::LoadDrawerTemplateNames();
        Passwords::UnlockedCabinets().insert(7);
        Progress::setProgressCancelled(true);
        registered = 3;

        TestEnvironment::freshDataFolder();
        QVERIFY(Passwords::UnlockedCabinets().isEmpty());
        QVERIFY(!Progress::ProgressCancelled());
        QCOMPARE(DrawerTemplates::DrawerTemplateCount(), 0);
        QCOMPARE(registered, 0);
    }

    // The state each library keeps for the run is back at its start after a
    // fresh data folder, with nothing reset by hand.
    void freshFolderResetsLibraryState_data()
    {
        QTest::addColumn<QString>("state");
        for (const char *state : {"navigation position", "view settings", "search criteria", "pages cut",
                                  "scan and viewer", "file import"})
            QTest::addRow("%s", state) << QString::fromLatin1(state);
    }
    void freshFolderResetsLibraryState()
    {
        QFETCH(QString, state);
        setAway(state);
        QVERIFY(!atStart(state));
        TestEnvironment::freshDataFolder();
        QVERIFY(atStart(state));
    }

private:
    static void setAway(const QString &state)
    {
        if (state == "navigation position") {
            NavState::instance().position.CurrentCabinetId = 7;
            NavState::instance().position.CurrentCabinetName = QStringLiteral("Home");
        } else if (state == "view settings")
            ImagingState::instance().ZoomMode = QStringLiteral("FITWIDTH");
        else if (state == "search criteria")
            FindCriteria::instance().FindKeywords = QStringLiteral("tax");
        else if (state == "pages cut")
            PageClipboard::cutList().CutPageIds = {3, 4};
        else if (state == "scan and viewer")
            ImagingState::instance() = {QStringLiteral("DOC3"), 3, true};
        else if (state == "file import")
            ExchangeState::instance() = {QStringLiteral("JPG,"), true, 2, 1};
    }
    static bool atStart(const QString &state)
    {
        if (state == "navigation position")
            return NavState::instance().position.CurrentCabinetId == -1
                && NavState::instance().position.CurrentCabinetName.isEmpty();
        if (state == "view settings")
            return ImagingState::instance().ZoomMode == QStringLiteral("NONE");
        if (state == "search criteria")
            return FindCriteria::instance().FindKeywords.isEmpty();
        if (state == "pages cut")
            return PageClipboard::cutList().CutPageCount() == 0;
        if (state == "scan and viewer") {
            const ImagingState &s = ImagingState::instance();
            return s.ScanTargetKey.isEmpty() && s.ScanDocumentId == -1 && !s.PageViewOpen;
        }
        const ExchangeState &s = ExchangeState::instance();
        return s.ImportFileTypeList.isEmpty() && !s.ImportFileTypesCancelled && s.ImportedFileCount == 0
            && s.ImportedShortcutCount == 0;
    }
};

VLM_TEST_GUILESS_MAIN(RunStateTest)
#include "RunStateTest.moc"

#include "store/ui/StorePrompt.h"

#include <QApplication>
#include <QDir>
#include <QtTest>

#include "core/Progress.h"
#include "core/RunState.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/ProgressStage.h"
#include "tests/support/TestEnvironment.h"

using DialogDriver::SeenBox;

// The store's windows of the prompt interface, the cabinet password prompt
// and the folder chooser, during a long operation: each opens above the
// progress window, as its child kept on top; without an operation it
// belongs to the active window as before.
class StorePromptTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        Progress::StopProgress();
        RunState::Reset();
    }

    void boxAboveProgress_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("progressWindows");
        QTest::newRow("password, progress shown") << "password" << 1;
        QTest::newRow("folder, progress shown") << "folder" << 1;
        QTest::newRow("folder, no operation") << "folder" << 0;
    }
    void boxAboveProgress()
    {
        QFETCH(QString, kind);
        QFETCH(int, progressWindows);
        ProgressStage stage(progressWindows);
        QVERIFY(stage.ready());

        SeenBox seen;
        DialogDriver::watchNextBox(&seen);
        StorePrompt prompt;
        if (kind == QLatin1String("password"))
            (void)prompt.password(QStringLiteral("Home"));
        else
            (void)prompt.chooseFolder(QDir::tempPath());
        stage.stopScan();

        QVERIFY(seen.seen);
        QCOMPARE(seen.parent.data(), stage.expectedParent());
        QCOMPARE(seen.onTop, progressWindows > 0);
    }
};

VLM_TEST_MAIN(StorePromptTest)
#include "StorePromptTest.moc"

#include "store/ui/StorePrompt.h"

#include <QApplication>
#include <QDir>
#include <QtTest>

#include <functional>
#include <map>

#include "core/Progress.h"
#include "core/RunState.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/ProgressStage.h"
#include "tests/support/TestEnvironment.h"

using DialogDriver::SeenBox;

// The boxes of the prompt the programs install, during a long operation:
// each opens above the progress window, as its child kept on top, and
// takes its clicks while the other windows' input is held; without an
// operation a box belongs to the active window as before. The widget
// prompt's boxes and the store's own windows (the cabinet password prompt,
// the folder chooser) alike.
class StorePromptTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        Progress::StopProgress();
        RunState::forgetAll();
    }

    void boxAboveProgress_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("progressWindows");
        for (const char *kind : {"message", "warning", "error", "question", "question with Cancel", "next disk",
                                 "input", "password", "folder", "open file", "save file"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, progress shown").arg(QLatin1String(kind))))
                << QString::fromLatin1(kind) << 1;
        }
        // A feeder scan shows its own progress window while each page's save
        // shows the program's.
        QTest::newRow("message, two progress windows") << "message" << 2;
        QTest::newRow("message, no operation") << "message" << 0;
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
        const std::map<QString, std::function<void()>> ask{
            {"message", [&] { prompt.message(QStringLiteral("Message sent.")); }},
            {"warning", [&] { prompt.warning(QStringLiteral("Please click on a page.")); }},
            {"error", [&] { prompt.error(QStringLiteral("Error # 3")); }},
            {"question", [&] { (void)prompt.question(QStringLiteral("Go on?")); }},
            {"question with Cancel", [&] { (void)prompt.questionYesNoCancel(QStringLiteral("Delete 'Bills'?")); }},
            {"next disk", [&] { (void)prompt.insertDisk(QStringLiteral("Please insert disk #2")); }},
            {"input", [&] { (void)prompt.input(QStringLiteral("Name:")); }},
            {"password", [&] { (void)prompt.password(QStringLiteral("Home")); }},
            {"folder", [&] { (void)prompt.chooseFolder(QDir::tempPath()); }},
            {"open file", [&] { (void)prompt.openFileName(QStringLiteral("Open"), QDir::tempPath(), QString()); }},
            {"save file", [&] { (void)prompt.saveFileName(QStringLiteral("Save"), QDir::tempPath(), QString()); }},
        };
        ask.at(kind)();
        stage.stopScan();

        QVERIFY(seen.seen);
        QCOMPARE(seen.parent.data(), stage.expectedParent());
        QCOMPARE(seen.onTop, progressWindows > 0);
        if (kind == QLatin1String("message"))
            QVERIFY(seen.tookClick);
    }
};

VLM_TEST_MAIN(StorePromptTest)
#include "StorePromptTest.moc"

#include "store/Progress.h"
#include "store/RunState.h"
#include "store/ui/WidgetPrompt.h"
#include "store/ui/frmProgress.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// What a box looked like while it was up.
struct SeenBox
{
    bool seen = false;
    QPointer<QWidget> parent;
    bool onTop = false;
    // A click on its button through the window system closed it.
    bool tookClick = false;
};

// Watches for the next modal box, notes how it stands and closes it: a
// message box by a click on its first button through the window system,
// as a user would, any other box by Cancel.
void watchNextBox(SeenBox *seen)
{
    QTimer::singleShot(0, [seen] {
        auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen->seen = true;
        seen->parent = box->parentWidget();
        seen->onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        if (auto *message = qobject_cast<QMessageBox *>(box)) {
            QAbstractButton *button = message->buttons().constFirst();
            QTest::mouseClick(box->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                              button->mapTo(box, button->rect().center()));
            seen->tookClick = !box->isVisible();
        }
        if (box->isVisible())
            box->reject();
    });
}

} // namespace

// The boxes of the prompt interface during a long operation: each opens
// above the progress window, as its child kept on top, and takes its clicks
// while the other windows' input is held; without an operation a box
// belongs to the active window as before.
class WidgetPromptTest : public QObject
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
        QWidget main;
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        frmProgress *program = frmProgress::install();
        frmProgress scan(&main);
        QWidget *expectedParent = &main;
        if (progressWindows >= 1) {
            Progress::StartProgress(QStringLiteral("Saving page"), 1, 4);
            expectedParent = program;
        }
        if (progressWindows >= 2) {
            scan.start(QStringLiteral("Scanning page 1"), 1, 1, true);
            expectedParent = &scan;
        }

        SeenBox seen;
        watchNextBox(&seen);
        WidgetPrompt prompt;
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
        scan.stop();

        QVERIFY(seen.seen);
        QCOMPARE(seen.parent.data(), expectedParent);
        QCOMPARE(seen.onTop, progressWindows > 0);
        if (kind == QLatin1String("message"))
            QVERIFY(seen.tookClick);
    }
};

VLM_TEST_MAIN(WidgetPromptTest)
#include "WidgetPromptTest.moc"

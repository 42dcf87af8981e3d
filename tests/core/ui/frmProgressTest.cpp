#include "core/Progress.h"
#include "core/RunState.h"
#include "core/ui/frmProgress.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using DialogDriver::clickAsUser;

class frmProgressTest : public QObject
{
    Q_OBJECT

private:
    frmProgress *m_window = nullptr;

    QProgressBar *bar() const { return m_window->findChild<QProgressBar *>(QStringLiteral("shpForeground")); }
    QLabel *status() const { return m_window->findChild<QLabel *>(QStringLiteral("lblStatus")); }
    QPushButton *cancel() const { return m_window->findChild<QPushButton *>(QStringLiteral("cmdCancel")); }
    // The filled part of the bar, 0 to 1.
    double filled() const
    {
        return double(bar()->value() - bar()->minimum()) / (bar()->maximum() - bar()->minimum());
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_window = frmProgress::install();
        QVERIFY(m_window);
        QCOMPARE(Progress::view(), static_cast<ProgressView *>(m_window));
        QVERIFY(bar());
        QVERIFY(status());
        QVERIFY(cancel());
    }

    void cleanup()
    {
        m_window->setEventInterval(EventPacer::DefaultInterval);
        Progress::StopProgress();
        RunState::forgetAll();
    }

    // The program calls install() at start-up; calling it again must not
    // create a second window.
    void installKeepsOneWindow()
    {
        QCOMPARE(frmProgress::install(), m_window);
    }

    // The range 1..4 fills the bar in quarters; a fifth advance changes only
    // the status text.
    void fillsInSteps()
    {
        Progress::StartProgress(QStringLiteral("Delete Cabinet"), 1, 4);
        QVERIFY(m_window->isVisible());
        QCOMPARE(status()->text(), QStringLiteral("Delete Cabinet"));
        QCOMPARE(filled(), 0.0);
        for (int step = 1; step <= 4; ++step) {
            const QString text = QStringLiteral("Page %1").arg(step);
            Progress::AdvanceProgress(text);
            QCOMPARE(status()->text(), text);
            QCOMPARE(filled(), step / 4.0);
        }
        Progress::AdvanceProgress(QStringLiteral("One more"));
        QCOMPARE(status()->text(), QStringLiteral("One more"));
        QCOMPARE(filled(), 1.0);

        Progress::EndProgress();
        QVERIFY(!m_window->isVisible());
    }

    // A batch of unknown length widens its range before each step: the bar
    // moves with every step and fills only when the batch stops.
    void extendedRangeMovesWithEachStep()
    {
        m_window->start(QStringLiteral("Scanning page 1"), 1, 1, true);
        for (int done = 1; done <= 3; ++done) {
            m_window->extendRange(done + 1);
            QCOMPARE(filled(), (done - 1) / double(done + 1));
            m_window->IncrementProgress(QStringLiteral("Scanning page %1").arg(done + 1));
            QCOMPARE(filled(), done / double(done + 1));
        }
        m_window->StopProgress();
        QCOMPARE(filled(), 1.0);
    }

    // A million steps fill the bar in proportion, counted in few enough
    // steps of the bar that a step of the pass rarely changes it.
    void wideRangeFillsInProportion()
    {
        Progress::StartProgress(QStringLiteral("Repair broken links"), 1, 1000000);
        for (int step = 1; step <= 250000; ++step)
            Progress::AdvanceProgress(QStringLiteral("Scanning for missing files"));
        QCOMPARE(filled(), 0.25);
        QVERIFY(bar()->maximum() - bar()->minimum() <= 10000);
        Progress::EndProgress();
    }

    // Stopping fills the bar before the window goes.
    void stopFillsBar()
    {
        Progress::StartProgress(QStringLiteral("Paste"), 1, 3);
        Progress::AdvanceProgress(QStringLiteral("a"));
        Progress::StopProgress();
        QCOMPARE(filled(), 1.0);
        QVERIFY(!m_window->isVisible());
    }

    // A wait of unknown length shows the bar busy (a range without steps,
    // which the bar animates); the next start gives it its steps again.
    void busyUntilNextStart()
    {
        Progress::StartProgress(QStringLiteral("Sending"), 1, 2);
        Progress::showBusy();
        QCOMPARE(bar()->minimum(), 0);
        QCOMPARE(bar()->maximum(), 0);
        QVERIFY(m_window->isVisible());
        Progress::StartProgress(QStringLiteral("Paste"), 1, 3);
        QVERIFY(bar()->maximum() > 0);
        QCOMPARE(bar()->value(), 0);
        Progress::StopProgress();
    }

    // The frame cannot close the window while the operation runs; after
    // Cancel or the end of the operation it can.
    void frameCloseRefusedWhileRunning_data()
    {
        QTest::addColumn<bool>("viaCancel");
        QTest::newRow("after Cancel") << true;
        QTest::newRow("after stop") << false;
    }
    void frameCloseRefusedWhileRunning()
    {
        QFETCH(bool, viaCancel);
        Progress::StartProgressPositioned(QStringLiteral("Import"), 1, 10);
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QVERIFY(!m_window->close());
        QVERIFY(m_window->isVisible());

        if (viaCancel) {
            QTest::mouseClick(cancel(), Qt::LeftButton);
            QVERIFY(Progress::ProgressCancelled());
            // Cancel only asks the loop to stop; the window stays until then.
            QVERIFY(m_window->isVisible());
        } else {
            Progress::StopProgress();
            QVERIFY(!Progress::ProgressCancelled());
        }
        QVERIFY(m_window->close());
        QVERIFY(!m_window->isVisible());
    }

    // The stop request reads true from EndProgress until the next start.
    void cancelledFlagLifecycle_data()
    {
        QTest::addColumn<bool>("positioned");
        QTest::newRow("plain") << false;
        QTest::newRow("positioned") << true;
    }
    void cancelledFlagLifecycle()
    {
        QFETCH(bool, positioned);
        Progress::StartProgress(QStringLiteral("first"), 1, 2);
        Progress::EndProgress();
        QVERIFY(Progress::ProgressCancelled());
        if (positioned)
            Progress::StartProgressPositioned(QStringLiteral("second"), 1, 2);
        else
            Progress::StartProgress(QStringLiteral("second"), 1, 2);
        QVERIFY(!Progress::ProgressCancelled());
        Progress::StopProgress();
        QVERIFY(!Progress::ProgressCancelled());
    }

    // Only the cancellable (positioned) start offers Cancel; the next plain
    // start hides it again.
    void cancelButtonOnlyWhenPositioned()
    {
        Progress::StartProgressPositioned(QStringLiteral("Import"), 1, 5);
        QVERIFY(cancel()->isVisible());
        Progress::StopProgress();
        Progress::StartProgress(QStringLiteral("Delete"), 1, 5);
        QVERIFY(!cancel()->isVisible());
    }

    // A range without steps shows an empty bar through every call.
    void rangeWithoutSteps_data()
    {
        QTest::addColumn<int>("rangeMin");
        QTest::addColumn<int>("rangeMax");
        QTest::newRow("max one below min") << 1 << 0;
        QTest::newRow("max far below min") << 5 << 1;
        QTest::newRow("extreme") << std::numeric_limits<int>::max() << std::numeric_limits<int>::min();
    }
    void rangeWithoutSteps()
    {
        QFETCH(int, rangeMin);
        QFETCH(int, rangeMax);
        Progress::StartProgress(QStringLiteral("Nothing"), rangeMin, rangeMax);
        QCOMPARE(filled(), 0.0);
        Progress::AdvanceProgress(QStringLiteral("step"));
        Progress::AdvanceProgress(QStringLiteral("step"));
        QCOMPARE(filled(), 0.0);
        QCOMPARE(status()->text(), QStringLiteral("step"));
        Progress::EndProgress();
        QCOMPARE(filled(), 0.0);
    }

    // The whole 32-bit range still fills in proportion.
    void widestRange()
    {
        Progress::StartProgress(QStringLiteral("wide"), std::numeric_limits<int>::min(),
                                std::numeric_limits<int>::max());
        Progress::AdvanceProgress(QStringLiteral("one"));
        QVERIFY(filled() >= 0.0);
        QVERIFY(filled() < 0.001);
        Progress::StopProgress();
        QVERIFY(qAbs(filled() - 0.5) < 1e-6);
    }

    // A start while the window shows resets text, range and bar in the
    // same window.
    void restartResetsInPlace()
    {
        Progress::StartProgressPositioned(QStringLiteral("first"), 1, 4);
        Progress::AdvanceProgress(QStringLiteral("a"));
        Progress::AdvanceProgress(QStringLiteral("b"));
        QTest::mouseClick(cancel(), Qt::LeftButton);
        const int windows = QApplication::topLevelWidgets().size();

        Progress::StartProgress(QStringLiteral("second"), 1, 10);
        QVERIFY(m_window->isVisible());
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);
        QCOMPARE(status()->text(), QStringLiteral("second"));
        QCOMPARE(filled(), 0.0);
        QVERIFY(!cancel()->isVisible());
        // The new operation is running again: the frame may not close it.
        QVERIFY(!m_window->close());
        Progress::AdvanceProgress(QStringLiteral("c"));
        QCOMPARE(filled(), 0.1);
    }

    // While an operation runs only the progress window takes input: a
    // button of another window cannot be clicked, a key or a shortcut does
    // not reach it, Cancel can be clicked. The input goes through the window
    // system. The window stays on top of the others, yet takes neither the
    // activation nor the keyboard from the window the user works in.
    void othersHeldWhileShown()
    {
        QWidget other;
        QPushButton *button = new QPushButton(QStringLiteral("Delete"), &other);
        button->setGeometry(10, 10, 80, 30);
        auto *edit = new QLineEdit(&other);
        edit->setGeometry(10, 50, 120, 24);
        auto *shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), &other);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QSignalSpy clicks(button, &QPushButton::clicked);
        QSignalSpy shortcuts(shortcut, &QShortcut::activated);
        const auto typeThroughWindow = [&other] {
            QTest::keyClick(other.windowHandle(), Qt::Key_A);
            QTest::keyClick(other.windowHandle(), Qt::Key_D, Qt::ControlModifier);
        };
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        edit->setFocus();

        Progress::StartProgressPositioned(QStringLiteral("Import"), 1, 100);
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QVERIFY(m_window->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(m_window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(m_window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        // Whatever the window system made of that, the other window may be
        // the active one meanwhile: its input is held all the same.
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));

        typeThroughWindow();
        clickAsUser(button);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(edit->text(), QString());
        QCOMPARE(shortcuts.count(), 0);
        clickAsUser(cancel());
        QVERIFY(Progress::ProgressCancelled());

        Progress::EndProgress();
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(QApplication::activeWindow(), &other);
        QCOMPARE(QApplication::focusWidget(), edit);
        typeThroughWindow();
        clickAsUser(button);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(edit->text(), QStringLiteral("a"));
        QCOMPARE(shortcuts.count(), 1);
    }

    // Over a modal dialog, one over another too, Cancel still takes a
    // click through the window system, and Esc in the dialog; the dialog
    // itself stays held.
    void cancelOverModalDialog_data()
    {
        QTest::addColumn<bool>("nested");
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("click") << false << false;
        QTest::newRow("Esc") << false << true;
        QTest::newRow("click, dialog over a dialog") << true << false;
    }
    void cancelOverModalDialog()
    {
        QFETCH(bool, nested);
        QFETCH(bool, byEscape);
        QDialog outer;
        QDialog inner(&outer);
        QDialog *top = nested ? &inner : &outer;
        auto *send = new QPushButton(top);
        QSignalSpy sends(send, &QPushButton::clicked);
        for (QDialog *dialog : {&outer, &inner}) {
            dialog->setWindowModality(Qt::ApplicationModal);
            dialog->setVisible(dialog == &outer || nested);
        }
        QVERIFY(QTest::qWaitForWindowExposed(top));
        Progress::StartProgressPositioned(QStringLiteral("Sending mail"), 1, 2);
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        clickAsUser(send);
        byEscape ? QTest::keyClick(top->windowHandle(), Qt::Key_Escape) : clickAsUser(cancel());
        QVERIFY(Progress::ProgressCancelled());
        QCOMPARE(sends.count(), 0);
    }

    // A window system that activates the progress window anyway: when the
    // operation ends, the activation and the focus go back to the window and
    // the control that had them.
    void activationGoesBackAfterStop()
    {
        QWidget other;
        auto *edit = new QLineEdit(&other);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        edit->setFocus();

        Progress::StartProgress(QStringLiteral("Delete document"), 1, 3);
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QVERIFY(!edit->hasFocus());
        Progress::StopProgress();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(QApplication::focusWidget(), edit);
    }

    // Steps set text and bar at once but let events through only at the
    // first step after a start and then once per interval: a long run does
    // not spend its time in an event pass per step.
    void eventPassesArePaced_data()
    {
        QTest::addColumn<int>("intervalMs");
        QTest::addColumn<int>("deliveredAfterFiveSteps");
        QTest::newRow("no interval: every step") << 0 << 5;
        QTest::newRow("interval not reached: first step only") << 3600 * 1000 << 1;
    }
    void eventPassesArePaced()
    {
        QFETCH(int, intervalMs);
        QFETCH(int, deliveredAfterFiveSteps);
        m_window->setEventInterval(std::chrono::milliseconds(intervalMs));
        int delivered = 0;
        const auto postOne = [&] {
            QMetaObject::invokeMethod(m_window, [&] { ++delivered; }, Qt::QueuedConnection);
        };
        Progress::StartProgress(QStringLiteral("Repaginate"), 1, 5);
        for (int step = 1; step <= 5; ++step) {
            postOne();
            Progress::AdvanceProgress(QStringLiteral("Repaginate"));
            QCOMPARE(filled(), step / 5.0);
        }
        QCOMPARE(delivered, deliveredAfterFiveSteps);

        // A new operation lets its first step through again.
        Progress::StartProgress(QStringLiteral("Delete"), 1, 5);
        // The start's own pass has delivered what the steps held back.
        delivered = 0;
        postOne();
        Progress::AdvanceProgress(QStringLiteral("Delete"));
        QCOMPARE(delivered, 1);
    }

    // A Cancel click that arrives while the loop runs is seen by the loop's
    // next test of the stop request.
    void cancelArrivesDuringAdvance()
    {
        Progress::StartProgressPositioned(QStringLiteral("Import"), 1, 1000);
        QTimer::singleShot(0, cancel(), [this] { QTest::mouseClick(cancel(), Qt::LeftButton); });
        int steps = 0;
        while (!Progress::ProgressCancelled() && steps < 1000) {
            Progress::AdvanceProgress(QStringLiteral("file %1").arg(steps));
            ++steps;
        }
        QVERIFY(Progress::ProgressCancelled());
        QVERIFY(steps < 1000);
        Progress::EndProgress();
    }
};

VLM_TEST_MAIN(frmProgressTest)
#include "frmProgressTest.moc"

#include "core/Progress.h"

#include "tests/support/RecordingProgressView.h"
#include "tests/support/TestEnvironment.h"

#include <QtTest>

#include <stdexcept>

Q_DECLARE_METATYPE(ProgressScope::OnClose)

// The progress of a long operation as the logic drives it.
class ProgressTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scope_data()
    {
        QTest::addColumn<ProgressScope::OnClose>("onClose");
        QTest::addColumn<bool>("cancelledBefore");
        QTest::addColumn<bool>("cancelInside");
        QTest::addColumn<bool>("throws");
        QTest::addColumn<bool>("cancelledAfter");
        using C = ProgressScope::OnClose;
        QTest::newRow("keep, runs through") << C::Keep << true << false << false << false;
        QTest::newRow("keep, Cancel seen after") << C::Keep << false << true << false << true;
        QTest::newRow("keep, ends on throw") << C::Keep << false << false << true << false;
        QTest::newRow("keep, Cancel then throw") << C::Keep << false << true << true << true;
        QTest::newRow("set, runs through") << C::Set << false << false << false << true;
        QTest::newRow("set, ends on throw") << C::Set << false << false << true << true;
        QTest::newRow("restore, outer run going") << C::Restore << false << true << false << false;
        QTest::newRow("restore, outer run stopped") << C::Restore << true << false << false << true;
        QTest::newRow("restore, ends on throw") << C::Restore << true << true << true << true;
    }
    // A scope starts the view, clears the stop request, and closes the view
    // once on every way out, a throw included, leaving the stop request as
    // its closing kind says.
    void scope()
    {
        QFETCH(ProgressScope::OnClose, onClose);
        QFETCH(bool, cancelledBefore);
        QFETCH(bool, cancelInside);
        QFETCH(bool, throws);
        QFETCH(bool, cancelledAfter);
        RecordingProgressView view;
        Progress::setProgressCancelled(cancelledBefore);
        try {
            const ProgressScope progress("Working", 1, 3, ProgressScope::Cancel::Shown, onClose);
            QVERIFY(!progress.cancelled());
            progress.advance("Step");
            if (cancelInside)
                Progress::setProgressCancelled(true);
            QCOMPARE(progress.cancelled(), cancelInside);
            if (throws)
                throw std::runtime_error("disk full");
        } catch (const std::runtime_error &) {
            QVERIFY(throws);
        }
        QCOMPARE(view.events, QStringList({"start Working 1..3", "step Step", "stop"}));
        QCOMPARE(Progress::ProgressCancelled(), cancelledAfter);
    }

    void closedEarly_data()
    {
        QTest::addColumn<bool>("end");
        QTest::addColumn<bool>("cancelledAfter");
        QTest::newRow("stop keeps the request") << false << false;
        QTest::newRow("end sets it") << true << true;
    }
    // Closed before its end, a scope closes the view once and its own
    // closing kind no longer applies.
    void closedEarly()
    {
        QFETCH(bool, end);
        QFETCH(bool, cancelledAfter);
        RecordingProgressView view;
        {
            ProgressScope progress("Working", 1, 2, ProgressScope::Cancel::Hidden,
                                   end ? ProgressScope::OnClose::Keep : ProgressScope::OnClose::Set);
            if (end)
                progress.end();
            else
                progress.stop();
            QCOMPARE(Progress::ProgressCancelled(), cancelledAfter);
        }
        QCOMPARE(view.events, QStringList({"start Working 1..2", "stop"}));
        QCOMPARE(Progress::ProgressCancelled(), cancelledAfter);
    }
};

VLM_TEST_GUILESS_MAIN(ProgressTest)
#include "ProgressTest.moc"

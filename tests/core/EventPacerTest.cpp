#include "core/EventPacer.h"

#include <chrono>

#include <QCoreApplication>
#include <QtTest>

#include "tests/support/TestEnvironment.h"

class EventPacerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pacing_data()
    {
        QTest::addColumn<int>("intervalMs");
        QTest::addColumn<QList<int>>("deliveredAfterEachCall");
        QTest::newRow("no interval: every call") << 0 << QList<int>{1, 2, 3};
        QTest::newRow("interval not reached: first call only") << 3600 * 1000 << QList<int>{1, 1, 1};
    }
    // A pacer runs the pending events at its first call and then only once
    // its interval has passed; a reset makes the next call run them again.
    void pacing()
    {
        QFETCH(int, intervalMs);
        QFETCH(QList<int>, deliveredAfterEachCall);
        EventPacer pacer{std::chrono::milliseconds(intervalMs)};
        int delivered = 0;
        for (int expected : deliveredAfterEachCall) {
            QMetaObject::invokeMethod(this, [&] { ++delivered; }, Qt::QueuedConnection);
            const int before = delivered;
            QCOMPARE(pacer.letThrough(), expected > before);
            QCOMPARE(delivered, expected);
        }
        pacer.reset();
        QVERIFY(pacer.letThrough());
        QCOMPARE(delivered, int(deliveredAfterEachCall.size()));
    }
};

VLM_TEST_GUILESS_MAIN(EventPacerTest)
#include "EventPacerTest.moc"

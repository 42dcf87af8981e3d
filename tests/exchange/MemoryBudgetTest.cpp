#include "exchange/MemoryBudget.h"

#include "tests/support/TestEnvironment.h"

#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

constexpr qint64 kMiB = 1024 * 1024;

} // namespace

class MemoryBudgetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void admitsWhatFits_data()
    {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<QList<qint64>>("costs");
        QTest::addColumn<QList<bool>>("admitted");

        const qint64 budget = 256 * kMiB;
        // Whole reads of 6 MB baseline scans: every thread works at once.
        QTest::newRow("eight small files") << budget << QList<qint64>(8, 6 * kMiB) << QList<bool>(8, true);
        // Progressive 600-dpi scans keep about 110 MB each while decoding:
        // two at a time, however many threads ask.
        QTest::newRow("progressive scans on 8 threads")
            << budget << QList<qint64>(8, 110 * kMiB) << (QList<bool>{true, true} + QList<bool>(6, false));
        QTest::newRow("progressive scans on 16 threads")
            << budget << QList<qint64>(16, 110 * kMiB) << (QList<bool>{true, true} + QList<bool>(14, false));
        // A small cost still fits beside the two large ones.
        QTest::newRow("small beside large") << budget << QList<qint64>{110 * kMiB, 110 * kMiB, 120 * kMiB, 30 * kMiB}
                                            << QList<bool>{true, true, false, true};
        QTest::newRow("exactly the budget") << budget << QList<qint64>{128 * kMiB, 128 * kMiB, 1}
                                            << QList<bool>{true, true, false};
        // A file above the whole budget is never refused: it runs alone.
        QTest::newRow("above the budget, alone") << budget << QList<qint64>{300 * kMiB, 1}
                                                 << QList<bool>{true, false};
        QTest::newRow("above the budget, after others") << budget << QList<qint64>{1, 300 * kMiB}
                                                        << QList<bool>{true, false};
        QTest::newRow("nothing to hold") << budget << QList<qint64>{budget, 0, -5} << QList<bool>{true, true, true};
    }

    // Which of a run of costs, asked in turn with nothing given back, are
    // held at once.
    void admitsWhatFits()
    {
        QFETCH(qint64, total);
        QFETCH(QList<qint64>, costs);
        QFETCH(QList<bool>, admitted);

        MemoryBudget budget(total);
        QList<bool> got;
        for (const qint64 cost : costs)
            got.append(budget.tryAcquire(cost));
        QCOMPARE(got, admitted);
        QVERIFY(budget.inUse() <= budget.total());
    }

    // A cost that does not fit waits until enough is given back, and a
    // cost above the budget waits until nothing else is held.
    void acquireWaitsForRelease()
    {
        MemoryBudget budget(100);
        QVERIFY(budget.tryAcquire(60));
        QVERIFY(budget.tryAcquire(30));
        std::atomic<bool> held{false};
        std::unique_ptr<QThread> waiter(QThread::create([&] {
            budget.acquire(500);
            held = true;
        }));
        waiter->start();
        budget.release(30);
        QVERIFY(!held);
        QCOMPARE(budget.inUse(), qint64(60));
        budget.release(60);
        QTRY_VERIFY(held);
        QVERIFY(waiter->wait());
        QCOMPARE(budget.inUse(), qint64(100));
    }

    // What is held is given back in parts, and the rest when it goes.
    void heldGivesBackInParts()
    {
        MemoryBudget budget(100);
        {
            MemoryBudget::Held held(budget, 70);
            QCOMPARE(budget.inUse(), qint64(70));
            held.release(50);
            QCOMPARE(budget.inUse(), qint64(20));
            QVERIFY(budget.tryAcquire(80));
            held.release(500);  // no more than it holds
            QCOMPARE(budget.inUse(), qint64(80));
        }
        QCOMPARE(budget.inUse(), qint64(80));
        {
            budget.release(80);
            MemoryBudget::Held huge(budget, 1000);
            QCOMPARE(budget.inUse(), qint64(100));
        }
        QCOMPARE(budget.inUse(), qint64(0));
    }
};

VLM_TEST_GUILESS_MAIN(MemoryBudgetTest)
#include "MemoryBudgetTest.moc"

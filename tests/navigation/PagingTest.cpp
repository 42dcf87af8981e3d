#include "navigation/Paging.h"

#include <QCoreApplication>
#include <QtTest>

#include "platform/Settings.h"
#include "tests/support/TestEnvironment.h"

class PagingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }

    // Paging steps from the first screen ("n" next, "p" previous, "f"
    // first, "l" last), then the screen shown and the buttons' states.
    void screens_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("perScreen");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("canBack");
        QTest::addColumn<bool>("canOn");
        const QString none = QStringLiteral("Showing 20 images (no images found)");
        auto of = [](int k, int n) { return QStringLiteral(" Showing 20 images (page %1 of %2)").arg(k).arg(n); };
        QTest::newRow("no pages") << 0 << 20 << "" << 1 << 0 << none << false << false;
        QTest::newRow("no pages, next, last") << 0 << 20 << "nl" << 1 << 0 << none << false << false;
        QTest::newRow("one page") << 1 << 20 << "n" << 1 << 1 << of(1, 1) << false << false;
        QTest::newRow("exactly one screen") << 20 << 20 << "nl" << 1 << 20 << of(1, 1) << false << false;
        QTest::newRow("one more than a screen") << 21 << 20 << "" << 1 << 20 << of(1, 2) << false << true;
        QTest::newRow("one more, next") << 21 << 20 << "n" << 21 << 21 << of(2, 2) << true << false;
        QTest::newRow("second screen") << 45 << 20 << "n" << 21 << 40 << of(2, 3) << true << true;
        QTest::newRow("last screen by next") << 45 << 20 << "nn" << 41 << 45 << of(3, 3) << true << false;
        QTest::newRow("next on the last") << 45 << 20 << "nnn" << 41 << 45 << of(3, 3) << true << false;
        QTest::newRow("last from the first") << 45 << 20 << "l" << 26 << 45 << of(2, 3) << true << false;
        QTest::newRow("previous from 21") << 45 << 20 << "np" << 2 << 21 << of(1, 3) << true << true;
        QTest::newRow("previous twice") << 45 << 20 << "npp" << 1 << 20 << of(1, 3) << false << true;
        QTest::newRow("previous on the first") << 45 << 20 << "p" << 1 << 20 << of(1, 3) << false << true;
        QTest::newRow("first from the last") << 45 << 20 << "lf" << 1 << 20 << of(1, 3) << false << true;
        QTest::newRow("last, under a screen") << 5 << 20 << "l" << 1 << 5 << of(1, 1) << false << false;
        QTest::newRow("one per screen, last") << 3 << 1 << "l" << 3 << 3
                                              << " Showing 1 images (page 3 of 3)" << true << false;
    }
    void screens()
    {
        QFETCH(int, count);
        QFETCH(int, perScreen);
        QFETCH(QString, steps);
        Paging paging;
        paging.setDisplayCount(perScreen);
        paging.reset(count);
        for (const QChar step : steps) {
            switch (step.toLatin1()) {
            case 'n': paging.nextScreen(); break;
            case 'p': paging.previousScreen(); break;
            case 'f': paging.firstScreen(); break;
            case 'l': paging.lastScreen(); break;
            }
        }
        QTEST(paging.PagePaneStart(), "start");
        QTEST(paging.PagePaneEnd(), "end");
        QTEST(paging.statusText(), "status");
        // The list view has every page on its one screen, wherever the
        // paging stands.
        QCOMPARE(paging.allPagesStatusText(),
                 count ? QStringLiteral(" Showing %1 images (page 1 of 1)").arg(count) : paging.statusText());
        QTEST(paging.canFirst() && paging.canPrevious(), "canBack");
        QTEST(paging.canNext() && paging.canLast(), "canOn");
    }

    // Show Less/More stay within 1..64, keep the screen's first page and
    // write the setting every time, even at a bound.
    void showLessAndMore_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("more");
        QTest::addColumn<int>("expected");
        QTest::newRow("more") << 20 << true << 21;
        QTest::newRow("more at 64") << 64 << true << 64;
        QTest::newRow("less") << 20 << false << 19;
        QTest::newRow("less at 1") << 1 << false << 1;
    }
    void showLessAndMore()
    {
        QFETCH(int, from);
        QFETCH(bool, more);
        QFETCH(int, expected);
        Paging paging;
        paging.setDisplayCount(from);
        paging.reset(200);
        paging.nextScreen();
        const int start = paging.PagePaneStart();
        more ? paging.showMore() : paging.showLess();
        QCOMPARE(paging.PagePaneStart(), start);
        QCOMPARE(paging.PagePaneEnd(), start + expected - 1);
        QCOMPARE(Settings::value(QStringLiteral("DisplayCount")), QString::number(expected));
    }

    void displayCountSetting_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("missing") << QString() << 20;
        QTest::newRow("no number") << "many" << 20;
        QTest::newRow("in range") << "33" << 33;
        QTest::newRow("zero") << "0" << 1;
        QTest::newRow("above 64") << "500" << 64;
    }
    void displayCountSetting()
    {
        QFETCH(QString, stored);
        if (!stored.isNull())
            Settings::setValue(QStringLiteral("DisplayCount"), stored);
        QTEST(Paging::displayCountSetting(), "expected");
    }

    // On screen 21-40 of 45, pages are deleted: the screen keeps its
    // first page while it exists, else the last screen shows.
    void fewerPagesAfterAChange_data()
    {
        QTest::addColumn<int>("newCount");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::newRow("first page still there") << 30 << 21 << 30;
        QTest::newRow("screen emptied") << 18 << 1 << 18;
        QTest::newRow("all gone") << 0 << 1 << 0;
    }
    void fewerPagesAfterAChange()
    {
        Paging paging;
        paging.setDisplayCount(20);
        paging.reset(45);
        paging.nextScreen();
        QFETCH(int, newCount);
        paging.setRecordCount(newCount);
        QTEST(paging.PagePaneStart(), "start");
        QTEST(paging.PagePaneEnd(), "end");
        QVERIFY(!paging.canNext());
    }
};

VLM_TEST_GUILESS_MAIN(PagingTest)
#include "PagingTest.moc"

#include "navigation/NameOrder.h"

#include <algorithm>

#include <QCoreApplication>
#include <QLocale>
#include <QtTest>

#include "tests/support/TestEnvironment.h"

// One order for names under the C locale (C.UTF-8 is many systems'
// default): a compare of two names and a sort by keys agree, and neither
// counts case.
class NameOrderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Before the first use: the order is fixed for the run.
        QLocale::setDefault(QLocale::c());
    }

    void caseIsIgnored_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("capitals after small letters")
            << QStringList{"bills", "Taxes", "apples", "Cars"} << QStringList{"apples", "bills", "Cars", "Taxes"};
        QTest::newRow("capitals first")
            << QStringList{"Zoo", "alpha", "Beta"} << QStringList{"alpha", "Beta", "Zoo"};
    }
    void caseIsIgnored()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, sorted);
        QStringList byCompare = names;
        std::sort(byCompare.begin(), byCompare.end(),
                  [](const QString &a, const QString &b) { return NameOrder::compare(a, b) < 0; });
        QCOMPARE(byCompare, sorted);
        QStringList byKey = names;
        std::sort(byKey.begin(), byKey.end(), [](const QString &a, const QString &b) {
            return NameOrder::sortKey(a).compare(NameOrder::sortKey(b)) < 0;
        });
        QCOMPARE(byKey, sorted);
    }
};

VLM_TEST_GUILESS_MAIN(NameOrderTest)
#include "NameOrderTest.moc"

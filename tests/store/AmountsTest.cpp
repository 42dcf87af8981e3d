#include "store/Amounts.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QLocale>
#include <QtTest>

using namespace Amounts;

class AmountsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void amounts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("thousands") << "1,250.00" << true << 1250.0;
        QTest::newRow("cents") << "12.50" << true << 12.5;
        QTest::newRow("dollar") << "$1,250" << true << 1250.0;
        QTest::newRow("negative") << "-3.25" << true << -3.25;
        QTest::newRow("leading point") << ".5" << true << 0.5;
        QTest::newRow("blank") << "  " << true << 0.0;
        QTest::newRow("millions") << "1,000,000.01" << true << 1000000.01;
        QTest::newRow("decimal comma") << "12,5" << false << 0.0;
        QTest::newRow("letters") << "abc" << false << 0.0;
        QTest::newRow("bad grouping") << "1,25.00" << false << 0.0;
        QTest::newRow("lone point") << "." << false << 0.0;
        QTest::newRow("two signs") << "-$-5" << false << 0.0;
    }
    // Amounts read the same under a decimal-comma locale.
    void amounts()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        double v = -99;
        QCOMPARE(parseAmount(text, &v), ok);
        if (ok)
            QCOMPARE(v, value);
        QLocale::setDefault(QLocale::c());
    }
};

VLM_TEST_GUILESS_MAIN(AmountsTest)
#include "AmountsTest.moc"

#include "navigation/FindInput.h"

#include <QCoreApplication>
#include <QtTest>

#include <limits>

#include "tests/support/TestEnvironment.h"

class FindInputTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The size and amount boxes read their leading number in the C
    // locale's digits; sizes round halves to even and never overflow.
    void readsBoxes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("amount");
        QTest::addColumn<qint64>("size");
        QTest::newRow("grouped amount") << "1,234.50" << 1234.5 << qint64(1);
        QTest::newRow("zero") << "0.00" << 0.0 << qint64(0);
        QTest::newRow("no number") << "abc" << 0.0 << qint64(0);
        QTest::newRow("empty") << "" << 0.0 << qint64(0);
        QTest::newRow("sign and tail") << "-12x" << -12.0 << qint64(-12);
        QTest::newRow("half rounds down to even") << "2.5" << 2.5 << qint64(2);
        QTest::newRow("half rounds up to even") << "3.5" << 3.5 << qint64(4);
        QTest::newRow("fraction") << "1500.5" << 1500.5 << qint64(1500);
        QTest::newRow("second point ends it") << "1.2.3" << 1.2 << qint64(1);
        QTest::newRow("beyond 32 bits") << "99999999999" << 99999999999.0 << qint64(99999999999LL);
        QTest::newRow("beyond 64 bits") << "99999999999999999999999" << 99999999999999999999999.0
                                        << std::numeric_limits<qint64>::max();
    }

    void readsBoxes()
    {
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(QLocale::German));
        QTEST(FindInput::amountFromText(text), "amount");
        QTEST(FindInput::fileSizeFromText(text), "size");
        QLocale::setDefault(QLocale::c());
    }

    void showsAmounts()
    {
        QLocale::setDefault(QLocale(QLocale::German));
        QCOMPARE(FindInput::amountText(1234.5), QStringLiteral("1,234.50"));
        QCOMPARE(FindInput::amountText(0), QStringLiteral("0.00"));
        QCOMPARE(FindInput::amountText(1234567.891), QStringLiteral("1,234,567.89"));
        QLocale::setDefault(QLocale::c());
    }
};

VLM_TEST_GUILESS_MAIN(FindInputTest)
#include "FindInputTest.moc"

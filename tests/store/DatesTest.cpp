#include "store/Dates.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QLocale>
#include <QtTest>

using namespace Dates;

class DatesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dates_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        for (const char *loc : {"en_US", "de_DE", "fr_FR"}) {
            const QString l = QLatin1String(loc);
            QTest::addRow("%s month first", loc) << l << "03/04/2024" << QDate(2024, 3, 4);
            QTest::addRow("%s short", loc) << l << "3/4/2024" << QDate(2024, 3, 4);
            QTest::addRow("%s christmas", loc) << l << "12/25/2024" << QDate(2024, 12, 25);
            QTest::addRow("%s spaces around", loc) << l << " 03/04/2024 " << QDate(2024, 3, 4);
            // Nothing is guessed: the year has four digits, the order is
            // month/day/year.
            QTest::addRow("%s two-digit year refused", loc) << l << "1/2/05" << QDate();
            QTest::addRow("%s two-digit year 95 refused", loc) << l << "01/02/95" << QDate();
            QTest::addRow("%s iso refused", loc) << l << "2024-03-04" << QDate();
            QTest::addRow("%s three-digit year refused", loc) << l << "01/02/202" << QDate();
            QTest::addRow("%s five-digit year refused", loc) << l << "01/02/20245" << QDate();
            QTest::addRow("%s year 0 refused", loc) << l << "01/02/0000" << QDate();
            QTest::addRow("%s dashes refused", loc) << l << "03-04-2024" << QDate();
            QTest::addRow("%s Arabic-Indic digits refused", loc) << l << QString::fromUtf8("٠٣/٠٤/٢٠٢٤") << QDate();
            QTest::addRow("%s time refused", loc) << l << "03/04/2024 10:00" << QDate();
            QTest::addRow("%s no such day", loc) << l << "02/30/2024" << QDate();
            QTest::addRow("%s day first refused", loc) << l << "25/12/2024" << QDate();
            QTest::addRow("%s letters", loc) << l << "abc" << QDate();
            QTest::addRow("%s dots", loc) << l << "04.03.2024" << QDate();
        }
    }
    // Dates mean month/day/year whatever the user's locale.
    void dates()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(ToDate(text), date);
        QCOMPARE(IsValidDate(text), date.isValid());
        if (date.isValid())
            QCOMPARE(ToDate(formatDate(date)), date);
        QLocale::setDefault(QLocale::c());
    }

    void blankDateIsValidAndNoDate()
    {
        QVERIFY(IsValidDate(""));
        QVERIFY(IsValidDate("  "));
        QVERIFY(!ToDate("").isValid());
        QCOMPARE(formatDate(QDate()), QString());
        QCOMPARE(formatDate(QDate(2024, 3, 4)), QStringLiteral("03/04/2024"));
    }
};

VLM_TEST_GUILESS_MAIN(DatesTest)
#include "DatesTest.moc"

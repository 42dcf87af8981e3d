#include "navigation/DateTyping.h"

#include <QtTest>

#include "tests/support/TestEnvironment.h"

Q_DECLARE_METATYPE(DateTyping::Section)

namespace {

const QDate kMin(1752, 9, 14);
const QDate kMax(9999, 12, 31);

} // namespace

class DateTypingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What a date box keeps once the typing ends: the typed date when it
    // is one, also when the date on show lacks its day until the year is
    // typed; none (the box keeps its date) for a text that is no date.
    void typedDates_data()
    {
        QTest::addColumn<QDate>("shown");
        QTest::addColumn<DateTyping::Section>("section");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("kept");
        QTest::addColumn<QString>("text");
        const QDate noLimit(2099, 12, 31);
        const QDate none;
        QTest::newRow("whole date over the no-limit date")
            << noLimit << DateTyping::Month << "02/29/2024" << QDate(2024, 2, 29) << "02/29/2024";
        QTest::newRow("whole date over 1901") << QDate(1901, 1, 1) << DateTyping::Month << "02/29/2024"
                                              << QDate(2024, 2, 29) << "02/29/2024";
        QTest::newRow("short month and day") << noLimit << DateTyping::Month << "2/9/2024" << QDate(2024, 2, 9)
                                             << "2/9/2024";
        QTest::newRow("digits alone") << noLimit << DateTyping::Month << "02292024" << QDate(2024, 2, 29)
                                      << "02/29/2024";
        QTest::newRow("month alone") << QDate(1901, 1, 1) << DateTyping::Month << "3" << QDate(1901, 3, 1)
                                     << "3/01/1901";
        QTest::newRow("year alone") << QDate(1901, 1, 1) << DateTyping::Year << "2004" << QDate(2004, 1, 1)
                                    << "01/01/2004";
        QTest::newRow("day from the day") << QDate(2024, 2, 1) << DateTyping::Day << "29" << QDate(2024, 2, 29)
                                          << "02/29/2024";
        QTest::newRow("slash keeps a section") << QDate(2024, 5, 6) << DateTyping::Month << "/07" << QDate(2024, 5, 7)
                                               << "05/07/2024";
        QTest::newRow("day the month lacks") << noLimit << DateTyping::Month << "02/30/2024" << none << "02/30/2024";
        QTest::newRow("leap day of a common year") << noLimit << DateTyping::Month << "02/29" << none
                                                   << "02/29/2099";
        QTest::newRow("month 13") << noLimit << DateTyping::Month << "13/01/2024" << none << "13/01/2024";
        QTest::newRow("year half typed") << noLimit << DateTyping::Year << "20" << none << "12/31/20";
        QTest::newRow("year before the range") << noLimit << DateTyping::Year << "1700" << none << "12/31/1700";
        QTest::newRow("letters ignored") << noLimit << DateTyping::Month << "0a3-/0x4/2004" << QDate(2004, 3, 4)
                                         << "03/04/2004";
        QTest::newRow("no more than the year") << noLimit << DateTyping::Year << "202456" << QDate(2024, 12, 31)
                                               << "12/31/2024";
    }
    void typedDates()
    {
        QFETCH(QDate, shown);
        QFETCH(DateTyping::Section, section);
        QFETCH(QString, typed);
        DateTyping typing;
        typing.start(shown, section);
        for (QChar c : typed)
            typing.type(c);
        QTEST(typing.text(), "text");
        const std::optional<QDate> kept = typing.finish(kMin, kMax);
        QTEST(kept.value_or(QDate()), "kept");
        QVERIFY(!typing.isActive());
    }

    // While a section is half typed the entry gives no date yet; a full
    // section that makes a date gives it at once. Backspace takes back the
    // last digit, and the next digit goes where the cursor shows.
    void halfTypedGivesNoDate()
    {
        DateTyping typing;
        typing.start(QDate(2099, 12, 31), DateTyping::Month);
        QCOMPARE(typing.cursorPosition(), 0);
        QCOMPARE(typing.replacedLength(), 2);
        typing.type(QLatin1Char('0'));
        QVERIFY(!typing.completeDate(kMin, kMax));
        typing.type(QLatin1Char('3'));
        QCOMPARE(typing.completeDate(kMin, kMax), QDate(2099, 3, 31));
        QCOMPARE(typing.currentSection(), DateTyping::Day);
        QCOMPARE(typing.cursorPosition(), 3);
        typing.type(QLatin1Char('/'));
        QCOMPARE(typing.currentSection(), DateTyping::Day);
        typing.type(QLatin1Char('1'));
        QVERIFY(!typing.completeDate(kMin, kMax));
        QCOMPARE(typing.cursorPosition(), 4);
        QVERIFY(typing.backspace());
        QVERIFY(!typing.backspace());
        QCOMPARE(typing.text(), QStringLiteral("03/31/2099"));
        typing.type(QLatin1Char('1'));
        typing.type(QLatin1Char('5'));
        QCOMPARE(typing.completeDate(kMin, kMax), QDate(2099, 3, 15));
        QCOMPARE(typing.currentSection(), DateTyping::Year);
    }
};

VLM_TEST_GUILESS_MAIN(DateTypingTest)
#include "DateTypingTest.moc"

#include "platform/DbConnection.h"
#include "store/Common.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QtTest>

using namespace Common;

class CommonTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileClassification_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("image");
        QTest::addColumn<bool>("nonImage");
        QTest::addColumn<QString>("type");
        QTest::newRow("jpg upper") << "SCAN.JPG" << true << false << "jpg";
        QTest::newRow("jpeg upper") << "B.JPEG" << true << false << "jpg";
        QTest::newRow("bmp") << "a.bmp" << true << false << "bmp";
        QTest::newRow("pdf") << "x.pdf" << true << true << "pdf";
        QTest::newRow("PDF upper") << "x.PDF" << true << true << "pdf";
        QTest::newRow("no extension") << "README" << true << true << "dme";
        QTest::newRow("tiff") << "t.tiff" << true << true << "iff";
        QTest::newRow("tif") << "t.tif" << true << true << "tif";
        QTest::newRow("jpe") << "t.jpe" << true << true << "jpe";
        QTest::newRow("photojpg") << "photojpg" << false << false << "jpg";
        QTest::newRow("ajpg") << "ajpg" << false << false << "jpg";
        QTest::newRow("abmp") << "abmp" << false << false << "bmp";
        QTest::newRow("two letters") << "ab" << true << true << "ab";
        QTest::newRow("doc") << "letter.doc" << true << true << "doc";
    }
    void fileClassification()
    {
        QFETCH(QString, name);
        QFETCH(bool, image);
        QFETCH(bool, nonImage);
        QFETCH(QString, type);
        QCOMPARE(IsImageFile(name), image);
        QCOMPARE(IsNonImageFile(name), nonImage);
        QCOMPARE(GetFileType(name), type);
    }

    void nameAndPathChecks()
    {
        QVERIFY(!HasInvalidNameChar("Taxes 2024"));
        for (const char *bad : {"a.b", "a/b", "a\"b", "a\\b", "a:b", "a*b", "a?b", "a<b", "a>b", "a|b"})
            QVERIFY2(HasInvalidNameChar(QLatin1String(bad)), bad);
        QCOMPARE(StripInvalidNameChars("a.b:c"), QStringLiteral("abc"));
        // Folders are separated by "/": only the file name is examined.
        QVERIFY(!HasInvalidPathChar("/home/ann/Scans 1.2/page:1.jpg"));
        QVERIFY(HasInvalidPathChar("/home/ann/what?.jpg"));
        QCOMPARE(StripInvalidPathChars("/home/ann/a*b.jpg"), QStringLiteral("/home/ann/ab.jpg"));
    }

    void isBlank()
    {
        QVERIFY(IsBlank(""));
        QVERIFY(IsBlank("   "));
        QVERIFY(!IsBlank(" x "));
        // Only spaces count as blank, as in the text formats.
        QVERIFY(!IsBlank("\t"));
    }

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
            QCOMPARE(ToDate(FormatDate(date)), date);
        QLocale::setDefault(QLocale::c());
    }

    void blankDateIsValidAndNoDate()
    {
        QVERIFY(IsValidDate(""));
        QVERIFY(IsValidDate("  "));
        QVERIFY(!ToDate("").isValid());
        QCOMPARE(FormatDate(QDate()), QString());
        QCOMPARE(FormatDate(QDate(2024, 3, 4)), QStringLiteral("03/04/2024"));
    }

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
        QCOMPARE(ParseAmount(text, &v), ok);
        if (ok)
            QCOMPARE(v, value);
        QLocale::setDefault(QLocale::c());
    }
};

VLM_TEST_GUILESS_MAIN(CommonTest)
#include "CommonTest.moc"

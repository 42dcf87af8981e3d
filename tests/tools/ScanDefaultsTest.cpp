#include "platform/Settings.h"
#include "tests/support/TestEnvironment.h"
#include "tools/ScanDefaults.h"

#include <QTest>

using namespace ScanDefaults;
Q_DECLARE_METATYPE(ScanDefaults::Field)

class ScanDefaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }

    // Nothing stored: the factory defaults.
    void defaults()
    {
        const Resolution r = readResolution();
        QCOMPARE(QStringList({r.docDpi, r.docQuality, r.docScanType, r.picDpi, r.picQuality, r.picScanType}),
                 QStringList({"150", "50", "Color", "300", "30", "Color"}));
        QVERIFY(!readAdvanced().showUi);
        QVERIFY(!readAdvanced().nativeTransfer);
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("plain") << "150" << "150";
        QTest::newRow("unit after") << "150 dpi" << "150";
        QTest::newRow("blanks and sign") << "  -12.5x" << "-12.5";
        QTest::newRow("fraction only") << ".5" << "0.5";
        QTest::newRow("no number") << "abc" << "0";
        QTest::newRow("empty") << "" << "0";
        // Read back by its leading number, a box never shows an exponent.
        QTest::newRow("twenty digits") << "99999999999999999999" << "100000000000000000000";
        QTest::newRow("small fraction") << "0.00001" << "0.00001";
        QTest::newRow("beyond a double") << QString(400, QLatin1Char('9')) << QString(400, QLatin1Char('9'));
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(QString, normalized);
        QCOMPARE(normalizeNumber(text), normalized);
    }

    // The checks in their order; the first failure names its box. An
    // empty message means the values pass.
    void validation_data()
    {
        QTest::addColumn<QStringList>("boxes");  // doc DPI, doc quality, pic DPI, pic quality
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("message");
        const QString pagesLow = "The DPI setting for pages is too low.  Please enter a DPI that is 50 or higher.";
        const QString pagesHigh = "The DPI setting for pages is too high.  Please enter a DPI that is 10,000 or lower.";
        const QString pagesQ = "The JPEG Quality setting for pages is incorrect.  Please enter a value between 1 and 255.";
        const QString picsLow = "The DPI setting for pictures is too low.  Please enter a DPI that is 50 or higher.";
        const QString picsHigh = "The DPI setting for pictures is too high.  Please enter a DPI that is 10,000 or lower.";
        const QString picsQ = "The JPEG Quality setting for pictures is incorrect.  Please enter a value between 1 and 255.";
        QTest::newRow("defaults") << QStringList{"150", "50", "300", "30"} << -1 << QString();
        QTest::newRow("page 49") << QStringList{"49", "50", "300", "30"} << int(Field::DocDpi) << pagesLow;
        QTest::newRow("page 49.5") << QStringList{"49.5", "50", "300", "30"} << -1 << QString();
        QTest::newRow("page 10000") << QStringList{"10000", "50", "300", "30"} << -1 << QString();
        QTest::newRow("page 10001") << QStringList{"10001", "50", "300", "30"} << int(Field::DocDpi) << pagesHigh;
        QTest::newRow("page abc") << QStringList{"abc", "50", "300", "30"} << int(Field::DocDpi) << pagesLow;
        QTest::newRow("page quality 0") << QStringList{"150", "0", "300", "30"} << int(Field::DocQuality) << pagesQ;
        QTest::newRow("page quality 256") << QStringList{"150", "256", "300", "30"} << int(Field::DocQuality) << pagesQ;
        QTest::newRow("page quality 255.5") << QStringList{"150", "255.5", "300", "30"} << int(Field::DocQuality) << pagesQ;
        QTest::newRow("qualities 1 and 255") << QStringList{"150", "1", "300", "255"} << -1 << QString();
        QTest::newRow("picture 49") << QStringList{"150", "50", "49", "30"} << int(Field::PicDpi) << picsLow;
        QTest::newRow("picture 10001") << QStringList{"150", "50", "10001", "30"} << int(Field::PicDpi) << picsHigh;
        QTest::newRow("picture quality 0") << QStringList{"150", "50", "300", "0"} << int(Field::PicQuality) << picsQ;
        // Halves round to the even neighbour: 10000.5 is 10000, 0.5 is 0.
        QTest::newRow("page 10000.5") << QStringList{"10000.5", "50", "300", "30"} << -1 << QString();
        QTest::newRow("picture quality 0.5") << QStringList{"150", "50", "300", "0.5"} << int(Field::PicQuality) << picsQ;
        QTest::newRow("both bad: pages first") << QStringList{"150", "0", "300", "0"} << int(Field::DocQuality) << pagesQ;
        // Numbers beyond every integer type are still compared as numbers.
        const QString huge = "99999999999999999999";
        QTest::newRow("page 99999999999999999999") << QStringList{huge, "50", "300", "30"} << int(Field::DocDpi) << pagesHigh;
        QTest::newRow("page -99999999999999999999") << QStringList{"-" + huge, "50", "300", "30"} << int(Field::DocDpi) << pagesLow;
        QTest::newRow("picture 99999999999999999999") << QStringList{"150", "50", huge, "30"} << int(Field::PicDpi) << picsHigh;
        QTest::newRow("page quality 99999999999999999999") << QStringList{"150", huge, "300", "30"} << int(Field::DocQuality) << pagesQ;
        QTest::newRow("page of 400 digits") << QStringList{QString(400, QLatin1Char('9')), "50", "300", "30"}
                                            << int(Field::DocDpi) << pagesHigh;
    }
    void validation()
    {
        QFETCH(QStringList, boxes);
        QFETCH(int, field);
        QFETCH(QString, message);
        Resolution r;
        r.docDpi = boxes[0];
        r.docQuality = boxes[1];
        r.picDpi = boxes[2];
        r.picQuality = boxes[3];
        const std::optional<Refusal> refusal = ValidateScanDPI(r);
        QCOMPARE(refusal.has_value(), !message.isEmpty());
        if (refusal) {
            QCOMPARE(int(refusal->field), field);
            QCOMPARE(refusal->message, message);
        }
    }

    // Saved as normalised ("49.5" as typed, "abc" as "0") under the keys
    // vlm's scanning reads.
    void savedValuesAreWhatScanningReads()
    {
        Resolution r;
        r.docDpi = "49.5 dpi";
        r.docScanType = BlackAndWhite;
        r.picQuality = "12";
        QVERIFY(!ValidateScanDPI(r));
        SaveScanDPI(r);
        QCOMPARE(Settings::value("DocDPIOverride"), QString("49.5"));
        QCOMPARE(Settings::value("DocScanType"), QString("Black & White"));
        QCOMPARE(Settings::value("PicQualityOverride"), QString("12"));
        QCOMPARE(Settings::value("PicDPIOverride"), QString("300"));
        QCOMPARE(readResolution().docDpi, QString("49.5"));
    }

    // Only an exact "Y" checks an option; saving writes "Y" or "N".
    void advancedOptions()
    {
        Settings::setValue("TWAINShowUI", "y");
        Settings::setValue("TWAINNativeTransfer", "Y");
        Advanced a = readAdvanced();
        QVERIFY(!a.showUi);
        QVERIFY(a.nativeTransfer);
        SaveAdvancedSettings(a);
        QCOMPARE(Settings::value("TWAINShowUI"), QString("N"));
        QCOMPARE(Settings::value("TWAINNativeTransfer"), QString("Y"));
    }
};

VLM_TEST_GUILESS_MAIN(ScanDefaultsTest)
#include "ScanDefaultsTest.moc"

#include "imaging/PrintLayout.h"
#include "platform/Settings.h"
#include "tests/support/TestEnvironment.h"

#include <QtTest>

using namespace PrintLayout;

class PrintLayoutTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Settings::removeAll(); }

    // Range boxes and percentage boxes read their leading number, halves
    // to even.
    void wholeNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("letters") << "abc" << 0;
        QTest::newRow("3.5 up") << "3.5" << 4;
        QTest::newRow("2.5 down") << "2.5" << 2;
        QTest::newRow("150.5") << "150.5" << 150;
        QTest::newRow("199.5") << "199.5" << 200;
        QTest::newRow("9.6") << "9.6" << 10;
        QTest::newRow("trailing text") << " 12 pages" << 12;
        QTest::newRow("huge") << "99999999999" << std::numeric_limits<int>::max();
    }
    void wholeNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(PrintLayout::wholeNumber(text), number);
    }

    // The printed size in printer pixels, before and after the 0.95 factor.
    void printedSize_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<QSize>("printer");
        QTest::addColumn<int>("scanDpi");
        QTest::addColumn<int>("widthPct");
        QTest::addColumn<int>("heightPct");
        QTest::addColumn<QSize>("printed");
        QTest::newRow("300 dpi page on 600 dpi") << QSize(2400, 3300) << QSize(300, 300) << QSize(600, 600) << 300
                                                 << 100 << 100 << QSize(4560, 6270);
        // 400 is over the limit: the scan resolution 150 replaces it
        // (9600 x 13200 before the factor).
        QTest::newRow("400 dpi uses scan dpi") << QSize(2400, 3300) << QSize(400, 400) << QSize(600, 600) << 150
                                               << 100 << 100 << QSize(9120, 12540);
        QTest::newRow("349 is still used") << QSize(349, 349) << QSize(349, 349) << QSize(349, 349) << 150
                                           << 100 << 100 << QSize(332, 332);
        QTest::newRow("one axis at 350") << QSize(100, 100) << QSize(200, 350) << QSize(600, 600) << 300
                                         << 100 << 100 << QSize(190, 190);
        QTest::newRow("none stored uses scan dpi") << QSize(300, 300) << QSize(0, 0) << QSize(600, 600) << 300
                                                   << 100 << 100 << QSize(570, 570);
        QTest::newRow("unreadable printer is 300") << QSize(300, 600) << QSize(300, 300) << QSize(0, -1) << 300
                                                   << 100 << 100 << QSize(285, 570);
        QTest::newRow("percentages") << QSize(1000, 1000) << QSize(100, 100) << QSize(100, 100) << 300
                                     << 50 << 200 << QSize(475, 1900);
        QTest::newRow("axes apart") << QSize(100, 100) << QSize(100, 200) << QSize(300, 600) << 300
                                    << 100 << 100 << QSize(285, 285);
    }
    void printedSize()
    {
        QFETCH(QSize, pixels);
        QFETCH(QSize, stored);
        QFETCH(QSize, printer);
        QFETCH(int, scanDpi);
        QFETCH(int, widthPct);
        QFETCH(int, heightPct);
        QFETCH(QSize, printed);
        QCOMPARE(PrintLayout::printedSize(pixels, stored, printer, scanDpi, Scale{widthPct, heightPct}), printed);
    }

    // The stored percentages as printing reads them.
    void readScale_data()
    {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<int>("widthPct");
        QTest::addColumn<int>("heightPct");
        QTest::newRow("unset") << QString() << QString() << 100 << 100;
        QTest::newRow("250 is out") << "250" << "90" << 100 << 90;
        QTest::newRow("bounds kept") << "10" << "200" << 10 << 200;
        QTest::newRow("9 and 201 out") << "9" << "201" << 100 << 100;
        QTest::newRow("not a number") << "abc" << "" << 100 << 100;
    }
    void readScale()
    {
        QFETCH(QString, width);
        QFETCH(QString, height);
        if (!width.isNull())
            Settings::setValue(QStringLiteral("PrintWidthPct"), width);
        if (!height.isNull())
            Settings::setValue(QStringLiteral("PrintHeightPct"), height);
        const Scale scale = PrintLayout::readScale();
        QTEST(scale.widthPct, "widthPct");
        QTEST(scale.heightPct, "heightPct");
    }

    // The print settings' OK: width checked first, nothing stored until
    // both are valid.
    void saveScale_data()
    {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("storedWidth");
        QTest::addColumn<QString>("storedHeight");
        QTest::newRow("halves to even") << "150.5" << "200.5" << QString() << "150" << "200";
        QTest::newRow("rounds up into range") << "9.6" << "199.5" << QString() << "10" << "200";
        QTest::newRow("width first") << "250" << "5" << WidthMessage << "" << "";
        QTest::newRow("then height") << "100" << "5" << HeightMessage << "" << "";
        QTest::newRow("letters") << "abc" << "100" << WidthMessage << "" << "";
    }
    void saveScale()
    {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, message);
        const auto refusal = PrintLayout::saveScale(width, height);
        QCOMPARE(refusal ? refusal->message : QString(), message);
        if (refusal)
            QCOMPARE(refusal->width, message == WidthMessage);
        QTEST(Settings::value(QStringLiteral("PrintWidthPct")), "storedWidth");
        QTEST(Settings::value(QStringLiteral("PrintHeightPct")), "storedHeight");
    }

    // The scan resolution that replaces an unusable stored one.
    void scanDpi_data()
    {
        QTest::addColumn<QString>("imageType");
        QTest::addColumn<QString>("docDpi");
        QTest::addColumn<QString>("picDpi");
        QTest::addColumn<int>("dpi");
        QTest::newRow("defaults, picture") << "" << "" << "" << 300;
        QTest::newRow("document default") << "document" << "" << "" << 150;
        QTest::newRow("document set") << "document" << "200" << "600" << 200;
        QTest::newRow("Document is not document") << "Document" << "200" << "600" << 600;
        QTest::newRow("picture 49 out") << "picture" << "" << "49" << 300;
        QTest::newRow("picture 10000 in") << "picture" << "" << "10000" << 10000;
        QTest::newRow("document 10001 out") << "document" << "10001" << "" << 150;
        QTest::newRow("not a number") << "document" << "abc" << "" << 150;
    }
    void scanDpi()
    {
        QFETCH(QString, imageType);
        QFETCH(QString, docDpi);
        QFETCH(QString, picDpi);
        if (!imageType.isEmpty())
            Settings::setValue("TWAINImageType", imageType);
        if (!docDpi.isEmpty())
            Settings::setValue("DocDPIOverride", docDpi);
        if (!picDpi.isEmpty())
            Settings::setValue("PicDPIOverride", picDpi);
        QTEST(PrintLayout::scanDpi(), "dpi");
    }

    // An image without a stored resolution has none, whatever Qt filled in.
    void storedDpi()
    {
        QCOMPARE(PrintLayout::storedDpi(QImage(10, 10, QImage::Format_RGB32)), QSize(0, 0));
        QImage image(10, 10, QImage::Format_RGB32);
        image.setDotsPerMeterX(11811);
        image.setDotsPerMeterY(23622);
        QCOMPARE(PrintLayout::storedDpi(image), QSize(300, 600));
    }

    void checkRange_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("thru");
        QTest::addColumn<QString>("message");
        QTest::newRow("from after to") << 3 << 2 << RangeMessage;
        QTest::newRow("equal") << 2 << 2 << QString();
        QTest::newRow("no pages") << 0 << 0 << QString();
    }
    void checkRange()
    {
        QFETCH(int, from);
        QFETCH(int, thru);
        QTEST(PrintLayout::checkRange(from, thru).value_or(QString()), "message");
    }

    // The printer a print dialog preselects.
    void selectedPrinter_data()
    {
        QTest::addColumn<QStringList>("printers");
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<int>("index");
        QTest::newRow("none installed") << QStringList() << "Office" << -1;
        QTest::newRow("nothing remembered") << QStringList{"A", "B"} << "" << 0;
        QTest::newRow("exact case only") << QStringList{"office", "Office", "OFFICE"} << "Office" << 1;
        QTest::newRow("last equal entry") << QStringList{"Office", "B", "Office"} << "Office" << 2;
        QTest::newRow("stale name") << QStringList{"A", "B"} << "Gone" << 0;
    }
    void selectedPrinter()
    {
        QFETCH(QStringList, printers);
        QFETCH(QString, remembered);
        QTEST(PrintLayout::selectedPrinter(printers, remembered), "index");
    }
};

VLM_TEST_GUI_MAIN(PrintLayoutTest)
#include "PrintLayoutTest.moc"

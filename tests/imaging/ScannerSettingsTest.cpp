#include "imaging/ScannerSettings.h"

#include "imaging/ScanPlan.h"
#include "platform/Settings.h"
#include "tests/support/TestEnvironment.h"
#include "tools/ScanDefaults.h"

#include <QtTest>

namespace {

QString getter(const QString &name)
{
    if (name == QLatin1String("PicScanType"))
        return ScannerSettings::GetPicScanType();
    if (name == QLatin1String("DocScanType"))
        return ScannerSettings::GetDocScanType();
    if (name == QLatin1String("PicDPIOverride"))
        return QString::number(ScannerSettings::GetPicDPI());
    if (name == QLatin1String("DocDPIOverride"))
        return QString::number(ScannerSettings::GetDocDPI());
    if (name == QLatin1String("PicQualityOverride"))
        return QString::number(ScannerSettings::GetPicQuality());
    return QString::number(ScannerSettings::GetDocQuality());
}

} // namespace

// The scanner defaults as scanning reads them, and what a scan takes from
// the settings.
class ScannerSettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }

    void getters_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");  // "-" for none
        QTest::addColumn<QString>("result");
        QTest::newRow("picture dpi 49") << "PicDPIOverride" << "49" << "300";
        QTest::newRow("picture dpi 10001") << "PicDPIOverride" << "10001" << "300";
        QTest::newRow("picture dpi 50") << "PicDPIOverride" << "50" << "50";
        QTest::newRow("picture dpi 10000") << "PicDPIOverride" << "10000" << "10000";
        QTest::newRow("picture dpi with blanks") << "PicDPIOverride" << " 600 " << "600";
        QTest::newRow("picture dpi with a fraction") << "PicDPIOverride" << "150.7" << "151";
        QTest::newRow("picture dpi half rounds to even 50") << "PicDPIOverride" << "49.5" << "50";
        QTest::newRow("picture dpi half rounds to even 300") << "PicDPIOverride" << "299.5" << "300";
        QTest::newRow("picture dpi rounding below range") << "PicDPIOverride" << "49.4" << "300";
        QTest::newRow("document dpi default") << "DocDPIOverride" << "-" << "150";
        QTest::newRow("document dpi abc") << "DocDPIOverride" << "abc" << "150";
        QTest::newRow("document quality 0") << "DocQualityOverride" << "0" << "50";
        QTest::newRow("document quality 256") << "DocQualityOverride" << "256" << "50";
        QTest::newRow("picture quality 0") << "PicQualityOverride" << "0" << "30";
        QTest::newRow("picture type grayscale") << "PicScanType" << "Grayscale" << "G";
        QTest::newRow("picture type empty") << "PicScanType" << "" << "C";
        QTest::newRow("document type black and white") << "DocScanType" << "BLACK & WHITE" << "B";
        QTest::newRow("document type other") << "DocScanType" << "Sepia" << "C";
    }
    // Each getter reads its setting at every call; a value outside its
    // range, or no whole number, gives the default.
    void getters()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, result);
        if (stored != QLatin1String("-"))
            Settings::setValue(key, stored);
        QCOMPARE(getter(key), result);
    }

    // vlmtools saves the scanner defaults while vlm runs: the next read sees
    // the file as it is on disk, not what this process read before.
    void readsWhatAnotherProgramWrote()
    {
        Settings::setValue("DocDPIOverride", "300");
        Settings::setValue("DocScanType", "Color");
        QCOMPARE(ScannerSettings::GetDocDPI(), 300);
        QFile file(Settings::fileName());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Settings]\nDocDPIOverride=200\nDocScanType=Grayscale\nTWAINADF=N\n");
        file.close();
        QCOMPARE(ScannerSettings::GetDocDPI(), 200);
        QCOMPARE(ScannerSettings::GetDocScanType(), QString("G"));
        QCOMPARE(Settings::value("TWAINADF"), QString("N"));
    }

    void plan_data()
    {
        QTest::addColumn<QString>("imageType");
        QTest::addColumn<QString>("adf");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<ScanMode>("mode");
        QTest::addColumn<bool>("feeder");
        QTest::addColumn<QString>("source");
        QTest::newRow("document") << "document" << "Y" << 200 << ScanMode::Lineart << true << "doc:1";
        QTest::newRow("picture") << "picture" << "N" << 600 << ScanMode::Gray << false << "doc:1";
        QTest::newRow("Picture counts as document") << "Picture" << "N" << 200 << ScanMode::Lineart << false
                                                    << "doc:1";
        QTest::newRow("camera never feeds") << "camera" << "Y" << 600 << ScanMode::Gray << false << "cam:1";
        QTest::newRow("feeder needs Y") << "document" << "y" << 200 << ScanMode::Lineart << false << "doc:1";
    }
    // Pictures and camera scans take the picture defaults, all else the
    // document ones (the comparison is exact); a camera scans from its own
    // source and never through the feeder.
    void plan()
    {
        QFETCH(QString, imageType);
        QFETCH(QString, adf);
        QFETCH(int, dpi);
        QFETCH(ScanMode, mode);
        QFETCH(bool, feeder);
        QFETCH(QString, source);
        Settings::setValue("TWAINImageType", imageType);
        Settings::setValue("TWAINADF", adf);
        Settings::setValue("TWAINSource", "doc:1");
        Settings::setValue("TWAINCameraSource", "cam:1");
        Settings::setValue("DocDPIOverride", "200");
        Settings::setValue("DocScanType", "Black & White");
        Settings::setValue("PicDPIOverride", "600");
        Settings::setValue("PicScanType", "Grayscale");
        const ScanPlan::Plan plan = ScanPlan::read();
        QCOMPARE(plan.request.dpi, dpi);
        QCOMPARE(plan.request.mode, mode);
        QCOMPARE(plan.request.feeder, feeder);
        QCOMPARE(plan.request.source.name, source);
        QCOMPARE(plan.showEditor, true);
        QCOMPARE(plan.docInfo, QString("afterscan"));
    }

    void savedByToolsReadByScanning_data()
    {
        QTest::addColumn<QStringList>("saved");  // the six boxes of the resolution window; empty: none saved
        QTest::addColumn<QStringList>("read");   // doc dpi, doc quality, doc type, pic dpi, pic quality, pic type
        QTest::newRow("factory defaults") << QStringList() << QStringList{"150", "50", "C", "300", "30", "C"};
        QTest::newRow("saved values")
            << QStringList{"600", "80", "Grayscale", "1200", "20", "Black & White"}
            << QStringList{"600", "80", "G", "1200", "20", "B"};
        QTest::newRow("saved at the range ends")
            << QStringList{"50", "1", "Color", "10000", "255", "Grayscale"}
            << QStringList{"50", "1", "C", "10000", "255", "G"};
    }
    // What the scanner-defaults window of vlmtools saves (or its defaults,
    // when nothing is saved) is what vlm's scanning reads: same keys, same
    // defaults.
    void savedByToolsReadByScanning()
    {
        QFETCH(QStringList, saved);
        QFETCH(QStringList, read);
        ScanDefaults::Resolution r;
        if (!saved.isEmpty()) {
            r = {saved[0], saved[1], saved[2], saved[3], saved[4], saved[5]};
            ScanDefaults::SaveScanDPI(r);
        }
        QCOMPARE(ScanDefaults::readResolution().docDpi, r.docDpi);
        QCOMPARE(ScanDefaults::readResolution().picScanType, r.picScanType);
        const QStringList got{QString::number(ScannerSettings::GetDocDPI()),
                              QString::number(ScannerSettings::GetDocQuality()), ScannerSettings::GetDocScanType(),
                              QString::number(ScannerSettings::GetPicDPI()),
                              QString::number(ScannerSettings::GetPicQuality()), ScannerSettings::GetPicScanType()};
        QCOMPARE(got, read);
    }
};

VLM_TEST_GUILESS_MAIN(ScannerSettingsTest)
#include "ScannerSettingsTest.moc"

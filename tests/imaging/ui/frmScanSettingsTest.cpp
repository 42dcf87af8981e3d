#include "imaging/ui/frmScanSettings.h"

#include "platform/Settings.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeScanner.h"
#include "tests/support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QtTest>

namespace {

const QList<ScanSource> Devices{{"pixma:04A9_1", "Canon", "PIXMA MG3600"},
                                {"epson2:libusb:001:005", "Epson", "Perfection V39"},
                                {"test:0", "Noname", "frontend-tester"}};

using DialogDriver::combo;

} // namespace

class frmScanSettingsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakePrompt> m_prompt;
    std::unique_ptr<FakeScanner> m_scanner;

private Q_SLOTS:
    void init()
    {
        TestEnvironment::freshDataFolder();
        m_prompt = std::make_unique<FakePrompt>();
        m_scanner = std::make_unique<FakeScanner>();
        m_scanner->sources = Devices;
    }
    void cleanup()
    {
        m_scanner.reset();
        m_prompt.reset();
    }

    void choosesStoredDevice_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("vendor");
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("shown");
        QTest::newRow("stored device") << "epson2:libusb:001:005" << "" << "" << 1;
        QTest::newRow("device gone") << "fujitsu:fi-7160" << "" << "" << 0;
        QTest::newRow("name in other letter case") << "TEST:0" << "" << "" << 0;
        QTest::newRow("same device, new port") << "epson2:libusb:003:002" << "Epson" << "Perfection V39" << 1;
        QTest::newRow("vendor and model gone too") << "epson2:libusb:003:002" << "Epson" << "V600" << 0;
    }
    // The stored device is selected when it is there, by its exact name or
    // under a new name by vendor and model, else the first; OK stores what
    // is shown.
    void choosesStoredDevice()
    {
        QFETCH(QString, name);
        QFETCH(QString, vendor);
        QFETCH(QString, model);
        QFETCH(int, shown);
        Settings::setValue("TWAINSource", name);
        Settings::setValue("TWAINSourceVendor", vendor);
        Settings::setValue("TWAINSourceModel", model);
        frmScanSettings dialog;
        QComboBox *scanners = combo(&dialog, "cboScanner");
        QCOMPARE(scanners->count(), 3);
        QCOMPARE(scanners->itemText(2), QString("Noname frontend-tester (test:0)"));
        QCOMPARE(scanners->currentIndex(), shown);
        DialogDriver::click(&dialog, "cmdOK");
        QCOMPARE(Settings::value("TWAINSource"), Devices.at(shown).name);
        QCOMPARE(Settings::value("TWAINSourceModel"), Devices.at(shown).model);
    }

    // No device at all is a valid answer: OK stores no source.
    void noDevices()
    {
        m_scanner->sources.clear();
        Settings::setValue("TWAINSource", "test:0");
        frmScanSettings dialog;
        QVERIFY(DialogDriver::child<QPushButton>(&dialog, "cmdOK")->isEnabled());
        DialogDriver::click(&dialog, "cmdOK");
        QCOMPARE(Settings::value("TWAINSource", "unset"), QString());
        QVERIFY(m_prompt->messages.isEmpty());
    }

    // A first opening left with Cancel counts as set up and stores nothing
    // else.
    void cancelledFirstOpening()
    {
        {
            frmScanSettings dialog;
            DialogDriver::click(&dialog, "cmdCancel");
        }
        QCOMPARE(Settings::value("SetupScanSettings"), QString("True"));
        for (const char *key : {"TWAINSource", "AfterScan", "TwainGetDocInfo", "TWAINADF"})
            QVERIFY2(!Settings::contains(key), key);
    }

    // A stored choice the dialog does not know opens the first entry; OK
    // writes every choice back in the stored words.
    void unknownChoicesOpenFirstEntry()
    {
        Settings::setValue("AfterScan", "somewhere");
        Settings::setValue("TwainGetDocInfo", "never");
        Settings::setValue("TWAINADF", "y");
        frmScanSettings dialog;
        QCOMPARE(dialog.windowTitle(), QString("Scan Settings"));
        QCOMPARE(combo(&dialog, "cboAfterScan")->currentIndex(), 0);
        QCOMPARE(combo(&dialog, "cboGetDocInfo")->currentIndex(), 0);
        combo(&dialog, "cboAfterScan")->setCurrentIndex(1);
        DialogDriver::child<QCheckBox>(&dialog, "chkADF")->setChecked(true);
        DialogDriver::click(&dialog, "cmdOK");
        QCOMPARE(Settings::value("AfterScan"), QString("RETURN"));
        QCOMPARE(Settings::value("TwainGetDocInfo"), QString("beforescan"));
        QCOMPARE(Settings::value("TWAINADF"), QString("Y"));
    }

    // When the devices cannot be listed the user is told, and only Cancel
    // is left; the dialog still counts as shown.
    void listingFails()
    {
        m_scanner->listingFails = true;
        frmScanSettings dialog;
        QCOMPARE(m_prompt->messages, QStringList{"A scanner could not be detected."});
        QVERIFY(!combo(&dialog, "cboScanner")->isEnabled());
        QVERIFY(!DialogDriver::child<QPushButton>(&dialog, "cmdOK")->isEnabled());
        QCOMPARE(Settings::value("SetupScanSettings"), QString("True"));
        QVERIFY(!Settings::contains("TWAINSource"));
    }
};

VLM_TEST_MAIN(frmScanSettingsTest)
#include "frmScanSettingsTest.moc"

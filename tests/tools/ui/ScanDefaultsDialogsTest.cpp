#include "platform/Settings.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/TestEnvironment.h"
#include "tools/ScanDefaults.h"
#include "tools/ui/frmAdvanced.h"
#include "tools/ui/frmScanDPI.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

namespace {

const char *const kBoxes[] = {"txtDPIDoc", "txtQDoc", "txtDPIPic", "txtQPic"};

// The six controls of the resolution dialog, in the order of its settings.
QStringList shown(frmScanDPI &dialog)
{
    return {DialogDriver::box(&dialog, "txtDPIDoc")->text(), DialogDriver::box(&dialog, "txtQDoc")->text(),
            DialogDriver::child<QComboBox>(&dialog, "cboTypeDoc")->currentText(),
            DialogDriver::box(&dialog, "txtDPIPic")->text(), DialogDriver::box(&dialog, "txtQPic")->text(),
            DialogDriver::child<QComboBox>(&dialog, "cboTypePic")->currentText()};
}

QStringList stored()
{
    const ScanDefaults::Resolution r = ScanDefaults::readResolution();
    return {r.docDpi, r.docQuality, r.docScanType, r.picDpi, r.picQuality, r.picScanType};
}

void retype(QWidget *dialog, const char *name, const QString &text)
{
    QLineEdit *box = DialogDriver::box(dialog, name);
    box->clear();
    DialogDriver::typeText(box, text);
}

const QStringList kFactory{"150", "50", "Color", "300", "30", "Color"};

} // namespace

class ScanDefaultsDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }

    // With nothing stored both dialogs show the factory defaults.
    void opensWithDefaults()
    {
        frmScanDPI resolution;
        QCOMPARE(shown(resolution), kFactory);
        frmAdvanced advanced;
        QVERIFY(!DialogDriver::child<QCheckBox>(&advanced, "chkShowUI")->isChecked());
        QVERIFY(!DialogDriver::child<QCheckBox>(&advanced, "chkNativeTransfer")->isChecked());
    }

    // What the dialog saves is what vlm's scanning reads back: numbers as
    // typed after their leading number, the colour types as chosen.
    void resolutionSavesWhatIsReadBack()
    {
        FakePrompt prompt;
        frmScanDPI dialog;
        QVERIFY(DialogDriver::showActive(&dialog));
        retype(&dialog, "txtDPIDoc", "49.5 dpi");
        retype(&dialog, "txtQDoc", "255");
        DialogDriver::child<QComboBox>(&dialog, "cboTypeDoc")->setCurrentText("Black & White");
        retype(&dialog, "txtDPIPic", "10000");
        retype(&dialog, "txtQPic", " 1");
        DialogDriver::child<QComboBox>(&dialog, "cboTypePic")->setCurrentText("Grayscale");
        DialogDriver::click(&dialog, "cmdSave");

        QCOMPARE(prompt.messages, QStringList{"Scanning Resolution saved."});
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(stored(), (QStringList{"49.5", "255", "Black & White", "10000", "1", "Grayscale"}));
        frmScanDPI again;
        QCOMPARE(shown(again), stored());
    }

    // Each box's refusal: its warning, the focus in that box, the number
    // rewritten as read, the dialog still open and nothing stored.
    void resolutionRefusals_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("rewritten");
        QTest::addColumn<QString>("message");
        QTest::newRow("page DPI without a number") << 0 << "abc" << "0"
            << "The DPI setting for pages is too low.  Please enter a DPI that is 50 or higher.";
        QTest::newRow("page quality 256") << 1 << "256" << "256"
            << "The JPEG Quality setting for pages is incorrect.  Please enter a value between 1 and 255.";
        QTest::newRow("picture DPI 10001") << 2 << "10001dpi" << "10001"
            << "The DPI setting for pictures is too high.  Please enter a DPI that is 10,000 or lower.";
        QTest::newRow("picture quality 0") << 3 << "0" << "0"
            << "The JPEG Quality setting for pictures is incorrect.  Please enter a value between 1 and 255.";
    }
    void resolutionRefusals()
    {
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(QString, rewritten);
        QFETCH(QString, message);
        FakePrompt prompt;
        frmScanDPI dialog;
        QVERIFY(DialogDriver::showActive(&dialog));
        retype(&dialog, kBoxes[box], typed);
        DialogDriver::click(&dialog, "cmdSave");

        QCOMPARE(prompt.messages, QStringList{message});
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QCOMPARE(QApplication::focusWidget(), DialogDriver::box(&dialog, kBoxes[box]));
        QCOMPARE(DialogDriver::box(&dialog, kBoxes[box])->text(), rewritten);
        QVERIFY(dialog.isVisible());
        QVERIFY(!Settings::contains(QStringLiteral("DocDPIOverride")));
    }

    // Reset asks first; on Yes the boxes show the factory values, and a
    // Cancel afterwards stores nothing.
    void resolutionResetThenCancel_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }
    void resolutionResetThenCancel()
    {
        QFETCH(bool, yes);
        const QStringList mine{"600", "10", "Grayscale", "75", "200", "Black & White"};
        ScanDefaults::SaveScanDPI({mine[0], mine[1], mine[2], mine[3], mine[4], mine[5]});
        FakePrompt prompt;
        prompt.answers = {yes};
        frmScanDPI dialog;
        dialog.show();
        QCOMPARE(shown(dialog), mine);
        DialogDriver::click(&dialog, "cmdReset");
        QCOMPARE(prompt.questions, QStringList{"Reset values to factory defaults?"});
        QCOMPARE(shown(dialog), yes ? kFactory : mine);
        DialogDriver::click(&dialog, "cmdCancel");
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(stored(), mine);
        QVERIFY(prompt.messages.isEmpty());
    }

    // A box counts as checked only for exactly "Y"; Save writes "Y" or
    // "N", and Reset clears both boxes before Save.
    // Scanning through SANE reads neither TWAIN option: both boxes show
    // their stored values, cannot be changed, and say why; Save writes the
    // stored values back as they were.
    void twainOptionsShownDisabled_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("both set") << "Y";
        QTest::newRow("both clear") << "N";
    }
    void twainOptionsShownDisabled()
    {
        QFETCH(QString, stored);
        Settings::setValue(QStringLiteral("TWAINShowUI"), stored);
        Settings::setValue(QStringLiteral("TWAINNativeTransfer"), stored);
        FakePrompt prompt;
        frmAdvanced dialog;
        dialog.show();
        for (const char *name : {"chkShowUI", "chkNativeTransfer"}) {
            auto *box = DialogDriver::child<QCheckBox>(&dialog, name);
            QVERIFY2(!box->isEnabled(), name);
            QCOMPARE(box->isChecked(), stored == "Y");
            QVERIFY2(box->toolTip().contains("SANE") && box->toolTip().contains("no effect"), qPrintable(box->toolTip()));
        }
        DialogDriver::click(&dialog, "cmdSave");
        QCOMPARE(Settings::value(QStringLiteral("TWAINShowUI")), stored);
        QCOMPARE(Settings::value(QStringLiteral("TWAINNativeTransfer")), stored);
    }

    void advancedSaves_data()
    {
        QTest::addColumn<QString>("storedShowUi");
        QTest::addColumn<bool>("shownChecked");
        QTest::addColumn<bool>("reset");
        QTest::addColumn<QString>("savedShowUi");
        QTest::newRow("lower-case y shows unchecked") << "y" << false << false << "N";
        QTest::newRow("Y shows checked") << "Y" << true << false << "Y";
        QTest::newRow("Reset clears") << "Y" << true << true << "N";
    }
    void advancedSaves()
    {
        QFETCH(QString, storedShowUi);
        QFETCH(bool, shownChecked);
        QFETCH(bool, reset);
        QFETCH(QString, savedShowUi);
        Settings::setValue(QStringLiteral("TWAINShowUI"), storedShowUi);
        FakePrompt prompt;
        frmAdvanced dialog;
        dialog.show();
        QCOMPARE(DialogDriver::child<QCheckBox>(&dialog, "chkShowUI")->isChecked(), shownChecked);
        if (reset)
            DialogDriver::click(&dialog, "cmdReset");
        DialogDriver::child<QCheckBox>(&dialog, "chkNativeTransfer")->setChecked(!reset);
        if (reset)
            QVERIFY(!DialogDriver::child<QCheckBox>(&dialog, "chkShowUI")->isChecked());
        DialogDriver::click(&dialog, "cmdSave");

        QCOMPARE(prompt.messages, QStringList{"Advanced settings saved."});
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(Settings::value(QStringLiteral("TWAINShowUI")), savedShowUi);
        QCOMPARE(Settings::value(QStringLiteral("TWAINNativeTransfer")), QString(reset ? "N" : "Y"));
        QCOMPARE(ScanDefaults::readAdvanced().showUi, savedShowUi == "Y");
    }
};

VLM_TEST_MAIN(ScanDefaultsDialogsTest)
#include "ScanDefaultsDialogsTest.moc"

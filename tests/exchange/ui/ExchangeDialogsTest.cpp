#include "exchange/ui/frmEmailSettings.h"
#include "exchange/ui/frmImportFileTypes.h"
#include "exchange/ui/frmSendEmail.h"

#include "exchange/ExchangeState.h"
#include "platform/Settings.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QtTest>

using namespace DialogDriver;

class ExchangeDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // Each way out of the type chooser and what it leaves behind. Enter in
    // the list takes the row drawn as current when none is chosen (the
    // first, as the dialog opens), else the chosen ones.
    void fileTypeChoice_data()
    {
        QTest::addColumn<QStringList>("select");  // clicked in this order
        QTest::addColumn<QString>("button");      // "" closes by the frame, "Esc" presses Esc, "Enter" in the list
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("two chosen, list order") << QStringList{"PDF", "JPG"} << "cmdOK" << "JPG,PDF," << false;
        QTest::newRow("none chosen") << QStringList{} << "cmdOK" << NoFileTypesChosen << false;
        QTest::newRow("all files") << QStringList{"PDF"} << "cmdAll" << "" << false;
        QTest::newRow("cancel") << QStringList{"PDF"} << "cmdCancel" << "" << true;
        QTest::newRow("frame") << QStringList{"PDF"} << "" << "" << true;
        QTest::newRow("escape") << QStringList{"PDF"} << "Esc" << "" << true;
        QTest::newRow("Enter, none chosen") << QStringList{} << "Enter" << "JPG," << false;
        QTest::newRow("Enter, one chosen") << QStringList{"PDF"} << "Enter" << "PDF," << false;
    }
    void fileTypeChoice()
    {
        QFETCH(QStringList, select);
        QFETCH(QString, button);
        QFETCH(QString, list);
        QFETCH(bool, cancelled);
        const QString dir = TestEnvironment::root() + "/types/";
        QDir().mkpath(dir);
        for (const char *name : {"a.jpg", "b.pdf", "c.JPG"})
            TestFiles::write(dir + name, "x");
        ExchangeState::instance().ImportFileTypesCancelled = true;
        QStringList shown;
        whenShown("frmImportFileTypes", [&](QDialog *dialog) {
            auto *types = child<QListWidget>(dialog, "lstFileTypes");
            for (int row = 0; row < types->count(); ++row)
                shown.append(types->item(row)->text());
            // The list has the focus as the dialog opens, its first row drawn
            // as current and none chosen.
            QTRY_VERIFY(types->hasFocus());
            QCOMPARE(types->currentRow(), 0);
            QVERIFY(types->selectedItems().isEmpty());
            for (const QString &type : select) {
                QListWidgetItem *item = types->findItems(type, Qt::MatchExactly).value(0);
                QTest::mouseClick(types->viewport(), Qt::LeftButton, {}, types->visualItemRect(item).center());
            }
            if (button.isEmpty())
                dialog->close();
            else if (button == QLatin1String("Esc"))
                QTest::keyClick(dialog, Qt::Key_Escape);
            else if (button == QLatin1String("Enter"))
                QTest::keyClick(types, Qt::Key_Return);
            else
                click(dialog, button.toLatin1().constData());
        });
        frmImportFileTypes::ListImportFileTypes(dir);
        QCOMPARE(shown, QStringList({"JPG", "PDF"}));
        QCOMPARE(ExchangeState::instance().ImportFileTypeList, list);
        QCOMPARE(ExchangeState::instance().ImportFileTypesCancelled, cancelled);
    }

    // OK stores the choice and the server; Cancel stores nothing.
    void emailSettingsStoreOnOk()
    {
        Settings::setValue("EmailSystem", "CDONTS");
        Settings::setValue("EmailAddress", "old@example.test");
        for (const bool ok : {false, true}) {
            frmEmailSettings dialog;
            QCOMPARE(child<QComboBox>(&dialog, "cboEmail")->currentText(), QString("SMTP"));
            QCOMPARE(box(&dialog, "txtEmail")->text(), QString("old@example.test"));
            box(&dialog, "txtEmail")->setText("new@example.test");
            box(&dialog, "txtSmtpHost")->setText(" mail.example.test ");
            child<QComboBox>(&dialog, "cboSmtpSecurity")->setCurrentIndex(1);
            click(&dialog, ok ? "cmdOK" : "cmdCancel");
            QCOMPARE(Settings::value("EmailSystem"), QString(ok ? "SMTP" : "CDONTS"));
            QCOMPARE(Settings::value("EmailAddress"), QString(ok ? "new@example.test" : "old@example.test"));
            QCOMPARE(Settings::value("SmtpHost"), QString(ok ? "mail.example.test" : ""));
            QCOMPARE(Settings::value("SmtpSecurity"), QString(ok ? "ssl" : ""));
        }
    }

    // Send Test Email uses what the dialog shows, saved or not.
    void testEmailUsesShownChoice()
    {
        SmtpSink sink;
        QVERIFY2(sink.isRunning(), qPrintable(sink.error()));
        FakePrompt prompt;
        frmEmailSettings dialog;
        child<QComboBox>(&dialog, "cboEmail")->setCurrentIndex(0);
        click(&dialog, "cmdTest");
        QCOMPARE(prompt.messages, QStringList{"No email system is selected."});
        child<QComboBox>(&dialog, "cboEmail")->setCurrentIndex(2);
        QVERIFY(child<QWidget>(&dialog, "grpSmtp")->isEnabled());
        box(&dialog, "txtEmail")->setText("ann@example.test");
        box(&dialog, "txtSmtpHost")->setText("127.0.0.1");
        box(&dialog, "txtSmtpPort")->setText(QString::number(sink.port()));
        child<QComboBox>(&dialog, "cboSmtpSecurity")->setCurrentIndex(2);
        box(&dialog, "txtSmtpFrom")->setText("vlm@example.test");
        click(&dialog, "cmdTest");
        QCOMPARE(prompt.messages.last(), QString("Message sent."));
        QCOMPARE(sink.messages().size(), 1);
        QCOMPARE(sink.messages().first()["headers"].toObject()["Subject"].toArray().first().toString(),
                 QString("Test Email"));
        QCOMPARE(Settings::value("EmailSystem"), QString());
    }

    // Send saves the address first, sends all pages or only the one shown,
    // and stays open; without a system it refuses with the set-up message.
    void sendEmail_data()
    {
        QTest::addColumn<QString>("system");
        QTest::addColumn<bool>("allPages");
        QTest::addColumn<int>("attachments");
        QTest::newRow("only this page") << "SMTP" << false << 1;
        QTest::newRow("all pages") << "SMTP" << true << 2;
        QTest::newRow("no system") << "" << true << -1;
    }
    void sendEmail()
    {
        QFETCH(QString, system);
        QFETCH(bool, allPages);
        QFETCH(int, attachments);
        SmtpSink sink;
        QVERIFY2(sink.isRunning(), qPrintable(sink.error()));
        Settings::setValue("EmailSystem", system);
        Settings::setValue("SmtpHost", "127.0.0.1");
        Settings::setValue("SmtpPort", QString::number(sink.port()));
        Settings::setValue("SmtpSecurity", "none");
        Settings::setValue("SmtpFrom", "vlm@example.test");
        Settings::setValue("LastSendTo", "old@example.test");
        const QString a = TestEnvironment::root() + "/a.jpg";
        const QString b = TestEnvironment::root() + "/b.jpg";
        TestFiles::write(a, "aaa");
        TestFiles::write(b, "bbb");
        FakePrompt prompt;
        frmSendEmail dialog;
        dialog.filename = b;
        dialog.Filenames = a + '|' + b + '|';
        QVERIFY(showActive(&dialog));
        QCOMPARE(box(&dialog, "txtSendTo")->text(), QString("old@example.test"));
        QVERIFY(child<QRadioButton>(&dialog, "optSendPage")->isChecked());
        box(&dialog, "txtSendTo")->setText(system.isEmpty() ? "" : "ann@example.test");
        box(&dialog, "txtSubject")->setText("Pages");
        child<QPlainTextEdit>(&dialog, "txtBody")->setPlainText("Body");
        if (allPages)
            child<QRadioButton>(&dialog, "optSend")->setChecked(true);
        click(&dialog, "cmdSend");
        QVERIFY(dialog.isVisible());
        QCOMPARE(Settings::value("LastSendTo"), QString(system.isEmpty() ? "" : "ann@example.test"));
        if (attachments < 0) {
            QCOMPARE(prompt.messages, QStringList{"No Email system setup.  Goto File/Email Settings.. to setup your email."});
            QCOMPARE(sink.messages().size(), 0);
            return;
        }
        QCOMPARE(prompt.messages, QStringList{"Message sent."});
        QCOMPARE(sink.messages().value(0)["parts"].toArray().size(), 1 + attachments);
    }

    // The viewer's button with no system set up opens no dialog.
    void viewerButtonWithoutSystem()
    {
        FakePrompt prompt;
        frmSendEmail::showForPage(nullptr, RecordFixture::documentInNewFolder(), "/x.jpg");
        QCOMPARE(prompt.messages, QStringList{"No Email system setup.  Goto File/Email Settings.. to setup your email."});
    }
};

VLM_TEST_MAIN(ExchangeDialogsTest)
#include "ExchangeDialogsTest.moc"

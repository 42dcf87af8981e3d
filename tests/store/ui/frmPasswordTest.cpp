#include "core/ui/TitleWidth.h"
#include "store/ui/StorePrompt.h"
#include "store/ui/frmPageNumber.h"
#include "store/ui/frmPassword.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/TestEnvironment.h"


#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

QLineEdit *passwordBox(QWidget *dialog)
{
    return dialog->findChild<QLineEdit *>(QStringLiteral("txtPassword"));
}

using DialogDriver::button;

// Types any text, also characters that are no ASCII key.
using DialogDriver::typeText;

} // namespace

class frmPasswordTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // OK and Enter give the typed text; the box holds ten characters at most
    // and shows none of them.
    void typedTextReturned_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("withEnter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("OK") << "Secret7" << false << "Secret7";
        QTest::newRow("Enter") << "Secret7" << true << "Secret7";
        QTest::newRow("eleven characters") << "abcdefghijk" << false << "abcdefghij";
        QTest::newRow("empty") << "" << false << "";
    }
    void typedTextReturned()
    {
        QFETCH(QString, typed);
        QFETCH(bool, withEnter);
        QFETCH(QString, expected);
        bool hidden = false;
        DialogDriver::whenShown("frmPassword", [&](QDialog *dialog) {
            QLineEdit *box = passwordBox(dialog);
            QTest::keyClicks(box, typed);
            hidden = box->echoMode() == QLineEdit::Password;
            if (withEnter)
                QTest::keyClick(box, Qt::Key_Return);
            else
                QTest::mouseClick(button(dialog, "cmdOK"), Qt::LeftButton);
        });
        const std::optional<QString> reply = frmPassword::ask(nullptr);
        QVERIFY(reply.has_value());
        QCOMPARE(*reply, expected);
        QVERIFY(hidden);
    }

    // Cancel, Esc and the window frame all cancel, whatever was typed.
    void cancelGivesNothing_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel button") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("frame") << 2;
    }
    void cancelGivesNothing()
    {
        QFETCH(int, how);
        DialogDriver::whenShown("frmPassword", [how](QDialog *dialog) {
            QTest::keyClicks(passwordBox(dialog), QStringLiteral("*WAIT*"));
            if (how == 0)
                QTest::mouseClick(button(dialog, "cmdCancel"), Qt::LeftButton);
            else if (how == 1)
                QTest::keyClick(passwordBox(dialog), Qt::Key_Escape);
            else
                dialog->close();
        });
        QVERIFY(!frmPassword::ask(nullptr).has_value());
    }

    // A character beyond Latin-1 cannot be stored: OK is refused with a
    // message and the dialog stays open with the text, to be corrected.
    void characterBeyondLatin1Refused()
    {
        FakePrompt prompt;
        bool stayedOpen = false;
        QString keptText;
        DialogDriver::whenShown("frmPassword", [&](QDialog *dialog) {
            QLineEdit *box = passwordBox(dialog);
            typeText(box, QStringLiteral("ab") + QChar(0x20AC));
            QTest::mouseClick(button(dialog, "cmdOK"), Qt::LeftButton);
            stayedOpen = dialog->isVisible() && QApplication::activeModalWidget() == dialog;
            keptText = box->text();
            box->clear();
            typeText(box, QStringLiteral("Grüße"));
            QTest::mouseClick(button(dialog, "cmdOK"), Qt::LeftButton);
        });
        const std::optional<QString> reply = frmPassword::ask(nullptr);
        QVERIFY(stayedOpen);
        QCOMPARE(keptText, QStringLiteral("ab") + QChar(0x20AC));
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY(!prompt.messages.first().isEmpty());
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QVERIFY(reply.has_value());
        QCOMPARE(*reply, QStringLiteral("Grüße"));
    }

    // The program's prompt asks for cabinet passwords with this dialog,
    // which names the cabinet in full under its own caption.
    void widgetPromptUsesDialog()
    {
        const QString name = QStringLiteral("Taxes & Ωμέγα ") + QString(60, QLatin1Char('x'));
        QString caption;
        QString named;
        DialogDriver::whenShown("frmPassword", [&](QDialog *dialog) {
            caption = dialog->windowTitle();
            auto *label = dialog->findChild<QLabel *>(QStringLiteral("lblCabinet"));
            named = label && label->isVisible() ? label->text() : QString();
            QTest::keyClicks(passwordBox(dialog), QStringLiteral("Tax2024"));
            QTest::mouseClick(button(dialog, "cmdOK"), Qt::LeftButton);
        });
        StorePrompt prompt;
        const std::optional<QString> reply = prompt.password(name);
        QVERIFY(reply.has_value());
        QCOMPARE(*reply, QStringLiteral("Tax2024"));
        QCOMPARE(caption, QStringLiteral("Enter Password"));
        QCOMPARE(named, QStringLiteral("File cabinet: ") + name);
    }

    // A short box is wide enough for its whole caption, with the program's
    // name the window manager adds: the password prompt, the page number
    // and a message box.
    void captionFitsItsBox_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("password prompt") << "password";
        QTest::newRow("page number") << "page number";
        QTest::newRow("message box") << "message";
    }
    void captionFitsItsBox()
    {
        QFETCH(QString, window);
        QApplication::setApplicationDisplayName(QStringLiteral("Vellumark"));
        int width = 0;
        int needed = 0;
        int withTitleBar = 0;
        bool seen = false;
        QTimer::singleShot(0, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box)
                return;
            seen = true;
            box->adjustSize();
            width = box->width();
            withTitleBar = TitleWidth::needed(box);
            QFont font = QApplication::font();
            font.setBold(true);
            QString caption = box->windowTitle();
            if (caption != QStringLiteral("Vellumark"))
                caption += QStringLiteral(" \u2014 Vellumark");
            needed = QFontMetrics(font).horizontalAdvance(caption);
            box->close();
        });
        StorePrompt prompt;
        if (window == "password")
            (void)prompt.password(QString());
        else if (window == "page number")
            (void)frmPageNumber::ask(nullptr, 1);
        else
            prompt.message(QStringLiteral("Access Denied"));
        QVERIFY(seen);
        QVERIFY2(width > needed, qPrintable(QStringLiteral("%1 <= %2").arg(width).arg(needed)));
        // Room for the title bar's icon and buttons too, also in a box laid
        // out at a fixed size.
        QVERIFY2(width >= withTitleBar, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(withTitleBar)));
    }
};

VLM_TEST_MAIN(frmPasswordTest)
#include "frmPasswordTest.moc"

#include "store/ui/frmPageNumber.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/TestEnvironment.h"


#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

QLineEdit *numberBox(QWidget *dialog)
{
    return dialog->findChild<QLineEdit *>(QStringLiteral("txtPageNumber"));
}

using DialogDriver::button;

} // namespace

class frmPageNumberTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The current number shows selected, so typing replaces it; OK gives
    // the typed whole number, or -1 when the text is none.
    void typedNumberReturned_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("expected");
        QTest::newRow("12") << "12" << 12;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-3" << -3;
        QTest::newRow("fraction rounds half to even") << "2.5" << 2;
        QTest::newRow("letters") << "abc" << -1;
        QTest::newRow("beyond 32 bits") << "3000000000" << -1;
    }
    void typedNumberReturned()
    {
        QFETCH(QString, typed);
        QFETCH(int, expected);
        QString shownText;
        QString selected;
        DialogDriver::whenShown("frmPageNumber", [&](QDialog *dialog) {
            QLineEdit *box = numberBox(dialog);
            shownText = box->text();
            selected = box->selectedText();
            QTest::keyClicks(box, typed);
            QTest::mouseClick(button(dialog, "cmdOK"), Qt::LeftButton);
        });
        QCOMPARE(frmPageNumber::ask(nullptr, 7), expected);
        QCOMPARE(shownText, QStringLiteral("7"));
        QCOMPARE(selected, QStringLiteral("7"));
    }

    // Enter presses OK; an emptied box gives -1 and still closes.
    void enterAccepts_data()
    {
        QTest::addColumn<bool>("clear");
        QTest::addColumn<int>("expected");
        QTest::newRow("current number kept") << false << 41;
        QTest::newRow("emptied") << true << -1;
    }
    void enterAccepts()
    {
        QFETCH(bool, clear);
        QFETCH(int, expected);
        DialogDriver::whenShown("frmPageNumber", [clear](QDialog *dialog) {
            if (clear)
                numberBox(dialog)->clear();
            QTest::keyClick(numberBox(dialog), Qt::Key_Return);
        });
        QCOMPARE(frmPageNumber::ask(nullptr, 41), expected);
    }

    // Cancel, Esc and the frame give -1 whatever was typed.
    void cancelGivesMinusOne_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel button") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("frame") << 2;
    }
    void cancelGivesMinusOne()
    {
        QFETCH(int, how);
        DialogDriver::whenShown("frmPageNumber", [how](QDialog *dialog) {
            QTest::keyClicks(numberBox(dialog), QStringLiteral("12"));
            if (how == 0)
                QTest::mouseClick(button(dialog, "cmdCancel"), Qt::LeftButton);
            else if (how == 1)
                QTest::keyClick(numberBox(dialog), Qt::Key_Escape);
            else
                dialog->close();
        });
        QCOMPARE(frmPageNumber::ask(nullptr, 3), -1);
    }
};

VLM_TEST_MAIN(frmPageNumberTest)
#include "frmPageNumberTest.moc"

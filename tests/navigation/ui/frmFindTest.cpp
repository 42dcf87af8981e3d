#include "navigation/FindCriteria.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/frmFind.h"
#include "navigation/ui/frmNavTree.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/NavWindowFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

using namespace RecordFixture;
using DialogDriver::box;
using DialogDriver::child;

namespace {

using DialogDriver::combo;

void pick(QWidget *d, const char *name, const QString &text)
{
    QComboBox *c = combo(d, name);
    const int i = c->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    c->setCurrentIndex(i);
}

} // namespace

class frmFindTest : public NavWindowFixture
{
    Q_OBJECT

private:
    // Opens the dialog from File > Find..., runs the steps on it and
    // returns whether it showed.
    bool runDialog(std::function<void(QDialog *)> steps)
    {
        bool shown = false;
        DialogDriver::whenShown("frmFind", [&](QDialog *d) {
            shown = true;
            steps(d);
        });
        action("mnuFileFind")->trigger();
        return shown;
    }

    // Opens the Advanced tab as the user does, with the dialog active so
    // that focus moves as it would on screen.
    static void showAdvanced(QDialog *d)
    {
        QApplication::setActiveWindow(d);
        QVERIFY(QTest::qWaitForWindowActive(d));
        child<QTabWidget>(d, "tabFind")->setCurrentIndex(2);
    }

    // Leaves a box with a click into the file size, as the user does.
    static void clickFileSize(QDialog *d)
    {
        QLineEdit *size = box(d, "txtFileSizeFrom");
        QTest::mouseClick(size, Qt::LeftButton, Qt::NoModifier, size->rect().center());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(size));
    }

    bool search(const QString &keywords)
    {
        return runDialog([&](QDialog *d) {
            box(d, "txtKeywords")->setText(keywords);
            DialogDriver::click(d, "cmdFind");
        });
    }

    QStringList foundTexts(const QString &key) const
    {
        QStringList out;
        for (const QString &k : tree()->childKeys(key))
            out << tree()->textOf(k);
        return out;
    }

    int m_home = 0, m_bills = 0, m_power = 0;

    // Two open cabinets with hits for "tax", and a locked one with one too;
    // then the window, with the criteria of a fresh run.
    void load()
    {
        m_home = cabinet("Home");
        m_bills = drawer(m_home, "Bills");
        m_power = folder(m_bills, "Power");
        document(m_power, "tax 2004 receipts");
        document(m_power, "March");
        const int work = cabinet("Work");
        document(folder(drawer(work, "Files"), "Old"), "tax return");
        document(folder(drawer(cabinet("Vault", "secret"), "Safe"), "Deeds"), "tax secret");
        NavWindowFixture::load();
    }

private Q_SLOTS:

    // A search through the dialog puts its hits under "Found", grouped by
    // cabinet, drawer and folder, selected and expanded; a locked cabinet
    // is never searched and never asked for.
    void searchFillsTheFoundBranch()
    {
        load();
        show("ROOT");
        QVERIFY(search("tax"));
        QCOMPARE(foundTexts("ROOTFOUND"), (QStringList{"Home", "Work"}));
        QCOMPARE(foundTexts(key("FFD", m_power)), QStringList{"tax 2004 receipts"});
        QCOMPARE(tree()->selectedKey(), QStringLiteral("ROOTFOUND"));
        QVERIFY(tree()->node(key("FFD", m_power))->isExpanded());
        QCOMPARE(m_prompt->passwordPrompts, 0);
        QVERIFY(m_prompt->messages.isEmpty());
        // Selecting the root lists nothing new: the cabinets stay listed.
        QCOMPARE(list()->count(), 3);
        QCOMPARE(FindCriteria::instance().FindKeywords, QStringLiteral("tax"));
    }

    // The Find button, File > Find... and F3 open the dialog.
    void opensFromEachEntry_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("button") << 0;
        QTest::newRow("menu") << 1;
        QTest::newRow("F3") << 2;
    }
    void opensFromEachEntry()
    {
        QFETCH(int, way);
        load();
        QVERIFY(activate());
        bool shown = false;
        DialogDriver::whenShown("frmFind", [&](QDialog *d) {
            shown = true;
            QCOMPARE(d->windowTitle(), QStringLiteral("Find"));
            d->reject();
        });
        if (way == 0)
            DialogDriver::click(m_window.get(), "cmdFind");
        else if (way == 1)
            action("mnuFileFind")->trigger();
        else
            QTest::keyClick(m_window.get(), Qt::Key_F3);
        QVERIFY(shown);
    }

    // A second search replaces the first; one that finds nothing removes
    // it and says so once.
    void secondSearchReplacesTheFirst()
    {
        load();
        QVERIFY(search("tax"));
        QVERIFY(search("March"));
        QCOMPARE(foundTexts("ROOTFOUND"), QStringList{"Home"});
        QCOMPARE(foundTexts(key("FFD", m_power)), QStringList{"March"});
        QVERIFY(!tree()->contains(key("FCB", 2)));
        QVERIFY(search("nowhere"));
        QVERIFY(!tree()->contains("ROOTFOUND"));
        QCOMPARE(m_prompt->messages, QStringList{"Nothing found."});
        QCOMPARE(m_prompt->kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Message});
    }

    // Clear Results empties the branch and a list that showed it.
    void clearResultsEmptiesIt()
    {
        load();
        QVERIFY(search("tax"));
        show("ROOTFOUND");
        QCOMPARE(list()->count(), 2);
        runPopup("T", "ROOTFOUND", "mnuPopupFoundClear");
        QVERIFY(!tree()->contains("ROOTFOUND"));
        QCOMPARE(list()->count(), 0);
    }

    // The location lists follow each other at once, and the search uses
    // what they show when Find is pressed, without waiting for a tick.
    void listsFollowEachOther()
    {
        load();
        QVERIFY(runDialog([&](QDialog *d) {
            QCOMPARE(combo(d, "cboCabinet")->count(), 3);  // "(All)", Home, Work
            QVERIFY(!combo(d, "cboDrawer")->isEnabled());
            pick(d, "cboCabinet", "Home");
            QVERIFY(combo(d, "cboDrawer")->isEnabled());
            QCOMPARE(combo(d, "cboDrawer")->count(), 2);
            QVERIFY(!combo(d, "cboFolder")->isEnabled());
            pick(d, "cboDrawer", "Bills");
            QVERIFY(combo(d, "cboFolder")->isEnabled());
            pick(d, "cboFolder", "Power");
            QCOMPARE(static_cast<frmFind *>(d)->location().folderId, m_power);
            pick(d, "cboCabinet", "(All)");
            QVERIFY(!combo(d, "cboDrawer")->isEnabled());
            QVERIFY(!combo(d, "cboFolder")->isEnabled());
            QCOMPARE(static_cast<frmFind *>(d)->location().folderId, 0);
            pick(d, "cboCabinet", "Home");
            box(d, "txtKeywords")->setText("tax");
            DialogDriver::click(d, "cmdFind");
        }));
        QCOMPARE(foundTexts("ROOTFOUND"), QStringList{"Home"});
        // Reopening shows the chosen cabinet with its drawers listed.
        QVERIFY(runDialog([&](QDialog *d) {
            QCOMPARE(combo(d, "cboCabinet")->currentText(), QStringLiteral("Home"));
            QVERIFY(combo(d, "cboDrawer")->isEnabled());
            QCOMPARE(static_cast<frmFind *>(d)->location().cabinetId, m_home);
            d->reject();
        }));
    }

    // Each way a Find does not search leaves the criteria and the tree
    // as they were.
    void findRefused_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("reset");
        QTest::newRow("no keywords, answered No") << int(Prompt::Answer::No) << false;
        QTest::newRow("no keywords, answered Cancel") << int(Prompt::Answer::Cancel) << false;
        QTest::newRow("cancelled") << -1 << false;
    }
    void findRefused()
    {
        QFETCH(int, answer);
        load();
        QVERIFY(search("tax"));
        bool open = false;
        QVERIFY(runDialog([&](QDialog *d) {
            box(d, "txtKeywords")->setText("   ");
            if (answer < 0) {
                d->reject();
                return;
            }
            m_prompt->answers3 = {Prompt::Answer(answer)};
            DialogDriver::click(d, "cmdFind");
            open = d->isVisible();
            QCOMPARE(child<QTabWidget>(d, "tabFind")->currentIndex(), 0);
            d->reject();
        }));
        if (answer >= 0) {
            QVERIFY(open);
            QCOMPARE(m_prompt->questions,
                     QStringList{"No keywords entered.  Search without keywords?"});
        }
        QCOMPARE(FindCriteria::instance().FindKeywords, QStringLiteral("tax"));
        QCOMPARE(foundTexts("ROOTFOUND"), (QStringList{"Home", "Work"}));
    }

    // Reset answered Yes restores every default; No changes nothing.
    void resetRestoresDefaults()
    {
        load();
        QVERIFY(runDialog([&](QDialog *d) {
            box(d, "txtKeywords")->setText("tax");
            pick(d, "cboCabinet", "Home");
            box(d, "txtAmtFrom")->setText("5.00");
            m_prompt->answers = {false};
            DialogDriver::click(d, "cmdReset");
            QCOMPARE(box(d, "txtKeywords")->text(), QStringLiteral("tax"));
            m_prompt->answers = {true};
            DialogDriver::click(d, "cmdReset");
            QCOMPARE(box(d, "txtKeywords")->text(), QString());
            QCOMPARE(combo(d, "cboCabinet")->currentText(), QStringLiteral("(All)"));
            QCOMPARE(box(d, "txtAmtFrom")->text(), QStringLiteral("0.00"));
            QVERIFY(child<QRadioButton>(d, "optKeywords_0")->isChecked());
            QCOMPARE(static_cast<frmFind *>(d)->location().cabinetId, 0);
            d->reject();
        }));
        QCOMPARE(m_prompt->questions, (QStringList{"Reset find parameters?", "Reset find parameters?"}));
    }

    // The dialog opens with the focus in the keywords; a From date typed
    // key by key reaches Thru only when it is finished, so no half-typed
    // date takes the place of the no-limit Thru.
    void typedFromDateCopiedWhenFinished()
    {
        load();
        QVERIFY(runDialog([&](QDialog *d) {
            QApplication::setActiveWindow(d);
            QVERIFY(QTest::qWaitForWindowActive(d));
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(box(d, "txtKeywords")));
            auto *from = child<QDateEdit>(d, "dtDocFrom");
            auto *thru = child<QDateEdit>(d, "dtDocThru");
            auto *tabs = child<QTabWidget>(d, "tabFind");
            for (int i = 0; i < tabs->count(); ++i) {
                if (tabs->widget(i)->isAncestorOf(from))
                    tabs->setCurrentIndex(i);
            }
            const QDate noLimit = thru->date();
            from->setFocus();
            from->setSelectedSection(QDateTimeEdit::YearSection);
            QTest::keyClicks(from, "20");
            QCOMPARE(thru->date(), noLimit);
            QTest::keyClicks(from, "04");
            QCOMPARE(thru->date(), noLimit);
            from->clearFocus();
            QCOMPARE(from->date().year(), 2004);
            QCOMPARE(thru->date(), from->date());
            d->reject();
        }));
    }

    // Passing through a From date without typing changes no date, so Thru
    // keeps its no-limit date; a From date really changed is copied.
    void untouchedFromKeepsThru_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("thru");
        QTest::newRow("scanned date") << "dtScanFrom" << "dtScanThru";
        QTest::newRow("date on doc") << "dtDocFrom" << "dtDocThru";
    }
    void untouchedFromKeepsThru()
    {
        QFETCH(QString, from);
        QFETCH(QString, thru);
        load();
        QVERIFY(runDialog([&](QDialog *d) {
            auto *fromBox = child<QDateEdit>(d, qPrintable(from));
            auto *thruBox = child<QDateEdit>(d, qPrintable(thru));
            showAdvanced(d);
            fromBox->setFocus(Qt::TabFocusReason);
            clickFileSize(d);
            QCOMPARE(thruBox->date(), FindCriteria::FindDefaultThruDate());
            fromBox->setFocus(Qt::TabFocusReason);
            fromBox->selectAll();
            QTest::keyClicks(fromBox, "03/15/2024");
            clickFileSize(d);
            QCOMPARE(thruBox->date(), QDate(2024, 3, 15));
            d->reject();
        }));
    }

    // A valid date typed over the whole date is the date kept, also when
    // the month and year on show lack its day until the year is typed.
    void typedDateIsKept_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("scanned date from") << "dtScanFrom";
        QTest::newRow("scanned date through") << "dtScanThru";
        QTest::newRow("date on doc from") << "dtDocFrom";
        QTest::newRow("date on doc through") << "dtDocThru";
    }
    void typedDateIsKept()
    {
        QFETCH(QString, name);
        load();
        QVERIFY(runDialog([&](QDialog *d) {
            auto *date = child<QDateEdit>(d, qPrintable(name));
            showAdvanced(d);
            date->setFocus(Qt::TabFocusReason);
            date->selectAll();
            // The year on show has no 29 February: the day waits, as typed,
            // for the year.
            QTest::keyClicks(date, "02/29");
            QCOMPARE(date->text().left(6), QStringLiteral("02/29/"));
            QTest::keyClicks(date, "/2024");
            QCOMPARE(date->date(), QDate(2024, 2, 29));
            clickFileSize(d);
            QCOMPARE(date->date(), QDate(2024, 2, 29));
            QCOMPARE(date->text(), QStringLiteral("02/29/2024"));
            d->reject();
        }));
    }

    // A From date or amount is copied to Thru only while Thru is at its
    // no-limit value; Ctrl+PageUp wraps round the tabs, also from a date
    // picker.
    void copyingAndTabKeys()
    {
        load();
        QVERIFY(runDialog([&](QDialog *d) {
            auto *from = child<QDateEdit>(d, "dtScanFrom");
            auto *thru = child<QDateEdit>(d, "dtScanThru");
            auto *tabs = child<QTabWidget>(d, "tabFind");
            tabs->setCurrentIndex(2);
            QApplication::setActiveWindow(d);
            QVERIFY(QTest::qWaitForWindowActive(d));
            // A date is finished when the focus leaves it.
            const auto enter = [from](const QDate &date) {
                from->setFocus();
                from->setDate(date);
                from->clearFocus();
            };
            enter(QDate(2004, 3, 1));
            QCOMPARE(thru->date(), QDate(2004, 3, 1));
            enter(QDate(2004, 2, 1));
            QCOMPARE(thru->date(), QDate(2004, 3, 1));
            from->setFocus();
            QTest::keyClick(from, Qt::Key_PageUp, Qt::ControlModifier);
            QCOMPARE(tabs->currentIndex(), 1);
            QTest::keyClick(tabs->currentWidget(), Qt::Key_PageDown, Qt::ControlModifier);
            QTest::keyClick(tabs->currentWidget(), Qt::Key_PageDown, Qt::ControlModifier);
            QCOMPARE(tabs->currentIndex(), 0);
            d->reject();
        }));
    }
};

VLM_TEST_MAIN(frmFindTest)
#include "frmFindTest.moc"

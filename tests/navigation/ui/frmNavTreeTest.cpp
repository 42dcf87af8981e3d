#include "navigation/NavState.h"
#include "navigation/PageListModel.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/PagePane.h"
#include "navigation/ui/frmNavTree.h"
#include "platform/DbConnection.h"
#include "platform/Settings.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/NavWindowFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListWidgetItem>
#include <QStackedWidget>
#include <QtTest>

using namespace RecordFixture;

namespace {

QStringList childTexts(NavTree *tree, const QString &key)
{
    QStringList out;
    for (const QString &k : tree->childKeys(key))
        out << tree->textOf(k);
    return out;
}

} // namespace

class frmNavTreeTest : public NavWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    // Cabinets sort by name without regard to case; a locked cabinet shows
    // the lock and nothing below it; open cabinets have drawers but their
    // folders come only when needed.
    void buildShowsCabinetsAndDrawers()
    {
        const int beta = cabinet("beta");
        cabinet("Alpha");
        const int gamma = cabinet("gamma", "secret");
        const int d = drawer(beta, "Bills");
        folder(d, "Power");
        drawer(gamma, "Hidden");
        load();
        QCOMPARE(childTexts(tree(), "ROOT"), (QStringList{"Alpha", "beta", "gamma"}));
        QCOMPARE(tree()->iconKeyOf(key("CAB", gamma)), QStringLiteral("locked"));
        QVERIFY(tree()->childKeys(key("CAB", gamma)).isEmpty());
        QCOMPARE(tree()->iconKeyOf(key("CAB", beta)), QStringLiteral("cabinet"));
        QCOMPARE(childTexts(tree(), key("CAB", beta)), QStringList{"Bills"});
        QVERIFY(tree()->childKeys(key("DRW", d)).isEmpty());
        // The list shows every cabinet, the locked one with its lock.
        QCOMPARE(list()->count(), 3);
        QCOMPARE(list()->iconKeyOf(key("CAB", gamma)), QStringLiteral("locked"));
    }

    // The settings commands of the File menu are enabled and open their
    // dialogs over the window.
    void fileSettingsOpenTheirDialogs_data()
    {
        QTest::addColumn<QString>("actionName");
        QTest::addColumn<QString>("dialogName");
        QTest::newRow("print") << "mnuPrintSettings" << "frmPrintSettings";
        QTest::newRow("e-mail") << "mnuEmailSettings" << "frmEmailSettings";
    }

    void fileSettingsOpenTheirDialogs()
    {
        QFETCH(QString, actionName);
        QFETCH(QString, dialogName);
        load();
        QAction *command = action(actionName.toLatin1().constData());
        QVERIFY(command->isEnabled());
        QString shown;
        const QByteArray name = dialogName.toLatin1();
        DialogDriver::whenShown(name.constData(), [&](QDialog *dialog) { shown = dialog->objectName(); });
        command->trigger();
        QCOMPARE(shown, dialogName);
    }

    // Expanding loads one level ahead, once; document nodes carry their date.
    void expandingLoadsOneLevelAhead()
    {
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        const int f = folder(d, "Power");
        folder(d, "Water");
        document(f, "March", "2004-03-05");
        document(f, "Undated");
        document(f, "Blank", "");
        load();
        const QString cab = key("CAB", c);
        tree()->expandNode(cab);
        tree()->node(cab)->setExpanded(false);
        tree()->expandNode(cab);
        QCOMPARE(childTexts(tree(), key("DRW", d)), (QStringList{"Power", "Water"}));
        QVERIFY(tree()->childKeys(key("FLD", f)).isEmpty());
        tree()->expandNode(key("DRW", d));
        QCOMPARE(childTexts(tree(), key("FLD", f)),
                 (QStringList{"Blank", "March (03/05/2004)", "Undated"}));
    }

    void emptyDatabaseGetsTheSampleCabinet()
    {
        load();
        const QString selected = tree()->selectedKey();
        QVERIFY(selected.startsWith("CAB"));
        QCOMPARE(tree()->textOf(selected), QStringLiteral("Generic File Cabinet"));
        QCOMPARE(tree()->childKeys(selected).size(), 6);
        // The sample cabinet is on show, and so is its menu.
        QCOMPARE(m_window->shownKey(), selected);
        QVERIFY(onBar("mnuPopupCabinet"));
    }

    // A left click shows the node's contents and its menu; the keyboard and
    // a second click on the node on show do not list again.
    void clickShowsContentsAndMenu()
    {
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        folder(d, "Power");
        const int f2 = folder(d, "Water");
        const int doc = document(f2, "Invoice", "2024-01-02");
        load();
        const QString cab = key("CAB", c);
        clickNode(cab);
        QCOMPARE(list()->keys(), QStringList{key("DRW", d)});
        // The first click in the run opens the cabinet's node as well.
        QVERIFY(tree()->node(cab)->isExpanded());
        QVERIFY(onBar("mnuPopupCabinet"));
        QCOMPARE(m_window->position().CurrentCabinetId, c);
        QCOMPARE(m_window->position().CurrentCabinetName, QStringLiteral("Home"));
        // Folders were loaded one level ahead.
        QCOMPARE(tree()->childKeys(key("DRW", d)).size(), 2);

        clickNode(key("DRW", d));
        QCOMPARE(list()->count(), 2);
        QVERIFY(onBar("mnuPopupDrawer"));
        QVERIFY(!onBar("mnuPopupCabinet"));
        QCOMPARE(m_window->position().CurrentParentId, c);

        clickNode(key("FLD", f2));
        // Documents are listed by name alone.
        QCOMPARE(list()->item(0)->text(), QStringLiteral("Invoice"));

        // Arrow keys move the selection and list nothing.
        tree()->setFocus();
        QTest::keyClick(tree(), Qt::Key_Up);
        QCOMPARE(m_window->shownKey(), key("FLD", f2));

        clickNode(key("DOC", doc));
        QVERIFY(onBar("mnuPopupDocument"));
        QCOMPARE(m_window->position().CurrentDocumentName, QStringLiteral("Invoice (01/02/2024)"));
        QCOMPARE(m_window->position().CurrentParentId, f2);
        auto *stack = m_window->findChild<QStackedWidget *>("stkRight");
        QCOMPARE(stack->currentWidget(), m_window->pagePane());

        clickNode("ROOT");
        QVERIFY(onBar("mnuPopupRoot"));
        QCOMPARE(stack->currentWidget(), list());
        QCOMPARE(list()->count(), 1);
        QCOMPARE(m_window->position().CurrentDocumentId, -1);
    }

    // The bar's menu is the menu of the node on show, and its commands act
    // on that node: after a second click on it or a click on its expand
    // mark and a click in the list, after Enter on a list item, and after
    // a click on a found cabinet, drawer or folder (which takes the menu
    // away) and one back on the node on show.
    void barFollowsTheNodeOnShow_data()
    {
        QTest::addColumn<QString>("step");
        QTest::newRow("second click on the node on show") << "again";
        QTest::newRow("click on its expand mark") << "expander";
        QTest::newRow("Enter on a drawer in the list") << "enter";
        QTest::newRow("found cabinet, then the node on show") << "FCB";
        QTest::newRow("found drawer, then the node on show") << "FDW";
        QTest::newRow("found folder, then the node on show") << "FFD";
    }
    void barFollowsTheNodeOnShow()
    {
        QFETCH(QString, step);
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        const int f = folder(d, "Power");
        load();
        clickNode(key("CAB", c));
        if (step == "enter") {
            list()->setCurrentItem(list()->entry(key("DRW", d)));
            list()->setFocus();
            QTest::keyClick(list(), Qt::Key_Return);
            QCOMPARE(list()->keys(), QStringList{key("FLD", f)});
        } else {
            clickNode(key("DRW", d));
            QTreeWidgetItem *node = tree()->node(key("DRW", d));
            const QRect rect = tree()->visualItemRect(node);
            if (step.startsWith("F")) {
                tree()->addNode(QString(), "ROOTFOUND", "Found", "found");
                tree()->addNode("ROOTFOUND", key("FCB", c), "Home", "cabinet");
                tree()->addNode(key("FCB", c), key("FDW", d), "Bills", "drawer");
                tree()->addNode(key("FDW", d), key("FFD", f), "Power", "folder");
                clickNode(key(qPrintable(step), step == "FCB" ? c : step == "FDW" ? d : f));
                QVERIFY(!onBar("mnuPopupDrawer"));
                QCOMPARE(m_window->position().CurrentDrawerId, -1);
                clickNode(key("DRW", d));
            } else if (step == "again")
                clickNode(key("DRW", d));
            else
                QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier,
                                  QPoint(rect.left() - tree()->indentation() / 2, rect.center().y()));
            QListWidgetItem *item = list()->entry(key("FLD", f));
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier,
                              list()->visualItemRect(item).center());
        }
        QVERIFY(onBar("mnuPopupDrawer"));
        QVERIFY(!onBar("mnuPopupCabinet"));
        m_prompt->answers3 = {Prompt::Answer::Cancel};
        action("mnuPopupDrawerDelete")->trigger();
        QCOMPARE(m_prompt->questions, QStringList{"Delete 'Bills'?"});
        QVERIFY(m_prompt->messages.isEmpty());
    }

    // New Document from a folder's menu while a document is on show: the
    // pane shows the new document the tree selects, never the old one.
    void newDocumentTakesThePane()
    {
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        const int f = folder(d, "Power");
        const int old = document(f, "March");
        jpegPage(old, 1);
        load();
        for (const QString &k : {key("CAB", c), key("DRW", d), key("FLD", f), key("DOC", old)})
            show(k);
        QCOMPARE(m_window->pagePane()->documentId(), old);
        DialogDriver::whenShown("frmDocument", [](QDialog *dialog) {
            DialogDriver::box(dialog, "txtName")->setText("April");
            DialogDriver::click(dialog, "cmdOK");
        });
        runPopup("T", key("FLD", f), "mnuPopupFolderNewDocument");
        const int added = DbConnection::queryValue("SELECT DocumentId FROM Document WHERE Name = 'April'").toInt();
        QVERIFY(added > 0);
        QCOMPARE(tree()->selectedKey(), key("DOC", added));
        QCOMPARE(m_window->pagePane()->documentId(), added);
        QCOMPARE(m_window->pagePane()->model()->rowCount(), 0);
        QVERIFY(onBar("mnuPopupDocument"));
    }

    // A locked cabinet asks once per run; a wrong password (letter case
    // counts) lists nothing.
    void lockedCabinetAsksOnce()
    {
        const int c = cabinet("Private", "Secret");
        const int d = drawer(c, "Letters");
        folder(d, "Love");
        load();
        const QString cab = key("CAB", c);
        m_prompt->passwords = {QStringLiteral("secret")};
        clickNode(cab);
        QCOMPARE(m_prompt->messages, QStringList{"Access Denied"});
        // A refusal, with the warning's icon.
        QCOMPARE(m_prompt->kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QCOMPARE(tree()->iconKeyOf(cab), QStringLiteral("locked"));
        // Nothing was on show, so nothing stays selected.
        QCOMPARE(tree()->selectedKey(), QString());
        QCOMPARE(m_window->position().CurrentCabinetId, -1);
        QCOMPARE(list()->count(), 1);  // still the cabinets

        m_prompt->passwords = {QStringLiteral("Secret")};
        clickNode(cab);
        QCOMPARE(m_prompt->passwordPrompts, 2);
        QCOMPARE(tree()->iconKeyOf(cab), QStringLiteral("cabinet"));
        QCOMPARE(list()->keys(), QStringList{key("DRW", d)});
        QVERIFY(tree()->node(cab)->isExpanded());
        QCOMPARE(tree()->childKeys(key("DRW", d)).size(), 1);

        clickNode("ROOT");
        clickNode(cab);
        QCOMPARE(m_prompt->passwordPrompts, 2);
        QCOMPARE(list()->count(), 1);
    }

    // The tree operations the dialogs use: they add under loaded parents
    // only, keep the index in step and set texts everywhere.
    void treeOperations()
    {
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        load();
        m_window->AddDrawerToNavTree(c, 500, "Taxes");
        QCOMPARE(tree()->selectedKey(), QStringLiteral("DRW500"));
        QCOMPARE(childTexts(tree(), key("CAB", c)), (QStringList{"Bills", "Taxes"}));
        // A drawer whose node is not in the tree gets nothing, and no crash.
        m_window->AddFolderToNavTree(99999, 700, "Nowhere");
        QVERIFY(!tree()->contains("FLD700"));
        m_window->AddFolderToNavTree(d, 701, "Power");
        m_window->AddDocumentToNavTree(701, 900, "Bill", QDate());
        QCOMPARE(tree()->textOf("DOC900"), QStringLiteral("Bill"));
        m_window->AddDocumentToNavTree(701, 901, "Dated", QDate(2004, 3, 5));
        QCOMPARE(tree()->textOf("DOC901"), QStringLiteral("Dated (03/05/2004)"));
        m_window->UpdateDocumentName(901, "Renamed", QDate(2004, 3, 6));
        QCOMPARE(tree()->textOf("DOC901"), QStringLiteral("Renamed (03/06/2004)"));
        QCOMPARE(tree()->nameOf("DOC901"), QStringLiteral("Renamed"));
        // No found node, no list item: no error.
        m_window->UpdateCabinetName(c, "House");
        QCOMPARE(tree()->textOf(key("CAB", c)), QStringLiteral("House"));
        QCOMPARE(list()->entry(key("CAB", c))->text(), QStringLiteral("House"));
        // Removing a subtree clears its keys so they can be added again.
        tree()->removeNode(key("DRW", d));
        QVERIFY(!tree()->contains("FLD701"));
        QVERIFY(!tree()->contains("DOC900"));
        m_window->AddDrawerToNavTree(c, d, "Bills");
        QVERIFY(tree()->contains(key("DRW", d)));
        // A new cabinet is selected and its drawers listed.
        m_window->AddCabinetToNavTree(c + 1000, "Zoo");
        QCOMPARE(tree()->selectedKey(), key("CAB", c + 1000));
        QCOMPARE(m_window->shownKey(), key("CAB", c + 1000));
    }

    // After a refresh (F5, with or without Shift) the list shows the
    // cabinets and no node's menu is left on the bar: clicking the node
    // shown before lists it again.
    void refreshThenClickListsAgain_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::newRow("F5") << int(Qt::NoModifier);
        QTest::newRow("Shift+F5") << int(Qt::ShiftModifier);
    }
    void refreshThenClickListsAgain()
    {
        QFETCH(int, modifiers);
        const int c = cabinet("Home");
        drawer(c, "Bills");
        load();
        const QString cab = key("CAB", c);
        clickNode(cab);
        QCOMPARE(list()->count(), 1);
        QCOMPARE(list()->item(0)->text(), QStringLiteral("Bills"));
        QTest::keyClick(tree(), Qt::Key_F5, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(list()->item(0)->text(), QStringLiteral("Home"));
        QVERIFY(!onBar("mnuPopupCabinet"));
        clickNode(cab);
        QCOMPARE(list()->item(0)->text(), QStringLiteral("Bills"));
    }

    // The node selected at the last exit comes back, its chain expanded.
    void restoresLastDocument()
    {
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        const int f = folder(d, "Power");
        const int doc = document(f, "March");
        Settings::setValue("LastNavTreeNodeKey", key("DOC", doc));
        load();
        QCOMPARE(tree()->selectedKey(), key("DOC", doc));
        QVERIFY(tree()->node(key("FLD", f))->isExpanded());
        QCOMPARE(m_window->position().CurrentDocumentId, doc);
        QCOMPARE(m_window->position().CurrentParentId, f);
        QVERIFY(onBar("mnuPopupDocument"));
        QVERIFY(!onBar("mnuPopupCabinet"));
        QCOMPARE(m_window->findChild<QStackedWidget *>("stkRight")->currentWidget(), m_window->pagePane());
    }

    // A locked cabinet is not opened at load: no prompt, nothing selected,
    // and no menu on the bar that would act on nothing.
    void restoreIntoLockedCabinetDoesNotPrompt()
    {
        const int c = cabinet("Private", "pw");
        const int d = drawer(c, "Letters");
        Settings::setValue("LastNavTreeNodeKey", key("DRW", d));
        load();
        QCOMPARE(m_prompt->passwordPrompts, 0);
        QCOMPARE(tree()->selectedKey(), QString());
        QVERIFY(!onBar("mnuPopupDrawer"));
        QCOMPARE(m_window->position().CurrentDrawerId, -1);
        // The first click prompts and lists the drawers.
        m_prompt->passwords = {QStringLiteral("pw")};
        clickNode(key("CAB", c));
        QCOMPARE(list()->keys(), QStringList{key("DRW", d)});
    }

    // A stored key whose row is gone, or whose cabinet is locked, selects
    // nothing and leaves no menu on the bar; odd keys restore nothing. The
    // first row of a fresh database has id 1; the locked cabinet's rows
    // come second.
    void restoreOfMissingOrOddKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("selected");
        QTest::newRow("deleted document") << "DOC4242" << "" << "";
        QTest::newRow("drawer of no cabinet") << "DRW4242" << "" << "";
        QTest::newRow("document in a locked cabinet") << "DOC1" << "" << "";
        QTest::newRow("folder in a locked cabinet") << "FLD1" << "" << "";
        QTest::newRow("locked cabinet") << "CAB2" << "" << "";
        QTest::newRow("empty") << "" << "" << "";
        QTest::newRow("nonsense") << "XYZ" << "" << "";
        QTest::newRow("root") << "ROOT" << "" << "";
        QTest::newRow("existing drawer") << "DRW1" << "mnuPopupDrawer" << "DRW1";
    }
    void restoreOfMissingOrOddKeys()
    {
        QFETCH(QString, key);
        QFETCH(QString, menu);
        QFETCH(QString, selected);
        drawer(cabinet("Home"), "Bills");
        document(folder(drawer(cabinet("Vault", "pw"), "Safe"), "Deeds"), "Will");
        Settings::setValue("LastNavTreeNodeKey", key);
        load();
        QVERIFY(m_prompt->messages.isEmpty());
        QCOMPARE(m_window->position().CurrentDocumentId, -1);
        QVERIFY(tree()->contains("ROOT"));
        for (const char *m : {"mnuPopupRoot", "mnuPopupCabinet", "mnuPopupDrawer", "mnuPopupFolder",
                              "mnuPopupDocument"})
            QCOMPARE(onBar(m), menu == QLatin1String(m));
        QCOMPARE(tree()->selectedKey(), selected);
        QCOMPARE(m_window->shownKey(), selected);
    }

    // Closing keeps the placement and the selected node for the next start.
    void closeSavesPlacementAndKey()
    {
        const int c = cabinet("Home");
        Settings::setValue("FirstShow", "N");
        load();
        m_window->setWindowState(Qt::WindowNoState);
        m_window->setGeometry(100, 120, 700, 500);
        clickNode(key("CAB", c));
        m_window->close();
        QCOMPARE(Settings::value("LastNavTreeNodeKey"), key("CAB", c));
        QCOMPARE(Settings::value("frmNavTree.WindowState"), QStringLiteral("0"));
        QVERIFY(!Settings::value("frmNavTree.Width").isEmpty());
        QVERIFY(!DbConnection::isOpen());
    }

    void firstShowMaximises()
    {
        cabinet("Home");
        load();
        QVERIFY(m_window->windowState() & Qt::WindowMaximized);
        QCOMPARE(Settings::value("FirstShow"), QStringLiteral("N"));
    }

    // A stored tree width that is not a number falls back to the default.
    void badTreeWidthFallsBack()
    {
        cabinet("Home");
        Settings::setValue("FirstShow", "N");
        Settings::setValue("tvwMainWidth", "wide");
        load();
        QCOMPARE(tree()->width(), 200);
    }

    // Esc asks before leaving; No or Cancel keeps the program and its
    // database.
    void escapeAsksToExit_data()
    {
        QTest::addColumn<Prompt::Answer>("answer");
        QTest::newRow("No") << Prompt::Answer::No;
        QTest::newRow("Cancel") << Prompt::Answer::Cancel;
    }
    void escapeAsksToExit()
    {
        QFETCH(Prompt::Answer, answer);
        cabinet("Home");
        load();
        QVERIFY(activate());
        m_prompt->answers3 = {answer};
        QTest::keyClick(m_window.get(), Qt::Key_Escape);
        QCOMPARE(m_prompt->questions, QStringList{"Exit the Vellumark?"});
        QVERIFY(DbConnection::isOpen());
    }

    // Exit answered Yes keeps the selected node and the placement for the
    // next start and closes the database.
    void exitYesSavesAndCloses()
    {
        const int c = cabinet("Home");
        Settings::setValue("FirstShow", "N");
        load();
        show(key("CAB", c));
        m_prompt->answers3 = {Prompt::Answer::Yes};
        action("mnuFileExit")->trigger();
        QCOMPARE(Settings::value("LastNavTreeNodeKey"), key("CAB", c));
        QVERIFY(!Settings::value("frmNavTree.WindowState").isEmpty());
        QVERIFY(!DbConnection::isOpen());
    }
};

VLM_TEST_MAIN(frmNavTreeTest)
#include "frmNavTreeTest.moc"

#include "navigation/NavState.h"
#include "core/RecordId.h"
#include "navigation/PageListModel.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/PagePane.h"
#include "navigation/ui/frmNavTree.h"
#include "platform/DbConnection.h"
#include "store/PagePaths.h"
#include "store/ui/frmDrawer.h"
#include "store/ui/frmFolder.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/NavWindowFixture.h"
#include "tests/support/PageFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QtTest>

using namespace RecordFixture;

namespace {

using PageFixture::pageWithFiles;

// Answers the next record dialog of that name with a name and OK; shown
// tells whether it came at all.
void acceptNamed(const char *dialog, const QString &name, bool *shown)
{
    *shown = false;
    DialogDriver::whenShown(dialog, [name, shown](QDialog *d) {
        *shown = true;
        DialogDriver::box(d, "txtName")->setText(name);
        DialogDriver::click(d, "cmdOK");
    });
}

} // namespace

class NavCommandsTest : public NavWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    // Delete (Shift+Delete too) in the tree removes the cabinet with
    // everything below it, its node and its search-result twin, and empties
    // the list.
    void deleteCabinetByKey_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Delete") << int(Qt::NoModifier);
        QTest::newRow("Shift+Delete") << int(Qt::ShiftModifier);
    }
    void deleteCabinetByKey()
    {
        QFETCH(int, modifiers);
        const int c = cabinet("Home");
        const int keep = cabinet("Work");
        const int d1 = drawer(c, "Bills");
        drawer(c, "Taxes");
        const int doc = document(folder(d1, "Power"), "March");
        const int p = pageWithFiles(doc);
        load();
        tree()->addNode("ROOT", "ROOTFOUND", "Found", "found");
        tree()->addNode("ROOTFOUND", key("FCB", c), "Home", "cabinet");
        show(key("CAB", c));
        m_prompt->answers3 = {Prompt::Answer::Yes};
        tree()->setFocus();
        QTest::keyClick(tree(), Qt::Key_Delete, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(m_prompt->questions, QStringList{"Delete 'Home'?"});
        QCOMPARE(rowCount("Cabinet"), 1);
        QCOMPARE(rowCount("Drawer"), 0);
        QCOMPARE(rowCount("Page"), 0);
        QVERIFY(!QFile::exists(PagePaths::GetDefaultPageFilePath(p)));
        QVERIFY(!tree()->contains(key("CAB", c)));
        QVERIFY(!tree()->contains(key("FCB", c)));
        QVERIFY(!tree()->contains(key("DRW", d1)));
        QVERIFY(tree()->contains(key("CAB", keep)));
        QCOMPARE(list()->count(), 0);
    }

    void deleteAnsweredNoChangesNothing_data()
    {
        QTest::addColumn<Prompt::Answer>("answer");
        QTest::newRow("No") << Prompt::Answer::No;
        QTest::newRow("Cancel") << Prompt::Answer::Cancel;
    }
    void deleteAnsweredNoChangesNothing()
    {
        QFETCH(Prompt::Answer, answer);
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        load();
        show(key("CAB", c));
        m_prompt->answers3 = {answer};
        runPopup("T", key("DRW", d), "mnuPopupDrawerDelete");
        QCOMPARE(m_prompt->questions, QStringList{"Delete 'Bills'?"});
        QCOMPARE(rowCount("Drawer"), 1);
        QVERIFY(tree()->contains(key("DRW", d)));
        QCOMPARE(list()->count(), 1);
    }

    // A refused password stops the delete before its question.
    void deleteLockedCabinetNeedsPassword()
    {
        const int c = cabinet("Private", "pw");
        load();
        m_prompt->passwords = {QStringLiteral("wrong")};
        list()->setCurrentItem(list()->entry(key("CAB", c)));
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Delete);
        QCOMPARE(m_prompt->passwordPrompts, 1);
        QCOMPARE(m_prompt->passwordCabinets, QStringList{"Private"});
        QVERIFY(m_prompt->questions.isEmpty());
        QCOMPARE(rowCount("Cabinet"), 1);
        // Without its password a locked cabinet gets no popup at all.
        QVERIFY(!m_window->preparePopup("T", key("CAB", c)));
    }

    // A popup command works on the node it was opened for, not on the
    // selection or an earlier current position.
    void popupActsOnItsOwnNode()
    {
        const int c = cabinet("Home");
        const int bills = drawer(c, "Bills");
        const int taxes = drawer(c, "Taxes");
        const int f = folder(taxes, "2024");
        load();
        show(key("CAB", c));
        show(key("FLD", f));  // current position: the folder
        m_prompt->answers3 = {Prompt::Answer::Yes};
        runPopup("T", key("DRW", bills), "mnuPopupDrawerDelete");
        QCOMPARE(m_prompt->questions, QStringList{"Delete 'Bills'?"});
        QCOMPARE(rowCount("Drawer"), 1);
        QCOMPARE(rowCount("Folder"), 1);
        QVERIFY(!tree()->contains(key("DRW", bills)));
        // A folder delete from the list removes the list item too.
        show(key("DRW", taxes));
        list()->setCurrentItem(list()->entry(key("FLD", f)));
        list()->setFocus();
        m_prompt->answers3 = {Prompt::Answer::Yes};
        QTest::keyClick(list(), Qt::Key_Delete);
        QCOMPARE(rowCount("Folder"), 0);
        QCOMPARE(list()->count(), 0);
    }

    // Renaming in the tree stores the name and updates every view of it;
    // a name taken in the same cabinet is refused and the label reverts.
    void renameInTree()
    {
        const int c = cabinet("Home");
        const int bills = drawer(c, "Bills");
        drawer(c, "Taxes");
        load();
        show(key("CAB", c));
        tree()->renameNode(key("DRW", bills));
        QCOMPARE(typeNewName(tree(), "taxes"), QStringLiteral("Bills"));
        QTRY_COMPARE(m_prompt->messages, QStringList{"A drawer named 'taxes' already exists."});
        QCOMPARE(tree()->textOf(key("DRW", bills)), QStringLiteral("Bills"));
        QCOMPARE(DbConnection::queryValue("SELECT Name FROM Drawer WHERE DrawerId = ?", {bills}).toString(),
                 QStringLiteral("Bills"));
        // The editor opens again on what was typed.
        QTRY_COMPARE(openEditorText(tree()), QStringLiteral("taxes"));

        typeNewName(tree(), "Utility Bills");
        QTRY_COMPARE(tree()->textOf(key("DRW", bills)), QStringLiteral("Utility Bills"));
        // The renamed node moves to its place among its siblings.
        QCOMPARE(tree()->childKeys(key("CAB", c)).last(), key("DRW", bills));
        QCOMPARE(list()->entry(key("DRW", bills))->text(), QStringLiteral("Utility Bills"));
        QCOMPARE(DbConnection::queryValue("SELECT Name FROM Drawer WHERE DrawerId = ?", {bills}).toString(),
                 QStringLiteral("Utility Bills"));
    }

    // A dated document is renamed by its bare name and keeps its date.
    void renameDatedDocument()
    {
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        const int f = folder(d, "Power");
        const int doc = document(f, "March", "2024-03-04");
        load();
        show(key("CAB", c));
        show(key("DRW", d));
        tree()->renameNode(key("DOC", doc));
        QCOMPARE(typeNewName(tree(), "April"), QStringLiteral("March"));
        QTRY_COMPARE(tree()->textOf(key("DOC", doc)), QStringLiteral("April (03/04/2024)"));
        QCOMPARE(DbConnection::queryValue("SELECT Name FROM Document").toString(), QStringLiteral("April"));
    }

    // Esc in the name editor ends the edit and does not reach the window.
    void escapeCancelsRename()
    {
        const int c = cabinet("Home");
        load();
        QVERIFY(activate());
        tree()->setFocus();
        tree()->renameNode(key("CAB", c));
        auto *editor = tree()->findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->setFocus();
        editor->setText("Changed");
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(m_prompt->questions.isEmpty());
        QTRY_VERIFY(!tree()->findChild<QLineEdit *>() || !tree()->findChild<QLineEdit *>()->isVisible());
        QCOMPARE(DbConnection::queryValue("SELECT Name FROM Cabinet").toString(), QStringLiteral("Home"));
        QCOMPARE(tree()->textOf(key("CAB", c)), QStringLiteral("Home"));
    }

    // Renaming a list item checks the same scope as the tree.
    void renameInList()
    {
        const int c = cabinet("Home");
        const int other = cabinet("Work");
        const int bills = drawer(c, "Bills");
        drawer(other, "Receipts");
        load();
        show(key("CAB", c));
        list()->renameEntry(key("DRW", bills));
        typeNewName(list(), "Receipts");
        QTRY_COMPARE(tree()->textOf(key("DRW", bills)), QStringLiteral("Receipts"));
        QVERIFY(m_prompt->messages.isEmpty());
        QCOMPARE(list()->entry(key("DRW", bills))->text(), QStringLiteral("Receipts"));
    }

    // Enter on a folder item opens it in the tree and lists its documents.
    void enterOpensListItem()
    {
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        const int f = folder(d, "Power");
        document(f, "March");
        load();
        show(key("CAB", c));
        show(key("DRW", d));
        list()->setCurrentItem(list()->entry(key("FLD", f)));
        QTest::keyClick(list(), Qt::Key_Return);
        QCOMPARE(tree()->selectedKey(), key("FLD", f));
        QCOMPARE(list()->count(), 1);
        QCOMPARE(list()->item(0)->text(), QStringLiteral("March"));
    }

    // Clear Results removes the branch and a list that showed it.
    void clearResults()
    {
        cabinet("Home");
        load();
        tree()->addNode("ROOT", "ROOTFOUND", "Found", "found");
        tree()->addNode("ROOTFOUND", "FCB1", "Home", "cabinet");
        tree()->addNode("FCB1", "FDW2", "Bills", "drawer");
        show("ROOTFOUND");
        QCOMPARE(list()->keys(), QStringList{"FCB1"});
        runPopup("T", "ROOTFOUND", "mnuPopupFoundClear");
        QVERIFY(!tree()->contains("ROOTFOUND"));
        QVERIFY(!tree()->contains("FDW2"));
        QCOMPARE(list()->count(), 0);
        QCOMPARE(m_window->shownKey(), QString());
    }

    // Clear Results while a found document's pages are on show empties the
    // pane with the branch, so no pane key acts on them.
    void clearResultsEmptiesThePane()
    {
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        RecordFixture::page(doc, 1);
        load();
        tree()->addNode("ROOT", "ROOTFOUND", "Found", "found");
        tree()->addNode("ROOTFOUND", key("FDC", doc), "March", "document");
        show(key("FDC", doc));
        QCOMPARE(m_window->pagePane()->documentId(), doc);
        runPopup("T", "ROOTFOUND", "mnuPopupFoundClear");
        QCOMPARE(m_window->pagePane()->documentId(), -1);
        QCOMPARE(m_window->pagePane()->model()->rowCount(), 0);
        QCOMPARE(m_window->findChild<QStackedWidget *>("stkRight")->currentWidget(), list());
    }

    // A delete takes its record's copy out of the search results, with
    // every found cabinet, drawer and folder it leaves empty, also from a
    // list that shows them; a chain that still leads to a found document
    // stays.
    void deletePrunesEmptyFoundChains_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<bool>("sibling");
        QTest::newRow("folder") << "FLD" << false;
        QTest::newRow("drawer") << "DRW" << false;
        QTest::newRow("only document of its folder") << "DOC" << false;
        QTest::newRow("document beside another") << "DOC" << true;
    }
    void deletePrunesEmptyFoundChains()
    {
        QFETCH(QString, level);
        QFETCH(bool, sibling);
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        const int f = folder(d, "Power");
        const int doc = document(f, "March");
        const int other = sibling ? document(f, "April") : 0;
        const int work = cabinet("Work");
        const int workDrawer = drawer(work, "Files");
        const int workFolder = folder(workDrawer, "Old");
        const int workDoc = document(workFolder, "Tax");
        load();
        for (const QString &k : {key("CAB", c), key("DRW", d), key("FLD", f)})
            show(k);
        tree()->addNode(QString(), "ROOTFOUND", "Found", "found");
        const QStringList workChain = {key("FCB", work), key("FDW", workDrawer), key("FFD", workFolder),
                                       key("FDC", workDoc)};
        QStringList homeChain = {key("FCB", c), key("FDW", d), key("FFD", f), key("FDC", doc)};
        for (const QStringList &chain : {homeChain, workChain}) {
            QString parent = "ROOTFOUND";
            for (const QString &k : chain) {
                tree()->addNode(parent, k, k, "folder");
                parent = k;
            }
        }
        if (sibling)
            tree()->addNode(key("FFD", f), key("FDC", other), "April", "document");
        show("ROOTFOUND");
        QCOMPARE(list()->keys(), (QStringList{key("FCB", c), key("FCB", work)}));

        const int id = level == "FLD" ? f : level == "DRW" ? d : doc;
        const QString command = level == "FLD"   ? "mnuPopupFolderDelete"
                                : level == "DRW" ? "mnuPopupDrawerDelete"
                                                 : "mnuPopupDocumentDelete";
        m_prompt->answers3 = {Prompt::Answer::Yes};
        runPopup("T", key(qPrintable(level), id), qPrintable(command));
        QCOMPARE(m_prompt->questions.size(), 1);

        QStringList left;
        QStringList pending = tree()->childKeys("ROOTFOUND");
        while (!pending.isEmpty()) {
            const QString k = pending.takeFirst();
            left << k;
            pending = tree()->childKeys(k) + pending;
        }
        const QStringList expected = sibling ? homeChain.mid(0, 3) + QStringList{key("FDC", other)} + workChain
                                             : workChain;
        QCOMPARE(left, expected);
        QCOMPARE(list()->keys(), sibling ? (QStringList{key("FCB", c), key("FCB", work)})
                                         : QStringList{key("FCB", work)});
    }

    // A right-click sets the current position of the node it names.
    void popupSetsCurrentPosition()
    {
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        load();
        QMenu *menu = m_window->preparePopup("T", key("DRW", d));
        QCOMPARE(menu->objectName(), QStringLiteral("mnuPopupDrawer"));
        QCOMPARE(m_window->position().CurrentDrawerId, d);
        QCOMPARE(m_window->position().CurrentParentId, c);
        QCOMPARE(m_window->popupSource(), QStringLiteral("T"));
        QVERIFY(action("mnuScanSettings")->isEnabled());
        QVERIFY(action("mnuPopupCabinetExport")->isEnabled());
        QVERIFY(action("mnuPopupDrawerDelete")->isEnabled());
    }

    // A command chosen on the menu bar acts on the node on show.
    void menuBarCommandUsesCurrentPosition()
    {
        const int c = cabinet("Home");
        const int bills = drawer(c, "Bills");
        drawer(c, "Taxes");
        load();
        show(key("CAB", c));
        show(key("DRW", bills));
        QVERIFY(onBar("mnuPopupDrawer"));
        m_prompt->answers3 = {Prompt::Answer::Yes};
        action("mnuPopupDrawerDelete")->trigger();
        QCOMPARE(m_prompt->questions, QStringList{"Delete 'Bills'?"});
        QCOMPARE(DbConnection::queryValue("SELECT group_concat(Name) FROM Drawer").toString(),
                 QStringLiteral("Taxes"));
        QVERIFY(!tree()->contains(key("DRW", bills)));
    }

    // After a delete no command works on the deleted record: its menu
    // leaves the bar, the position is none, and a new child written under
    // it is never offered.
    void deletedRecordLeavesNoCommand_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("deleteAction");
        QTest::addColumn<QString>("addAction");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("childTable");
        QTest::newRow("cabinet") << "cabinet" << "mnuPopupCabinetDelete" << "mnuPopupCabinetNewDrawer"
                                 << "frmDrawer" << "Drawer";
        QTest::newRow("drawer") << "drawer" << "mnuPopupDrawerDelete" << "mnuPopupDrawerNewFolder"
                                << "frmFolder" << "Folder";
        QTest::newRow("folder") << "folder" << "mnuPopupFolderDelete" << "mnuPopupFolderNewDocument"
                                << "frmDocument" << "Document";
    }
    void deletedRecordLeavesNoCommand()
    {
        QFETCH(QString, level);
        QFETCH(QString, deleteAction);
        QFETCH(QString, addAction);
        QFETCH(QString, dialog);
        QFETCH(QString, childTable);
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        const int f = folder(d, "Power");
        load();
        show(key("CAB", c));
        if (level != "cabinet")
            show(key("DRW", d));
        if (level == "folder")
            show(key("FLD", f));
        m_prompt->answers3 = {Prompt::Answer::Yes};
        action(qPrintable(deleteAction))->trigger();
        const int children = rowCount(childTable);
        QCOMPARE(m_prompt->questions.size(), 1);
        QVERIFY(!onBar("mnuPopupCabinet") && !onBar("mnuPopupDrawer") && !onBar("mnuPopupFolder"));
        QCOMPARE(m_window->position().CurrentCabinetId, -1);
        QCOMPARE(m_window->position().CurrentDrawerId, -1);
        QCOMPARE(m_window->position().CurrentFolderId, -1);
        QCOMPARE(list()->count(), 0);
        bool shown = false;
        // whenShown keeps the name's pointer until its dialog comes.
        const QByteArray dialogName = dialog.toLatin1();
        acceptNamed(dialogName.constData(), "Orphan", &shown);
        action(qPrintable(addAction))->trigger();
        QCoreApplication::processEvents();
        QVERIFY(!shown);
        QCOMPARE(rowCount(childTable), children);
    }

    // The list shows the node on show as the database holds it: a record
    // made inside it appears, and a deleted node on show leaves nothing
    // listed.
    void listFollowsTheNodeOnShow_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("addAction");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("deleteAction");
        QTest::newRow("drawer in cabinet") << "CAB" << "mnuPopupCabinetNewDrawer" << "frmDrawer"
                                           << "mnuPopupCabinetDelete";
        QTest::newRow("folder in drawer") << "DRW" << "mnuPopupDrawerNewFolder" << "frmFolder"
                                          << "mnuPopupDrawerDelete";
        QTest::newRow("document in folder") << "FLD" << "mnuPopupFolderNewDocument" << "frmDocument"
                                            << "mnuPopupFolderDelete";
    }
    void listFollowsTheNodeOnShow()
    {
        QFETCH(QString, level);
        QFETCH(QString, addAction);
        QFETCH(QString, dialog);
        QFETCH(QString, deleteAction);
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        const int f = folder(d, "Power");
        document(f, "March");
        load();
        const QHash<QString, QString> keys = {
            {"CAB", key("CAB", c)}, {"DRW", key("DRW", d)}, {"FLD", key("FLD", f)}};
        show(keys["CAB"]);
        if (level != "CAB")
            show(keys["DRW"]);
        if (level == "FLD")
            show(keys["FLD"]);
        bool shown = false;
        const QByteArray dialogName = dialog.toLatin1();
        acceptNamed(dialogName.constData(), "Added", &shown);
        runPopup("T", keys[level], qPrintable(addAction));
        QVERIFY(shown);
        QCOMPARE(list()->count(), 2);
        QVERIFY(list()->findItems("Added", Qt::MatchExactly).size() == 1);
        // Deleting the node on show lists nothing of what lay in it.
        m_prompt->answers3 = {Prompt::Answer::Yes};
        runPopup("T", keys[level], qPrintable(deleteAction));
        QCOMPARE(list()->count(), 0);
        QCOMPARE(m_window->shownKey(), QString());
    }

    // A locked cabinet is never written to or shown without its password:
    // Insert on its node asks first, and after a cancelled unlock the
    // bar's menu still works on the node on show.
    void lockedCabinetAsksBeforeWriting()
    {
        const int home = cabinet("Home");
        const int locked = cabinet("Private", "pw");
        drawer(locked, "Letters");
        load();
        show(key("CAB", home));
        tree()->selectNode(key("CAB", locked));
        tree()->setFocus();
        bool shown = false;
        acceptNamed("frmDrawer", "Peek", &shown);
        QTest::keyClick(tree(), Qt::Key_Insert);  // the password is cancelled
        QCoreApplication::processEvents();
        QCOMPARE(m_prompt->passwordPrompts, 1);
        QVERIFY(!shown);

        // A click on it with the password cancelled puts the selection back.
        show(key("CAB", home));
        clickNode(key("CAB", locked));
        QCOMPARE(m_prompt->passwordPrompts, 2);
        QCOMPARE(tree()->selectedKey(), key("CAB", home));
        QVERIFY(onBar("mnuPopupCabinet"));
        int dialogCabinet = 0;
        DialogDriver::whenShown("frmDrawer", [&](QDialog *dialog) {
            dialogCabinet = static_cast<frmDrawer *>(dialog)->CabinetId;
            dialog->reject();
        });
        action("mnuPopupCabinetNewDrawer")->trigger();
        QCOMPARE(dialogCabinet, home);
        QCOMPARE(rowCount("Drawer"), 1);
    }

    // No or Cancel on a locked cabinet opened for a command changes nothing
    // in its node: its drawers are there once the password is given.
    void noOrCancelKeepsUnlockedCabinetNode_data()
    {
        QTest::addColumn<bool>("properties");
        QTest::newRow("Delete answered No") << false;
        QTest::newRow("Properties cancelled") << true;
    }
    void noOrCancelKeepsUnlockedCabinetNode()
    {
        QFETCH(bool, properties);
        const int c = cabinet("Private", "pw");
        const int d = drawer(c, "Letters");
        load();
        tree()->selectNode(key("CAB", c));
        tree()->setFocus();
        m_prompt->passwords = {QStringLiteral("pw")};
        m_prompt->answers3 = {Prompt::Answer::No};
        if (properties) {
            DialogDriver::whenShown("frmCabinet", [](QDialog *dialog) { DialogDriver::click(dialog, "cmdCancel"); });
            action("mnuPopupCabinetProperties")->trigger();
        } else {
            QTest::keyClick(tree(), Qt::Key_Delete);
        }
        QCOMPARE(rowCount("Drawer"), 1);
        QCOMPARE(tree()->childKeys(key("CAB", c)), QStringList{key("DRW", d)});
    }

    // A command of the bar with nothing of its kind to work on says what
    // to select.
    void barCommandWithoutTargetSaysWhatToSelect_data()
    {
        QTest::addColumn<QString>("actionName");
        QTest::addColumn<QString>("message");
        QTest::newRow("cabinet") << "mnuPopupCabinetDelete" << "Please click on a cabinet.";
        QTest::newRow("drawer") << "mnuPopupDrawerNewFolder" << "Please click on a drawer.";
        QTest::newRow("folder") << "mnuPopupFolderProperties" << "Please click on a folder.";
    }
    void barCommandWithoutTargetSaysWhatToSelect()
    {
        QFETCH(QString, actionName);
        QFETCH(QString, message);
        cabinet("Home");
        load();
        tree()->setCurrentItem(nullptr);
        tree()->clearSelection();
        action(qPrintable(actionName))->trigger();
        QCOMPARE(m_prompt->messages, QStringList{message});
        QCOMPARE(m_prompt->kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QVERIFY(m_prompt->questions.isEmpty());
    }

    // Insert on a cabinet node opens the new-drawer dialog for that cabinet;
    // Folder > New Folder makes a sibling in the folder's drawer.
    void newItemsGoToTheRightParent()
    {
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        const int f = folder(d, "Power");
        load();
        show(key("CAB", c));
        int dialogCabinet = 0;
        DialogDriver::whenShown("frmDrawer", [&](QDialog *dialog) {
            dialogCabinet = static_cast<frmDrawer *>(dialog)->CabinetId;
            dialog->reject();
        });
        tree()->setFocus();
        QTest::keyClick(tree(), Qt::Key_Insert);
        QCOMPARE(dialogCabinet, c);

        int dialogDrawer = 0;
        DialogDriver::whenShown("frmFolder", [&](QDialog *dialog) {
            dialogDrawer = static_cast<frmFolder *>(dialog)->DrawerId;
            DialogDriver::box(dialog, "txtName")->setText("Water");
            DialogDriver::click(dialog, "cmdOK");
        });
        runPopup("T", key("FLD", f), "mnuPopupFolderNewFolder");
        QCOMPARE(dialogDrawer, d);
        QCOMPARE(DbConnection::queryValue("SELECT DrawerId FROM Folder WHERE Name = 'Water'").toInt(), d);
        // The new folder is in the tree under the drawer and selected.
        QCOMPARE(tree()->textOf(tree()->selectedKey()), QStringLiteral("Water"));
        QCOMPARE(tree()->parentKeyOf(tree()->selectedKey()), key("DRW", d));
    }

    // Renumber Pages asks first; only Yes replaces the numbers a user chose.
    void renumberPagesAsksFirst_data()
    {
        QTest::addColumn<Prompt::Answer>("answer");
        QTest::addColumn<QString>("numbers");
        QTest::newRow("Yes") << Prompt::Answer::Yes << "1,2";
        QTest::newRow("No") << Prompt::Answer::No << "5,9";
        QTest::newRow("Cancel") << Prompt::Answer::Cancel << "5,9";
    }
    void renumberPagesAsksFirst()
    {
        QFETCH(Prompt::Answer, answer);
        QFETCH(QString, numbers);
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        const int doc = document(folder(d, "Power"), "March");
        RecordFixture::page(doc, 5);
        RecordFixture::page(doc, 9);
        load();
        // The document's node is loaded as a user reaches it.
        show(key("CAB", c));
        show(key("DRW", d));
        m_prompt->answers3 = {answer};
        runPopup("T", key("DOC", doc), "mnuPopupDocumentRepaginate");
        QCOMPARE(m_prompt->questions, QStringList{"Renumber all pages in 'March'?"});
        QCOMPARE(DbConnection::queryValue("SELECT group_concat(PageNumber) FROM "
                                          "(SELECT PageNumber FROM Page ORDER BY PageNumber)").toString(),
                 numbers);
    }

    // After an import the list of the node on show holds what the import
    // added, whichever node that is and whichever menu started it.
    void importRelistsTheNodeOnShow_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("importAction");
        QTest::newRow("Tools menu, cabinet on show") << "CAB" << "mnuToolsImportFiles";
        QTest::newRow("cabinet popup, drawer on show") << "DRW" << "mnuPopupCabinetImport";
    }
    void importRelistsTheNodeOnShow()
    {
        QFETCH(QString, shown);
        QFETCH(QString, importAction);
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        load();
        show(key("CAB", c));
        if (shown == "DRW")
            show(key("DRW", d));
        QCOMPARE(list()->count(), shown == "DRW" ? 0 : 1);
        // The import dialog stands in for a run that files new records.
        DialogDriver::whenShown("frmImport", [&](QDialog *dialog) {
            if (shown == "DRW")
                folder(d, "Imported");
            else
                drawer(c, "Imported");
            dialog->reject();
        });
        if (importAction == "mnuToolsImportFiles")
            action("mnuToolsImportFiles")->trigger();
        else
            runPopup("T", key("CAB", c), qPrintable(importAction));
        QVERIFY(!list()->findItems("Imported", Qt::MatchExactly).isEmpty());
    }
};

VLM_TEST_MAIN(NavCommandsTest)
#include "NavCommandsTest.moc"

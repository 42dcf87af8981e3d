#include "DbConnection.h"
#include "FakePrompt.h"
#include "LevelList.h"
#include "NavTree.h"
#include "NavWindowFixture.h"
#include "PagePaths.h"
#include "RecordFixture.h"
#include "DialogDriver.h"
#include "TestEnvironment.h"
#include "frmDrawer.h"
#include "frmFolder.h"
#include "frmNavTree.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

using namespace RecordFixture;

namespace {

int count(const QString &sql)
{
    return DbConnection::QueryValue(sql).toInt();
}

int page(int documentId)
{
    const int id = insert("INSERT INTO Page (DocumentId, PageNumber) VALUES (?, 1)", {documentId});
    for (const QString &path : {PagePaths::GetDefaultPageFilePath(id), PagePaths::GetDefaultThumbFilePath(id)}) {
        PagePaths::MakePath(PagePaths::GetFolderPart(path));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("jpeg");
    }
    return id;
}

} // namespace

class NavCommandsTest : public NavWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    // Delete in the tree removes the cabinet with everything below it, its
    // node and its search-result twin, and empties the list.
    void deleteCabinetByKey()
    {
        const int c = cabinet("Home");
        const int keep = cabinet("Work");
        const int d1 = drawer(c, "Bills");
        drawer(c, "Taxes");
        const int doc = document(folder(d1, "Power"), "March");
        const int p = page(doc);
        load();
        tree()->addNode("ROOT", "ROOTFOUND", "Found", "found");
        tree()->addNode("ROOTFOUND", key("FCB", c), "Home", "cabinet");
        show(key("CAB", c));
        m_prompt->answers3 = {Prompt::Answer::Yes};
        tree()->setFocus();
        QTest::keyClick(tree(), Qt::Key_Delete);
        QCOMPARE(m_prompt->questions, QStringList{"Delete 'Home'?"});
        QCOMPARE(count("SELECT count(*) FROM Cabinet"), 1);
        QCOMPARE(count("SELECT count(*) FROM Drawer"), 0);
        QCOMPARE(count("SELECT count(*) FROM Page"), 0);
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
        QCOMPARE(count("SELECT count(*) FROM Drawer"), 1);
        QVERIFY(tree()->contains(key("DRW", d)));
        QCOMPARE(list()->count(), 1);
    }

    // A refused password stops the delete before its question.
    void deleteLockedCabinetNeedsPassword()
    {
        const int c = cabinet("Private", "pw");
        load();
        m_prompt->passwords = {QStringLiteral("wrong")};
        runPopup("L", key("CAB", c), "mnuPopupCabinetDelete");
        QVERIFY(m_prompt->questions.isEmpty());
        QCOMPARE(count("SELECT count(*) FROM Cabinet"), 1);
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
        QCOMPARE(count("SELECT count(*) FROM Drawer"), 1);
        QCOMPARE(count("SELECT count(*) FROM Folder"), 1);
        QVERIFY(!tree()->contains(key("DRW", bills)));
        // A folder delete from the list removes the list item too.
        show(key("DRW", taxes));
        list()->setCurrentItem(list()->entry(key("FLD", f)));
        list()->setFocus();
        m_prompt->answers3 = {Prompt::Answer::Yes};
        QTest::keyClick(list(), Qt::Key_Delete);
        QCOMPARE(count("SELECT count(*) FROM Folder"), 0);
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
        QCOMPARE(DbConnection::QueryValue("SELECT Name FROM Drawer WHERE DrawerId = ?", {bills}).toString(),
                 QStringLiteral("Bills"));

        tree()->renameNode(key("DRW", bills));
        typeNewName(tree(), "Utility Bills");
        QTRY_COMPARE(tree()->textOf(key("DRW", bills)), QStringLiteral("Utility Bills"));
        // The renamed node moves to its place among its siblings.
        QCOMPARE(tree()->childKeys(key("CAB", c)).last(), key("DRW", bills));
        QCOMPARE(list()->entry(key("DRW", bills))->text(), QStringLiteral("Utility Bills"));
        QCOMPARE(DbConnection::QueryValue("SELECT Name FROM Drawer WHERE DrawerId = ?", {bills}).toString(),
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
        QCOMPARE(DbConnection::QueryValue("SELECT Name FROM Document").toString(), QStringLiteral("April"));
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
        QCOMPARE(DbConnection::QueryValue("SELECT Name FROM Cabinet").toString(), QStringLiteral("Home"));
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
        // Commands that need windows not built yet stay disabled.
        QVERIFY(!action("mnuPopupCabinetExport")->isEnabled());
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
        QCOMPARE(DbConnection::QueryValue("SELECT group_concat(Name) FROM Drawer").toString(),
                 QStringLiteral("Taxes"));
        QVERIFY(!tree()->contains(key("DRW", bills)));
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
        QCOMPARE(DbConnection::QueryValue("SELECT DrawerId FROM Folder WHERE Name = 'Water'").toInt(), d);
        // The new folder is in the tree under the drawer and selected.
        QCOMPARE(tree()->textOf(tree()->selectedKey()), QStringLiteral("Water"));
        QCOMPARE(tree()->parentKeyOf(tree()->selectedKey()), key("DRW", d));
    }
};

VLM_TEST_MAIN(NavCommandsTest)
#include "NavCommandsTest.moc"

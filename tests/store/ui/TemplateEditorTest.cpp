#include "platform/DbConnection.h"
#include "store/DrawerTemplates.h"
#include "store/RecordRules.h"
#include "store/SampleCabinets.h"
#include "store/ui/frmCustomDrawer.h"
#include "store/ui/frmSample.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

QTreeWidget *treeOf(QWidget *dialog)
{
    return dialog->findChild<QTreeWidget *>(QStringLiteral("tvwMain"));
}

using DialogDriver::button;

// The child of parent with that text.
QTreeWidgetItem *childNamed(QTreeWidgetItem *parent, const QString &text)
{
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    }
    return nullptr;
}

// The tree as shown: "Drawers{A{F{d}},B}".
QString shown(const QTreeWidgetItem *item)
{
    QStringList children;
    for (int i = 0; i < item->childCount(); ++i)
        children << shown(item->child(i));
    return children.isEmpty() ? item->text(0)
                              : item->text(0) + QLatin1Char('{') + children.join(QLatin1Char(',')) + QLatin1Char('}');
}

// Types a label into the in-place editor the dialog opened and ends the
// edit with Enter.
void typeLabel(const QString &text)
{
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->clear();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!qobject_cast<QLineEdit *>(QApplication::focusWidget()));
}

// Selects the item, opens its editor and types a new label.
void renameItem(QTreeWidget *tree, QTreeWidgetItem *item, const QString &text)
{
    tree->setCurrentItem(item);
    tree->editItem(item, 0);
    typeLabel(text);
}

QString buttonState(QWidget *dialog, const char *name)
{
    QPushButton *b = button(dialog, name);
    return b->isVisible() ? b->text() : QStringLiteral("(hidden)");
}

QString templatePath()
{
    return DrawerTemplates::templateFilePath();
}

} // namespace

class TemplateEditorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // The editor shows every template sorted, each text as everything after
    // the fourth character, lower-case kinds included; the root is selected.
    void editorShowsFile()
    {
        TestFiles::write(templatePath(),
                         "\r\nDRW=Zeta\r\nFLD=z\r\nDOC=d\r\n\r\nDRW = x\r\nfld=low\r\n\r\nDRW=alpha\r\n");
        frmCustomDrawer dialog;
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Drawer Templates"));
        QTreeWidget *tree = treeOf(&dialog);
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(shown(tree->topLevelItem(0)), QStringLiteral("Drawers{= x{low},alpha,Zeta{z{d}}}"));
        QCOMPARE(tree->currentItem(), tree->topLevelItem(0));
        QCOMPARE(buttonState(&dialog, "cmdAddChild"), QStringLiteral("Add Drawer"));
        QCOMPARE(buttonState(&dialog, "cmdRemoveSibling"), QStringLiteral("(hidden)"));
        QCOMPARE(buttonState(&dialog, "cmdAddSibling"), QStringLiteral("(hidden)"));
        QVERIFY(button(&dialog, "cmdOK")->isDefault());
    }

    // The nodes carry the images the window gives for drawers, folders and
    // documents, so a template looks like the tree it fills.
    void nodesUseTheGivenImages()
    {
        TestFiles::write(templatePath(), "\r\nDRW=T\r\nFLD=F\r\nDOC=D\r\n");
        QHash<QString, qint64> keys;
        const auto images = [&keys](const QString &key) {
            QPixmap pixmap(16, 16);
            pixmap.fill(key == "drawer" ? Qt::red : key == "folder" ? Qt::green : Qt::blue);
            const QIcon icon(pixmap);
            keys.insert(key, icon.cacheKey());
            return icon;
        };
        frmCustomDrawer dialog(nullptr, images);
        QTreeWidgetItem *drawerItem = treeOf(&dialog)->topLevelItem(0)->child(0);
        QTreeWidgetItem *folderItem = drawerItem->child(0);
        QCOMPARE(drawerItem->icon(0).cacheKey(), keys.value("drawer"));
        QCOMPARE(folderItem->icon(0).cacheKey(), keys.value("folder"));
        QCOMPARE(folderItem->child(0)->icon(0).cacheKey(), keys.value("document"));
    }

    // Without a file the editor opens with the root alone.
    void editorWithoutFile()
    {
        frmCustomDrawer dialog;
        QCOMPARE(shown(treeOf(&dialog)->topLevelItem(0)), QStringLiteral("Drawers"));
    }

    // The buttons follow the kind of the selected node.
    void buttonsFollowSelection_data()
    {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QString>("addChild");
        QTest::addColumn<QString>("remove");
        QTest::newRow("drawer") << QStringList{"T"} << "Add Folder" << "Remove Drawer";
        QTest::newRow("folder") << QStringList{"T", "F"} << "Add Document" << "Remove Folder";
        QTest::newRow("document") << QStringList{"T", "F", "D"} << "(hidden)" << "Remove Document";
    }
    void buttonsFollowSelection()
    {
        QFETCH(QStringList, path);
        QFETCH(QString, addChild);
        QFETCH(QString, remove);
        TestFiles::write(templatePath(), "\r\nDRW=T\r\nFLD=F\r\nDOC=D\r\n");
        frmCustomDrawer dialog;
        dialog.show();
        QTreeWidget *tree = treeOf(&dialog);
        QTreeWidgetItem *item = tree->topLevelItem(0);
        for (const QString &step : path)
            item = childNamed(item, step);
        QVERIFY(item);
        tree->setCurrentItem(item);
        QCOMPARE(buttonState(&dialog, "cmdAddChild"), addChild);
        QCOMPARE(buttonState(&dialog, "cmdRemoveSibling"), remove);
        QCOMPARE(buttonState(&dialog, "cmdAddSibling"), QStringLiteral("(hidden)"));
    }

    // Nodes added in the editor are saved in the order they were added,
    // under the template they were added to, whatever the sorted display
    // shows; the names are reloaded and the next opening shows the same.
    void roundTripKeepsAddedOrder()
    {
        TestFiles::write(templatePath(), "\r\nDRW=Zeta\r\nFLD=z1\r\n\r\nDRW=Alpha\r\n");
        FakePrompt prompt;
        {
            frmCustomDrawer dialog;
            dialog.show();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            QTreeWidget *tree = treeOf(&dialog);
            QTreeWidgetItem *root = tree->topLevelItem(0);

            tree->setCurrentItem(childNamed(root, "Zeta"));
            QTest::mouseClick(button(&dialog, "cmdAddChild"), Qt::LeftButton);
            QCOMPARE(tree->currentItem()->text(0), QStringLiteral("New Folder"));
            QCOMPARE(buttonState(&dialog, "cmdAddChild"), QStringLiteral("Add Document"));
            typeLabel("Bills");
            QVERIFY(dialog.isVisible());  // Enter ended the edit, not the dialog
            QCOMPARE(buttonState(&dialog, "cmdAddChild"), QStringLiteral("Add Document"));
            QTest::mouseClick(button(&dialog, "cmdAddChild"), Qt::LeftButton);
            typeLabel("Gas");

            tree->setCurrentItem(root);
            QTest::mouseClick(button(&dialog, "cmdAddChild"), Qt::LeftButton);
            typeLabel("Beta");
            QTest::mouseClick(button(&dialog, "cmdAddChild"), Qt::LeftButton);
            typeLabel("a=b");

            QCOMPARE(shown(root), QStringLiteral("Drawers{Alpha,Beta{a=b},Zeta{Bills{Gas},z1}}"));
            QTest::mouseClick(button(&dialog, "cmdOK"), Qt::LeftButton);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QVERIFY(prompt.messages.isEmpty());
        QCOMPARE(TestFiles::read(templatePath()),
                 QByteArray("\r\nDRW=Zeta\r\nFLD=z1\r\nFLD=Bills\r\nDOC=Gas\r\n\r\nDRW=Alpha\r\n"
                            "\r\nDRW=Beta\r\nFLD=a=b\r\n"));
        QCOMPARE(DrawerTemplates::DrawerTemplateNames(), (QStringList{"Zeta", "Alpha", "Beta"}));

        frmCustomDrawer again;
        QCOMPARE(shown(treeOf(&again)->topLevelItem(0)), QStringLiteral("Drawers{Alpha,Beta{a=b},Zeta{Bills{Gas},z1}}"));
    }

    // A label may not hold the characters a name may not hold (they are
    // dropped, with the message of the record dialogs); an empty label
    // keeps the old text; "=" is fine.
    void labelChecks_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("warning");
        const QString characters = QStringLiteral("The following characters are not allowed:\n\\ / : * ? \" < > | .");
        QTest::newRow("plain") << "Receipts" << "Receipts" << "";
        QTest::newRow("equals sign") << "x = y" << "x = y" << "";
        QTest::newRow("full stop and colon") << "Tax.es: 2024" << "Taxes 2024" << characters;
        QTest::newRow("empty") << "" << "Old" << "";
        QTest::newRow("spaces") << "   " << "Old" << "";
        QTest::newRow("nothing left") << "?*" << "Old" << characters;
        QTest::newRow("80 characters") << QString(80, QLatin1Char('n')) << QString(80, QLatin1Char('n')) << "";
        QTest::newRow("81 characters") << QString(81, QLatin1Char('n')) << "Old"
                                       << "A name may hold at most 80 characters.";
    }
    void labelChecks()
    {
        QFETCH(QString, typed);
        QFETCH(QString, label);
        QFETCH(QString, warning);
        TestFiles::write(templatePath(), "\r\nDRW=Old\r\n");
        FakePrompt prompt;
        frmCustomDrawer dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTreeWidget *tree = treeOf(&dialog);
        renameItem(tree, tree->topLevelItem(0)->child(0), typed);
        QCOMPARE(tree->topLevelItem(0)->child(0)->text(0), label);
        QCOMPARE(prompt.messages, warning.isEmpty() ? QStringList{} : QStringList{warning});
        for (const FakePrompt::Kind kind : std::as_const(prompt.kinds))
            QCOMPARE(kind, FakePrompt::Kind::Warning);
        QTest::mouseClick(button(&dialog, "cmdOK"), Qt::LeftButton);
        QCOMPARE(TestFiles::read(templatePath()), ("\r\nDRW=" + label + "\r\n").toUtf8());
    }

    // Remove takes the node with everything below it; the root stays.
    void removeNode()
    {
        TestFiles::write(templatePath(), "\r\nDRW=T\r\nFLD=F\r\nDOC=D\r\nFLD=G\r\n");
        frmCustomDrawer dialog;
        dialog.show();
        QTreeWidget *tree = treeOf(&dialog);
        QTreeWidgetItem *root = tree->topLevelItem(0);
        tree->setCurrentItem(childNamed(childNamed(root, "T"), "F"));
        QTest::mouseClick(button(&dialog, "cmdRemoveSibling"), Qt::LeftButton);
        QCOMPARE(shown(root), QStringLiteral("Drawers{T{G}}"));
        QVERIFY(tree->currentItem());
        QTest::mouseClick(button(&dialog, "cmdOK"), Qt::LeftButton);
        QCOMPARE(TestFiles::read(templatePath()), QByteArray("\r\nDRW=T\r\nFLD=G\r\n"));
    }

    // Cancel writes nothing and keeps the names.
    void cancelWritesNothing()
    {
        const QByteArray original("DRW = x\r\n");
        TestFiles::write(templatePath(), original);
        frmCustomDrawer dialog;
        dialog.show();
        QTreeWidget *tree = treeOf(&dialog);
        tree->setCurrentItem(tree->topLevelItem(0)->child(0));
        QTest::mouseClick(button(&dialog, "cmdRemoveSibling"), Qt::LeftButton);
        QTest::mouseClick(button(&dialog, "cmdCancel"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(TestFiles::read(templatePath()), original);
    }

    // A save that fails is reported; the old file and the edits stay and
    // the editor stays open.
    void failedSaveKeepsOldFile()
    {
        const QByteArray original("\r\nDRW=Old\r\n");
        TestFiles::write(templatePath(), original);
        DrawerTemplates::LoadDrawerTemplateNames();
        FakePrompt prompt;
        frmCustomDrawer dialog;
        dialog.show();
        QTreeWidget *tree = treeOf(&dialog);
        tree->setCurrentItem(tree->topLevelItem(0));
        QTest::mouseClick(button(&dialog, "cmdAddChild"), Qt::LeftButton);
        tree->closePersistentEditor(tree->currentItem(), 0);
        {
            FileSizeLimit limit(4);
            QTest::mouseClick(button(&dialog, "cmdOK"), Qt::LeftButton);
        }
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY2(prompt.messages.first().startsWith("Error # "), qPrintable(prompt.messages.first()));
        QVERIFY(dialog.isVisible());
        QCOMPARE(TestFiles::read(templatePath()), original);
        QCOMPARE(DrawerTemplates::DrawerTemplateNames(), QStringList{"Old"});
        QCOMPARE(shown(tree->topLevelItem(0)), QStringLiteral("Drawers{New Drawer,Old}"));
    }

    // The dialog lists the CAB values, the first selected; Enter presses
    // Edit Samples.
    void sampleListAndDefaultButton()
    {
        TestFiles::write(SampleCabinets::sampleOutlinePath(),
                         "CAB = Office\r\n DRW = Clients\r\nCAB=Home\r\ncab=no\r\n");
        FakeDesktop desktop;
        frmSample dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Create Sample Cabinet"));
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("lstType"));
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Office"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("Home"));
        QVERIFY(list->item(0)->isSelected());
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(desktop.urls, QList<QUrl>{QUrl::fromLocalFile(SampleCabinets::sampleOutlinePath())});
        QVERIFY(!dialog.isVisible());
        QCOMPARE(DbConnection::queryValue("SELECT COUNT(*) FROM Cabinet").toInt(), 0);
    }

    // Create builds the selected sample and closes; a name that exists in
    // another letter case is refused and the dialog stays open.
    void createSample()
    {
        TestFiles::write(SampleCabinets::sampleOutlinePath(),
                         "CAB=Office\r\n DRW=Clients\r\nCAB=Home\r\n DRW=Bills\r\n");
        DbConnection::execute("INSERT INTO Cabinet (Name, [Password]) VALUES ('OFFICE', '')");
        FakePrompt prompt;
        frmSample dialog;
        dialog.show();
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("lstType"));
        QTest::mouseClick(button(&dialog, "cmdCreate"), Qt::LeftButton);
        QCOMPARE(prompt.messages, QStringList{"A cabinet named 'Office' already exists."});
        QVERIFY(dialog.isVisible());
        QCOMPARE(DbConnection::queryValue("SELECT COUNT(*) FROM Cabinet").toInt(), 1);

        list->setCurrentRow(1);
        QTest::mouseClick(button(&dialog, "cmdCreate"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(DbConnection::queryValue("SELECT Drawer.Name FROM Drawer JOIN Cabinet USING (CabinetId)"
                                          " WHERE Cabinet.Name = 'Home'")
                     .toString(),
                 QStringLiteral("Bills"));
    }

    // A double-click on an entry creates it as well.
    void doubleClickCreates()
    {
        TestFiles::write(SampleCabinets::sampleOutlinePath(), "CAB=Office\r\n DRW=Clients\r\n");
        frmSample dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("lstType"));
        const QRect rect = list->visualItemRect(list->item(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(DbConnection::queryValue("SELECT Name FROM Cabinet").toString(), QStringLiteral("Office"));
    }

    // Without an entry to create, Create asks for one; a name longer than
    // a cabinet name may be is refused rather than stored cut. Nothing is
    // written.
    void nothingToCreate_data()
    {
        QTest::addColumn<QByteArray>("outline");
        QTest::addColumn<QString>("message");
        const QString select = QStringLiteral("Please select a sample cabinet to create.");
        QTest::newRow("no CAB line") << QByteArray("DRW=x\r\n") << select;
        QTest::newRow("CAB without name") << QByteArray("CAB\r\n") << select;
        QTest::newRow("name of forbidden characters") << QByteArray("CAB = ...\r\n") << select;
        QTest::newRow("name of 120 characters") << "CAB = " + QByteArray(120, 'n') + "\r\n DRW = D\r\n"
                                                << RecordRules::nameTooLongMessage(RecordLevel::Cabinet);
    }
    void nothingToCreate()
    {
        QFETCH(QByteArray, outline);
        QFETCH(QString, message);
        TestFiles::write(SampleCabinets::sampleOutlinePath(), outline);
        FakePrompt prompt;
        frmSample dialog;
        dialog.show();
        QTest::mouseClick(button(&dialog, "cmdCreate"), Qt::LeftButton);
        QCOMPARE(prompt.messages, QStringList{message});
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QVERIFY(dialog.isVisible());
        QCOMPARE(DbConnection::queryValue("SELECT COUNT(*) FROM Cabinet").toInt(), 0);
    }

    // A failure while creating is shown as "Error # ..."; the cabinet row
    // written before it stays, and the dialog closes.
    void createFailureReported()
    {
        TestFiles::write(SampleCabinets::sampleOutlinePath(), "CAB=Office\r\n DRW=Clients\r\n");
        FakePrompt prompt;
        frmSample dialog;
        dialog.show();
        // 1 name test, 2 cabinet insert, 3 BEGIN, 4 drawer look-up.
        DbConnection::failAfterStatements(4);
        QTest::mouseClick(button(&dialog, "cmdCreate"), Qt::LeftButton);
        DbConnection::failAfterStatements(0);
        QCOMPARE(prompt.messages, QStringList{QStringLiteral("Error # %1 Injected failure").arg(int(ErrorCode::InjectedFailure))});
        QVERIFY(!dialog.isVisible());
        QCOMPARE(DbConnection::queryValue("SELECT COUNT(*) FROM Cabinet").toInt(), 1);
        QCOMPARE(DbConnection::queryValue("SELECT COUNT(*) FROM Drawer").toInt(), 0);
    }

    // Edit Samples that cannot start a program says so; the dialog closes
    // either way.
    void editFailureReported()
    {
        FakeDesktop desktop;
        desktop.opens = false;
        FakePrompt prompt;
        frmSample dialog;
        dialog.show();
        QTest::mouseClick(button(&dialog, "cmdEdit"), Qt::LeftButton);
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY(prompt.messages.first().startsWith("Error # "));
        QVERIFY(prompt.messages.first().contains(SampleCabinets::sampleOutlinePath()));
        QVERIFY(!dialog.isVisible());
    }
};

VLM_TEST_MAIN(TemplateEditorTest)
#include "TemplateEditorTest.moc"

#include "navigation/PageClipboard.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/NavCommandRouter.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/PagePane.h"
#include "navigation/ui/frmNavTree.h"
#include "platform/DbConnection.h"
#include "platform/Settings.h"
#include "store/PagePaths.h"
#include "store/RecordRules.h"
#include "store/ui/frmDocument.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/NavWindowFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestImages.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

using namespace RecordFixture;

class NavEventsTest : public NavWindowFixture
{
    Q_OBJECT

    int m_cabinet = 0, m_drawer = 0, m_other = 0, m_folder = 0, m_doc = 0;

    PagePane *pane() const { return m_window->pagePane(); }
    NavCommandRouter *router() const { return m_window->findChild<NavCommandRouter *>(); }

    // Home: Bills (with Power > March, dated) and Taxes; shown down to the
    // folder, whose documents the list holds.
    void layOut()
    {
        m_cabinet = cabinet("Home");
        m_drawer = drawer(m_cabinet, "Bills");
        m_other = drawer(m_cabinet, "Taxes");
        m_folder = folder(m_drawer, "Power");
        m_doc = document(m_folder, "March", "2004-03-05");
        load();
        show(key("CAB", m_cabinet));
        show(key("DRW", m_drawer));
        show(key("FLD", m_folder));
    }
    void pressIn(QWidget *view, int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        view->setFocus();
        QTest::keyClick(view, Qt::Key(k), mods);
    }
    // Whether the node's name editor opens on F2, and on what text.
    QString editorOnF2(const QString &nodeKey)
    {
        tree()->selectNode(nodeKey);
        pressIn(tree(), Qt::Key_F2);
        const QString text = openEditorText(tree());
        if (!text.isNull())
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        return text;
    }

private Q_SLOTS:
    // Insert and Delete on document nodes and items run the document
    // commands: a new document beside it in the tree, Scan New Page for the
    // item in the list, the delete in both; found nodes run nothing.
    void documentKeys_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<int>("pressed");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("expect");
        QTest::newRow("tree Insert on document") << "tree" << int(Qt::Key_Insert) << "DOC" << "new document";
        QTest::newRow("tree Delete on document") << "tree" << int(Qt::Key_Delete) << "DOC" << "question";
        QTest::newRow("list Insert on document") << "list" << int(Qt::Key_Insert) << "DOC" << "scan";
        QTest::newRow("list Delete on document") << "list" << int(Qt::Key_Delete) << "DOC" << "question";
    }
    void documentKeys()
    {
        QFETCH(QString, view);
        QFETCH(int, pressed);
        QFETCH(QString, node);
        QFETCH(QString, expect);
        layOut();
        tree()->addNode("ROOT", "ROOTFOUND", "Found", "found");
        tree()->addNode("ROOTFOUND", key("FDC", m_doc), "March", "document");
        int dialogFolder = -1;
        DialogDriver::whenShown("frmDocument", [&](QDialog *d) {
            dialogFolder = static_cast<frmDocument *>(d)->FolderId;
            d->reject();
        });
        // Scanning is another window's; the key runs the menu's command
        // for its item.
        QAction *scan = action("mnuPopupDocumentScanPage");
        scan->setEnabled(true);
        QString scanned;
        connect(scan, &QAction::triggered, this, [&] { scanned = router()->commandTarget("DOC", false).key; });
        m_prompt->answers3 = {Prompt::Answer::No};
        const QString k = key(node.toLatin1().constData(), m_doc);
        if (view == "tree") {
            tree()->selectNode(k);
            pressIn(tree(), pressed);
        } else {
            list()->setCurrentItem(list()->entry(k));
            pressIn(list(), pressed);
        }
        QCoreApplication::processEvents();
        QCOMPARE(dialogFolder, expect == "new document" ? m_folder : -1);
        // The tree names a document by its node's text, the list by its name.
        const QString question = view == "tree" ? "Delete 'March (03/05/2004)'?" : "Delete 'March'?";
        QCOMPARE(m_prompt->questions, expect == "question" ? QStringList{question} : QStringList{});
        QCOMPARE(scanned, expect == "scan" ? k : QString());
        QCOMPARE(rowCount("Document"), 1);
        QCOMPARE(m_window->popupSource(), view == "tree" ? QStringLiteral("T") : QStringLiteral("L"));
    }

    // F2 edits names in place where a rename is allowed, a dated document
    // by its bare name.
    void f2RenamesWhereAllowed()
    {
        layOut();
        const int locked = cabinet("Private", "pw");
        m_window->AddCabinetToNavTree(locked, "Private");
        m_window->ShowNodeContents(key("FLD", m_folder));
        QCOMPARE(editorOnF2(key("DRW", m_drawer)), QStringLiteral("Bills"));
        QCOMPARE(editorOnF2(key("DOC", m_doc)), QStringLiteral("March"));
        QCOMPARE(editorOnF2("ROOT"), QString());
        QCOMPARE(editorOnF2(key("CAB", locked)), QString());
    }

    // A right-click menu closed without a command leaves no ids behind: the
    // Delete key and the menu bar's Delete then act on the node selected.
    void dismissedPopupLeavesNoIds()
    {
        layOut();
        m_window->ShowNodeContents(key("CAB", m_cabinet));
        QTreeWidgetItem *item = tree()->node(key("DRW", m_drawer));
        tree()->selectNode(key("DRW", m_drawer));
        QTimer::singleShot(0, this, [] {
            if (QWidget *popup = QApplication::activePopupWidget())
                popup->close();
        });
        const QPoint pos = tree()->visualItemRect(item).center();
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, pos, tree()->viewport()->mapToGlobal(pos));
        QCoreApplication::sendEvent(tree()->viewport(), &menuEvent);
        QCOMPARE(m_window->position().CurrentDrawerId, -1);

        tree()->selectNode(key("DRW", m_other));
        m_prompt->answers3 = {Prompt::Answer::No, Prompt::Answer::No};
        pressIn(tree(), Qt::Key_Delete);
        action("mnuPopupDrawerDelete")->trigger();
        QCOMPARE(m_prompt->questions, (QStringList{"Delete 'Taxes'?", "Delete 'Taxes'?"}));
    }

    // The document menu offers Paste exactly when the clipboard holds files
    // or pages were cut, from the tree and from the list.
    void documentPasteOffered_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("offer");
        QTest::addColumn<bool>("enabled");
        for (const char *source : {"T", "L"}) {
            QTest::addRow("%s nothing", source) << source << "nothing" << false;
            QTest::addRow("%s cut page", source) << source << "cut" << true;
            QTest::addRow("%s clipboard files", source) << source << "files" << true;
        }
    }
    void documentPasteOffered()
    {
        QFETCH(QString, source);
        QFETCH(QString, offer);
        layOut();
        QGuiApplication::clipboard()->clear();
        if (offer == "cut") {
            PageClipboard::cutList().CutPageIds = {page(m_doc, 1)};
        } else if (offer == "files") {
            auto *data = new QMimeData;
            data->setUrls({QUrl::fromLocalFile(TestEnvironment::root() + "/scan.jpg")});
            QGuiApplication::clipboard()->setMimeData(data);
        }
        QMenu *menu = m_window->preparePopup(source, key("DOC", m_doc));
        QCOMPARE(menu, m_window->findChild<QMenu *>("mnuPopupDocument"));
        QTEST(action("mnuPopupDocumentPaste")->isEnabled(), "enabled");
    }

    // Renames in place from the tree and the list: forbidden characters
    // are stripped after the message, a name of full stops then ends the
    // edit, a taken name is refused, and a failed store reports its error;
    // whatever is not stored leaves the label as it was.
    void renameInPlace_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("message");
        const QString invalid = RecordRules::invalidNameMessage();
        for (const char *view : {"tree", "list"}) {
            QTest::addRow("%s slash", view) << view << "Old/New" << "OldNew" << invalid;
            QTest::addRow("%s full stops", view) << view << "..." << "Bills" << invalid;
            QTest::addRow("%s quote", view) << view << "O'Brien" << "O'Brien" << "";
            QTest::addRow("%s taken name", view) << view << "TAXES" << "Bills"
                                                 << "A drawer named 'TAXES' already exists.";
            QTest::addRow("%s store fails", view) << view << "Receipts" << "Bills" << "Error #";
        }
    }
    void renameInPlace()
    {
        QFETCH(QString, view);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, message);
        layOut();
        m_window->ShowNodeContents(key("CAB", m_cabinet));
        const QString k = key("DRW", m_drawer);
        QWidget *editorView = view == "tree" ? static_cast<QWidget *>(tree()) : list();
        if (view == "tree")
            tree()->renameNode(k);
        else
            list()->renameEntry(k);
        if (message == "Error #")
            DbConnection::failAfterStatements(1);
        typeNewName(editorView, typed);
        // The view takes the name on its next turn of the event loop; only
        // a taken name opens the editor again.
        QTRY_COMPARE(m_prompt->messages.size(), message.isEmpty() ? 0 : 1);
        QTRY_COMPARE(openEditorText(editorView).isNull(), !typed.startsWith("TAXES"));
        DbConnection::failAfterStatements(0);
        QCOMPARE(DbConnection::queryValue("SELECT Name FROM Drawer WHERE DrawerId = ?", {m_drawer}).toString(),
                 stored);
        QCOMPARE(tree()->textOf(k), stored);
        QCOMPARE(list()->entry(k)->text(), stored);
        QCOMPARE(m_prompt->messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(m_prompt->messages.first().startsWith(message), qPrintable(m_prompt->messages.first()));
    }

    // A document renamed by its dialog keeps the date on its node and
    // shows its bare name in the list, as the list is filled.
    void documentNameInTheList()
    {
        layOut();
        m_window->UpdateDocumentName(m_doc, "April", QDate(2004, 3, 5));
        QCOMPARE(tree()->textOf(key("DOC", m_doc)), QStringLiteral("April (03/05/2004)"));
        QCOMPARE(list()->entry(key("DOC", m_doc))->text(), QStringLiteral("April"));
    }

    // The page pane's keys: Enter opens the page (a missing file is told),
    // Ctrl alone with A selects every page, I and R open the properties and
    // the renumbering, Page Down turns the screen only
    // while there is a next one; the view chosen stays for the next start.
    void pagePaneKeys()
    {
        Settings::setValue("DisplayCount", "2");
        layOut();
        for (int n = 1; n <= 3; ++n)
            page(m_doc, n);
        show(key("DOC", m_doc));
        QAbstractItemView *view = pane()->lvwThumb();
        view->setCurrentIndex(pane()->model()->index(0));
        pressIn(view, Qt::Key_Return);
        QCOMPARE(m_prompt->messages.size(), 1);
        QVERIFY(m_prompt->messages.first().startsWith("Missing file '"));
        pressIn(view, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(pane()->selectedPageIds().size(), 1);
        pressIn(view, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(pane()->selectedPageIds().size(), 2);
        // I and R need no Ctrl, whatever the shift state.
        QStringList dialogs;
        const auto note = [&dialogs](QDialog *d) { dialogs << d->objectName(); };
        DialogDriver::whenShown("frmPage", note);
        pressIn(view, Qt::Key_I, Qt::ShiftModifier);
        // R, as the popup's Renumber, is for one page only.
        view->selectionModel()->select(pane()->model()->index(0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        DialogDriver::whenShown("frmPageNumber", note);
        pressIn(view, Qt::Key_R, Qt::ShiftModifier);
        QCOMPARE(dialogs, (QStringList{"frmPage", "frmPageNumber"}));
        pressIn(view, Qt::Key_PageDown);
        QCOMPARE(pane()->model()->rowCount(), 1);
        pressIn(view, Qt::Key_PageDown);
        QCOMPARE(pane()->model()->rowCount(), 1);
        pressIn(view, Qt::Key_Home);
        QCOMPARE(pane()->model()->rowCount(), 2);

        pane()->imgList()->click();
        QCOMPARE(Settings::value("ThumbView"), QStringLiteral("list"));
        PagePane next;
        QCOMPARE(next.PagePaneViewMode(), PageListModel::ViewMode::List);
    }

    // Any key in the tree or the list makes that control the source of the
    // next popup command, not only Insert, Delete and F5.
    void anyKeySetsPopupSource_data()
    {
        QTest::addColumn<bool>("inTree");
        QTest::addColumn<int>("pressed");
        QTest::addColumn<QString>("source");
        QTest::newRow("Down in the tree") << true << int(Qt::Key_Down) << "T";
        QTest::newRow("Down in the list") << false << int(Qt::Key_Down) << "L";
        QTest::newRow("a letter in the list") << false << int(Qt::Key_M) << "L";
    }
    void anyKeySetsPopupSource()
    {
        QFETCH(bool, inTree);
        QFETCH(int, pressed);
        QFETCH(QString, source);
        layOut();
        // The other control was the last source.
        m_window->preparePopup(inTree ? "L" : "T", inTree ? key("DOC", m_doc) : key("FLD", m_folder));
        QCOMPARE(m_window->popupSource(), QString(inTree ? "L" : "T"));
        pressIn(inTree ? static_cast<QWidget *>(tree()) : list(), pressed);
        QCOMPARE(m_window->popupSource(), source);
    }
};

VLM_TEST_MAIN(NavEventsTest)
#include "NavEventsTest.moc"

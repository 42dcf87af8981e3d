#include "DialogDriver.h"
#include "FakePrompt.h"
#include "NavTree.h"
#include "NavWindowFixture.h"
#include "PageClipboard.h"
#include "PagePane.h"
#include "PagePaths.h"
#include "RecordFixture.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestImages.h"
#include "frmNavTree.h"

#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QFile>
#include <QGuiApplication>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

using namespace RecordFixture;

class PagePaneTest : public NavWindowFixture
{
    Q_OBJECT

    PagePane *pane() const { return m_window->pagePane(); }
    void selectRows(const QList<int> &rows)
    {
        QListView *view = pane()->lvwThumb();
        view->clearSelection();
        for (int r : rows)
            view->selectionModel()->select(pane()->model()->index(r), QItemSelectionModel::Select);
    }

private Q_SLOTS:
    // Import Files from the folder and document popups: the chosen
    // directory's files become documents of the folder or pages of the
    // document; cancelling the type chooser imports nothing.
    void importFilesFromPopup_data()
    {
        QTest::addColumn<QString>("targetPrefix");
        QTest::addColumn<QString>("chooserButton");
        QTest::addColumn<int>("newDocuments");
        QTest::addColumn<int>("newPages");
        QTest::newRow("folder") << "FLD" << "cmdAll" << 2 << 2;
        QTest::newRow("document") << "DOC" << "cmdAll" << 0 << 2;
        QTest::newRow("types cancelled") << "FLD" << "cmdCancel" << 0 << 0;
    }

    void importFilesFromPopup()
    {
        QFETCH(QString, targetPrefix);
        QFETCH(QString, chooserButton);
        QFETCH(int, newDocuments);
        QFETCH(int, newPages);
        const RecordId folderId = folder(drawer(cabinet("Home"), "Bills"), "Power");
        const int doc = document(folderId, "March");
        QTemporaryDir source;
        TestImages::writeJpeg(source.filePath("one.jpg"), QSize(200, 300), 96);
        TestImages::writeJpeg(source.filePath("two.jpg"), QSize(300, 200), 96);
        load();
        m_prompt->folders = {source.path()};
        DialogDriver::whenShown("frmImportFileTypes", [&](QDialog *dialog) {
            DialogDriver::click(dialog, chooserButton.toLatin1().constData());
        });
        const RecordId id = targetPrefix == "FLD" ? folderId : doc;
        runPopup("T", key(targetPrefix.toLatin1().constData(), id),
                 targetPrefix == "FLD" ? "mnuPopupFolderImportFiles" : "mnuPopupDocumentImportFiles");
        QCOMPARE(rowCount("Document"), 1 + newDocuments);
        QCOMPARE(rowCount("Page"), newPages);
    }

    // The document's pages show as thumbnails one screen at a time (made on
    // the way), with the paging buttons following the screen, and every page
    // in the list view.
    void showsDocumentPages()
    {
        Settings::setValue("DisplayCount", "2");
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        const int p1 = jpegPage(doc, 1, QSize(200, 300));
        jpegPage(doc, 2, QSize(200, 300));
        jpegPage(doc, 3, QSize(200, 300));
        load();
        show(key("DOC", doc));
        QCOMPARE(pane()->documentId(), doc);
        QCOMPARE(pane()->model()->rowCount(), 2);
        QVERIFY(QFile::exists(PagePaths::GetDefaultThumbFilePath(p1)));
        QCOMPARE(pane()->model()->index(0).data().toString(), QString("Page 1"));
        QVERIFY(!pane()->cmdFirst()->isEnabled());
        QVERIFY(pane()->cmdNext()->isEnabled());
        QCOMPARE(pane()->lblStatus()->text(), pane()->records().paging().statusText());
        pane()->cmdNext()->click();
        QCOMPARE(pane()->model()->rowCount(), 1);
        QVERIFY(pane()->cmdFirst()->isEnabled());
        QVERIFY(!pane()->cmdNext()->isEnabled());
        pane()->imgList()->click();
        QCOMPARE(pane()->model()->rowCount(), 3);
        QVERIFY(!pane()->cmdNext()->isEnabled());
    }

    // Delete of several selected pages, from the menu or the pane's Delete
    // key, removes their rows, files and items.
    void deleteSeveralPages_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("menu") << false;
        QTest::newRow("Delete key") << true;
    }
    void deleteSeveralPages()
    {
        QFETCH(bool, byKey);
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        const int p1 = jpegPage(doc, 1, QSize(200, 300));
        const int p2 = jpegPage(doc, 2, QSize(200, 300));
        jpegPage(doc, 3, QSize(200, 300));
        load();
        show(key("DOC", doc));
        selectRows({0, 1});
        m_prompt->answers = {true};
        if (byKey)
            QTest::keyClick(pane()->lvwThumb(), Qt::Key_Delete);
        else
            action("mnuPopupPageDelete")->trigger();
        QCOMPARE(m_prompt->questions, QStringList{"Delete these 2 pages?"});
        QCOMPARE(rowCount("Page"), 1);
        QVERIFY(!QFile::exists(PagePaths::GetDefaultPageFilePath(p1)));
        QVERIFY(!QFile::exists(PagePaths::GetDefaultPageFilePath(p2)));
        QCOMPARE(pane()->model()->rowCount(), 1);
    }

    // Pages cut in one document paste into the document the pane shows
    // next, and both panes' records are read anew.
    void cutAndPasteBetweenDocuments()
    {
        const int f = folder(drawer(cabinet("Home"), "Bills"), "Power");
        const int from = document(f, "March");
        const int to = document(f, "April");
        jpegPage(from, 1, QSize(200, 300));
        const int moving = jpegPage(from, 2, QSize(200, 300));
        jpegPage(to, 1, QSize(200, 300));
        load();
        show(key("DOC", from));
        selectRows({1});
        action("mnuPopupPageCut")->trigger();
        QCOMPARE(PageClipboard::cutList().CutPageIds, QList<RecordId>{moving});
        show(key("DOC", to));
        action("mnuPopupPagePaste")->trigger();
        QCOMPARE(pane()->model()->rowCount(), 2);
        QCOMPARE(pane()->records().find(moving)->PageNumber, 2);
        QCOMPARE(PageClipboard::cutList().CutPageCount(), 0);
    }

    // Files on the clipboard become pages of the shown document.
    void pasteFilesIntoShownDocument()
    {
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        QTemporaryDir dir;
        const QString file = TestImages::writeJpeg(dir.filePath("scan.jpg"), QSize(100, 80), 96);
        load();
        show(key("DOC", doc));
        auto *mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(file)});
        QGuiApplication::clipboard()->setMimeData(mime);
        action("mnuPopupPagePaste")->trigger();
        QCOMPARE(rowCount("Page"), 1);
        QCOMPARE(pane()->model()->rowCount(), 1);
    }

    // Delete on a document node removes it with its pages and empties the
    // pane that showed it.
    void deleteDocumentFromNode()
    {
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        const int f = folder(d, "Power");
        const int doc = document(f, "March");
        const int p = jpegPage(doc, 1, QSize(200, 300));
        load();
        for (const QString &k : {key("CAB", c), key("DRW", d), key("FLD", f), key("DOC", doc)})
            show(k);
        QVERIFY(tree()->contains(key("DOC", doc)));
        m_prompt->answers3 = {Prompt::Answer::Yes};
        runPopup("T", key("DOC", doc), "mnuPopupDocumentDelete");
        QCOMPARE(m_prompt->questions, QStringList{"Delete 'March'?"});
        QCOMPARE(rowCount("Document"), 0);
        QCOMPARE(rowCount("Page"), 0);
        QVERIFY(!QFile::exists(PagePaths::GetDefaultPageFilePath(p)));
        QVERIFY(!tree()->contains(key("DOC", doc)));
        QCOMPARE(pane()->documentId(), -1);
    }

    // Each refusal leaves the pages as they were.
    void refusals_data()
    {
        QTest::addColumn<QString>("actionName");
        QTest::addColumn<bool>("select");
        QTest::addColumn<QString>("message");
        QTest::newRow("delete answered No") << "mnuPopupPageDelete" << true << QString();
        QTest::newRow("delete without selection") << "mnuPopupPageDelete" << false << "Please click on a page.";
        QTest::newRow("cut without selection") << "mnuPopupPageCut" << false << "Please click on a page.";
    }
    void refusals()
    {
        QFETCH(QString, actionName);
        QFETCH(bool, select);
        QFETCH(QString, message);
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        jpegPage(doc, 1, QSize(200, 300));
        load();
        show(key("DOC", doc));
        PageClipboard::cutList().clear();
        if (select)
            selectRows({0});
        else
            pane()->lvwThumb()->clearSelection();
        m_prompt->answers = {false};
        action(actionName.toLatin1().constData())->trigger();
        QCOMPARE(rowCount("Page"), 1);
        QCOMPARE(pane()->model()->rowCount(), 1);
        QCOMPARE(PageClipboard::cutList().CutPageCount(), 0);
        QCOMPARE(m_prompt->messages, message.isEmpty() ? QStringList() : QStringList{message});
    }
};

VLM_TEST_MAIN(PagePaneTest)
#include "PagePaneTest.moc"
#include "RecordId.h"

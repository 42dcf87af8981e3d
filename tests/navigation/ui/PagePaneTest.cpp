#include "imaging/ThumbnailMaker.h"
#include "core/NavigationSink.h"
#include "core/RecordId.h"
#include "imaging/ui/PageImageView.h"
#include "navigation/PageClipboard.h"
#include "navigation/PageListModel.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/PagePane.h"
#include "navigation/ui/frmNavTree.h"
#include "platform/DbConnection.h"
#include "platform/Settings.h"
#include "store/PagePaths.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/NavWindowFixture.h"
#include "tests/support/PageFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestImages.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QFile>
#include <QGuiApplication>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QtTest>

using namespace RecordFixture;

class PagePaneTest : public NavWindowFixture
{
    Q_OBJECT

    PagePane *pane() const { return m_window->pagePane(); }
    void selectRows(const QList<int> &rows)
    {
        QAbstractItemView *view = pane()->lvwThumb();
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
        // The switch reads the document again from its first screen; the
        // list holds every page on one screen, says so, and pages no more.
        pane()->imgList()->click();
        QCOMPARE(pane()->model()->rowCount(), 3);
        QCOMPARE(pane()->records().paging().PagePaneStart(), 1);
        QVERIFY(!pane()->cmdFirst()->isEnabled());
        QVERIFY(!pane()->cmdNext()->isEnabled());
        QCOMPARE(pane()->lblStatus()->text(), QStringLiteral(" Showing 3 images (page 1 of 1)"));
    }

    // A saved page is made the only selected item, in either view; a page
    // not listed on the screen selects nothing.
    void selectsSavedPage()
    {
        Settings::setValue("DisplayCount", "2");
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        const int p1 = jpegPage(doc, 1, QSize(200, 300));
        const int p2 = jpegPage(doc, 2, QSize(200, 300));
        const int p3 = jpegPage(doc, 3, QSize(200, 300));
        load();
        show(key("DOC", doc));
        pane()->lvwThumb()->selectAll();
        NavigationSink::instance().selectPageInListView(p2);
        QCOMPARE(pane()->selectedPageIds(), QList<RecordId>{p2});
        NavigationSink::instance().selectPageInListView(p3);
        QCOMPARE(pane()->selectedPageIds(), QList<RecordId>{});
        pane()->imgList()->click();
        NavigationSink::instance().selectPageInListView(p1);
        QCOMPARE(pane()->selectedPageIds(), QList<RecordId>{p1});
    }

    // A page opened from the pane and saved in the viewer is the selected
    // page once the viewer has closed and the pane is listed again.
    void savedPageStaysSelectedAfterViewer()
    {
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        const int p1 = jpegPage(doc, 1, QSize(200, 300));
        const int p2 = jpegPage(doc, 2, QSize(200, 300));
        load();
        show(key("DOC", doc));
        NavigationSink::instance().selectPageInListView(p1);
        DialogDriver::whenShown("frmPageView", [](QDialog *viewer) {
            QTRY_VERIFY(DialogDriver::child<PageImageView>(viewer, "LEAD1")->hasImage());
            DialogDriver::click(viewer, "cmdSave");
        });
        Q_EMIT pane()->pageOpened(p2);
        QCOMPARE(pane()->selectedPageIds(), QList<RecordId>{p2});
    }

    // The list view is a report of every page: page number, full file
    // name (whole in its tip), size, scan date and page id under their
    // headers, a shortcut page with an empty number and its own file; a
    // click on a header sorts, and the next fill is in page order again.
    void listViewIsAReport()
    {
        Settings::setValue("DisplayCount", "2");
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        QTemporaryDir dir;
        const int p2 = jpegPage(doc, 2, QSize(200, 300));
        const int p1 = jpegPage(doc, 1, QSize(200, 300));
        const QString notes = dir.filePath("notes.pdf");
        const int shortcut = PageFixture::shortcutPage(doc, notes, "pdf");
        load();
        pane()->imgList()->click();
        show(key("DOC", doc));
        auto *report = qobject_cast<QTreeView *>(pane()->lvwThumb());
        QVERIFY(report);
        QAbstractItemModelTester tester(pane()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(pane()->model()->rowCount(), 3);
        QStringList headers;
        for (int c = 0; c < PageListModel::ColumnCount; ++c) {
            if (!report->isColumnHidden(c))
                headers.append(pane()->model()->headerData(c, Qt::Horizontal).toString());
        }
        QCOMPARE(headers, (QStringList{"Page #", "Filename", "Size", "Scan date", "Page ID"}));
        const auto cell = [this](int row, int column) {
            return pane()->model()->index(row, column).data().toString();
        };
        QCOMPARE(cell(0, PageListModel::PageNumberColumn), QString());
        QCOMPARE(cell(0, PageListModel::FilenameColumn), notes);
        QCOMPARE(cell(0, PageListModel::PageIdColumn), QString::number(shortcut));
        QCOMPARE(cell(1, PageListModel::PageNumberColumn), QStringLiteral("1"));
        QCOMPARE(cell(1, PageListModel::FilenameColumn), PagePaths::GetDefaultPageFilePath(p1));
        // A path cut short in its column shows whole under the pointer.
        QCOMPARE(pane()->model()->index(1, PageListModel::FilenameColumn).data(Qt::ToolTipRole).toString(),
                 PagePaths::GetDefaultPageFilePath(p1));
        QVERIFY(!pane()->model()->index(1, 0).data(Qt::DecorationRole).isNull());
        QCOMPARE(pane()->lblStatus()->text(), QStringLiteral(" Showing 3 images (page 1 of 1)"));
        QVERIFY(!pane()->cmdNext()->isEnabled());
        report->sortByColumn(PageListModel::PageIdColumn, Qt::DescendingOrder);
        QCOMPARE(cell(0, PageListModel::PageIdColumn), QString::number(qMax(qMax(p1, p2), shortcut)));
        pane()->reload();
        QCOMPARE(cell(2, PageListModel::PageIdColumn), QString::number(p2));
    }

    // The report's columns are as wide as their texts: the scan date shows
    // whole, the file name takes no room its paths do not need, and no
    // horizontal scroll bar shows. A pane too narrow for the paths shortens
    // the file names, never the other columns.
    void reportColumnsFitTheirTexts_data()
    {
        QTest::addColumn<int>("windowWidth");
        QTest::addColumn<bool>("namesWhole");
        QTest::newRow("wide pane") << 1280 << true;
        QTest::newRow("narrow pane") << 640 << false;
    }
    void reportColumnsFitTheirTexts()
    {
        QFETCH(int, windowWidth);
        QFETCH(bool, namesWhole);
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        for (int n = 1; n <= 3; ++n)
            jpegPage(doc, n, QSize(200, 300));
        DbConnection::execute("UPDATE Page SET ScanDate = '2026-12-09 00:00:00', FileSize = 1234567");
        load();
        m_window->setWindowState(Qt::WindowNoState);
        m_window->resize(windowWidth, 700);
        pane()->imgList()->click();
        show(key("DOC", doc));
        QTreeView *report = pane()->reportView();
        QVERIFY(report->isVisible());
        const QAbstractItemView *view = report;
        const auto needed = [&](int column) {
            return qMax(view->sizeHintForColumn(column), report->header()->sectionSizeHint(column));
        };
        for (int column : {PageListModel::PageNumberColumn, PageListModel::SizeColumn, PageListModel::ScanDateColumn,
                           PageListModel::PageIdColumn})
            QVERIFY2(report->columnWidth(column) >= needed(column), qPrintable(QString::number(column)));
        const int name = report->columnWidth(PageListModel::FilenameColumn);
        const int nameNeeded = needed(PageListModel::FilenameColumn);
        if (namesWhole)
            QCOMPARE(name, nameNeeded);
        else
            QVERIFY2(name < nameNeeded, qPrintable(QStringLiteral("%1 >= %2").arg(name).arg(nameNeeded)));
        QCOMPARE(report->horizontalScrollBar()->maximum(), 0);
    }

    // A shortcut page shows the icon of its file's type at 32 pixels, in the
    // middle of a square as large as a page's thumbnail.
    void shortcutIconIsCentred()
    {
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        QTemporaryDir dir;
        PageFixture::shortcutPage(doc, dir.filePath("notes.txt"), "some notes");
        load();
        show(key("DOC", doc));
        const QImage picture = pane()->model()->index(0).data(Qt::DecorationRole).value<QImage>();
        const int side = ThumbnailMaker::ThumbnailSide;
        QCOMPARE(picture.size(), QSize(side, side));
        // The icon's pixels, inside the square's frame.
        QRect drawn;
        for (int y = 1; y < side - 1; ++y) {
            for (int x = 1; x < side - 1; ++x) {
                if (picture.pixel(x, y) != qRgb(255, 255, 255))
                    drawn |= QRect(x, y, 1, 1);
            }
        }
        QVERIFY(!drawn.isEmpty());
        const QRect middle((side - 32) / 2, (side - 32) / 2, 32, 32);
        QVERIFY2(middle.contains(drawn), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(drawn.x()).arg(drawn.y())
                                                        .arg(drawn.width()).arg(drawn.height())));
    }

    // Show Less and Show More keep the count at its bound and still fill
    // the pane again.
    void showButtonsStopAtTheirBounds_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<bool>("more");
        QTest::newRow("Show Less at 1") << "1" << false;
        QTest::newRow("Show More at 64") << "64" << true;
    }
    void showButtonsStopAtTheirBounds()
    {
        QFETCH(QString, count);
        QFETCH(bool, more);
        Settings::setValue("DisplayCount", count);
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        jpegPage(doc, 1, QSize(200, 300));
        load();
        show(key("DOC", doc));
        QPushButton *button = more ? pane()->cmdShowMore() : pane()->cmdShowLess();
        QCOMPARE(button->text(), more ? QStringLiteral("Show More") : QStringLiteral("Show Less"));
        QVERIFY(button->isEnabled());
        QSignalSpy refills(pane()->model(), &QAbstractItemModel::modelReset);
        button->click();
        QCOMPARE(pane()->records().paging().PagePaneDisplayCount(), count.toInt());
        QCOMPARE(Settings::value("DisplayCount"), count);
        QCOMPARE(refills.count(), 1);
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
        m_prompt->answers3 = {Prompt::Answer::Yes};
        if (byKey)
            QTest::keyClick(pane()->lvwThumb(), Qt::Key_Delete);
        else
            action("mnuPopupPageDelete")->trigger();
        QCOMPARE(m_prompt->questions, QStringList{"Delete 2 pages?"});
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
        // The folder takes the selection and shows what is left in it.
        QCOMPARE(tree()->selectedKey(), key("FLD", f));
        QCOMPARE(m_window->shownKey(), key("FLD", f));
        QVERIFY(onBar("mnuPopupFolder"));
    }

    // Each refusal leaves the pages as they were.
    void refusals_data()
    {
        QTest::addColumn<QString>("actionName");
        QTest::addColumn<bool>("select");
        QTest::addColumn<QString>("message");
        QTest::newRow("delete answered No") << "mnuPopupPageDelete" << true << QString();
        QTest::newRow("delete answered Cancel") << "mnuPopupPageDelete" << true << QString();
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
        if (select)
            selectRows({0});
        else
            pane()->lvwThumb()->clearSelection();
        m_prompt->answers = {false};
        m_prompt->answers3 = {QByteArray(QTest::currentDataTag()).endsWith("Cancel") ? Prompt::Answer::Cancel
                                                                                     : Prompt::Answer::No};
        action(actionName.toLatin1().constData())->trigger();
        QCOMPARE(rowCount("Page"), 1);
        QCOMPARE(pane()->model()->rowCount(), 1);
        QCOMPARE(PageClipboard::cutList().CutPageCount(), 0);
        QCOMPARE(m_prompt->messages, message.isEmpty() ? QStringList() : QStringList{message});
    }

    // Delete names what it deletes: the page, the shortcut's file, or the
    // number of pages; Cancel keeps them all.
    void deleteQuestionNamesThePages_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("question");
        QTest::newRow("one page") << QList<int>{1} << "Delete 'Page 1'?";
        QTest::newRow("shortcut page") << QList<int>{0} << "Delete shortcut to 'notes.pdf'?";
        QTest::newRow("two pages") << QList<int>{0, 1} << "Delete 2 pages?";
    }
    void deleteQuestionNamesThePages()
    {
        QFETCH(QList<int>, rows);
        QFETCH(QString, question);
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        QTemporaryDir dir;
        PageFixture::shortcutPage(doc, dir.filePath("notes.pdf"), "pdf");
        jpegPage(doc, 1, QSize(200, 300));
        load();
        show(key("DOC", doc));
        selectRows(rows);
        m_prompt->answers3 = {Prompt::Answer::Cancel};
        action("mnuPopupPageDelete")->trigger();
        QCOMPARE(m_prompt->questions, QStringList{question});
        QCOMPARE(rowCount("Page"), 2);
    }

    // A found document's pane takes no paste: the search would hide the new
    // page, and a second paste would add it again.
    void pasteIntoFoundDocumentTakesNothing()
    {
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        jpegPage(doc, 1, QSize(200, 300));
        QTemporaryDir dir;
        const QString file = TestImages::writeJpeg(dir.filePath("scan.jpg"), QSize(100, 80), 96);
        load();
        tree()->addNode("ROOT", "ROOTFOUND", "Found", "found");
        tree()->addNode("ROOTFOUND", key("FDC", doc), "March", "document");
        show(key("FDC", doc));
        QVERIFY(pane()->isFound());
        auto *mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(file)});
        QGuiApplication::clipboard()->setMimeData(mime);
        action("mnuPopupPagePaste")->trigger();
        pane()->lvwThumb()->setFocus();
        QTest::keyClick(pane()->lvwThumb(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(rowCount("Page"), 1);
    }

    // Copy with no page selected still ends a pending cut, leaves the
    // clipboard as it was and says nothing.
    void copyWithoutSelectionEndsTheCut()
    {
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        const int p = jpegPage(doc, 1, QSize(200, 300));
        load();
        show(key("DOC", doc));
        PageClipboard::cutList().CutPageIds = {p};
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        pane()->lvwThumb()->clearSelection();
        action("mnuPopupPageCopy")->trigger();
        QCOMPARE(PageClipboard::cutList().CutPageCount(), 0);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
        QVERIFY(m_prompt->messages.isEmpty());
    }

    // Pasting cut pages that were deleted meanwhile says so.
    void pasteOfDeletedCutPagesSaysSo()
    {
        const int f = folder(drawer(cabinet("Home"), "Bills"), "Power");
        const int from = document(f, "March");
        const int to = document(f, "April");
        const int cut = jpegPage(from, 1, QSize(200, 300));
        load();
        show(key("DOC", to));
        PageClipboard::cutList().CutPageIds = {cut};
        DbConnection::execute("DELETE FROM Page WHERE PageId = ?", {cut});
        action("mnuPopupPagePaste")->trigger();
        QCOMPARE(m_prompt->messages, QStringList{"The cut pages no longer exist; nothing was pasted."});
        QCOMPARE(PageClipboard::cutList().CutPageCount(), 0);
    }

    // R renumbers one page, as the popup does; with several selected it
    // does nothing.
    void renumberKeyNeedsOnePage()
    {
        const int doc = document(folder(drawer(cabinet("Home"), "Bills"), "Power"), "March");
        jpegPage(doc, 1, QSize(200, 300));
        jpegPage(doc, 2, QSize(200, 300));
        load();
        show(key("DOC", doc));
        bool asked = false;
        const auto answer = [&asked](QDialog *dialog) {
            asked = true;
            dialog->reject();
        };
        // A dialog that wrongly opens is still answered, so nothing hangs.
        DialogDriver::whenShown("frmPageNumber", answer);
        selectRows({0, 1});
        pane()->lvwThumb()->setFocus();
        QTest::keyClick(pane()->lvwThumb(), Qt::Key_R);
        QCoreApplication::processEvents();
        QVERIFY(!asked);
        selectRows({1});
        DialogDriver::whenShown("frmPageNumber", answer);
        QTest::keyClick(pane()->lvwThumb(), Qt::Key_R);
        QVERIFY(asked);
    }
};

VLM_TEST_MAIN(PagePaneTest)
#include "PagePaneTest.moc"

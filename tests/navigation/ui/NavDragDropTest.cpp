#include "navigation/NavDrop.h"
#include "core/RecordId.h"
#include "store/NodeKeys.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/NavDragController.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/PagePane.h"
#include "navigation/ui/frmNavTree.h"
#include "platform/DbConnection.h"
#include "store/PagePaths.h"
#include "tests/support/CancellingProgressView.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/NavWindowFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingChanges.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestImages.h"

#include <QApplication>
#include <QDir>
#include <QListView>
#include <QMimeData>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QUrl>
#include <QBuffer>
#include <QtTest>

using namespace RecordFixture;

namespace {

QStringList pageOrder(RecordId documentId)
{
    QStringList out;
    const Recordset rs = DbConnection::OpenRecordset(
        "SELECT PageNumber, Filetype FROM Page WHERE DocumentId = ? ORDER BY PageNumber, PageId", {documentId});
    for (int r = 0; r < rs.recordCount(); ++r)
        out << QStringLiteral("%1:%2").arg(rs.value(r, 0).toInt()).arg(rs.value(r, 1).toString());
    return out;
}

} // namespace

class NavDragDropTest : public NavWindowFixture
{
    Q_OBJECT

    int m_home = 0, m_work = 0, m_locked = 0;
    int m_bills = 0, m_taxes = 0, m_receipts = 0, m_power = 0, m_water = 0, m_march = 0;
    std::unique_ptr<RecordingChanges> m_notices;
    QString m_files;

    PagePane *pane() const { return m_window->pagePane(); }
    NavDragController *drag() const { return m_window->findChild<NavDragController *>(); }

    // Home: Bills > Power > March; Work: Taxes > Water, and Bills in a
    // locked cabinet; every level loaded and on view.
    void layOut()
    {
        m_home = cabinet("Home");
        m_work = cabinet("Work");
        m_locked = cabinet("Private", "pw");
        m_bills = drawer(m_home, "Bills");
        m_taxes = drawer(m_work, "Taxes");
        m_power = folder(m_bills, "Power");
        m_water = folder(m_taxes, "Water");
        m_march = document(m_power, "March");
        // A drawer whose folder has the name of Home's folder.
        m_receipts = drawer(m_work, "Receipts");
        folder(m_receipts, "power");
        load();
        for (const QString &k : {key("CAB", m_home), key("DRW", m_bills), key("CAB", m_work), key("DRW", m_taxes)})
            tree()->expandNode(k);
        show(key("CAB", m_home));
    }
    QPoint at(const QString &nodeKey) const
    {
        QTreeWidgetItem *item = tree()->node(nodeKey);
        tree()->scrollToItem(item);
        return tree()->visualItemRect(item).center();
    }
    QPoint atItem(const QString &itemKey) const { return list()->visualItemRect(list()->entry(itemKey)).center(); }
    // A drag over the view at pos: whether it would be taken.
    static bool dragOver(QWidget *viewport, const QPoint &pos, const QMimeData *data)
    {
        QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(pos, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        return move.isAccepted();
    }
    // Drops at pos and lets the drop run; whether the drop was taken, and
    // with which action.
    static bool drop(QWidget *viewport, const QPoint &pos, const QMimeData *data, Qt::DropAction *action = nullptr)
    {
        dragOver(viewport, pos, data);
        QDropEvent event(pos, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
        if (action)
            *action = event.dropAction();
        QCoreApplication::processEvents();
        return event.isAccepted();
    }
    static void press(QWidget *viewport, const QPoint &pos) { QTest::mousePress(viewport, Qt::LeftButton, {}, pos); }
    static void moveHeld(QWidget *viewport, const QPoint &pos)
    {
        QMouseEvent move(QEvent::MouseMove, pos, viewport->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
    }
    static QByteArray bitmapBytes()
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        TestImages::filled(QSize(50, 40), Qt::cyan).save(&buffer, "BMP");
        return buffer.data();
    }

    // The files of a drop from the file manager: real JPEGs and bitmaps, a
    // folder for "album", nothing for a name starting "gone", else a few
    // bytes.
    QMimeData *files(const QStringList &names)
    {
        auto *data = new QMimeData;
        QList<QUrl> urls;
        for (const QString &name : names) {
            const QString path = m_files + QLatin1Char('/') + name;
            const bool gone = name.startsWith("gone");
            if (name == "album")
                QDir().mkpath(path);
            else if (name.endsWith(".jpg") && !gone)
                TestImages::writeJpeg(path, QSize(50, 40), 96);
            else if (name.endsWith(".bmp"))
                TestFiles::write(path, bitmapBytes());
            else if (!gone)
                TestFiles::write(path, "BM notes");
            urls << QUrl::fromLocalFile(path);
        }
        data->setUrls(urls);
        return data;
    }

private Q_SLOTS:
    void init()
    {
        NavWindowFixture::init();
        m_notices = std::make_unique<RecordingChanges>();
        m_files = TestEnvironment::root() + QStringLiteral("/shell-%1").arg(QTest::currentDataTag());
        QDir(m_files).removeRecursively();
        QDir().mkpath(m_files);
    }
    void cleanup()
    {
        m_notices.reset();
        NavWindowFixture::cleanup();
    }

    // Each legal move updates the row and moves the node with what lies
    // below it; each refusal changes nothing in the rows or the tree.
    void moveInTree_data()
    {
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<bool>("moves");
        QTest::addColumn<QString>("message");
        QTest::newRow("drawer onto another cabinet") << "bills" << "work" << true << true << "";
        QTest::newRow("folder onto another drawer") << "power" << "taxes" << true << true << "";
        QTest::newRow("document onto another folder") << "march" << "water" << true << true << "";
        QTest::newRow("drawer onto its own cabinet") << "bills" << "home" << true << false << "";
        QTest::newRow("document onto a cabinet") << "march" << "work" << false << false << "";
        QTest::newRow("drawer onto a locked cabinet, cancelled") << "bills" << "locked" << true << false << "";
        QTest::newRow("folder onto a drawer holding its name") << "power" << "clash" << true << false
                                                               << "A folder named 'Power' already exists.";
    }
    void moveInTree()
    {
        QFETCH(QString, dragged);
        QFETCH(QString, target);
        QFETCH(bool, moves);
        QFETCH(QString, message);
        layOut();
        tree()->expandNode(key("DRW", m_receipts));
        m_window->ShowNodeContents(key("CAB", m_work));
        const QHash<QString, QString> keys{{"bills", key("DRW", m_bills)}, {"power", key("FLD", m_power)},
                                           {"march", key("DOC", m_march)}, {"work", key("CAB", m_work)},
                                           {"home", key("CAB", m_home)}, {"taxes", key("DRW", m_taxes)},
                                           {"water", key("FLD", m_water)}, {"locked", key("CAB", m_locked)},
                                           {"clash", key("DRW", m_receipts)}};
        const QString draggedKey = keys[dragged];
        const QString targetKey = keys[target];
        const QString parentBefore = tree()->parentKeyOf(draggedKey);
        const QStringList childrenBefore = tree()->childKeys(draggedKey);
        std::unique_ptr<QMimeData> data(NavDrop::dragData({"T", draggedKey}));
        QTEST(drop(tree()->viewport(), at(targetKey), data.get()), "taken");
        QCOMPARE(tree()->parentKeyOf(draggedKey), moves ? targetKey : parentBefore);
        QCOMPARE(tree()->childKeys(draggedKey), childrenBefore);
        const RecordId parentId = dragged == "bills"   ? columnOf("Drawer", "CabinetId", "DrawerId", m_bills)
                             : dragged == "power" ? columnOf("Folder", "DrawerId", "FolderId", m_power)
                                                  : columnOf("Document", "FolderId", "DocumentId", m_march);
        QCOMPARE(parentId, NodeKeys::parseKey(moves ? targetKey : parentBefore).value().id);
        QCOMPARE(m_prompt->messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(m_prompt->passwordPrompts, target == "locked" ? 1 : 0);
        // The list of the cabinet on show follows a drawer moved into it.
        if (dragged == "bills" && moves)
            QVERIFY(list()->entry(draggedKey));
    }

    // Dragging over a node that may take the drawer highlights it and
    // leaves the selection alone; a node that may not shows nothing.
    void dragOverHighlightsWithoutSelecting()
    {
        layOut();
        const QString selected = tree()->selectedKey();
        std::unique_ptr<QMimeData> data(NavDrop::dragData({"T", key("DRW", m_bills)}));
        QVERIFY(dragOver(tree()->viewport(), at(key("CAB", m_work)), data.get()));
        QCOMPARE(drag()->highlightedKey(), key("CAB", m_work));
        QVERIFY(tree()->node(key("CAB", m_work))->data(0, Qt::BackgroundRole).isValid());
        QCOMPARE(tree()->selectedKey(), selected);
        QVERIFY(!dragOver(tree()->viewport(), at(key("FLD", m_water)), data.get()));
        QCOMPARE(drag()->highlightedKey(), QString());
        QVERIFY(!tree()->node(key("CAB", m_work))->data(0, Qt::BackgroundRole).isValid());
        QCOMPARE(tree()->selectedKey(), selected);
    }

    // A drag starts only after the drag distance, only from what may be
    // dragged, and gives the tree its selection back when it ends; a
    // cabinet pressed and moved never drags in that press.
    void dragStartsAfterTheDistance()
    {
        layOut();
        QSignalSpy started(drag(), &NavDragController::dragStarted);
        const QPoint from = at(key("DRW", m_taxes));
        const int distance = QApplication::startDragDistance();
        press(tree()->viewport(), from);
        moveHeld(tree()->viewport(), from + QPoint(distance - 1, 0));
        QCOMPARE(started.count(), 0);
        moveHeld(tree()->viewport(), from + QPoint(distance, 0));
        QCOMPARE(started.count(), 1);
        QCOMPARE(started[0], (QVariantList{"T", key("DRW", m_taxes)}));
        QCOMPARE(drag()->DragSource(), QString());
        QCOMPARE(tree()->selectedKey(), key("CAB", m_home));

        const QPoint cabinetAt = at(key("CAB", m_work));
        press(tree()->viewport(), cabinetAt);
        moveHeld(tree()->viewport(), cabinetAt + QPoint(distance, 0));
        moveHeld(tree()->viewport(), at(key("DRW", m_taxes)));
        QCOMPARE(started.count(), 1);
    }

    // A page dragged from the pane onto another document's node goes to
    // its end, leaves the pane, sends its notice, and the tree keeps the
    // document on show selected. Dropped on a folder it changes nothing.
    void pageFromPaneOntoDocument()
    {
        layOut();
        const int april = document(m_power, "April");
        jpegPage(april, 1);
        const int moving = jpegPage(m_march, 1);
        jpegPage(m_march, 2);
        m_window->AddDocumentToNavTree(m_power, april, "April", QDate());
        show(key("DOC", m_march));
        QSignalSpy started(drag(), &NavDragController::dragStarted);
        QAbstractItemView *view = pane()->lvwThumb();
        const QPoint first = view->visualRect(pane()->model()->index(0)).center();
        press(view->viewport(), first);
        moveHeld(view->viewport(), first + QPoint(QApplication::startDragDistance() + 2, 0));
        QCOMPARE(started.value(0), (QVariantList{"L2", key("PAG", moving)}));

        std::unique_ptr<QMimeData> data(NavDrop::dragData({"L2", key("PAG", moving)}));
        QVERIFY(drop(tree()->viewport(), at(key("FLD", m_water)), data.get()));
        QCOMPARE(columnOf("Page", "DocumentId", "PageId", moving), m_march);
        QVERIFY(drop(tree()->viewport(), at(key("DOC", april)), data.get()));
        QCOMPARE(columnOf("Page", "DocumentId", "PageId", moving), april);
        QCOMPARE(columnOf("Page", "PageNumber", "PageId", moving), 2);
        QCOMPARE(pane()->model()->rowCount(), 1);
        QCOMPARE(m_notices->pages, QList<RecordId>{moving});
        QCOMPARE(tree()->selectedKey(), key("DOC", m_march));
        // Not onto the pane it came from.
        QVERIFY(!dragOver(view->viewport(), view->viewport()->rect().center(), data.get()));
    }

    // Files from the file manager: onto a folder node one new document for
    // all, onto a folder item one each, onto a document the next pages,
    // onto the pane the shown document; folders are refused with a message,
    // names the page rules refuse are passed over, and nothing else takes
    // files.
    void shellDrops_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<int>("newDocuments");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<bool>("message");
        QTest::newRow("three images on a folder node")
            << "tree folder" << QStringList{"c.jpg", "a.jpg", "b.jpg"} << true << 1
            << QStringList{"1:jpg", "2:jpg", "3:jpg"} << false;
        QTest::newRow("bitmap and texts on a document item")
            << "list document" << QStringList{"scan.bmp", "a.txt", "b.txt"} << true << 0
            << QStringList{"0:txt", "0:txt", "1:bmp"} << false;
        QTest::newRow("two files on a folder item")
            << "list folder" << QStringList{"a.jpg", "b.pdf"} << true << 2 << QStringList{} << false;
        QTest::newRow("files on a drawer item") << "list drawer" << QStringList{"a.jpg"} << false << 0
                                                << QStringList{} << false;
        QTest::newRow("photojpg passed over on a document node")
            << "tree document" << QStringList{"photojpg", "a.jpg"} << true << 0 << QStringList{"1:jpg"} << false;
        QTest::newRow("only photojpg") << "tree document" << QStringList{"photojpg"} << false << 0
                                       << QStringList{} << false;
        QTest::newRow("folder on a folder node") << "tree folder" << QStringList{"album"} << true << 0
                                                 << QStringList{} << true;
        QTest::newRow("folder and image on the pane") << "pane" << QStringList{"album", "a.jpg"} << true << 0
                                                      << QStringList{"1:jpg"} << true;
        QTest::newRow("image on a cabinet node") << "tree cabinet" << QStringList{"a.jpg"} << false << 0
                                                 << QStringList{} << false;
        QTest::newRow("missing file on a folder node") << "tree folder" << QStringList{"gone.jpg"} << true << 0
                                                       << QStringList{} << true;
        QTest::newRow("image on a found document's pane") << "found pane" << QStringList{"a.jpg"} << false << 0
                                                          << QStringList{} << false;
    }
    void shellDrops()
    {
        QFETCH(QString, where);
        QFETCH(QStringList, names);
        QFETCH(int, newDocuments);
        QFETCH(QStringList, pages);
        QFETCH(bool, message);
        layOut();
        QWidget *viewport = tree()->viewport();
        QPoint pos;
        if (where == "tree folder") {
            pos = at(key("FLD", m_power));
        } else if (where == "tree document") {
            pos = at(key("DOC", m_march));
        } else if (where == "tree cabinet") {
            pos = at(key("CAB", m_work));
        } else if (where.endsWith("pane")) {
            const bool found = where == "found pane";
            if (found) {
                tree()->addNode("ROOT", "ROOTFOUND", "Found", "found");
                tree()->addNode("ROOTFOUND", key("FDC", m_march), "March", "document");
            }
            show(key(found ? "FDC" : "DOC", m_march));
            viewport = pane()->lvwThumb()->viewport();
            pos = viewport->rect().center();
        } else {
            show(where == "list drawer" ? key("CAB", m_home) : where == "list folder" ? key("DRW", m_bills)
                                                                                      : key("FLD", m_power));
            viewport = list()->viewport();
            pos = atItem(where == "list drawer" ? key("DRW", m_bills) : where == "list folder" ? key("FLD", m_power)
                                                                                             : key("DOC", m_march));
        }
        std::unique_ptr<QMimeData> data(files(names));
        Qt::DropAction action = Qt::IgnoreAction;
        QTEST(drop(viewport, pos, data.get(), &action), "taken");
        if (action != Qt::IgnoreAction)
            QCOMPARE(action, Qt::CopyAction);
        QCOMPARE(rowCount("Document"), 1 + newDocuments);
        const int target = newDocuments == 1 ? DbConnection::queryValue("SELECT MAX(DocumentId) FROM Document").toInt()
                                             : m_march;
        QCOMPARE(pageOrder(target), pages);
        QCOMPARE(m_prompt->messages.size(), message ? 1 : 0);
        QCOMPARE(m_notices->pages.size(), rowCount("Page"));
        // The notices of one drop of files form one batch.
        if (!m_notices->pages.isEmpty()) {
            QCOMPARE(m_notices->outermostBatches(), 1);
            QCOMPARE(m_notices->pagesOutsideBatches(), 0);
        }
        // The user's files stay where they are.
        for (const QString &n : names)
            QVERIFY(QFileInfo::exists(m_files + QLatin1Char('/') + n) || n.startsWith("gone"));
        if (where == "tree folder" && newDocuments)
            QCOMPARE(tree()->parentKeyOf(key("DOC", target)), key("FLD", m_power));
        if (where == "tree document" || where == "pane")
            QCOMPARE(pane()->model()->rowCount(), pages.size());
    }

    // Cancel between the files of a drop ends it: the pages filed before
    // stay, with the documents made for them, and the user hears how many.
    void cancelledDropKeepsFiledPages_data()
    {
        QTest::addColumn<bool>("onTree");
        QTest::addColumn<int>("newDocuments");
        QTest::newRow("on a document node") << true << 0;
        QTest::newRow("on a folder item") << false << 2;
    }
    void cancelledDropKeepsFiledPages()
    {
        QFETCH(bool, onTree);
        layOut();
        if (!onTree)
            show(key("DRW", m_bills));
        std::unique_ptr<QMimeData> data(files({"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
        CancellingProgressView progress(3);
        QVERIFY(drop(onTree ? tree()->viewport() : list()->viewport(),
                     onTree ? at(key("DOC", m_march)) : atItem(key("FLD", m_power)), data.get()));
        QVERIFY(progress.cancelShown && progress.closedOrNeverOpened());
        QCOMPARE(rowCount("Page"), 2);
        QTEST(rowCount("Document") - 1, "newDocuments");
        QCOMPARE(m_prompt->messages, QStringList{"Stopped by user: 2 of 4 files were added as pages."});
    }
};

VLM_TEST_MAIN(NavDragDropTest)
#include "NavDragDropTest.moc"

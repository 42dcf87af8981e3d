#include "navigation/ui/LevelList.h"
#include "core/RecordId.h"
#include "core/ui/frmProgress.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/PagePane.h"
#include "navigation/ui/frmNavTree.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/NavWindowFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestImages.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

using namespace RecordFixture;

namespace {

// Counts how often a window is shown.
class ShowCounter : public QObject
{
public:
    int shows = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            ++shows;
        return false;
    }
};

} // namespace

// The keyboard focus after the commands of the navigation window that show
// the progress window: it is back on the control the command came from, so
// the next arrow key, Esc or F3 reaches the window.
class NavFocusTest : public NavWindowFixture
{
    Q_OBJECT

    PagePane *pane() const { return m_window->pagePane(); }

    // The control a source names: the tree, the list or the page pane's view.
    QWidget *control(const QString &source) const
    {
        if (source == QLatin1String("T"))
            return tree();
        if (source == QLatin1String("L"))
            return list();
        return pane()->lvwThumb();
    }

    // Right-clicks the pane's view and chooses the item with Enter, as a user
    // would.
    void chooseFromPagePopup(const char *actionName)
    {
        QAction *item = action(actionName);
        QTimer::singleShot(0, this, [item] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            menu->setActiveAction(item);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QAbstractItemView *view = pane()->lvwThumb();
        const QPoint at = view->visualRect(view->model()->index(0, 0)).center();
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &click);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The program's own progress window, really shown by the commands.
        frmProgress::install()->installEventFilter(&m_progressShows);
    }

    // Delete (of every level), Renumber Pages and a paste, by key or popup,
    // from the tree, the list or the pane, answered Yes or No: afterwards the
    // window is active and its focus is on the control the command came from.
    void focusBackOnSource_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("source");
        QTest::addColumn<Prompt::Answer>("answer");
        QTest::addColumn<bool>("progressShown");
        const auto yes = Prompt::Answer::Yes;
        const auto no = Prompt::Answer::No;
        QTest::newRow("Delete key, tree document") << "delete key" << "DOC" << "T" << yes << true;
        QTest::newRow("Delete popup, tree document") << "delete popup" << "DOC" << "T" << yes << true;
        QTest::newRow("Delete popup, list document") << "delete popup" << "DOC" << "L" << yes << true;
        QTest::newRow("Delete key, list drawer") << "delete key" << "DRW" << "L" << yes << true;
        QTest::newRow("Delete popup, tree folder") << "delete popup" << "FLD" << "T" << yes << true;
        QTest::newRow("Delete popup, list cabinet") << "delete popup" << "CAB" << "L" << yes << true;
        QTest::newRow("Delete key, tree cabinet") << "delete key" << "CAB" << "T" << yes << true;
        QTest::newRow("Delete key, page") << "delete key" << "PAG" << "L2" << yes << true;
        QTest::newRow("Delete popup, page") << "delete popup" << "PAG" << "L2" << yes << true;
        QTest::newRow("Renumber Pages, tree document") << "renumber" << "DOC" << "T" << yes << true;
        QTest::newRow("Renumber Pages, list document") << "renumber" << "DOC" << "L" << yes << true;
        QTest::newRow("Ctrl+V of a file into the pane") << "paste" << "PAG" << "L2" << yes << true;
        QTest::newRow("Delete key answered No") << "delete key" << "DOC" << "T" << no << false;
        QTest::newRow("Delete popup answered No, list") << "delete popup" << "DOC" << "L" << no << false;
        QTest::newRow("Delete key answered No, page") << "delete key" << "PAG" << "L2" << no << false;
        QTest::newRow("Renumber Pages answered No") << "renumber" << "DOC" << "T" << no << false;
    }
    void focusBackOnSource()
    {
        QFETCH(QString, command);
        QFETCH(QString, target);
        QFETCH(QString, source);
        QFETCH(Prompt::Answer, answer);
        QFETCH(bool, progressShown);
        const RecordId c = cabinet("Home");
        cabinet("Work");
        const RecordId d = drawer(c, "Bills");
        const RecordId f = folder(d, "Power");
        const RecordId doc = document(f, "March");
        document(f, "April");
        jpegPage(doc, 5);
        jpegPage(doc, 9);
        QTemporaryDir dir;
        const QString file = TestImages::writeJpeg(dir.filePath("scan.jpg"), QSize(100, 80), 96);
        load();
        QVERIFY(activate());
        // Each node is loaded as a user reaches it; the list then shows what
        // lies below the target's parent, the pane the document's pages.
        const QMap<QString, RecordId> ids{{"CAB", c}, {"DRW", d}, {"FLD", f}, {"DOC", doc}};
        const QStringList path{"ROOT", key("CAB", c), key("DRW", d), key("FLD", f), key("DOC", doc)};
        const QString targetKey = target == "PAG" ? path.last() : key(target.toLatin1().constData(), ids.value(target));
        const qsizetype shownDepth = target == "PAG" ? path.size() : path.indexOf(targetKey);
        for (const QString &k : path.mid(0, shownDepth))
            show(k);
        if (source == QLatin1String("T")) {
            tree()->selectNode(targetKey);
        } else if (source == QLatin1String("L")) {
            list()->setCurrentItem(list()->entry(targetKey));
            QVERIFY(list()->currentItem());
        } else {
            pane()->lvwThumb()->selectAll();
        }
        QWidget *from = control(source);
        // A click on the control, as before a key or a popup.
        from->setFocus();
        QCOMPARE(QApplication::focusWidget(), from);
        m_prompt->answers3 = {answer};
        m_progressShows.shows = 0;

        if (command == QLatin1String("delete key")) {
            QTest::keyClick(from, Qt::Key_Delete);
        } else if (command == QLatin1String("paste")) {
            auto *mime = new QMimeData;
            mime->setUrls({QUrl::fromLocalFile(file)});
            QGuiApplication::clipboard()->setMimeData(mime);
            QTest::keyClick(from, Qt::Key_V, Qt::ControlModifier);
        } else if (source == QLatin1String("L2")) {
            chooseFromPagePopup("mnuPopupPageDelete");
        } else {
            static const QMap<QString, const char *> deletes{{"CAB", "mnuPopupCabinetDelete"},
                                                             {"DRW", "mnuPopupDrawerDelete"},
                                                             {"FLD", "mnuPopupFolderDelete"},
                                                             {"DOC", "mnuPopupDocumentDelete"}};
            runPopup(source, targetKey,
                     command == QLatin1String("renumber") ? "mnuPopupDocumentRepaginate" : deletes.value(target));
        }
        // What the window system reports after the command arrives first.
        QCoreApplication::processEvents();

        // Every command but the paste asks first.
        QCOMPARE(m_prompt->questions.size(), command == QLatin1String("paste") ? 0 : 1);
        QCOMPARE(m_progressShows.shows > 0, progressShown);
        QVERIFY(!frmProgress::install()->isVisible());
        QCOMPARE(QApplication::activeWindow(), m_window.get());
        QCOMPARE(QApplication::focusWidget(), control(source));
    }

private:
    ShowCounter m_progressShows;
};

VLM_TEST_MAIN(NavFocusTest)
#include "NavFocusTest.moc"

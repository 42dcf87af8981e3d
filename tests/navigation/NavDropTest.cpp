#include "navigation/NavDrop.h"

#include <QMimeData>
#include <QSet>
#include <QUrl>
#include <QtTest>

#include "core/RecordId.h"
#include "store/Passwords.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingChanges.h"
#include "tests/support/TestEnvironment.h"

using namespace RecordFixture;
using NavDrop::MoveResult;

namespace {

const QStringList kKeys = {"ROOT", "ROOTFOUND", "CAB1", "DRW1", "FLD1", "DOC1", "PAG1",
                           "FCB1", "FDW1", "FFD1", "FDC1"};

} // namespace

class NavDropTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakePrompt> m_prompt;

private Q_SLOTS:
    void init()
    {
        TestEnvironment::openFreshDatabase();
        m_prompt = std::make_unique<FakePrompt>();
    }
    void cleanup() { m_prompt.reset(); }

    // Only drawers, folders, documents and pages may be dragged, and each
    // only onto its own kind of parent; search results and roots take
    // nothing. A file from the file manager comes as a bare "PAG".
    void dropRules_data()
    {
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("canDrag");
        QTest::addColumn<bool>("canDrop");
        const QSet<QString> draggable{"DRW", "FLD", "DOC", "PAG"};
        const QSet<QString> accepted{"DRW>CAB", "FLD>DRW", "DOC>FLD", "PAG>FLD", "PAG>DOC"};
        for (const QString &dragged : kKeys) {
            for (const QString &target : kKeys) {
                const QString pair = dragged.left(3) + QLatin1Char('>') + target.left(3);
                QTest::newRow(qPrintable(dragged + " on " + target))
                    << dragged << target << draggable.contains(dragged.left(3)) << accepted.contains(pair);
            }
        }
        QTest::newRow("shell file on folder") << "PAG" << "FLD1" << false << true;
        QTest::newRow("shell file on document") << "PAG" << "DOC1" << false << true;
        QTest::newRow("shell file on drawer") << "PAG" << "DRW1" << false << false;
        QTest::newRow("nothing on cabinet") << "" << "CAB1" << false << false;
        QTest::newRow("drawer on nothing") << "DRW1" << "" << true << false;
        // A text that is no key is neither dragged nor a target.
        QTest::newRow("malformed drawer key on cabinet") << "DRW1x" << "CAB1" << false << false;
        QTest::newRow("drawer on a signed cabinet key") << "DRW1" << "CAB+1" << true << false;
    }
    void dropRules()
    {
        QFETCH(QString, dragged);
        QFETCH(QString, target);
        QTEST(NavDrop::CanDragNode(dragged), "canDrag");
        QTEST(NavDrop::CanDropOnNode(dragged, target), "canDrop");
    }

    // A drawer moved into a locked cabinet, or a folder into one of its
    // drawers, needs the cabinet's password; one already there asks for
    // nothing.
    void moveIntoLockedCabinet_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QVariant>("reply");
        QTest::addColumn<bool>("alreadyThere");
        QTest::addColumn<bool>("moves");
        QTest::addColumn<int>("prompts");
        for (const QString level : {"drawer", "folder"}) {
            const auto row = [&](const char *name) -> QTestData & {
                // The drawer rows keep their first names.
                return QTest::newRow(qPrintable(level == "drawer" ? QString::fromLatin1(name)
                                                                  : level + ", " + QLatin1String(name)))
                       << level;
            };
            row("cancelled") << QVariant() << false << false << 1;
            row("wrong password") << QVariant("PW") << false << false << 1;
            row("right password") << QVariant("pw") << false << true << 1;
            row("already there") << QVariant() << true << false << 0;
        }
    }
    void moveIntoLockedCabinet()
    {
        QFETCH(QString, level);
        QFETCH(QVariant, reply);
        QFETCH(bool, alreadyThere);
        QFETCH(bool, moves);
        const int open = cabinet("Open");
        const int locked = cabinet("Locked", "pw");
        m_prompt->passwords = {reply.isValid() ? std::optional<QString>(reply.toString()) : std::nullopt};
        if (level == "drawer") {
            const int d = drawer(alreadyThere ? locked : open, "Bills");
            const MoveResult r = NavDrop::MoveDrawerToCabinet(d, locked);
            QCOMPARE(r.outcome == MoveResult::Moved, moves);
            QCOMPARE(columnOf("Drawer", "CabinetId", "DrawerId", d), moves || alreadyThere ? locked : open);
        } else {
            const int openDrawer = drawer(open, "Bills");
            const int lockedDrawer = drawer(locked, "Safe");
            const int f = folder(alreadyThere ? lockedDrawer : openDrawer, "Deeds");
            const MoveResult r = NavDrop::MoveFolderToDrawer(f, lockedDrawer);
            QCOMPARE(r.outcome == MoveResult::Moved, moves);
            QCOMPARE(r.outcome == MoveResult::Refused, !moves && !alreadyThere);
            QCOMPARE(columnOf("Folder", "DrawerId", "FolderId", f),
                     moves || alreadyThere ? lockedDrawer : openDrawer);
        }
        QTEST(m_prompt->passwordPrompts, "prompts");
        QCOMPARE(Passwords::UnlockedCabinets().contains(locked), moves);
    }

    // A page goes to the end of the document it is dropped on; the pages
    // it leaves keep their numbers, and the notice goes out once.
    void movePage_data()
    {
        QTest::addColumn<int>("targetPages");
        QTest::addColumn<bool>("sameDocument");
        QTest::addColumn<int>("number");
        QTest::newRow("onto pages 1 to 3") << 3 << false << 4;
        QTest::newRow("onto an empty document") << 0 << false << 1;
        QTest::newRow("onto its own document") << 0 << true << 0;
    }
    void movePage()
    {
        QFETCH(int, targetPages);
        QFETCH(bool, sameDocument);
        QFETCH(int, number);
        const int f = folder(drawer(cabinet("Home"), "Bills"), "Power");
        const int source = document(f, "March");
        const int target = document(f, "April");
        const int p1 = page(source, 1);
        const int moving = page(source, 2);
        const int p3 = page(source, 3);
        for (int n = 1; n <= targetPages; ++n)
            page(target, n);
        const RecordingChanges notices;
        const MoveResult r = NavDrop::MovePageToDocument(moving, sameDocument ? source : target);
        QCOMPARE(r.pageNumber, number);
        QCOMPARE(notices.pages, number ? QList<RecordId>{moving} : QList<RecordId>{});
        QCOMPARE(columnOf("Page", "DocumentId", "PageId", moving), number ? target : source);
        QCOMPARE(columnOf("Page", "PageNumber", "PageId", p1), 1);
        QCOMPARE(columnOf("Page", "PageNumber", "PageId", p3), 3);
        if (number)
            QCOMPARE(columnOf("Page", "PageNumber", "PageId", moving), number);
    }

    // The drag data names the control and the key, and only this program
    // reads it back; a drop's files are its local files, in order.
    void dragDataAndFiles()
    {
        std::unique_ptr<QMimeData> data(NavDrop::dragData({"L2", "PAG7"}));
        const std::optional<NavDrop::DraggedNode> node = NavDrop::draggedNode(data.get());
        QVERIFY(node);
        QCOMPARE(node->source, QStringLiteral("L2"));
        QCOMPARE(node->key, QStringLiteral("PAG7"));
        QMimeData foreign;
        foreign.setData(NavDrop::MimeType, "1\nT\nDRW1");
        QVERIFY(!NavDrop::draggedNode(&foreign));
        QMimeData shell;
        shell.setUrls({QUrl::fromLocalFile("/tmp/b.jpg"), QUrl("https://example.test/a.jpg"),
                       QUrl::fromLocalFile("/tmp/a.txt")});
        QCOMPARE(NavDrop::droppedFiles(&shell), (QStringList{"/tmp/b.jpg", "/tmp/a.txt"}));
        QVERIFY(NavDrop::offersPageFile({"photojpg", "a.txt"}));
        QVERIFY(!NavDrop::offersPageFile({"photojpg"}));
    }
};

VLM_TEST_GUILESS_MAIN(NavDropTest)
#include "NavDropTest.moc"

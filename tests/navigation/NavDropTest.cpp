#include "NavDrop.h"

#include <QDir>
#include <QMimeData>
#include <QSet>
#include <QUrl>
#include <QtTest>

#include "DbConnection.h"
#include "FakePrompt.h"
#include "Passwords.h"
#include "RecordFixture.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestImages.h"

using namespace RecordFixture;
using NavDrop::MoveResult;

Q_DECLARE_METATYPE(NavDrop::MoveResult::Outcome)

namespace {

const QStringList kKeys = {"ROOT", "ROOTFOUND", "CAB1", "DRW1", "FLD1", "DOC1", "PAG1",
                           "FCB1", "FDW1", "FFD1", "FDC1"};

} // namespace

class NavDropTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakePrompt> m_prompt;
    QList<int> m_notices;
    QString m_files;

    PageClipboard::NewPageNotifier notifier()
    {
        return [this](int pageId) { m_notices.append(pageId); };
    }

private Q_SLOTS:
    void init()
    {
        TestEnvironment::openFreshDatabase();
        Passwords::UnlockedCabinets().clear();
        m_prompt = std::make_unique<FakePrompt>();
        m_notices.clear();
        m_files = TestEnvironment::root() + QStringLiteral("/drops-%1").arg(QTest::currentDataTag());
        QDir(m_files).removeRecursively();
        QDir().mkpath(m_files);
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
    }
    void dropRules()
    {
        QFETCH(QString, dragged);
        QFETCH(QString, target);
        QTEST(NavDrop::CanDragNode(dragged), "canDrag");
        QTEST(NavDrop::CanDropOnNode(dragged, target), "canDrop");
    }

    // A legal move updates the parent; a drop where the record already
    // lies changes nothing; a drawer or folder name the new parent holds
    // is refused with its message, while documents may share names.
    void containerMoves_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("ownParent");
        QTest::addColumn<bool>("clash");
        QTest::addColumn<MoveResult::Outcome>("outcome");
        QTest::addColumn<QString>("message");
        QTest::newRow("drawer to another cabinet") << "drawer" << false << false << MoveResult::Moved << "";
        QTest::newRow("drawer to its own cabinet") << "drawer" << true << false << MoveResult::Unchanged << "";
        QTest::newRow("drawer name taken") << "drawer" << false << true << MoveResult::Refused
                                           << "A drawer named 'Bills' already exists.";
        QTest::newRow("folder to another drawer") << "folder" << false << false << MoveResult::Moved << "";
        QTest::newRow("folder to its own drawer") << "folder" << true << false << MoveResult::Unchanged << "";
        QTest::newRow("folder name taken") << "folder" << false << true << MoveResult::Refused
                                           << "A folder named 'Power' already exists.";
        QTest::newRow("document to another folder") << "document" << false << false << MoveResult::Moved << "";
        QTest::newRow("document to its own folder") << "document" << true << false << MoveResult::Unchanged << "";
        QTest::newRow("document name shared") << "document" << false << true << MoveResult::Moved << "";
    }
    void containerMoves()
    {
        QFETCH(QString, kind);
        QFETCH(bool, ownParent);
        QFETCH(bool, clash);
        QFETCH(MoveResult::Outcome, outcome);
        const int a = cabinet("A");
        const int b = cabinet("B");
        const int dA = drawer(a, "Bills");
        const int dB = drawer(b, "Taxes");
        const int fA = folder(dA, "Power");
        const int fB = folder(dB, "Water");
        const int docA = document(fA, "March");
        MoveResult r;
        int from = 0;
        int to = 0;
        int after = 0;
        if (kind == "drawer") {
            from = a;
            to = ownParent ? a : b;
            if (clash)
                drawer(b, "bills");
            r = NavDrop::MoveDrawerToCabinet(dA, to);
            after = columnOf("Drawer", "CabinetId", "DrawerId", dA);
        } else if (kind == "folder") {
            from = dA;
            to = ownParent ? dA : dB;
            if (clash)
                folder(dB, "POWER");
            r = NavDrop::MoveFolderToDrawer(fA, to);
            after = columnOf("Folder", "DrawerId", "FolderId", fA);
        } else {
            from = fA;
            to = ownParent ? fA : fB;
            if (clash)
                document(fB, "March");
            r = NavDrop::MoveDocumentToFolder(docA, to);
            after = columnOf("Document", "FolderId", "DocumentId", docA);
        }
        QTEST(r.outcome, "outcome");
        QTEST(r.message, "message");
        QCOMPARE(after, r.outcome == MoveResult::Moved ? to : from);
        QCOMPARE(r.oldParentKey.isEmpty(), r.outcome != MoveResult::Moved);
        QCOMPARE(m_prompt->passwordPrompts, 0);
    }

    // A drawer moved into a locked cabinet needs its password; one already
    // there asks for nothing.
    void moveIntoLockedCabinet_data()
    {
        QTest::addColumn<QVariant>("reply");
        QTest::addColumn<bool>("alreadyThere");
        QTest::addColumn<bool>("moves");
        QTest::addColumn<int>("prompts");
        QTest::newRow("cancelled") << QVariant() << false << false << 1;
        QTest::newRow("wrong password") << QVariant("PW") << false << false << 1;
        QTest::newRow("right password") << QVariant("pw") << false << true << 1;
        QTest::newRow("already there") << QVariant() << true << false << 0;
    }
    void moveIntoLockedCabinet()
    {
        QFETCH(QVariant, reply);
        QFETCH(bool, alreadyThere);
        QFETCH(bool, moves);
        const int open = cabinet("Open");
        const int locked = cabinet("Locked", "pw");
        const int d = drawer(alreadyThere ? locked : open, "Bills");
        m_prompt->passwords = {reply.isValid() ? std::optional<QString>(reply.toString()) : std::nullopt};
        const MoveResult r = NavDrop::MoveDrawerToCabinet(d, locked);
        QTEST(m_prompt->passwordPrompts, "prompts");
        QCOMPARE(r.outcome == MoveResult::Moved, moves);
        QCOMPARE(columnOf("Drawer", "CabinetId", "DrawerId", d), moves || alreadyThere ? locked : open);
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
        const MoveResult r = NavDrop::MovePageToDocument(moving, sameDocument ? source : target, notifier());
        QCOMPARE(r.pageNumber, number);
        QCOMPARE(m_notices, number ? QList<int>{moving} : QList<int>{});
        QCOMPARE(columnOf("Page", "DocumentId", "PageId", moving), number ? target : source);
        QCOMPARE(columnOf("Page", "PageNumber", "PageId", p1), 1);
        QCOMPARE(columnOf("Page", "PageNumber", "PageId", p3), 3);
        if (number)
            QCOMPARE(columnOf("Page", "PageNumber", "PageId", moving), number);
    }

    // A file dropped on a folder makes "New document" first, but only for
    // a file that can be a page; a document takes it as its next page.
    void fileOnNode_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("documents");
        QTest::addColumn<int>("pages");
        QTest::addColumn<bool>("skipped");
        QTest::newRow("image on folder") << "FLD" << "a.jpg" << 2 << 1 << false;
        QTest::newRow("folder on folder") << "FLD" << "album" << 1 << 0 << true;
        QTest::newRow("missing file on folder") << "FLD" << "gone.jpg" << 1 << 0 << true;
        QTest::newRow("pdf on document") << "DOC" << "O'Neil.pdf" << 1 << 1 << false;
        QTest::newRow("image on drawer") << "DRW" << "a.jpg" << 1 << 0 << false;
    }
    void fileOnNode()
    {
        QFETCH(QString, target);
        QFETCH(QString, file);
        QFETCH(bool, skipped);
        const int d = drawer(cabinet("Home"), "Bills");
        const int f = folder(d, "Power");
        const int doc = document(f, "March");
        const QString path = m_files + QLatin1Char('/') + file;
        if (file.endsWith(".jpg") && !file.startsWith("gone"))
            TestImages::writeJpeg(path, QSize(40, 30), 96);
        else if (file == "album")
            QDir().mkpath(path);
        else if (file.endsWith(".pdf"))
            TestFiles::write(path, "%PDF-1.4");
        const QHash<QString, int> ids{{"FLD", f}, {"DOC", doc}, {"DRW", d}};
        const NavDrop::FileDrop r = NavDrop::AddFileToNode(target + QString::number(ids[target]), path,
                                                           [](int) { return true; }, notifier());
        QTEST(rowCount("Document"), "documents");
        QTEST(rowCount("Page"), "pages");
        QCOMPARE(r.skipped.has_value(), skipped);
        QCOMPARE(m_notices, r.page.pageId ? QList<int>{r.page.pageId} : QList<int>{});
        if (r.newDocument)
            QCOMPARE(DbConnection::QueryValue("SELECT Name FROM Document WHERE DocumentId = ?", {r.documentId})
                         .toString(),
                     NavDrop::newDocumentName());
        if (file.endsWith(".pdf"))
            QCOMPARE(DbConnection::QueryValue("SELECT Filename FROM Page").toString(), path);
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

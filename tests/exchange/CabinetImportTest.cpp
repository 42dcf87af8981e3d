#include "exchange/CabinetExport.h"
#include "exchange/CabinetImport.h"

#include "core/RecordId.h"
#include "exchange/ExchangeState.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/Records.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/PageFixture.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingExchangeProgress.h"
#include "tests/support/SmallDisks.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestImages.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QtTest>

using namespace CabinetImport;
using A = Prompt::DiskAnswer;

namespace {

int g_dirs = 0;

QString newFolder(const QString &name)
{
    const QString dir = QStringLiteral("%1/%2 %3").arg(TestEnvironment::root(), name).arg(++g_dirs);
    QDir().mkpath(dir);
    return dir;
}

QByteArray jpegBytes(const QColor &colour)
{
    const QString path = TestEnvironment::root() + "/jpeg.tmp";
    TestImages::writeJpeg(path, QSize(90, 60), 300, colour);
    return TestFiles::read(path);
}

// A real JPEG padded after its end to size bytes (decoders ignore what
// follows the image), so that pages of a known size still decode.
QByteArray paddedJpeg(const QColor &colour, int size)
{
    const QString path = TestEnvironment::root() + "/small.tmp";
    TestImages::writeJpeg(path, QSize(8, 8), 300, colour);
    QByteArray bytes = TestFiles::read(path);
    bytes.append(QByteArray(qMax(0, size - int(bytes.size())), '\0'));
    return bytes;
}

QString text(const QVariant &v)
{
    return v.isNull() ? QStringLiteral("<null>") : v.toString();
}

// Everything of a cabinet the format carries, one line a record, in name
// order: names, descriptions, dates, amounts, page numbers and bytes.
// "Y" for a shortcut page; a stored page reads "" whether its row says "N"
// (an import) or nothing (a scan or a drop).
QString shortcutMark(const QVariant &shortcutYN)
{
    return NullToEmpty(shortcutYN) == QLatin1String("Y") ? QStringLiteral("Y") : QString();
}

QStringList snapshot(RecordId cabinetId)
{
    using DbConnection::OpenRecordset;
    QStringList lines{"C " + text(DbConnection::queryValue("SELECT Description FROM Cabinet WHERE CabinetId = ?",
                                                           {cabinetId}))};
    const Recordset drawers =
        OpenRecordset("SELECT DrawerId, Name, Description FROM Drawer WHERE CabinetId = ? ORDER BY Name", {cabinetId});
    for (int d = 0; d < drawers.recordCount(); ++d) {
        const QString dn = drawers.value(d, 1).toString();
        lines << "D " + dn + " " + text(drawers.value(d, 2));
        const Recordset folders = OpenRecordset(
            "SELECT FolderId, Name, Description FROM Folder WHERE DrawerId = ? ORDER BY Name", {drawers.value(d, 0)});
        for (int f = 0; f < folders.recordCount(); ++f) {
            const QString fn = dn + "/" + folders.value(f, 1).toString();
            lines << "F " + fn + " " + text(folders.value(f, 2));
            const Recordset documents = OpenRecordset(
                "SELECT DocumentId, Name, Description, DateOnDocument, Amount FROM Document WHERE FolderId = ?"
                " ORDER BY Name",
                {folders.value(f, 0)});
            for (int g = 0; g < documents.recordCount(); ++g) {
                const QString gn = fn + "/" + documents.value(g, 1).toString();
                lines << QStringLiteral("G %1 [%2] %3 %4")
                             .arg(gn, text(documents.value(g, 2)), text(documents.value(g, 3)),
                                  text(documents.value(g, 4)));
                const Recordset pages = OpenRecordset(
                    "SELECT PageId, PageNumber, Filename, ShortcutYN FROM Page WHERE DocumentId = ?"
                    " ORDER BY PageNumber, PageId",
                    {documents.value(g, 0)});
                QStringList pageLines;
                for (int p = 0; p < pages.recordCount(); ++p) {
                    const QByteArray bytes = TestFiles::read(
                        PagePaths::GetPageFilePath(pages.value(p, 0).toInt(), NullToEmpty(pages.value(p, 2))));
                    pageLines << QStringLiteral("P %1 %2 %3 %4")
                                     .arg(gn, pages.value(p, 1).toString(), shortcutMark(pages.value(p, 3)),
                                          QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()));
                }
                // In the order the document lists them: pages that share a
                // number keep theirs.
                lines << pageLines;
            }
        }
    }
    return lines;
}

RecordId insertDocument(RecordId folderId, const QString &name, const QString &description, const QDate &date, double amount)
{
    return Records::insertDocument({folderId, name, description, date, amount});
}

// A cabinet with descriptions of several lines, dated documents with
// amounts, JPEG pages and a shortcut page to a PDF.
RecordId sourceCabinet()
{
    const RecordId cabinet = Records::insertCabinet(Records::CabinetValues{"Source", "Top\nof the cabinet", "", false, ""});
    const RecordId bills = Records::insertDrawer({cabinet, "Bills", "Paid\nand unpaid"});
    Records::insertDrawer({cabinet, "Empty drawer", ""});
    const RecordId year = Records::insertFolder({bills, "2024", "Line one\nLine two", ""});
    Records::insertFolder({bills, "Empty folder", "", ""});
    const RecordId rent = insertDocument(year, "Rent", "March\nrent", QDate(2024, 3, 4), 12.5);
    PageFixture::storedPage(rent, 1, jpegBytes(Qt::red));
    PageFixture::storedPage(rent, 2, jpegBytes(Qt::green));
    PageFixture::storedPage(rent, 2, jpegBytes(Qt::yellow));
    PageFixture::shortcutPage(rent, TestEnvironment::root() + "/Letters/offer.pdf", "%PDF-1.4 offer");
    const RecordId power = insertDocument(year, "Power", "", QDate(), 1250000);
    PageFixture::storedPage(power, 5, jpegBytes(Qt::blue));
    insertDocument(year, "Empty document", "Nothing yet", QDate(2023, 12, 31), 0);
    return cabinet;
}

CabinetExport::ExportResult exportTo(RecordId cabinetId, const QString &dest, FileCopier *copier = nullptr)
{
    CabinetExport::ExportOptions options;
    options.copier = copier;
    return CabinetExport::ExportCabinet(cabinetId, dest, options);
}

int rows(const char *table)
{
    return RecordFixture::rowCount(QLatin1String(table));
}

} // namespace

class CabinetImportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // Exported in a decimal-comma locale and read back into an empty
    // cabinet, the cabinet is whole again: records, descriptions of
    // several lines, dates, amounts, page numbers, the order of pages that
    // share a number ("Page 2.jpg" before "Page 2 (2).jpg") and bytes. The PDF now
    // lies in the page store, so the disk can go. A second import adds
    // nothing.
    void roundTripAndReimport()
    {
        const int source = sourceCabinet();
        const int target = RecordFixture::cabinet("Target");
        const QString dest = newFolder("export");
        FakePrompt prompt;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(exportTo(source, dest).PagesCopied, 5);
        const TreeImportResult result = ImportCabinetTree(target, dest + "/Source", 1);
        QLocale::setDefault(QLocale::c());

        QVERIFY(!result.cancelled);
        QCOMPARE(snapshot(target), snapshot(source));
        QCOMPARE(ExchangeState::instance().ImportedFileCount, 4);
        QCOMPARE(ExchangeState::instance().ImportedShortcutCount, 1);
        const QString copy = DbConnection::queryValue(
            "SELECT Filename FROM Page WHERE ShortcutYN = 'Y' AND DocumentId IN"
            " (SELECT DocumentId FROM Document WHERE FolderId IN (SELECT FolderId FROM Folder WHERE DrawerId IN"
            " (SELECT DrawerId FROM Drawer WHERE CabinetId = ?)))", {target}).toString();
        QVERIFY2(copy.startsWith(DataFolder::filePath("Pages/")) && copy.endsWith(".pdf"), qPrintable(copy));

        const QList<int> before{rows("Drawer"), rows("Folder"), rows("Document"), rows("Page")};
        ImportCabinetTree(target, dest + "/Source", 1);
        QCOMPARE(QList<int>({rows("Drawer"), rows("Folder"), rows("Document"), rows("Page")}), before);
        QCOMPARE(snapshot(target), snapshot(source));
        QVERIFY(prompt.questions.isEmpty());

        // Exported again, the copy keeps the name it came with.
        const QString again = newFolder("again");
        QCOMPARE(exportTo(target, again).PagesCopied, 5);
        QCOMPARE(TestFiles::read(again + "/Target/Bills/2024/Rent/offer.pdf"), QByteArray("%PDF-1.4 offer"));
    }

    // Three small disks, two pages each: the export asks for each next
    // disk in another folder, the import reads them in turn. Cancel at any
    // question keeps what came before it and nothing after.
    void spanning_data()
    {
        QTest::addColumn<QList<A>>("exportAnswers");
        QTest::addColumn<int>("exported");
        QTest::addColumn<int>("importDisks");
        QTest::addColumn<QList<A>>("importAnswers");
        QTest::addColumn<int>("pages");
        QTest::newRow("three disks") << QList<A>{A::ChooseFolder, A::ChooseFolder} << 6 << 3
                                     << QList<A>{A::ChooseFolder, A::ChooseFolder} << 6;
        QTest::newRow("export stopped at disk #2") << QList<A>{A::Cancel} << 2 << 1 << QList<A>{} << 2;
        QTest::newRow("export stopped at disk #3") << QList<A>{A::ChooseFolder, A::Cancel} << 4 << 2
                                                   << QList<A>{A::ChooseFolder} << 4;
        QTest::newRow("import stopped at disk # 3") << QList<A>{A::ChooseFolder, A::ChooseFolder} << 6 << 3
                                                    << QList<A>{A::ChooseFolder, A::Cancel} << 4;
    }
    void spanning()
    {
        QFETCH(QList<A>, exportAnswers);
        QFETCH(int, importDisks);
        QFETCH(QList<A>, importAnswers);
        QFETCH(int, pages);
        const int source = RecordFixture::cabinet("Span");
        const int drawer = RecordFixture::drawer(source, "D");
        for (const char *name : {"F1", "F2"}) {
            const RecordId doc = insertDocument(RecordFixture::folder(drawer, name), "G", "details", QDate(2024, 1, 2), 3);
            for (int n = 1; n <= 3; ++n)
                PageFixture::storedPage(doc, n, paddedJpeg(QColor(40 * n, 90, 200), 1000) + name);
        }
        const QStringList disks{newFolder("disk A"), newFolder("disk B"), newFolder("disk C")};
        SmallDisks small;
        for (const QString &disk : disks)
            small.addDisk(disk, 2600);
        FakePrompt prompt;
        prompt.diskAnswers = exportAnswers;
        prompt.folders = {disks.at(1), disks.at(2)};
        const CabinetExport::ExportResult exported = exportTo(source, disks.at(0), &small);
        QTEST(exported.PagesCopied, "exported");
        QVERIFY(!QFileInfo::exists(disks.at(1) + "/Span/VLM.txt"));

        prompt.diskAnswers = importAnswers;
        prompt.folders = {disks.at(1) + "/Span", disks.at(2) + "/Span"};
        const int target = RecordFixture::cabinet("Target");
        ImportCabinetTree(target, disks.at(0) + "/Span", importDisks);
        const QStringList all = snapshot(source);
        const QStringList got = snapshot(target);
        QCOMPARE(got.filter(QRegularExpression("^P ")).size(), pages);
        for (const QString &line : got)
            QVERIFY2(all.contains(line), qPrintable(line));
        QStringList asked = prompt.questions.filter("Please insert disk # ");
        QCOMPARE(asked.size(), int(importAnswers.size()));
    }

    // A folder given for the next disk that is not there is refused and
    // the question comes again.
    void nextDiskMissing()
    {
        const QString root = newFolder("tree");
        TestFiles::write(root + "/VLM.txt", "marker");
        FakePrompt prompt;
        prompt.answers3 = {Prompt::Answer::Yes};
        prompt.diskAnswers = {A::ChooseFolder, A::Cancel};
        prompt.folders = {root + "/unmounted"};
        ImportCabinetTree(RecordFixture::cabinet("Target"), root, 2);
        QCOMPARE(prompt.questions.filter("Please insert disk # 2").size(), 2);
        QVERIFY(prompt.messages.contains(QStringLiteral("'%1/unmounted' does not exist.").arg(root)));
    }

    // A tree laid out by hand: loose files at each level, description
    // files in any letter case, a folder inside a document (ignored), and
    // the marker and details files never taken as pages.
    void handMadeTree()
    {
        const QString root = newFolder("hand");
        TestFiles::write(root + "/VLM.txt", "marker");
        TestFiles::write(root + "/CABINET.TXT", "[Description]\nRoot text\n");
        TestImages::writeJpeg(root + "/a.jpg", QSize(40, 30), 300);
        QDir().mkpath(root + "/D1/F1/G1/sub");
        TestFiles::write(root + "/D1/drawer.TXT", "[description]\r\nDrawer text\r\n");
        TestImages::writeJpeg(root + "/D1/b.jpg", QSize(40, 30), 300);
        TestFiles::write(root + "/D1/F1/c.pdf", "%PDF c");
        TestImages::writeJpeg(root + "/D1/F1/G1/Page 3.jpg", QSize(40, 30), 300);
        TestImages::writeJpeg(root + "/D1/F1/G1/scan.jpg", QSize(40, 30), 300);
        TestImages::writeJpeg(root + "/D1/F1/G1/sub/inner.jpg", QSize(40, 30), 300);
        TestFiles::write(root + "/D1/F1/G1/document.txt", "[Amount]\n12,5\n");
        const int target = RecordFixture::cabinet("Target");
        FakePrompt prompt;
        QCOMPARE(CountImportableFiles(root), 5);
        ImportCabinetTree(target, root, 1);
        const QStringList got = snapshot(target);
        QCOMPARE(got.first(), QString("C Root text"));
        QVERIFY(got.contains("D D1 Drawer text"));
        QVERIFY(got.contains("F D1/Unfiled folder <null>"));
        QVERIFY(got.contains("F Unfiled drawer/Unfiled folder <null>"));
        QVERIFY(got.contains("G D1/F1/G1 [] <null> 12"));
        QCOMPARE(got.filter(QRegularExpression("^P D1/F1/G1 ")).size(), 2);
        QCOMPARE(got.filter(QRegularExpression("^P D1/F1/G1 [34]  ")).size(), 2);
        QCOMPARE(got.filter(QRegularExpression("^P D1/F1/c.pdf 0 Y ")).size(), 1);
        QCOMPARE(got.filter(QRegularExpression("^P (Unfiled drawer/Unfiled folder/a|D1/Unfiled folder/b).jpg ")).size(),
                 2);
        QCOMPARE(rows("Page"), 5);
        QCOMPARE(DbConnection::queryValue("SELECT count(*) FROM Page WHERE Name LIKE '%.txt' OR Name = 'inner.jpg'")
                     .toInt(), 0);
    }

    // Rows of another cabinet hold ids past 32 bits, so the tree's new
    // drawer, folder and document count on from them: each level still
    // goes under the one just made (cut, the ids would name row 1).
    void treeIdsPastThirtyTwoBits()
    {
        const RecordId far = RecordFixture::cabinet("Far");
        const RecordId high = 4294967296LL;
        RecordFixture::insert("INSERT INTO Drawer (DrawerId, CabinetId, Name) VALUES (?, ?, 'D')", {high, far});
        RecordFixture::insert("INSERT INTO Folder (FolderId, DrawerId, Name) VALUES (?, ?, 'F')", {high, high});
        RecordFixture::insert("INSERT INTO Document (DocumentId, FolderId, Name) VALUES (?, ?, 'G')", {high, high});
        const QString root = newFolder("high");
        TestFiles::write(root + "/VLM.txt", "marker");
        QDir().mkpath(root + "/D1/F1/G1");
        TestImages::writeJpeg(root + "/D1/F1/G1/Page 1.jpg", QSize(40, 30), 300);
        const RecordId target = RecordFixture::cabinet("Target");
        FakePrompt prompt;
        ImportCabinetTree(target, root, 1);
        QCOMPARE(prompt.messages, QStringList{});
        const QStringList got = snapshot(target);
        QCOMPARE(got.filter(QRegularExpression("^F D1/F1 ")).size(), 1);
        QCOMPARE(got.filter(QRegularExpression("^P D1/F1/G1 ")).size(), 1);
        QCOMPARE(DbConnection::queryValue("SELECT DocumentId FROM Page").toLongLong(), high + 1);
    }

    // Files at the paths of the next page ids (a killed import's copies,
    // images and other files, and thumbnails; a restored backup's pages)
    // are never written over: the import's new pages pass those ids over,
    // every file there stays as it was, and none fails on a name taken.
    void takenIdsArePassedOver()
    {
        const QString root = newFolder("leftovers");
        QDir().mkpath(root + "/D1/F1/G1");
        TestFiles::write(root + "/D1/F1/G1/c.pdf", "%PDF c");
        TestImages::writeJpeg(root + "/D1/F1/G1/scan.jpg", QSize(40, 30), 300);
        const int target = RecordFixture::cabinet("Target");
        const int first = PageFixture::nextPageId();
        QStringList taken;
        for (RecordId id = first; id < first + 2; ++id) {
            taken << PagePaths::GetDefaultPageFilePath(id) << PagePaths::GetDefaultThumbFilePath(id)
                  << PagePaths::GetDefaultPageFolder(id) + QStringLiteral("/%1.pdf").arg(id);
        }
        for (const QString &path : std::as_const(taken))
            PageFixture::leftover(path);
        FakePrompt prompt;
        ImportCabinetTree(target, root, 1);
        QCOMPARE(prompt.messages, QStringList());
        QCOMPARE(rows("Page"), 2);
        const Recordset pages = DbConnection::OpenRecordset("SELECT PageId, Name, Filename FROM Page ORDER BY PageId");
        for (int row = 0; row < pages.recordCount(); ++row) {
            const RecordId pageId = pages.value(row, 0).toLongLong();
            QVERIFY(pageId >= first + 2);
            const QString name = pages.value(row, 1).toString();
            const QString stored = PagePaths::GetPageFilePath(pageId, NullToEmpty(pages.value(row, 2)));
            QVERIFY2(stored.startsWith(DataFolder::filePath("Pages/")), qPrintable(stored));
            QCOMPARE(TestFiles::read(stored), TestFiles::read(root + "/D1/F1/G1/" + name));
        }
        for (const QString &path : std::as_const(taken))
            QCOMPARE(TestFiles::read(path), PageFixture::LeftoverBytes);
    }

    // A page store that cannot take a file (read-only, from the start or
    // from a folder on) ends the import with one message naming the
    // failure: no error box a directory, no drawer, folder or document
    // made for pages that could not be placed, and the failure counted.
    void unwritablePageStoreStopsOnce_data()
    {
        QTest::addColumn<bool>("bucketOnly");
        QTest::newRow("Pages read-only") << false;
        QTest::newRow("the first bucket read-only") << true;
    }
    void unwritablePageStoreStopsOnce()
    {
        QFETCH(bool, bucketOnly);
        const QString root = newFolder(bucketOnly ? "ro-bucket" : "ro-pages");
        for (const char *document : {"D1/F1/G1", "D1/F2/G2", "D2/F3/G3"}) {
            QDir().mkpath(root + '/' + document);
            TestImages::writeJpeg(root + '/' + document + "/Page 1.jpg", QSize(40, 30), 300);
        }
        const int target = RecordFixture::cabinet("Target");
        const QString readOnly = bucketOnly ? PagePaths::GetDefaultPageFolder(PageFixture::nextPageId())
                                            : DataFolder::pagesFolder();
        QDir().mkpath(readOnly);
        ReadOnlyFolder guard(readOnly);
        if (!guard.holds())
            QSKIP("no folder can be made read-only for this user here");
        FakePrompt prompt;
        const TreeImportResult result = ImportCabinetTree(target, root, 1);
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.kinds.value(0), FakePrompt::Kind::Warning);
        QVERIFY(result.cancelled);
        QVERIFY(!result.failures.isEmpty());
        QCOMPARE(rows("Drawer"), 0);
        QCOMPARE(rows("Folder"), 0);
        QCOMPARE(rows("Document"), 0);
        QCOMPARE(rows("Page"), 0);
    }

    // A crafted tree: what leads out of it, what is not a regular file,
    // names the system cannot decode and oversized text files are named in
    // the report by their path inside the tree and take nothing in; the
    // rest of the tree still comes in.
    void hostileTree_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("named");   // the name the report gives
        QTest::addColumn<QString>("reason");  // a part of the reason
        QTest::addColumn<bool>("warning");    // named among the warnings, not the failures
        QTest::newRow("page linked to /dev/zero") << "zero" << "D1/F1/G1/Page 2.jpg" << "leads out of the folder"
                                                  << false;
        QTest::newRow("page linked out of the tree") << "key" << "D1/F1/G1/Page 2.jpg" << "leads out of the folder"
                                                     << false;
        QTest::newRow("drawer linked out of the tree") << "drawer link" << "Elsewhere" << "leads out of the folder"
                                                       << false;
        QTest::newRow("drawer name not UTF-8")
            << "raw drawer" << QString("Dra%1wer").arg(QChar(QChar::ReplacementCharacter))
            << "not valid in the system's character encoding" << false;
        QTest::newRow("page name not UTF-8") << "raw page"
                                             << QString("D1/F1/G1/Page %1 2.jpg").arg(QChar(QChar::ReplacementCharacter))
                                             << "not valid in the system's character encoding" << false;
        QTest::newRow("huge Document.txt") << "huge info" << "D1/F1/G1/Document.txt" << "larger than" << false;
        QTest::newRow("description too long") << "long description" << "D1/F1/Folder.txt" << "cut to 65535" << true;
        QTest::newRow("Drawer.txt linked out of the tree") << "drawer info link" << "D1/Drawer.txt"
                                                           << "leads out of the folder" << false;
        QTest::newRow("Document.txt linked out of the tree") << "document info link" << "D1/F1/G1/Document.txt"
                                                             << "leads out of the folder" << false;
        QTest::newRow("Cabinet.txt linked to /dev/zero") << "cabinet info zero" << "Cabinet.txt"
                                                         << "leads out of the folder" << false;
        QTest::newRow("Document.txt linked to nothing") << "document info dangling" << "D1/F1/G1/Document.txt"
                                                        << "leads nowhere" << false;
    }
    void hostileTree()
    {
        QFETCH(QString, kind);
        QFETCH(QString, named);
        QFETCH(QString, reason);
        QFETCH(bool, warning);
        const QString root = newFolder("hostile");
        const QString outside = newFolder("outside");
        const QString doc = root + "/D1/F1/G1";
        TestFiles::write(root + "/VLM.txt", "marker");
        QDir().mkpath(doc);
        TestImages::writeJpeg(doc + "/Page 1.jpg", QSize(40, 30), 300);
        TestImages::writeJpeg(outside + "/id_rsa.jpg", QSize(40, 30), 300);
        TestFiles::write(outside + "/secret.txt",
                         "[DateOnDocument]\r\n2001-02-03\r\n\r\n[Description]\r\nsecret\r\n\r\n[Amount]\r\n7\r\n");
        if (kind == "zero")
            QVERIFY(QFile::link("/dev/zero", doc + "/Page 2.jpg"));
        else if (kind == "key")
            QVERIFY(QFile::link(outside + "/id_rsa.jpg", doc + "/Page 2.jpg"));
        else if (kind == "drawer link")
            QVERIFY(QFile::link(outside, root + "/Elsewhere"));
        else if (kind == "raw drawer")
            TestFiles::makeRawDirectory(root, "Dra\xe9wer");
        else if (kind == "raw page")
            TestFiles::writeRaw(doc, "Page \xff 2.jpg", TestFiles::read(doc + "/Page 1.jpg"));
        else if (kind == "huge info") {
            // Sparse: 100 MB that take no room on the disk.
            QFile huge(doc + "/Document.txt");
            QVERIFY(huge.open(QIODevice::WriteOnly));
            QVERIFY(huge.write("[Description]\r\n") > 0);
            QVERIFY(huge.resize(100 * 1024 * 1024));
        } else if (kind == "long description") {
            TestFiles::write(root + "/D1/F1/Folder.txt", "[Description]\r\n" + QByteArray(70000, 'd') + "\r\n");
        } else if (kind == "drawer info link") {
            QVERIFY(QFile::link(outside + "/secret.txt", root + "/D1/Drawer.txt"));
        } else if (kind == "document info link") {
            QVERIFY(QFile::link(outside + "/secret.txt", doc + "/Document.txt"));
        } else if (kind == "cabinet info zero") {
            QVERIFY(QFile::link("/dev/zero", root + "/Cabinet.txt"));
        } else if (kind == "document info dangling") {
            QVERIFY(QFile::link(doc + "/gone.txt", doc + "/Document.txt"));
        }
        const int target = RecordFixture::cabinet("Target");
        FakePrompt prompt;
        const TreeImportResult result = ImportCabinetTree(target, root, 1);
        QVERIFY(!result.cancelled);
        QCOMPARE(rows("Page"), 1);
        QCOMPARE(DbConnection::queryValue("SELECT Name FROM Page").toString(), QString("Page 1.jpg"));
        const QVector<FileImport::ImportFailure> &listed = warning ? result.notes : result.failures;
        QCOMPARE(listed.size(), 1);
        QCOMPARE((warning ? result.failures : result.notes).size(), 0);
        QCOMPARE(listed.first().fileName, named);
        QVERIFY2(listed.first().reason.contains(reason), qPrintable(listed.first().reason));
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY2(prompt.messages.first().contains("\n" + named + ": "), qPrintable(prompt.messages.first()));
        QCOMPARE(rows("Drawer"), 1);
        const QVariant description = DbConnection::queryValue("SELECT Description FROM Folder");
        QCOMPARE(description.toString().size(), warning ? 65535 : 0);
        QVERIFY(DbConnection::queryValue("SELECT length(Description) FROM Document").toInt() <= 65535);
        // Nothing of a file outside the tree reached a record.
        for (const char *table : {"Cabinet", "Drawer", "Folder", "Document"})
            QCOMPARE(DbConnection::queryValue(QStringLiteral("SELECT count(*) FROM %1 WHERE Description LIKE '%secret%'")
                                                  .arg(table)).toInt(), 0);
        QCOMPARE(DbConnection::queryValue("SELECT count(*) FROM Document WHERE Amount = 7 OR DateOnDocument IS NOT NULL")
                     .toInt(), 0);
    }

    // A description file that is a link to another file inside the tree is
    // read through it: only links out of the tree are refused.
    void descriptionLinkInsideTree()
    {
        const QString root = newFolder("linked inside");
        TestFiles::write(root + "/VLM.txt", "marker");
        TestFiles::write(root + "/shared details.txt", "[Description]\r\nShared\r\n");
        QDir().mkpath(root + "/D1/F1/G1");
        TestImages::writeJpeg(root + "/D1/F1/G1/Page 1.jpg", QSize(40, 30), 300);
        QVERIFY(QFile::link(root + "/shared details.txt", root + "/D1/Drawer.txt"));
        FakePrompt prompt;
        const TreeImportResult result = ImportCabinetTree(RecordFixture::cabinet("Target"), root, 1);
        QVERIFY(result.failures.isEmpty());
        QCOMPARE(DbConnection::queryValue("SELECT Description FROM Drawer WHERE Name = 'D1'").toString(),
                 QString("Shared"));
    }

    // The report names a page file with its document, by its path inside
    // the tree, both among the files left out and among those filed with a
    // warning; a loose file of the tree's root by its name.
    void reportNamesPagesWithTheirDocument()
    {
        const QString root = newFolder("named");
        TestFiles::write(root + "/VLM.txt", "marker");
        QDir().mkpath(root + "/Bills/2024/Rent");
        QDir().mkpath(root + "/Bills/2024/Power");
        TestImages::writeJpeg(root + "/Bills/2024/Rent/Page 1.jpg", QSize(40, 30), 300);
        TestFiles::write(root + "/Bills/2024/Power/Page 1.jpg", TestImages::truncatedJpeg(QSize(400, 300)));
        TestFiles::write(root + "/Bills/2024/Rent/Page 2.jpg", "not an image");
        TestFiles::write(root + "/loose.jpg", "not an image either");
        FakePrompt prompt;
        const TreeImportResult result = ImportCabinetTree(RecordFixture::cabinet("Target"), root, 1);
        QStringList failed;
        for (const FileImport::ImportFailure &failure : result.failures)
            failed << failure.fileName;
        failed.sort();
        QCOMPARE(failed, QStringList({"Bills/2024/Rent/Page 2.jpg", "loose.jpg"}));
        QCOMPARE(result.notes.size(), 1);
        QCOMPARE(result.notes.first().fileName, QString("Bills/2024/Power/Page 1.jpg"));
        QVERIFY2(result.notes.first().reason.contains("ends early"), qPrintable(result.notes.first().reason));
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY2(prompt.messages.first().contains("\nBills/2024/Power/Page 1.jpg: The image ends early"),
                 qPrintable(prompt.messages.first()));
    }

    // What a "document.txt" does to a document that has a date already:
    // slots, blanks, letter case, line ends, numbers and dates.
    void documentInfo_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("description");
        QTest::addColumn<double>("amount");
        QTest::newRow("date slot blank") << QByteArray("[DateOnDocument]\r\n\r\n") << "2020-01-01" << "" << 0.0;
        QTest::newRow("decimal comma") << QByteArray("[Amount]\n12,5\n") << "2020-01-01" << "" << 12.0;
        QTest::newRow("decimal point") << QByteArray("[Amount]\n12.5\n") << "2020-01-01" << "" << 12.5;
        QTest::newRow("two lines") << QByteArray("[Description]\nFirst|Second\n") << "2020-01-01" << "First\nSecond"
                                   << 0.0;
        QTest::newRow("American date") << QByteArray("[DateOnDocument]\n3/4/2024\n") << "2024-03-04" << "" << 0.0;
        QTest::newRow("LF only, any case, blanks trimmed") << QByteArray("  [AMOUNT]  \n 3 \n") << "2020-01-01" << ""
                                                        << 3.0;
        QTest::newRow("text outside a slot ignored") << QByteArray("hello\n[Amount]\n\n3\n") << "2020-01-01" << ""
                                                     << 0.0;
        QTest::newRow("later value wins") << QByteArray("[Amount]\n1\n[Amount]\n2\n") << "2020-01-01" << ""
                                          << 2.0;
        QTest::newRow("unreadable date kept") << QByteArray("[DateOnDocument]\nsoon\n") << "2020-01-01" << ""
                                              << 0.0;
        QTest::newRow("Latin-1 file") << QByteArray("[Description]\n\xe9t\xe9\n") << "2020-01-01"
                                      << QString::fromUtf8("été") << 0.0;
    }
    void documentInfo()
    {
        QFETCH(QByteArray, file);
        const RecordId doc = insertDocument(RecordFixture::folder(RecordFixture::drawer(RecordFixture::cabinet("C"), "D"), "F"),
                                       "G", "old", QDate(2020, 1, 1), 99);
        const QString path = newFolder("info") + "/document.txt";
        TestFiles::write(path, file);
        ImportDocumentInfo(path, doc);
        const Recordset rs =
            DbConnection::OpenRecordset("SELECT DateOnDocument, Description, Amount FROM Document WHERE DocumentId = ?",
                                        {doc});
        QTEST(rs.value(0, 0).toString(), "date");
        QTEST(rs.value(0, 1).toString(), "description");
        QTEST(rs.value(0, 2).toDouble(), "amount");
    }

    // Nothing to import on a disk: only Yes imports the structure (here
    // the cabinet's description); No ends the import with nothing changed.
    void structureOnly_data()
    {
        QTest::addColumn<Prompt::Answer>("answer");
        QTest::addColumn<QString>("description");
        QTest::newRow("Yes") << Prompt::Answer::Yes << "Root only";
        QTest::newRow("No") << Prompt::Answer::No << "<null>";
    }
    void structureOnly()
    {
        QFETCH(Prompt::Answer, answer);
        const QString root = newFolder("structure");
        TestFiles::write(root + "/VLM.txt", "marker");
        TestFiles::write(root + "/Cabinet.txt", "[Description]\r\nRoot only\r\n");
        const int target = RecordFixture::cabinet("Target");
        FakePrompt prompt;
        prompt.answers3 = {answer};
        ImportCabinetTree(target, root, 1);
        QCOMPARE(prompt.questions,
                 QStringList{"There are no image files to import.  Import the file cabinet's structure?"});
        QTEST(snapshot(target).first().mid(2), "description");
    }

    // Cancel confirmed after the second file: the walk stops before the
    // next file, and what came in stays.
    void cancelAfterFiles()
    {
        const QString root = newFolder("cancel");
        TestFiles::write(root + "/VLM.txt", "marker");
        QDir().mkpath(root + "/D/F/G");
        QDir().mkpath(root + "/E/F/G");
        for (int n = 1; n <= 3; ++n)
            TestImages::writeJpeg(QStringLiteral("%1/D/F/G/Page %2.jpg").arg(root).arg(n), QSize(30, 20), 300);
        TestImages::writeJpeg(root + "/E/F/G/Page 1.jpg", QSize(30, 20), 300);
        FakePrompt prompt;
        RecordingExchangeProgress progress(2);
        const TreeImportResult result = ImportCabinetTree(RecordFixture::cabinet("Target"), root, 1, &progress);
        QVERIFY(result.cancelled);
        QCOMPARE(rows("Page"), 2);
        QCOMPARE(rows("Drawer"), 1);
        QCOMPARE(progress.ranges.constLast(), qMakePair(1, 4));
    }

    // A tree import ended by the system at a write: while it copies a
    // page, the rows and copies of the documents before it waiting for
    // their commit, or at that commit, when the rows reach the database
    // file after every copy of the batch was placed. Every page row left
    // has its file, and the next import brings in the whole tree, each
    // page with its bytes.
    void killedImportLeavesNoRowWithoutFile_data()
    {
        // Bytes the database may grow by, and a page that is too big to
        // copy (0: none). The small pages, their thumbnails and the
        // journal stay below the database's own size.
        QTest::addColumn<qint64>("headroom");
        QTest::addColumn<int>("bigPage");
        QTest::newRow("copying a page") << qint64(64 * 1024) << 512 * 1024;
        QTest::newRow("committing the rows") << qint64(0) << 0;
    }

    void killedImportLeavesNoRowWithoutFile()
    {
        QFETCH(qint64, headroom);
        QFETCH(int, bigPage);
        constexpr int kDocuments = 8;
        constexpr int kPages = 8;
        const QString root = newFolder("killed");
        for (int g = 1; g <= kDocuments; ++g) {
            const QString document = QStringLiteral("%1/D1/F1/G%2/").arg(root).arg(g);
            QDir().mkpath(document);
            for (int n = 1; n <= kPages; ++n)
                TestImages::writeJpeg(document + QStringLiteral("Page %1.jpg").arg(n), QSize(30, 20), 300,
                                      QColor(30 * g, 30 * n, 90));
            TestFiles::write(document + "c.pdf", "%PDF " + QByteArray::number(g));
        }
        if (bigPage > 0)
            TestFiles::write(QStringLiteral("%1/D1/F1/G%2/Page %3.jpg").arg(root).arg(kDocuments).arg(kPages + 1),
                             paddedJpeg(Qt::blue, bigPage));
        const qint64 limit = QFileInfo(DbConnection::fileName()).size() + headroom;
        const RecordId target = RecordFixture::cabinet("Target");
        QProcess child;
        child.start(QStringLiteral(VLM_INTERRUPTED_TREE_IMPORT),
                    {DataFolder::path(), QString::number(target), root, QString::number(limit)});
        QVERIFY(child.waitForFinished(120000));
        QVERIFY2(child.exitStatus() == QProcess::CrashExit, child.readAllStandardError().constData());
        const Recordset left = DbConnection::OpenRecordset("SELECT PageId, Filename FROM Page");
        for (int row = 0; row < left.recordCount(); ++row) {
            const QString file = PagePaths::GetPageFilePath(left.value(row, 0).toLongLong(), NullToEmpty(left.value(row, 1)));
            QVERIFY2(QFileInfo::exists(file), qPrintable(file));
        }
        FakePrompt prompt;
        ImportCabinetTree(target, root, 1);
        QCOMPARE(prompt.messages, QStringList());
        const int files = kDocuments * (kPages + 1) + (bigPage > 0 ? 1 : 0);
        QCOMPARE(rows("Page"), files);
        const Recordset pages = DbConnection::OpenRecordset(
            "SELECT p.PageId, p.Name, p.Filename, d.Name FROM Page p JOIN Document d ON d.DocumentId = p.DocumentId");
        for (int row = 0; row < pages.recordCount(); ++row) {
            const RecordId pageId = pages.value(row, 0).toLongLong();
            const QString source = QStringLiteral("%1/D1/F1/%2/%3")
                                       .arg(root, pages.value(row, 3).toString(), pages.value(row, 1).toString());
            QCOMPARE(TestFiles::read(PagePaths::GetPageFilePath(pageId, NullToEmpty(pages.value(row, 2)))),
                     TestFiles::read(source));
        }
    }
};

VLM_TEST_GUILESS_MAIN(CabinetImportTest)
#include "CabinetImportTest.moc"

#include "exchange/CabinetExport.h"
#include "exchange/CabinetImport.h"
#include "exchange/PreviousExport.h"

#include "core/RecordId.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/Deletes.h"
#include "store/Records.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/PageFixture.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingExchangeProgress.h"
#include "tests/support/SmallDisks.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestImages.h"

#include <cerrno>

#include <QDir>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QtTest>

using namespace CabinetExport;

namespace {

int g_dests = 0;

QString newDestination(const QString &name = QStringLiteral("out"))
{
    return QStringLiteral("%1/%2 %3").arg(TestEnvironment::root(), name).arg(++g_dests);
}

// Every file and directory below root, relative, sorted; directories end in "/".
QStringList listing(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString relative = QDir(root).relativeFilePath(it.filePath());
        entries.append(it.fileInfo().isDir() ? relative + "/" : relative);
    }
    entries.sort();
    return entries;
}

RecordId documentWith(RecordId folderId, const QString &name, const QVariant &date, const QVariant &description,
                 const QVariant &amount)
{
    return RecordFixture::insert(
        "INSERT INTO Document (FolderId, Name, DateOnDocument, Description, Amount) VALUES (?, ?, ?, ?, ?)",
        {folderId, name, date, description, amount});
}

const QVariant kNull = QVariant(QMetaType(QMetaType::QString));
const QDateTime kNow(QDate(2024, 5, 6), QTime(7, 8, 9));

// A cabinet of one drawer, folder and document holding pages numbered
// 1..pages, each file pageBytes long.
RecordId cabinetOfPages(int pages, int pageBytes = 100, RecordId *documentId = nullptr)
{
    const int cabinet = RecordFixture::cabinet("Span");
    const int doc = RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(cabinet, "D"), "F"), "G");
    for (int n = 1; n <= pages; ++n)
        PageFixture::storedPage(doc, n, QByteArray(pageBytes, char('a' + n)));
    if (documentId)
        *documentId = doc;
    return cabinet;
}

ExportResult run(RecordId cabinetId, const QString &dest, FileCopier *copier = nullptr,
                 ExchangeProgress *progress = nullptr)
{
    ExportOptions options;
    options.copier = copier;
    options.progress = progress;
    options.now = kNow;
    return ExportCabinet(cabinetId, dest, options);
}

// A real JPEG (the import reads what it files) made unique by the bytes
// after its end, which decoders ignore.
QByteArray uniqueJpeg(int n)
{
    static const QByteArray jpeg = [] {
        const QString path = TestEnvironment::root() + "/unique.tmp";
        TestImages::writeJpeg(path, QSize(8, 8), 300);
        return TestFiles::read(path);
    }();
    return jpeg + "page " + QByteArray::number(n);
}

// Every page of a cabinet by document name, number and bytes, in order.
QStringList pagesOf(RecordId cabinetId)
{
    const Recordset pages = DbConnection::OpenRecordset(
        "SELECT d.Name, p.PageNumber, p.PageId, p.Filename FROM Page p"
        " JOIN Document d ON d.DocumentId = p.DocumentId JOIN Folder f ON f.FolderId = d.FolderId"
        " JOIN Drawer r ON r.DrawerId = f.DrawerId WHERE r.CabinetId = ? ORDER BY d.Name, p.PageNumber",
        {cabinetId});
    QStringList lines;
    for (int row = 0; row < pages.recordCount(); ++row) {
        const QByteArray bytes = TestFiles::read(
            PagePaths::GetPageFilePath(pages.value(row, 2).toLongLong(), NullToEmpty(pages.value(row, 3))));
        lines << QStringLiteral("%1 %2 %3")
                     .arg(pages.value(row, 0).toString(), pages.value(row, 1).toString(),
                          QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()));
    }
    return lines;
}

// The names "Page 1.jpg" ... "Page <last>.jpg", sorted as listing() sorts.
QStringList pageNames(int last)
{
    QStringList names;
    for (int n = 1; n <= last; ++n)
        names << QStringLiteral("Page %1.jpg").arg(n);
    names.sort();
    return names;
}

} // namespace

class CabinetExportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // The whole tree of a small cabinet, byte for byte, written in a
    // decimal-comma locale: names cleaned and made unique, every directory
    // made, details in fixed forms, "Document.txt" for an amount alone.
    void goldenTree()
    {
        const int cabinet = RecordFixture::cabinet("Golden");
        Records::updateDescription(RecordLevel::Cabinet, cabinet, "Cab line one\nCab line two");
        const int bills = RecordFixture::drawer(cabinet, "Bills");
        RecordFixture::drawer(cabinet, "A/B");
        const RecordId ab = Records::insertDrawer({cabinet, "AB", "x"});
        RecordFixture::folder(ab, "Empty");
        const RecordId year = Records::insertFolder({bills, "2024", "", ""});
        const int report = documentWith(year, "report.pdf", "2024-03-04", "First\nSecond", 12.5);
        PageFixture::storedPage(report, 1, "page one");
        PageFixture::storedPage(report, 7, "seven a", "a.jpg");
        PageFixture::storedPage(report, 7, "seven b", "b.jpg");
        PageFixture::shortcutPage(report, TestEnvironment::root() + "/Letters/offer.pdf", "%PDF offer");
        documentWith(year, "report.txt", kNull, kNull, kNull);
        documentWith(year, "Amount only", kNull, kNull, 7.0);
        documentWith(year, "Date only", "2023-12-31", kNull, kNull);

        FakePrompt prompt;
        const QString dest = newDestination();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const ExportResult result = run(cabinet, dest);
        QLocale::setDefault(QLocale::c());

        QCOMPARE(result.PagesCopied, 4);
        QCOMPARE(prompt.messages, QStringList{"Export complete. 4 pages copied."});
        const QString c = dest + "/Golden/";
        QCOMPARE(listing(dest),
                 QStringList({"Golden/", "Golden/.VLM files.txt", "Golden/AB (2)/", "Golden/AB (2)/Drawer.txt", "Golden/AB (2)/Empty/",
                              "Golden/AB/", "Golden/Bills/", "Golden/Bills/2024/", "Golden/Bills/2024/Amount only/",
                              "Golden/Bills/2024/Amount only/Document.txt", "Golden/Bills/2024/Date only/",
                              "Golden/Bills/2024/Date only/Document.txt", "Golden/Bills/2024/Folder.txt",
                              "Golden/Bills/2024/report (2)/", "Golden/Bills/2024/report/",
                              "Golden/Bills/2024/report/Document.txt", "Golden/Bills/2024/report/Page 1.jpg",
                              "Golden/Bills/2024/report/Page 7 (2).jpg", "Golden/Bills/2024/report/Page 7.jpg",
                              "Golden/Bills/2024/report/offer.pdf", "Golden/Cabinet.txt", "Golden/VLM.txt"}));
        QCOMPARE(TestFiles::read(c + "VLM.txt"),
                 QByteArray("*** DO NOT DELETE THIS FILE ***\r\nVellumark\r\nCabinet exported: 2024-05-06 07:08:09\r\n"));
        QCOMPARE(TestFiles::read(c + "Cabinet.txt"), QByteArray("[Description]\r\nCab line one|Cab line two\r\n"));
        QCOMPARE(TestFiles::read(c + "AB (2)/Drawer.txt"), QByteArray("[Description]\r\nx\r\n"));
        QCOMPARE(TestFiles::read(c + "Bills/2024/Folder.txt"), QByteArray("[Description]\r\n\r\n"));
        QCOMPARE(TestFiles::read(c + "Bills/2024/report/Document.txt"),
                 QByteArray("[DateOnDocument]\r\n2024-03-04\r\n\r\n[Description]\r\nFirst|Second\r\n\r\n"
                            "[Amount]\r\n12.5\r\n"));
        QCOMPARE(TestFiles::read(c + "Bills/2024/Amount only/Document.txt"),
                 QByteArray("[DateOnDocument]\r\n\r\n\r\n[Description]\r\n\r\n\r\n[Amount]\r\n7\r\n"));
        QCOMPARE(TestFiles::read(c + "Bills/2024/Date only/Document.txt"),
                 QByteArray("[DateOnDocument]\r\n2023-12-31\r\n\r\n[Description]\r\n\r\n\r\n[Amount]\r\n\r\n"));
        QCOMPARE(TestFiles::read(c + "Bills/2024/report/Page 7.jpg"), QByteArray("seven a"));
        QCOMPARE(TestFiles::read(c + "Bills/2024/report/Page 7 (2).jpg"), QByteArray("seven b"));
        QCOMPARE(TestFiles::read(c + "Bills/2024/report/offer.pdf"), QByteArray("%PDF offer"));
        // The record names every file written, one CR LF line each.
        QStringList recorded = QString::fromUtf8(TestFiles::read(c + ".VLM files.txt")).split("\r\n");
        QCOMPARE(recorded.takeLast(), QString());
        recorded.sort();
        QCOMPARE(recorded, listing(c).filter(QRegularExpression("^[^.].*[^/]$")));
    }

    // A destination with full stops in its path, not there yet: every
    // level is made, the empty ones too, and the page arrives.
    void destinationWithDot()
    {
        const int cabinet = RecordFixture::cabinet("Cab.inet");
        RecordFixture::drawer(cabinet, "Empty drawer");
        const int doc = RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(cabinet, "v1.2"), "F.x"),
                                                "Doc");
        PageFixture::storedPage(doc, 1, "bytes");
        FakePrompt prompt;
        const QString dest = newDestination("back.up") + "/exp 2.0";
        QCOMPARE(run(cabinet, dest).PagesCopied, 1);
        QVERIFY(QFileInfo(dest + "/Cabinet/Empty drawer").isDir());
        QCOMPARE(TestFiles::read(dest + "/Cabinet/v12/Fx/Doc/Page 1.jpg"), QByteArray("bytes"));
    }

    // A full disk on a page: the partial file goes, the next disk is asked for, and OK copies the page again
    // at the same path; a second full disk asks for #3; Cancel ends with
    // the pages copied so far.
    void diskFull_data()
    {
        QTest::addColumn<QList<int>>("fullPages");
        QTest::addColumn<QList<Prompt::DiskAnswer>>("answers");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<int>("copied");
        QTest::addColumn<QString>("ending");
        using A = Prompt::DiskAnswer;
        QTest::newRow("OK on the next disk") << QList<int>{3} << QList<A>{A::Ok}
                                             << QStringList{"Please insert disk #2"} << 5 << "complete";
        QTest::newRow("a second full disk") << QList<int>{3, 5} << QList<A>{A::Ok, A::Ok}
                                            << QStringList{"Please insert disk #2", "Please insert disk #3"} << 5
                                            << "complete";
        QTest::newRow("Cancel") << QList<int>{3} << QList<A>{A::Cancel} << QStringList{"Please insert disk #2"} << 2
                                << "cancelled";
    }
    void diskFull()
    {
        QFETCH(QList<int>, fullPages);
        QFETCH(QList<Prompt::DiskAnswer>, answers);
        const int cabinet = cabinetOfPages(5);
        const QString dest = newDestination();
        const QString doc = dest + "/Span/D/F/G/";
        QDir().mkpath(doc);
        SmallDisks disks;
        for (int n : fullPages)
            disks.addFullTarget(QStringLiteral("%1Page %2.jpg").arg(doc).arg(n));
        FakePrompt prompt;
        prompt.diskAnswers = answers;
        const ExportResult result = run(cabinet, dest, &disks);
        QTEST(prompt.questions, "questions");
        QTEST(result.PagesCopied, "copied");
        QFETCH(QString, ending);
        QCOMPARE(prompt.messages, QStringList{QStringLiteral("Export %1. %2 pages copied.").arg(ending).arg(result.PagesCopied)});
        for (int n = 1; n <= result.PagesCopied; ++n) {
            const QFileInfo page(QStringLiteral("%1Page %2.jpg").arg(doc).arg(n));
            QVERIFY(!page.isSymLink());
            QCOMPARE(page.size(), 100);
        }
        // The link that stood for the full disk is gone in every case.
        QVERIFY(!QFileInfo(QStringLiteral("%1Page 3.jpg").arg(doc)).isSymLink());
    }

    // A page that fits on no disk ends the export with its reason instead of
    // asking for one disk after another; so does a write the file system
    // refuses for its size (FAT's 4 GiB, here a size limit): no disk helps.
    void fileFitsNoDisk_data()
    {
        QTest::addColumn<bool>("sizeLimit");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("code");
        QTest::newRow("larger than an empty disk") << false << 1 << ENOSPC;
        QTest::newRow("refused for its size") << true << 0 << EFBIG;
    }
    void fileFitsNoDisk()
    {
        QFETCH(bool, sizeLimit);
        const int cabinet = cabinetOfPages(2, 5000);
        const QString dest = newDestination();
        const QString second = newDestination("second disk");
        QDir().mkpath(second);
        SmallDisks disks;
        disks.addDisk(dest, sizeLimit ? 1 << 20 : 6000);
        disks.addDisk(second, 4000);
        FakePrompt prompt;
        prompt.diskAnswers = {Prompt::DiskAnswer::ChooseFolder, Prompt::DiskAnswer::ChooseFolder};
        prompt.folders = {second, second};
        ExportResult result;
        {
            std::unique_ptr<FileSizeLimit> limit(sizeLimit ? new FileSizeLimit(4096) : nullptr);
            result = run(cabinet, dest, &disks);
        }
        QTEST(int(prompt.questions.size()), "questions");
        QVERIFY(result.failed);
        QCOMPARE(result.PagesCopied, sizeLimit ? 0 : 1);
        QCOMPARE(prompt.kinds.value(prompt.kinds.size() - 2), FakePrompt::Kind::Error);
        QFETCH(int, code);
        QVERIFY(prompt.messages.value(prompt.messages.size() - 2).startsWith(QStringLiteral("Error # %1 ").arg(code)));
        // The file that did not fit is named, with the system's reason.
        if (!sizeLimit)
            QVERIFY2(QRegularExpression("^Error # 28 .*/Page \\d\\.jpg does not fit on an empty disk "
                                        "\\(No space left on device\\)\\.$")
                         .match(prompt.messages.value(prompt.messages.size() - 2))
                         .hasMatch(),
                     qPrintable(prompt.messages.value(prompt.messages.size() - 2)));
        QCOMPARE(prompt.messages.constLast(), QStringLiteral("Export complete. %1 pages copied.").arg(result.PagesCopied));
    }

    // A link placed in the destination where the export puts a directory
    // or a file is never written through: a directory level that is a link
    // is passed over and named, a file that is a link is replaced by the
    // file itself, and what the link points at stays as it was.
    void linkInDestination_data()
    {
        QTest::addColumn<QString>("link");    // relative to the destination
        QTest::addColumn<bool>("directory");  // the link stands for a directory
        QTest::newRow("cabinet directory") << "Span" << true;
        QTest::newRow("document directory") << "Span/D/F/G" << true;
        QTest::newRow("marker file") << "Span/VLM.txt" << false;
        QTest::newRow("page file") << "Span/D/F/G/Page 1.jpg" << false;
    }
    void linkInDestination()
    {
        QFETCH(QString, link);
        QFETCH(bool, directory);
        const int cabinet = cabinetOfPages(1, 10);
        const QString dest = newDestination();
        const QString elsewhere = newDestination("elsewhere");
        const QString victim = elsewhere + "/victim.txt";
        QVERIFY(QDir().mkpath(elsewhere));
        TestFiles::write(victim, "precious");
        const QString linkPath = dest + "/" + link;
        QVERIFY(QDir().mkpath(QFileInfo(linkPath).absolutePath()));
        QVERIFY(QFile::link(directory ? elsewhere : victim, linkPath));
        FakePrompt prompt;
        const ExportResult result = run(cabinet, dest);
        QCOMPARE(listing(elsewhere), QStringList{"victim.txt"});
        QCOMPARE(TestFiles::read(victim), QByteArray("precious"));
        QCOMPARE(result.PagesCopied, directory ? 0 : 1);
        QCOMPARE(result.skipped.size(), directory ? 1 : 0);
        if (directory) {
            QVERIFY(QFileInfo(linkPath).isSymLink());
            QVERIFY(result.skipped.constFirst().startsWith(link + ": "));
            QCOMPARE(prompt.kinds.constLast(), FakePrompt::Kind::Warning);
        } else {
            QVERIFY(!QFileInfo(linkPath).isSymLink());
            QVERIFY(QFileInfo(linkPath).isFile());
            QCOMPARE(prompt.messages, QStringList{"Export complete. 1 pages copied."});
        }
    }

    // A page copies only its own file: a crafted Filename naming the
    // database, a file of the data folder, a file in the working folder or
    // one outside the cabinet's storage path is not copied and is named at
    // the end; the other pages are exported as usual.
    void craftedSourceRefused_data()
    {
        QTest::addColumn<QString>("filename");  // "%" the data folder, "@" the test root
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<QString>("link");      // when set, the Filename is a link to it
        QTest::newRow("the database") << "%/vlm.mdb" << "N" << "";
        QTest::newRow("the database by a shortcut") << "%/vlm.mdb" << "Y" << "";
        QTest::newRow("the backup by a shortcut") << "%/vlm.bak" << "Y" << "";
        QTest::newRow("a link to the database") << "@/outside/notes.pdf" << "Y" << "%/vlm.mdb";
        QTest::newRow("the working folder") << "x.jpg" << "N" << "";
        QTest::newRow("the working folder by a shortcut") << "x.pdf" << "Y" << "";
        QTest::newRow("outside the storage path") << "@/outside/x.jpg" << "N" << "";
        QTest::newRow("parent steps") << "%/Store/../../outside/x.jpg" << "N" << "";
    }
    void craftedSourceRefused()
    {
        QFETCH(QString, filename);
        QFETCH(QString, shortcut);
        QFETCH(QString, link);
        const auto expand = [](QString path) {
            return path.replace("%", DataFolder::path()).replace("@", TestEnvironment::root());
        };
        RecordId doc = 0;
        const int cabinet = cabinetOfPages(1, 10, &doc);
        QVERIFY(QDir().mkpath(expand("%/Store")));
        DbConnection::execute("UPDATE Cabinet SET Storage = 1, StoragePath = ? WHERE CabinetId = ?",
                              {expand("%/Store"), cabinet});
        QVERIFY(QDir().mkpath(expand("@/cwd")));
        QVERIFY(QDir().mkpath(expand("@/outside")));
        for (const char *name : {"@/cwd/x.jpg", "@/cwd/x.pdf", "@/outside/x.jpg", "%/vlm.bak"})
            TestFiles::write(expand(name), "secret");
        const QString source = expand(filename);
        if (!link.isEmpty()) {
            QFile::remove(source);
            QVERIFY(QFile::link(expand(link), source));
        }
        RecordFixture::insert("INSERT INTO Page (DocumentId, Name, PageNumber, Filename, ShortcutYN)"
                              " VALUES (?, 'crafted', 9, ?, ?)",
                              {doc, source, shortcut});
        FakePrompt prompt;
        const QString dest = newDestination();
        const QString oldCwd = QDir::currentPath();
        QDir::setCurrent(expand("@/cwd"));
        const ExportResult result = run(cabinet, dest);
        QDir::setCurrent(oldCwd);
        QCOMPARE(result.PagesCopied, 1);
        QCOMPARE(listing(dest + "/Span/D/F/G"), QStringList{"Page 1.jpg"});
        QCOMPARE(result.refused, QStringList{source});
        QCOMPARE(prompt.messages.size(), 2);
        QCOMPARE(prompt.messages.constFirst(), QStringLiteral("Export complete. 1 pages copied."));
        QCOMPARE(prompt.kinds.constLast(), FakePrompt::Kind::Warning);
        QVERIFY2(prompt.messages.constLast().contains(source), qPrintable(prompt.messages.constLast()));
    }

    // A page whose file is gone is passed over and not counted, and the bar
    // still moves for it.
    void missingPageFile()
    {
        RecordId doc = 0;
        const RecordId cabinet = cabinetOfPages(3, 10, &doc);
        QVERIFY(QFile::remove(PagePaths::GetDefaultPageFilePath(
            DbConnection::queryValue("SELECT PageId FROM Page WHERE PageNumber = 2").toLongLong())));
        FakePrompt prompt;
        RecordingExchangeProgress progress;
        const QString dest = newDestination();
        QCOMPARE(run(cabinet, dest, nullptr, &progress).PagesCopied, 2);
        QCOMPARE(progress.ranges.constLast(), qMakePair(1, 4));
        QCOMPARE(progress.value, 3);
        QVERIFY(!QFileInfo::exists(dest + "/Span/D/F/G/Page 2.jpg"));
    }

    // A cabinet without pages: only Yes writes its tree; every answer ends
    // with the count of 0.
    void emptyCabinet_data()
    {
        QTest::addColumn<Prompt::Answer>("answer");
        QTest::addColumn<bool>("written");
        QTest::newRow("Yes") << Prompt::Answer::Yes << true;
        QTest::newRow("No") << Prompt::Answer::No << false;
        QTest::newRow("Cancel") << Prompt::Answer::Cancel << false;
    }
    void emptyCabinet()
    {
        QFETCH(Prompt::Answer, answer);
        QFETCH(bool, written);
        const int cabinet = RecordFixture::cabinet("Empty");
        RecordFixture::folder(RecordFixture::drawer(cabinet, "D"), "F");
        FakePrompt prompt;
        prompt.answers3 = {answer};
        const QString dest = newDestination();
        run(cabinet, dest);
        QCOMPARE(prompt.questions, QStringList{"There are no images in this cabinet.  Export an empty cabinet?"});
        QCOMPARE(prompt.messages, QStringList{"Export complete. 0 pages copied."});
        QCOMPARE(listing(dest), written ? QStringList({"Empty/", "Empty/.VLM files.txt", "Empty/D/", "Empty/D/F/", "Empty/VLM.txt"})
                                        : QStringList());
    }

    // Cancel confirmed in the dialog after the second page: nothing more
    // is written, and the end message says the export was cancelled and
    // how many pages went out.
    void cancelMidWalk()
    {
        const int cabinet = cabinetOfPages(4);
        RecordFixture::drawer(cabinet, "Later drawer");
        FakePrompt prompt;
        // The first step counts the cabinet; pages follow.
        RecordingExchangeProgress progress(3);
        const QString dest = newDestination();
        const ExportResult result = run(cabinet, dest, nullptr, &progress);
        QVERIFY(result.cancelled);
        QCOMPARE(result.PagesCopied, 2);
        QCOMPARE(listing(dest + "/Span/D/F/G"), QStringList({"Page 1.jpg", "Page 2.jpg"}));
        QVERIFY(!QFileInfo::exists(dest + "/Span/Later drawer"));
        QCOMPARE(prompt.messages, QStringList{"Export cancelled. 2 pages copied."});
    }

    // The yearly backup into one folder: export, move two pages to another
    // document, delete one, export again. Yes clears the earlier export
    // first, so the tree holds the cabinet as it is and imports back as it;
    // No keeps the earlier files beside the new ones; Cancel writes nothing
    // and reports nothing. A user's file inside the tree stays every time.
    void exportAgain_data()
    {
        QTest::addColumn<Prompt::Answer>("answer");
        QTest::addColumn<int>("filesOfG");
        QTest::addColumn<int>("filesOfH");
        QTest::newRow("Yes") << Prompt::Answer::Yes << 22 << 3;
        QTest::newRow("No") << Prompt::Answer::No << 25 << 3;
        QTest::newRow("Cancel") << Prompt::Answer::Cancel << 25 << 1;
    }
    void exportAgain()
    {
        QFETCH(Prompt::Answer, answer);
        QFETCH(int, filesOfG);
        QFETCH(int, filesOfH);
        const RecordId cabinet = RecordFixture::cabinet("Yearly");
        const RecordId folder = RecordFixture::folder(RecordFixture::drawer(cabinet, "D"), "F");
        const RecordId g = RecordFixture::document(folder, "G");
        const RecordId h = RecordFixture::document(folder, "H");
        QList<RecordId> pagesOfG;
        for (int n = 1; n <= 25; ++n)
            pagesOfG << PageFixture::storedPage(g, n, uniqueJpeg(n));
        PageFixture::storedPage(h, 1, uniqueJpeg(100));
        const QString dest = newDestination();
        FakePrompt prompt;
        QCOMPARE(run(cabinet, dest).PagesCopied, 26);
        const QString mine = dest + "/Yearly/D/F/G/Originals/mine.txt";
        TestFiles::writeFile(mine, "my own notes");

        DbConnection::execute("UPDATE Page SET DocumentId = ?, PageNumber = 2 WHERE PageId = ?", {h, pagesOfG.at(23)});
        DbConnection::execute("UPDATE Page SET DocumentId = ?, PageNumber = 3 WHERE PageId = ?", {h, pagesOfG.at(24)});
        QVERIFY(Deletes::deletePages({pagesOfG.at(22)}).unremovedFiles.isEmpty());
        prompt.messages.clear();
        prompt.answers3 = {answer};
        const ExportResult again = run(cabinet, dest);

        QCOMPARE(prompt.questions, QStringList{PreviousExport::question(dest + "/Yearly")});
        QCOMPARE(again.declined, answer == Prompt::Answer::Cancel);
        QCOMPARE(prompt.messages, answer == Prompt::Answer::Cancel ? QStringList()
                                                                   : QStringList{"Export complete. 25 pages copied."});
        QStringList expectedG = pageNames(filesOfG) << "Originals/" << "Originals/mine.txt";
        expectedG.sort();
        QCOMPARE(listing(dest + "/Yearly/D/F/G"), expectedG);
        QCOMPARE(listing(dest + "/Yearly/D/F/H"), pageNames(filesOfH));
        QCOMPARE(TestFiles::read(mine), QByteArray("my own notes"));
        if (answer != Prompt::Answer::Yes)
            return;

        // Read back into a fresh archive, the tree gives the cabinet's pages.
        const QStringList expected = pagesOf(cabinet);
        QCOMPARE(expected.size(), 25);
        TestEnvironment::openFreshDatabase();
        const RecordId fresh = RecordFixture::cabinet("Yearly");
        const CabinetImport::TreeImportResult imported = CabinetImport::ImportCabinetTree(fresh, dest + "/Yearly", 1);
        QVERIFY(!imported.cancelled);
        QCOMPARE(pagesOf(fresh), expected);
    }

    // Yes over an earlier export removes what it wrote and nothing else: by
    // its record, every file it names that is still there (a user's file,
    // even one named like a page, stays); without a record, the names an
    // export gives. A Cancel meanwhile is honoured once the removal is done;
    // a removal that fails leaves the marker, so the next export asks again.
    void exportOverEarlier_data()
    {
        QTest::addColumn<bool>("recorded");
        QTest::addColumn<QString>("trouble");   // "cancel" or "read-only"
        QTest::addColumn<QStringList>("exported");
        QTest::addColumn<QString>("ending");
        const QStringList tree{".VLM files.txt", "D/F/G/Page 1.jpg", "D/F/G/Page 2.jpg", "VLM.txt"};
        QTest::newRow("its record") << true << "" << tree << "Export complete. 2 pages copied.";
        QTest::newRow("no record") << false << "" << tree << "Export complete. 2 pages copied.";
        QTest::newRow("Cancel") << true << "cancel" << QStringList() << "Export cancelled. 0 pages copied.";
        QTest::newRow("removal fails") << true << "read-only" << (QStringList(tree) << "D/F/G/Page 3.jpg")
                                       << "Export complete. 0 pages copied.";
    }
    void exportOverEarlier()
    {
        QFETCH(bool, recorded);
        QFETCH(QString, trouble);
        QFETCH(QStringList, exported);
        const RecordId cabinet = cabinetOfPages(3);
        const QString dest = newDestination();
        const QString c = dest + "/Span/";
        FakePrompt prompt;
        QCOMPARE(run(cabinet, dest).PagesCopied, 3);
        QStringList users{"my notes.odt", "D/my notes.odt", "D/F/my notes.odt", "D/F/G/my notes.odt", "D/F/G/Page 9.jpg"};
        for (const QString &user : users)
            TestFiles::writeFile(c + user, "mine");
        if (!recorded)
            QVERIFY(QFile::remove(c + ".VLM files.txt"));
        QVERIFY(Deletes::deletePages({DbConnection::queryValue("SELECT MAX(PageId) FROM Page").toLongLong()})
                    .unremovedFiles.isEmpty());
        std::unique_ptr<ReadOnlyFolder> locked(trouble == "read-only" ? new ReadOnlyFolder(c + "D/F/G") : nullptr);
        if (locked && !locked->holds())
            QSKIP("A folder cannot be made read-only here.");
        RecordingExchangeProgress progress;
        progress.cancelAtCaption = trouble == "cancel" ? "Remove file" : "";
        prompt.answers3 = {Prompt::Answer::Yes};
        run(cabinet, dest, nullptr, &progress);
        locked.reset();

        QTEST(prompt.messages.constLast(), "ending");
        if (!recorded)
            users.removeLast();
        QStringList expected = users + exported + QStringList{"D/", "D/F/", "D/F/G/"};
        expected.sort();
        QCOMPARE(listing(c), expected);
        QCOMPARE(PreviousExport::find(dest, "Span").has_value(), exported.contains("VLM.txt"));
    }

    // Clearing an earlier export without a record never follows a link and
    // removes only names an export gives: a link standing for a page file
    // goes and what it points at stays; a drawer that is a link is not
    // entered; the user's files beside the cabinet's, drawer's and folder's
    // contents, hidden ones, a page that keeps its own name and those of a
    // directory inside a document stay; a document directory left empty goes.
    void clearingKeepsWhatExportDidNotWrite()
    {
        const QString dest = newDestination();
        const QString c = dest + "/Cab/";
        const QString elsewhere = newDestination("elsewhere");
        TestFiles::writeFile(elsewhere + "/victim.jpg", "precious");
        TestFiles::writeFile(elsewhere + "/Drawer.txt", "precious");
        TestFiles::writeFile(elsewhere + "/F/G/Page 1.jpg", "precious");
        for (const char *exported : {"vlm.TXT", "Cabinet.txt", "D/Drawer.txt", "D/F/Folder.txt", "D/F/G/Document.txt",
                                     "D/F/G/Page 1.jpg", "D/F/G/Page 1 (2).jpg", "D/F/G/offer.pdf",
                                     "D/F/Gone/Page 4.jpg"})
            TestFiles::writeFile(c + exported, "old");
        QVERIFY(QFile::link(elsewhere + "/victim.jpg", c + "D/F/G/Page 2.jpg"));
        QVERIFY(QFile::link(elsewhere, c + "Linked drawer"));
        const QStringList users{"README.txt", "D/notes.txt", "D/F/Drawer.txt", "D/F/list.csv",
                                "D/F/G/.directory", "D/F/G/Originals/scan.tif", "D/F/G/Folder.txt"};
        for (const QString &user : users)
            TestFiles::writeFile(c + user, "user");

        QCOMPARE(PreviousExport::find(dest, "Cab"), std::optional<QString>(dest + "/Cab"));
        QStringList steps;
        const PreviousExport::Cleared cleared =
            PreviousExport::clear(dest + "/Cab", [&](const QString &relative) { steps << relative; });
        QVERIFY(!cleared.error);
        QCOMPARE(cleared.removed, 10);   // nine files and links, and the directory "Gone"
        QCOMPARE(listing(dest + "/Cab"),
                 QStringList({"D/", "D/F/", "D/F/Drawer.txt", "D/F/G/", "D/F/G/.directory", "D/F/G/Folder.txt",
                              "D/F/G/Originals/", "D/F/G/Originals/scan.tif", "D/F/G/offer.pdf", "D/F/list.csv", "D/notes.txt",
                              "Linked drawer/", "README.txt"}));
        QCOMPARE(listing(elsewhere), QStringList({"Drawer.txt", "F/", "F/G/", "F/G/Page 1.jpg", "victim.jpg"}));
        for (const QString &file : {elsewhere + "/victim.jpg", elsewhere + "/Drawer.txt", elsewhere + "/F/G/Page 1.jpg"})
            QCOMPARE(TestFiles::read(file), QByteArray("precious"));
        QVERIFY(steps.contains("D/F/G/Page 2.jpg"));
        // Without its marker the folder holds no earlier export; a cabinet
        // folder that is a link holds none either.
        QVERIFY(!PreviousExport::find(dest, "Cab"));
        QVERIFY(QFile::link(dest + "/Cab", dest + "/Linked cabinet"));
        TestFiles::writeFile(c + "VLM.txt", "marker");
        QVERIFY(PreviousExport::find(dest, "Cab"));
        QVERIFY(!PreviousExport::find(dest, "Linked cabinet"));
    }
};

VLM_TEST_GUILESS_MAIN(CabinetExportTest)
#include "CabinetExportTest.moc"

#include "store/PageBirth.h"

#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/FolderPresence.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "tests/support/BirthTrace.h"
#include "tests/support/PageFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingChanges.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {

const QByteArray kImage = QByteArrayLiteral("the page's image");
const QByteArray kThumb = QByteArrayLiteral("the page's thumbnail");

QString scratch(const QString &name)
{
    const QString path = TestEnvironment::root() + QStringLiteral("/scratch/") + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return path;
}

// A cabinet keeping its pages in folder, with a document.
RecordId documentInStorage(const QString &folder)
{
    const RecordId cabinet = RecordFixture::insert(
        "INSERT INTO Cabinet (Name, Storage, StoragePath) VALUES ('Own', 1, ?)", {folder});
    return RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(cabinet, "D"), "F"), "Doc");
}

QVariant column(RecordId pageId, const char *name)
{
    return DbConnection::queryValue(QStringLiteral("SELECT %1 FROM Page WHERE PageId = ?").arg(QLatin1String(name)),
                                    {pageId});
}

} // namespace

class PageBirthTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // Each way a page comes in gets its file where its row says, the row
    // the page rules give (shortcut pages number 0), and its file, folder
    // and the folder above synced before the rows commit.
    void placesEachKind_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("shortcut");
        QTest::addColumn<bool>("stored");   // a Filename is stored
        QTest::newRow("encoded bytes") << "bytes" << false << false;
        QTest::newRow("a file copied") << "copy" << false << false;
        QTest::newRow("a staged copy renamed") << "staged" << false << false;
        QTest::newRow("a copy of a file that is no image") << "pdf" << true << true;
        QTest::newRow("the user's file where it lies") << "shortcut" << true << true;
        QTest::newRow("named by id in a cabinet's own folder") << "byid" << false << true;
        QTest::newRow("named by the user") << "named" << false << true;
    }
    void placesEachKind()
    {
        QFETCH(QString, kind);
        QFETCH(bool, shortcut);
        QFETCH(bool, stored);
        const QString own = scratch(QStringLiteral("own-%1").arg(kind));
        QDir().mkpath(own);
        const RecordId documentId = kind == "byid" ? documentInStorage(own) : RecordFixture::documentInNewFolder();
        const QString source = scratch(kind + QStringLiteral(".src"));
        TestFiles::write(source, kImage);
        PageBirth::NewPage page;
        page.documentId = documentId;
        page.thumbnail = kThumb;
        if (kind == "bytes" || kind == "byid" || kind == "named")
            page.bytes = kImage;
        if (kind == "copy")
            page.copyOf = source;
        if (kind == "staged" || kind == "pdf")
            page.staged = source;
        if (kind == "pdf")
            page.extension = QStringLiteral(".pdf");
        if (kind == "shortcut")
            page.shortcutTo = source;
        if (kind == "byid")
            page.nameByIdIn = own;
        if (kind == "named")
            page.userNamedFile = own + QStringLiteral("/letter.jpg");

        BirthTrace trace;
        RecordId pageId = 0;
        {
            PageBirth birth;
            pageId = birth.add(page).pageId;
            birth.commit();
        }
        const QString image = kind == "shortcut" ? source
            : kind == "pdf"                      ? PagePaths::GetDefaultPageFolder(pageId) + QStringLiteral("/1.pdf")
            : kind == "byid"                     ? own + QStringLiteral("/1.jpg")
            : kind == "named"                    ? page.userNamedFile
                                                 : PagePaths::GetDefaultPageFilePath(pageId);
        QCOMPARE(pageId, 1);
        QCOMPARE(TestFiles::read(image), kImage);
        QCOMPARE(column(pageId, "PageNumber").toInt(), shortcut ? 0 : 1);
        QCOMPARE(column(pageId, "ShortcutYN").toString(), shortcut ? QStringLiteral("Y") : QString());
        QCOMPARE(column(pageId, "Filename").toString(), stored ? image : QString());
        QCOMPARE(column(pageId, "FileSize").toLongLong(), kImage.size());
        QCOMPARE(QFileInfo::exists(source), kind == "bytes" || kind == "copy" || kind == "shortcut" || kind == "byid"
                                                || kind == "named");
        if (!shortcut)
            QCOMPARE(TestFiles::read(PagePaths::GetThumbFilePath(pageId, stored ? image : QString())), kThumb);
        if (kind == "shortcut")
            return;
        const QString folder = QFileInfo(image).absolutePath();
        for (const QString &synced : {image, folder, QFileInfo(folder).absolutePath()})
            QVERIFY2(trace.syncedBeforeCommit(synced), qPrintable(synced + "\n" + trace.events().join('\n')));
    }

    // Whatever stands at a new page's paths (a restored backup's page, a
    // killed run's leftover, a link, a folder) is never written over or
    // through: that id is passed over and what stands there stays.
    void passesOverTakenIds_data()
    {
        QTest::addColumn<QString>("standing");
        QTest::newRow("an image") << "image";
        QTest::newRow("a thumbnail") << "thumbnail";
        QTest::newRow("a dangling link at the image") << "link";
        QTest::newRow("a folder at the thumbnail") << "folder";
        QTest::newRow("a file in the cabinet's own folder") << "own";
    }
    void passesOverTakenIds()
    {
        QFETCH(QString, standing);
        const QString own = scratch(QStringLiteral("taken-%1").arg(standing));
        QDir().mkpath(own);
        const RecordId documentId = documentInStorage(own);
        const RecordId first = PageFixture::nextPageId();
        const QString taken = standing == "image"     ? PagePaths::GetDefaultPageFilePath(first)
                            : standing == "own"       ? own + QStringLiteral("/%1.jpg").arg(first)
                            : standing == "link"      ? PagePaths::GetDefaultPageFilePath(first)
                                                      : PagePaths::GetDefaultThumbFilePath(first);
        if (standing == "link") {
            QDir().mkpath(QFileInfo(taken).absolutePath());
            QVERIFY(QFile::link(scratch("elsewhere.jpg"), taken));
        } else if (standing == "folder") {
            QVERIFY(QDir().mkpath(taken));
        } else {
            PageFixture::leftover(taken);
        }
        PageBirth::NewPage page;
        page.documentId = documentId;
        page.bytes = kImage;
        page.thumbnail = kThumb;
        page.nameByIdIn = own;
        PageBirth birth;
        const PageBirth::Born born = birth.add(page);
        birth.commit();
        QCOMPARE(born.pageId, first + 1);
        QCOMPARE(TestFiles::read(own + QStringLiteral("/%1.jpg").arg(first + 1)), kImage);
        QVERIFY(!Pages::pageExists(first));
        if (standing == "link")
            QVERIFY(QFileInfo(taken).isSymLink() && !QFileInfo::exists(scratch("elsewhere.jpg")));
        else if (standing == "folder")
            QVERIFY(QFileInfo(taken).isDir());
        else
            QCOMPARE(TestFiles::read(taken), PageFixture::LeftoverBytes);
        // The next page goes on from there: a passed-over id never comes back.
        QCOMPARE(Pages::NextPageId(), first + 2);
    }

    // A file the user named was asked about, and is replaced.
    void userNamedFileIsReplaced()
    {
        const QString named = scratch("named/letter.jpg");
        TestFiles::write(named, "the user's old letter");
        PageBirth::NewPage page;
        page.documentId = RecordFixture::documentInNewFolder();
        page.bytes = kImage;
        page.userNamedFile = named;
        PageBirth birth;
        QCOMPARE(birth.add(page).pageId, 1);
        birth.commit();
        QCOMPARE(TestFiles::read(named), kImage);
    }

    // Rows that do not commit leave no row and take back every file placed
    // for them: written and copied files and thumbnails go, a rescued file
    // goes back where it lay, and pages a nested change handed over go with
    // the change that fails.
    void failedCommitTakesFilesBack_data()
    {
        QTest::addColumn<bool>("nested");
        QTest::newRow("one change") << false;
        QTest::newRow("pages handed over by a nested change") << true;
    }
    void failedCommitTakesFilesBack()
    {
        QFETCH(bool, nested);
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const QString source = scratch(QStringLiteral("copy-%1.jpg").arg(nested));
        TestFiles::write(source, kImage);
        // A file of the page store that no row names, under an id with a row.
        const RecordId named = PageFixture::storedPage(documentId, 1, "its own image");
        const QString lost = PagePaths::GetDefaultPageFolder(named) + QStringLiteral("/%1.pdf").arg(named);
        TestFiles::write(lost, "a copy no row names");
        BirthTrace trace;
        QList<PageBirth::Born> born;
        const auto addAll = [&](PageBirth &birth) {
            PageBirth::NewPage page;
            page.documentId = documentId;
            page.bytes = kImage;
            page.thumbnail = kThumb;
            born.append(birth.add(page));
            page.bytes.clear();
            page.copyOf = source;
            born.append(birth.add(page));
            page.copyOf.clear();
            page.rescue = lost;
            page.rescueId = named;
            born.append(birth.add(page));
        };
        {
            PageBirth outer;
            if (nested) {
                PageBirth inner;
                addAll(inner);
                inner.commit();
            } else {
                addAll(outer);
            }
            trace.failNextCommit();
            QVERIFY_THROWS_EXCEPTION(AppError, outer.commit());
        }
        QCOMPARE(RecordFixture::rowCount("Page"), 1);
        for (const PageBirth::Born &page : born) {
            QVERIFY2(!QFileInfo::exists(page.imagePath), qPrintable(page.imagePath));
            QVERIFY(page.thumbPath.isEmpty() || !QFileInfo::exists(page.thumbPath));
        }
        QCOMPARE(TestFiles::read(lost), QByteArray("a copy no row names"));
        QCOMPARE(TestFiles::read(PagePaths::GetDefaultPageFilePath(named)), QByteArray("its own image"));
        QCOMPARE(TestFiles::read(source), kImage);
    }

    // Each page is a savepoint: one that fails leaves nothing, the pages
    // before it stay and commit.
    void failingPageLeavesOthers()
    {
        const RecordId documentId = RecordFixture::documentInNewFolder();
        PageBirth birth;
        PageBirth::NewPage page;
        page.documentId = documentId;
        page.bytes = kImage;
        const PageBirth::Born kept = birth.add(page);
        page.bytes.clear();
        page.copyOf = scratch("not there.jpg");
        PageBirth::Step step = PageBirth::Step::Checks;
        QVERIFY_THROWS_EXCEPTION(AppError, birth.add(page, &step));
        QCOMPARE(step, PageBirth::Step::File);
        birth.commit();
        QCOMPARE(RecordFixture::rowCount("Page"), 1);
        QVERIFY(Pages::pageExists(kept.pageId));
        QCOMPARE(QDir(PagePaths::GetDefaultPageFolder(kept.pageId)).entryList(QDir::Files),
                 QStringList{QStringLiteral("1.jpg")});
    }

    // The notices go out after the outermost commit only, several in one
    // batch, none for a file import's pages and none for rows rolled back.
    void noticesFollowTheCommit()
    {
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const RecordingChanges noticed;
        PageBirth::NewPage page;
        page.documentId = documentId;
        page.bytes = kImage;
        {
            PageBirth dropped;
            (void)dropped.add(page);
        }
        QCOMPARE(noticed.events, QStringList());
        PageBirth outer;
        {
            PageBirth inner;
            (void)inner.add(page);
            inner.commit();
        }
        (void)outer.add(page);
        page.notice = false;
        (void)outer.add(page);
        QCOMPARE(noticed.events, QStringList());
        outer.commit();
        // The page of the change rolled back gave its id back.
        QCOMPARE(noticed.events, (QStringList{"begin", "page 1", "page 2", "end"}));
    }

    // A folder whose disk is not there (its mount point empty or gone)
    // takes no new page: a cabinet's own storage folder that holds none of
    // its pages' files, the page store likewise; a missing folder is made
    // again only where no page lies yet and the folder above it exists.
    void folderMustBeThere_data()
    {
        QTest::addColumn<QString>("place");    // "storage": the cabinet's own folder; "store": the page store
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("refusal");  // "" taken; else which message
        QTest::newRow("storage: no pages there yet, folder missing") << "storage" << "new missing" << "";
        QTest::newRow("storage: no pages there yet, folder and the one above gone")
            << "storage" << "new gone" << "unmakeable";
        QTest::newRow("storage: pages there, folder missing") << "storage" << "missing" << "storage";
        QTest::newRow("storage: pages there, folder empty") << "storage" << "empty" << "storage";
        QTest::newRow("storage: pages there, other files only") << "storage" << "others" << "storage";
        QTest::newRow("storage: pages there, one of them present") << "storage" << "present" << "";
        QTest::newRow("store: linked to an empty mount point") << "store" << "empty" << "store";
        QTest::newRow("store: missing, pages there") << "store" << "missing" << "store";
        QTest::newRow("store: missing, no pages yet") << "store" << "new missing" << "";
        QTest::newRow("store: one of its pages present") << "store" << "present" << "";
    }
    void folderMustBeThere()
    {
        QFETCH(QString, place);
        QFETCH(QString, state);
        QFETCH(QString, refusal);
        const QString disk = scratch(QStringLiteral("disk-%1").arg(QTest::currentDataTag()).replace(' ', '-'));
        QDir(disk).removeRecursively();
        const bool storage = place == "storage";
        const QString folder = storage ? (state == "new gone" ? disk + "/Scans" : disk) : DataFolder::pagesFolder();
        QDir(DataFolder::pagesFolder()).removeRecursively();
        const RecordId documentId = storage ? documentInStorage(folder) : RecordFixture::documentInNewFolder();
        QStringList pages;
        if (!state.startsWith("new")) {
            for (int n = 1; n <= 3; ++n)
                pages << PagePaths::GetPageFilePath(storage ? RecordFixture::linkedPage(documentId, folder + QStringLiteral("/scan%1.jpg").arg(n))
                                                            : RecordFixture::linkedPage(documentId));
        }
        if (state == "empty" && storage)
            QVERIFY(QDir().mkpath(folder));
        if (state == "empty" && !storage)
            QVERIFY(QDir().mkpath(disk) && QFile::link(disk, folder));
        if (state == "others")
            TestFiles::writeFile(folder + "/lost+found.txt", "not a page");
        if (state == "present")
            TestFiles::writeFile(pages.at(1), "a page of the cabinet");

        PageBirth::NewPage page;
        page.documentId = documentId;
        page.bytes = kImage;
        if (storage)
            page.nameByIdIn = folder;
        const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        PageBirth birth;
        try {
            const PageBirth::Born born = birth.add(page);
            birth.commit();
            QVERIFY(refusal.isEmpty());
            QCOMPARE(TestFiles::read(born.imagePath), kImage);
        } catch (const AppError &e) {
            QVERIFY2(!refusal.isEmpty(), qPrintable(e.message()));
            QCOMPARE(e.code, int(ErrorCode::StorageUnavailable));
            if (refusal == "storage")
                QCOMPARE(e.text, FolderPresence::storageMessage(folder, 3));
            else if (refusal == "store")
                QCOMPARE(e.text, FolderPresence::pageStoreMessage(folder, 3));
            else
                QVERIFY2(e.text.startsWith("The folder \"" + folder + "\" cannot be made"), qPrintable(e.text));
            // Nothing made, nothing written.
            QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
            QCOMPARE(QFileInfo(folder).isDir(), state == "empty" || state == "others");
            if (state == "new gone")
                QVERIFY(!QFileInfo::exists(disk));
        }
    }

    // A file of the page store that no row names is filed where it lies
    // under its own id when that id has no row, its thumbnail kept; under
    // a new id, moved there, when its id's row names another file.
    void rescueFilesWhereItCan()
    {
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const RecordId rowless = 41;
        const QString image = PagePaths::GetDefaultPageFilePath(rowless);
        PageFixture::leftover(image);
        PageFixture::leftover(PagePaths::GetDefaultThumbFilePath(rowless));
        const RecordId withRow = PageFixture::storedPage(documentId, 1, "its own image");
        const QString copy = PagePaths::GetDefaultPageFolder(withRow) + QStringLiteral("/%1.pdf").arg(withRow);
        TestFiles::write(copy, "a copy no row names");

        BirthTrace trace;
        PageBirth birth;
        PageBirth::NewPage page;
        page.documentId = documentId;
        page.rescue = image;
        page.rescueId = rowless;
        const PageBirth::Born inPlace = birth.add(page);
        page.rescue = copy;
        page.rescueId = withRow;
        const PageBirth::Born moved = birth.add(page);
        birth.commit();

        QCOMPARE(inPlace.pageId, rowless);
        QCOMPARE(TestFiles::read(image), PageFixture::LeftoverBytes);
        // A killed run may have left it unsynced: on the disk before its row.
        QVERIFY(trace.syncedBeforeCommit(image));
        QCOMPARE(TestFiles::read(PagePaths::GetDefaultThumbFilePath(rowless)), PageFixture::LeftoverBytes);
        QCOMPARE(column(rowless, "Filename").toString(), QString());
        QCOMPARE(moved.pageId, rowless + 1);
        QVERIFY(!QFileInfo::exists(copy));
        const QString placed = PagePaths::GetDefaultPageFolder(moved.pageId) + QStringLiteral("/%1.pdf").arg(moved.pageId);
        QCOMPARE(TestFiles::read(placed), QByteArray("a copy no row names"));
        QCOMPARE(column(moved.pageId, "Filename").toString(), placed);
        QCOMPARE(column(moved.pageId, "ShortcutYN").toString(), QStringLiteral("Y"));
        QCOMPARE(TestFiles::read(PagePaths::GetDefaultPageFilePath(withRow)), QByteArray("its own image"));
    }
};

VLM_TEST_GUILESS_MAIN(PageBirthTest)
#include "PageBirthTest.moc"

#include "exchange/CabinetImport.h"
#include "core/Guard.h"
#include "exchange/FileImport.h"
#include "imaging/PageSave.h"
#include "navigation/NavDrop.h"
#include "navigation/PageClipboard.h"
#include "platform/DataFolder.h"
#include "store/FolderPresence.h"
#include "store/PageBirth.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "tests/support/BirthTrace.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestImages.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QtTest>

namespace {

// The one page the database holds after a kind of new page came in.
RecordId onlyPage()
{
    return DbConnection::queryValue(QStringLiteral("SELECT MAX(PageId) FROM Page")).toLongLong();
}

QImage scan()
{
    QImage image(120, 160, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

// One row for each way a page comes in.
void addKindRows()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("import") << "import";
    QTest::newRow("tree import") << "tree";
    QTest::newRow("scan") << "scan";
    QTest::newRow("viewer save as a new page") << "save";
    QTest::newRow("drop") << "drop";
    QTest::newRow("paste") << "paste";
}

// Where a page of that kind comes from.
struct Target
{
    RecordId cabinetId = 0;
    RecordId folderId = 0;
    RecordId documentId = 0;
    QString nameByIdIn;   // a cabinet's own storage folder, for scans and saves
};

// A real JPEG in a fresh source folder, laid out as a tree for a tree
// import: the file.
QString sourceFile(const QString &kind, const QString &folder)
{
    QDir(folder).removeRecursively();
    const QString file = kind == "tree" ? folder + "Drawer/Folder/Document/Page 1.jpg" : folder + "scan.jpg";
    QDir().mkpath(QFileInfo(file).absolutePath());
    TestImages::writeJpeg(file, QSize(60, 80), 96);
    return file;
}

// Brings file (in folder) in as a page of that kind. A refusal a save or
// scan gives back rather than shows comes back; the rest is shown through
// the prompt.
QString bringIn(const QString &kind, const Target &target, const QString &folder, const QString &file)
{
    if (kind == "import") {
        (void)FileImport::ImportFiles(target.folderId, folder, FileImport::TargetKind::Folder, QString());
    } else if (kind == "tree") {
        (void)CabinetImport::ImportCabinetTree(target.cabinetId, folder, 1);
    } else if (kind == "scan" || kind == "save") {
        PageSave::SaveRequest request;
        request.addMode = true;
        request.key = kind == "scan" ? QStringLiteral("DOC%1").arg(target.documentId)
                                     : QStringLiteral("FLD%1").arg(target.folderId);
        request.image = scan();
        request.nameByIdIn = target.nameByIdIn;
        try {
            if (kind == "save")
                (void)PageSave::SavePage(request);
            else if (const PageSave::BatchResult result = PageSave::saveScannedPages({request}); result.error)
                return result.error->text;
        } catch (const AppError &e) {
            return e.text;
        }
    } else {
        guard([&] {
            if (kind == "drop")
                (void)NavDrop::addFileToNode(QStringLiteral("FLD%1").arg(target.folderId), file);
            else
                (void)PageClipboard::pasteFilesIntoDocument({file}, target.documentId);
        });
    }
    return QString();
}

} // namespace

class NewPageKindsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // Every way a page comes in puts its image on the disk for good before
    // the row naming it commits: the file, its bucket folder and "Pages",
    // which gained the bucket. A power cut right after the commit then
    // leaves no row with an empty or missing image.
    void syncsBeforeItsCommit_data() { addKindRows(); }
    void syncsBeforeItsCommit()
    {
        QFETCH(QString, kind);
        FakePrompt prompt;
        Target target;
        target.documentId = RecordFixture::documentInNewFolder();
        target.folderId = RecordFixture::columnOf("Document", "FolderId", "DocumentId", target.documentId);
        target.cabinetId = RecordFixture::cabinet("Target");
        const QString folder = TestEnvironment::root() + QStringLiteral("/source-%1/").arg(kind);
        const QString file = sourceFile(kind, folder);

        BirthTrace trace;
        QCOMPARE(bringIn(kind, target, folder, file), QString());
        QCOMPARE(prompt.messages, QStringList());
        const RecordId pageId = onlyPage();
        QCOMPARE(pageId, 1);
        const QString image = PagePaths::GetDefaultPageFilePath(pageId);
        QVERIFY(QFileInfo(image).size() > 0);
        for (const QString &synced : {image, PagePaths::GetDefaultPageFolder(pageId), DataFolder::pagesFolder()})
            QVERIFY2(trace.syncedBeforeCommit(synced), qPrintable(synced + "\n" + trace.events().join('\n')));
    }

    // A cabinet whose storage folder holds none of its pages' files (its
    // disk is not connected: the mount point is empty) takes no new page,
    // whatever way it comes: one message names the folder, and nothing is
    // written there or into the page store.
    void refusedWhileStorageIsAway_data() { addKindRows(); }
    void refusedWhileStorageIsAway()
    {
        QFETCH(QString, kind);
        FakePrompt prompt;
        const QString mountPoint = TestEnvironment::root() + QStringLiteral("/media-%1").arg(kind);
        QDir(mountPoint).removeRecursively();
        QVERIFY(QDir().mkpath(mountPoint));
        Target target;
        target.cabinetId = RecordFixture::insert(
            "INSERT INTO Cabinet (Name, Storage, StoragePath) VALUES ('On the disk', 1, ?)", {mountPoint});
        target.folderId = RecordFixture::folder(RecordFixture::drawer(target.cabinetId, "D"), "F");
        target.documentId = RecordFixture::document(target.folderId, "Doc");
        target.nameByIdIn = mountPoint;
        for (const char *name : {"/a.jpg", "/b.jpg"})
            RecordFixture::linkedPage(target.documentId, mountPoint + QLatin1String(name));
        const QString folder = TestEnvironment::root() + QStringLiteral("/away-%1/").arg(kind);

        QString refusal = bringIn(kind, target, folder, sourceFile(kind, folder));
        if (refusal.isEmpty())
            refusal = prompt.messages.join(QLatin1Char('\n'));
        QVERIFY2(refusal.contains(FolderPresence::storageMessage(mountPoint, 2)), qPrintable(refusal));
        QVERIFY(prompt.messages.size() <= 1);
        QCOMPARE(RecordFixture::rowCount("Page"), 2);
        QCOMPARE(RecordFixture::rowCount("Document"), 1);
        QCOMPARE(QDir(mountPoint).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        QVERIFY(!QFileInfo::exists(DataFolder::pagesFolder() + "/0000000/3.jpg"));
    }
};

VLM_TEST_GUI_MAIN(NewPageKindsTest)
#include "NewPageKindsTest.moc"

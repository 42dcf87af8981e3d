#include "exchange/CabinetImport.h"
#include "exchange/FileImport.h"
#include "imaging/PageSave.h"
#include "navigation/NavDrop.h"
#include "navigation/PageClipboard.h"
#include "platform/DataFolder.h"
#include "store/Guard.h"
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
    return DbConnection::QueryValue(QStringLiteral("SELECT MAX(PageId) FROM Page")).toLongLong();
}

QImage scan()
{
    QImage image(120, 160, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
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
    void syncsBeforeItsCommit_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("import") << "import";
        QTest::newRow("tree import") << "tree";
        QTest::newRow("scan") << "scan";
        QTest::newRow("viewer save as a new page") << "save";
        QTest::newRow("drop") << "drop";
        QTest::newRow("paste") << "paste";
    }
    void syncsBeforeItsCommit()
    {
        QFETCH(QString, kind);
        FakePrompt prompt;
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const RecordId folderId = RecordFixture::columnOf("Document", "FolderId", "DocumentId", documentId);
        const QString source = TestEnvironment::root() + QStringLiteral("/source-%1/").arg(kind);
        QDir(source).removeRecursively();
        const QString file = kind == "tree" ? source + "Drawer/Folder/Document/Page 1.jpg" : source + "scan.jpg";
        QDir().mkpath(QFileInfo(file).absolutePath());
        TestImages::writeJpeg(file, QSize(60, 80), 96);

        BirthTrace trace;
        if (kind == "import") {
            (void)FileImport::ImportFiles(folderId, source, FileImport::ProgressTarget::ProgressWindow,
                                          FileImport::TargetKind::Folder, QString());
        } else if (kind == "tree") {
            (void)CabinetImport::ImportCabinetTree(RecordFixture::cabinet("Target"), source, 1);
        } else if (kind == "scan") {
            PageSave::SaveRequest request;
            request.addMode = true;
            request.key = QStringLiteral("DOC%1").arg(documentId);
            request.image = scan();
            QVERIFY(!PageSave::SaveScannedPages({request}).error);
        } else if (kind == "save") {
            PageSave::SaveRequest request;
            request.addMode = true;
            request.key = QStringLiteral("FLD%1").arg(folderId);
            request.image = scan();
            (void)PageSave::SavePage(request);
        } else if (kind == "drop") {
            QCOMPARE(NavDrop::AddFileToNode(QStringLiteral("FLD%1").arg(folderId), file).page.pageId, 1);
        } else {
            QCOMPARE(PageClipboard::PasteFilesIntoDocument({file}, documentId).added.size(), 1);
        }
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
    void refusedWhileStorageIsAway_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("import") << "import";
        QTest::newRow("tree import") << "tree";
        QTest::newRow("scan") << "scan";
        QTest::newRow("viewer save as a new page") << "save";
        QTest::newRow("drop") << "drop";
        QTest::newRow("paste") << "paste";
    }
    void refusedWhileStorageIsAway()
    {
        QFETCH(QString, kind);
        FakePrompt prompt;
        const QString mountPoint = TestEnvironment::root() + QStringLiteral("/media-%1").arg(kind);
        QDir(mountPoint).removeRecursively();
        QVERIFY(QDir().mkpath(mountPoint));
        const RecordId cabinetId = RecordFixture::insert(
            "INSERT INTO Cabinet (Name, Storage, StoragePath) VALUES ('On the disk', 1, ?)", {mountPoint});
        const RecordId folderId = RecordFixture::folder(RecordFixture::drawer(cabinetId, "D"), "F");
        const RecordId documentId = RecordFixture::document(folderId, "Doc");
        for (const char *name : {"/a.jpg", "/b.jpg"})
            RecordFixture::linkedPage(documentId, mountPoint + QLatin1String(name));
        const QString source = TestEnvironment::root() + QStringLiteral("/away-%1/").arg(kind);
        const QString file = kind == "tree" ? source + "Drawer/Folder/Document/Page 1.jpg" : source + "scan.jpg";
        QDir().mkpath(QFileInfo(file).absolutePath());
        TestImages::writeJpeg(file, QSize(60, 80), 96);

        QString refusal;
        if (kind == "import") {
            (void)FileImport::ImportFiles(folderId, source, FileImport::ProgressTarget::ProgressWindow,
                                          FileImport::TargetKind::Folder, QString());
        } else if (kind == "tree") {
            (void)CabinetImport::ImportCabinetTree(cabinetId, source, 1);
        } else if (kind == "scan" || kind == "save") {
            PageSave::SaveRequest request;
            request.addMode = true;
            request.key = kind == "scan" ? QStringLiteral("DOC%1").arg(documentId) : QStringLiteral("FLD%1").arg(folderId);
            request.image = scan();
            request.nameByIdIn = mountPoint;
            try {
                if (kind == "scan") {
                    const PageSave::BatchResult result = PageSave::SaveScannedPages({request});
                    if (result.error)
                        refusal = result.error->text;
                } else {
                    (void)PageSave::SavePage(request);
                }
            } catch (const DbError &e) {
                refusal = e.text;
            }
        } else {
            guard([&] {
                if (kind == "drop")
                    (void)NavDrop::AddFileToNode(QStringLiteral("FLD%1").arg(folderId), file);
                else
                    (void)PageClipboard::PasteFilesIntoDocument({file}, documentId);
            });
        }
        if (refusal.isEmpty())
            refusal = prompt.messages.join(QLatin1Char('\n'));
        QVERIFY2(refusal.contains(PageBirth::unavailableMessage(mountPoint, 2)), qPrintable(refusal));
        QVERIFY(prompt.messages.size() <= 1);
        QCOMPARE(RecordFixture::rowCount("Page"), 2);
        QCOMPARE(RecordFixture::rowCount("Document"), 1);
        QCOMPARE(QDir(mountPoint).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        QVERIFY(!QFileInfo::exists(DataFolder::pagesFolder() + "/0000000/3.jpg"));
    }
};

VLM_TEST_GUI_MAIN(NewPageKindsTest)
#include "NewPageKindsTest.moc"

#include "imaging/ui/Scanning.h"

#include "imaging/ImageOps.h"
#include "platform/DbConnection.h"
#include "platform/Recordset.h"
#include "platform/Settings.h"
#include "store/FolderPresence.h"
#include "store/PagePaths.h"
#include "store/PageBirth.h"
#include "store/Pages.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeScanner.h"
#include "tests/support/PageFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingChanges.h"
#include "tests/support/RecordingNavigationSink.h"
#include "tests/support/SaneTestDevice.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestImages.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

struct StoredPage
{
    RecordId pageId = 0;
    int number = 0;
    QString filename;
    qint64 fileSize = 0;
};

QList<StoredPage> pagesOf(RecordId documentId)
{
    QList<StoredPage> pages;
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT PageId, PageNumber, Filename, FileSize FROM Page WHERE DocumentId = ? ORDER BY PageId"),
        {documentId});
    for (int r = 0; r < rs.recordCount(); ++r)
        pages.append({rs.value(r, 0).toInt(), rs.value(r, 1).toInt(), rs.value(r, 2).toString(),
                      rs.value(r, 3).toLongLong()});
    return pages;
}

QList<RecordId> documentsOf(RecordId folderId)
{
    QList<RecordId> ids;
    const Recordset rs =
        DbConnection::OpenRecordset(QStringLiteral("SELECT DocumentId FROM Document WHERE FolderId = ?"), {folderId});
    for (int r = 0; r < rs.recordCount(); ++r)
        ids.append(rs.value(r, 0).toLongLong());
    return ids;
}

QImage stored(RecordId pageId)
{
    return ImageOps::load(PagePaths::GetPageFilePath(pageId)).image;
}

using TestImages::dpiOf;

// Records every modal dialog that opens and closes it, for flows that must
// open none.
class ModalWatch
{
public:
    ModalWatch()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget *w = QApplication::activeModalWidget();
            if (auto *dialog = qobject_cast<QDialog *>(w)) {
                opened << dialog->objectName();
                dialog->reject();
            }
        });
        m_timer.start();
    }
    QStringList opened;

private:
    QTimer m_timer;
};

} // namespace

// Scanning into folders and documents, through the whole flow: the scan
// settings, the details before or after, the viewer, the page save.
class ScanningTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakePrompt> m_prompt;
    std::unique_ptr<RecordingNavigationSink> m_sink;
    int m_cabinet = 0;
    int m_folder = 0;

    QString folderKey() const { return QStringLiteral("FLD%1").arg(m_folder); }

    void useSane(bool feeder)
    {
        Settings::setValue("TWAINSource", "test:0");
        Settings::setValue("TWAINADF", feeder ? "Y" : "N");
    }

private Q_SLOTS:
    void initTestCase() { QImageReader::setAllocationLimit(1024); }
    void init()
    {
        TestEnvironment::openFreshDatabase();
        SaneTestDevice::configure();
        m_prompt = std::make_unique<FakePrompt>();
        m_sink = std::make_unique<RecordingNavigationSink>();
        m_cabinet = RecordFixture::cabinet("Cabinet");
        m_folder = RecordFixture::folder(RecordFixture::drawer(m_cabinet, "Drawer"), "Folder");
        Settings::setValue("SetupScanSettings", "True");
        Settings::setValue("TWAINImageType", "document");
        Settings::setValue("AfterScan", "RETURN");
        Settings::setValue("TwainGetDocInfo", "afterscan");
    }
    void cleanup()
    {
        m_sink.reset();
        m_prompt.reset();
    }

    void flatbedPageIntoFolder_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("grey");
        QTest::newRow("colour 150") << "Color" << 150 << QSize(472, 590) << false;
        QTest::newRow("colour 300") << "Color" << 300 << QSize(944, 1181) << false;
        QTest::newRow("grey 150") << "Grayscale" << 150 << QSize(472, 590) << true;
        QTest::newRow("grey 300") << "Grayscale" << 300 << QSize(944, 1181) << true;
        QTest::newRow("black and white 150") << "Black & White" << 150 << QSize(472, 590) << true;
        QTest::newRow("black and white 300") << "Black & White" << 300 << QSize(944, 1181) << true;
    }
    // A flatbed page scanned into a folder makes a new document holding
    // that page: its image at the scan's size and resolution, its
    // thumbnail, its size; then the document's properties open.
    void flatbedPageIntoFolder()
    {
        QFETCH(QString, type);
        QFETCH(int, dpi);
        QFETCH(QSize, size);
        QFETCH(bool, grey);
        useSane(false);
        Settings::setValue("DocScanType", type);
        Settings::setValue("DocDPIOverride", QString::number(dpi));
        SaneTestDevice::configure({"test-picture \"Color pattern\""});
        bool propertiesOpened = false;
        DialogDriver::whenOpened("frmDocument", [&](QDialog *dialog) {
            propertiesOpened = true;
            DialogDriver::click(dialog, "cmdOK");
        });
        Scanning::ScanIntoDocument(nullptr, folderKey());

        QVERIFY(propertiesOpened);
        const QList<RecordId> documents = documentsOf(m_folder);
        QCOMPARE(documents.size(), 1);
        QCOMPARE(m_sink->namesOf("document"), QStringList{"New document"});
        const QList<StoredPage> pages = pagesOf(documents.first());
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages.first().number, 1);
        const QImage image = stored(pages.first().pageId);
        QCOMPARE(image.size(), size);
        QCOMPARE(dpiOf(image), dpi);
        QCOMPARE(image.isGrayscale(), grey);
        const QString file = PagePaths::GetPageFilePath(pages.first().pageId);
        QCOMPARE(pages.first().fileSize, QFileInfo(file).size());
        QCOMPARE(QImageReader(PagePaths::GetThumbFilePath(pages.first().pageId)).size(), QSize(100, 100));
        QVERIFY(m_prompt->messages.isEmpty());
    }

    // The feeder's ten sheets become pages 1 to 10 of one new document, and
    // the end of the sheets ends the scan quietly; the properties open once.
    // Each page's notice is announced once, all in the one batch of the scan.
    void feederIntoFolder()
    {
        useSane(true);
        RecordingChanges notices;
        int propertiesOpened = 0;
        DialogDriver::whenOpened("frmDocument", [&](QDialog *) { ++propertiesOpened; });
        Scanning::ScanIntoDocument(nullptr, folderKey());

        QCOMPARE(propertiesOpened, 1);
        const QList<RecordId> documents = documentsOf(m_folder);
        QCOMPARE(documents.size(), 1);
        const QList<StoredPage> pages = pagesOf(documents.first());
        QCOMPARE(pages.size(), 10);
        for (int i = 0; i < pages.size(); ++i) {
            QCOMPARE(pages.at(i).number, i + 1);
            QVERIFY(QFileInfo::exists(PagePaths::GetPageFilePath(pages.at(i).pageId)));
            QVERIFY(QFileInfo::exists(PagePaths::GetThumbFilePath(pages.at(i).pageId)));
            QCOMPARE(notices.pages.value(i), pages.at(i).pageId);
        }
        QCOMPARE(notices.pages.size(), 10);
        QCOMPARE(notices.outermostBatches(), 1);
        QCOMPARE(notices.pagesOutsideBatches(), 0);
        QVERIFY(m_prompt->messages.isEmpty());
    }

    // A jam keeps every page saved before it, in the order fed, and says
    // so; a document target never opens a details dialog.
    void jamKeepsSavedPages()
    {
        FakeScanner scanner;
        scanner.pages = FakeScanner::colouredPages({Qt::red, Qt::green, Qt::blue});
        scanner.endWith = ScanEnd::Outcome::Failed;
        scanner.reason = QStringLiteral("Document feeder jammed");
        useSane(true);
        const RecordId documentId = RecordFixture::document(m_folder, "Bills");
        PageFixture::storedPage(documentId, 7, "page 7");
        ModalWatch watch;
        Scanning::ScanIntoDocument(nullptr, QStringLiteral("DOC%1").arg(documentId));

        QCOMPARE(watch.opened, QStringList());
        QCOMPARE(m_prompt->messages,
                 QStringList{"Scanning stopped: Document feeder jammed.\nThe 3 pages scanned before are saved."});
        const QList<StoredPage> pages = pagesOf(documentId);
        QCOMPARE(pages.size(), 4);
        const QList<QRgb> colours{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(pages.at(i + 1).number, 8 + i);
            const QRgb pixel = stored(pages.at(i + 1).pageId).pixel(100, 150);
            QVERIFY2(qAbs(qRed(pixel) - qRed(colours.at(i))) < 8 && qAbs(qBlue(pixel) - qBlue(colours.at(i))) < 8,
                     qPrintable(QString::number(i)));
        }
    }

    void noScanner_data()
    {
        QTest::addColumn<QString>("imageType");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("message");
        const QString scanner = QStringLiteral("A scanner could not be detected.");
        QTest::newRow("no source chosen") << "document" << "" << scanner;
        QTest::newRow("blanks only") << "document" << "   " << scanner;
        QTest::newRow("device gone") << "picture" << "test:9" << scanner;
        QTest::newRow("no camera") << "camera" << "test:0" << "A camera could not be detected.";
    }
    // Without a device to scan from the user is told, and nothing is made.
    void noScanner()
    {
        QFETCH(QString, imageType);
        QFETCH(QString, source);
        QFETCH(QString, message);
        Settings::setValue("TWAINImageType", imageType);
        Settings::setValue("TWAINSource", source);
        Scanning::ScanIntoDocument(nullptr, folderKey());
        QCOMPARE(m_prompt->messages, QStringList{message});
        QCOMPARE(RecordFixture::rowCount("Document"), 0);
    }

    // Details typed before the scan reach the new document through bound
    // values: a name with a quote, and an amount typed with a decimal comma
    // is refused (the box keeps it) until typed as 12.50, whatever the
    // locale. The document joins the tree only under that name.
    void detailsBeforeScan()
    {
        FakeScanner scanner;
        scanner.pages = FakeScanner::colouredPages({Qt::gray});
        Settings::setValue("TWAINSource", "fake");
        Settings::setValue("TwainGetDocInfo", "beforescan");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString name = QStringLiteral("O'Brien's bill");
        QString amountAfterRefusal;
        DialogDriver::whenShown("frmDocumentNew", [&](QDialog *dialog) {
            DialogDriver::box(dialog, "txtName")->setText(name);
            DialogDriver::child<QPlainTextEdit>(dialog, "txtDescription")->setPlainText("It's paid");
            DialogDriver::box(dialog, "txtDateOnDocument")->setText("03/04/2024");
            DialogDriver::box(dialog, "txtAmount")->setText("12,50");
            DialogDriver::click(dialog, "cmdOK");
            amountAfterRefusal = DialogDriver::box(dialog, "txtAmount")->text();
            QVERIFY(scanner.requests.isEmpty());
            DialogDriver::box(dialog, "txtAmount")->setText("12.50");
            DialogDriver::click(dialog, "cmdOK");
        });
        Scanning::ScanIntoDocument(nullptr, folderKey());
        QLocale::setDefault(QLocale::c());

        QCOMPARE(m_prompt->messages, QStringList{"Please enter an amount such as 1,250.00 or leave blank."});
        QCOMPARE(amountAfterRefusal, QString("12,50"));
        const QList<RecordId> documents = documentsOf(m_folder);
        QCOMPARE(documents.size(), 1);
        const Recordset row = DbConnection::OpenRecordset(
            QStringLiteral("SELECT Name, Description, DateOnDocument, Amount FROM Document WHERE DocumentId = ?"),
            {documents.first()});
        QCOMPARE(row.value(0, 0).toString(), name);
        QCOMPARE(row.value(0, 1).toString(), QString("It's paid"));
        QCOMPARE(row.value(0, 2).toString(), QString("2024-03-04"));
        QCOMPARE(row.value(0, 3).toDouble(), 12.5);
        QCOMPARE(m_sink->namesOf("dated document"), QStringList{name});
        QCOMPARE(m_sink->namesOf("document"), QStringList());
    }

    void closingDetailsCancels_data() { DialogDriver::addCancelRows(); }
    // Leaving the details dialog in any way but OK ends the scan before
    // the device is touched.
    void closingDetailsCancels()
    {
        QFETCH(DialogDriver::CancelWay, how);
        FakeScanner scanner;
        scanner.pages = FakeScanner::colouredPages({Qt::gray});
        Settings::setValue("TWAINSource", "fake");
        Settings::setValue("TwainGetDocInfo", "beforescan");
        DialogDriver::whenShown("frmDocumentNew", [how](QDialog *dialog) {
            DialogDriver::box(dialog, "txtName")->setText("Bill");
            DialogDriver::cancel(dialog, how, DialogDriver::box(dialog, "txtName"));
        });
        Scanning::ScanIntoDocument(nullptr, folderKey());
        QVERIFY(scanner.requests.isEmpty());
        QCOMPARE(RecordFixture::rowCount("Document"), 0);
    }

    // The viewer shows a scanned page to edit; its Save stores it.
    void savedFromViewer()
    {
        FakeScanner scanner;
        scanner.pages = FakeScanner::colouredPages({Qt::gray});
        Settings::setValue("TWAINSource", "fake");
        Settings::setValue("AfterScan", "IMAGEEDIT");
        const RecordId documentId = RecordFixture::document(m_folder, "Bills");
        QString caption;
        DialogDriver::whenOpened("frmPageView", [&](QDialog *viewer) {
            caption = viewer->windowTitle();
            QVERIFY(!DialogDriver::child<QPushButton>(viewer, "cmdInfo")->isVisible());
            DialogDriver::click(viewer, "cmdSave");
        });
        Scanning::ScanIntoDocument(nullptr, QStringLiteral("DOC%1").arg(documentId));
        QCOMPARE(caption, QString("New Page"));
        QCOMPARE(pagesOf(documentId).size(), 1);
    }

    void ownStoragePathNamesByPageId_data()
    {
        QTest::addColumn<bool>("feeder");
        QTest::newRow("feeder") << true;
        QTest::newRow("stored at once") << false;
    }
    // In a cabinet with its own storage path, pages nobody can name are
    // named by their page id there, instead of being lost.
    void ownStoragePathNamesByPageId()
    {
        QFETCH(bool, feeder);
        FakeScanner scanner;
        scanner.pages = FakeScanner::colouredPages({Qt::red, Qt::green});
        Settings::setValue("TWAINSource", "fake");
        Settings::setValue("TWAINADF", feeder ? "Y" : "N");
        QTemporaryDir storage;
        const RecordId cabinetId = RecordFixture::insert(
            "INSERT INTO Cabinet (Name, Storage, StoragePath) VALUES ('Own', 1, ?)", {storage.path()});
        const RecordId documentId =
            RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(cabinetId, "D"), "F"), "Doc");
        Scanning::ScanIntoDocument(nullptr, QStringLiteral("DOC%1").arg(documentId));

        const QList<StoredPage> pages = pagesOf(documentId);
        QCOMPARE(pages.size(), feeder ? 2 : 1);
        for (const StoredPage &page : pages) {
            QCOMPARE(page.filename, QStringLiteral("%1/%2.jpg").arg(storage.path()).arg(page.pageId));
            QVERIFY(QFileInfo::exists(page.filename));
        }
        QVERIFY(m_prompt->messages.isEmpty());
    }

    // A file of another page's (a name typed for it may be any number) at
    // the name a new page would get is never overwritten: the scan's page
    // passes that id over, and the file keeps its contents.
    void ownStoragePathKeepsExistingFile()
    {
        FakeScanner scanner;
        scanner.pages = FakeScanner::colouredPages({Qt::red});
        Settings::setValue("TWAINSource", "fake");
        Settings::setValue("TWAINADF", "Y");
        QTemporaryDir storage;
        const RecordId cabinetId = RecordFixture::insert(
            "INSERT INTO Cabinet (Name, Storage, StoragePath) VALUES ('Own', 1, ?)", {storage.path()});
        const RecordId documentId =
            RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(cabinetId, "D"), "F"), "Doc");
        const int userPage = RecordFixture::page(documentId, 1);
        const RecordId nextPageId = userPage + 1;
        const QString taken = QStringLiteral("%1/%2.jpg").arg(storage.path()).arg(nextPageId);
        DbConnection::execute("UPDATE Page SET Filename = ? WHERE PageId = ?", {taken, userPage});
        QFile file(taken);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("mine") == 4);
        file.close();
        Scanning::ScanIntoDocument(nullptr, QStringLiteral("DOC%1").arg(documentId));

        QCOMPARE(m_prompt->messages, QStringList());
        QCOMPARE(RecordFixture::rowCount("Page"), 2);
        QCOMPARE(QFileInfo(taken).size(), 4);
        const QString stored = QStringLiteral("%1/%2.jpg").arg(storage.path()).arg(nextPageId + 1);
        QCOMPARE(Pages::storedFilename(nextPageId + 1), stored);
        QCOMPARE(QImage(stored).pixelColor(5, 5).red() > 200, true);
    }

    // A cabinet whose disk is not connected (its storage folder empty while
    // its pages name files there) is refused before the scanner runs, with
    // the folder named; nothing is scanned or stored.
    void unavailableStorageRefusesBeforeScanning()
    {
        FakeScanner scanner;
        scanner.pages = FakeScanner::colouredPages({Qt::red});
        Settings::setValue("TWAINSource", "fake");
        QTemporaryDir mountPoint;
        const RecordId cabinetId = RecordFixture::insert(
            "INSERT INTO Cabinet (Name, Storage, StoragePath) VALUES ('Own', 1, ?)", {mountPoint.path()});
        const RecordId documentId =
            RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(cabinetId, "D"), "F"), "Doc");
        RecordFixture::linkedPage(documentId, mountPoint.path() + QStringLiteral("/1.jpg"));
        Scanning::ScanIntoDocument(nullptr, QStringLiteral("DOC%1").arg(documentId));
        QCOMPARE(scanner.requests.size(), 0);
        QCOMPARE(m_prompt->messages, QStringList{FolderPresence::storageMessage(mountPoint.path(), 1)});
        QCOMPARE(RecordFixture::rowCount("Page"), 1);
    }

    // The first scan of a new installation opens the scan settings before
    // anything else, then scans from the device chosen there.
    void firstScanAsksSettings()
    {
        FakeScanner scanner;
        scanner.sources = {{"fake:1", "Acme", "Scan 1"}, {"fake:2", "Acme", "Scan 2"}};
        scanner.pages = FakeScanner::colouredPages({Qt::gray});
        Settings::remove("SetupScanSettings");
        const RecordId documentId = RecordFixture::document(m_folder, "Bills");
        DialogDriver::whenShown("frmScanSettings", [](QDialog *dialog) {
            DialogDriver::child<QComboBox>(dialog, "cboScanner")->setCurrentIndex(1);
            DialogDriver::click(dialog, "cmdOK");
        });
        Scanning::ScanIntoDocument(nullptr, QStringLiteral("DOC%1").arg(documentId));
        QCOMPARE(scanner.requests.size(), 1);
        QCOMPARE(scanner.requests.first().source.name, QString("fake:2"));
        QCOMPARE(pagesOf(documentId).size(), 1);
    }

    // A device whose name changed since it was chosen (another USB port)
    // is found by vendor and model, and its new name is kept.
    void deviceFoundUnderNewName()
    {
        useSane(false);
        Settings::setValue("TWAINSource", "test:7");
        Settings::setValue("TWAINSourceVendor", "Noname");
        Settings::setValue("TWAINSourceModel", "frontend-tester");
        const RecordId documentId = RecordFixture::document(m_folder, "Bills");
        Scanning::ScanIntoDocument(nullptr, QStringLiteral("DOC%1").arg(documentId));
        QCOMPARE(pagesOf(documentId).size(), 1);
        QCOMPARE(Settings::value("TWAINSource"), QString("test:0"));
    }

    // Cancel in the scan's window stops the device; the pages saved before
    // stay, and nothing is reported.
    void cancelKeepsSavedPages()
    {
        FakeScanner scanner;
        scanner.pages = FakeScanner::colouredPages({Qt::red, Qt::green});
        scanner.waitForCancel = true;
        Settings::setValue("TWAINSource", "fake");
        Settings::setValue("TWAINADF", "Y");
        const RecordId documentId = RecordFixture::document(m_folder, "Bills");
        QTimer clicker;
        clicker.setInterval(5);
        QObject::connect(&clicker, &QTimer::timeout, [&] {
            if (RecordFixture::rowCount("Page") < 2)
                return;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String("frmProgress") && w->isVisible())
                    if (auto *cancel = w->findChild<QPushButton *>("cmdCancel"); cancel && cancel->isVisible())
                        cancel->click();
        });
        clicker.start();
        Scanning::ScanIntoDocument(nullptr, QStringLiteral("DOC%1").arg(documentId));
        QCOMPARE(pagesOf(documentId).size(), 2);
        QVERIFY(m_prompt->messages.isEmpty());
    }
};

VLM_TEST_MAIN(ScanningTest)
#include "ScanningTest.moc"

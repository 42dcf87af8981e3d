#include "navigation/ui/LevelList.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/frmNavTree.h"
#include "platform/DbConnection.h"
#include "platform/Settings.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeScanner.h"
#include "tests/support/NavWindowFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QDialog>
#include <QPushButton>
#include <QtTest>

using namespace RecordFixture;

// The navigation window's ways into a scan: the two Scan buttons and their
// File menu items, the document popup's Scan New Page, Insert on a listed
// document.
class ScanCommandsTest : public NavWindowFixture
{
    Q_OBJECT

private:
    std::unique_ptr<FakeScanner> m_scanner;
    int m_cabinet = 0;
    int m_folder = 0;
    int m_document = 0;

    int pages() const
    {
        return DbConnection::queryValue("SELECT count(*) FROM Page WHERE DocumentId = ?", {m_document}).toInt();
    }

private Q_SLOTS:
    void init()
    {
        NavWindowFixture::init();
        m_scanner = std::make_unique<FakeScanner>();
        m_scanner->pages = FakeScanner::colouredPages({Qt::gray});
        Settings::setValue("SetupScanSettings", "True");
        Settings::setValue("TWAINSource", "fake");
        Settings::setValue("AfterScan", "RETURN");
        m_cabinet = cabinet("Home");
        m_folder = folder(drawer(m_cabinet, "Bills"), "Power");
        m_document = document(m_folder, "March");
        load();
    }
    void cleanup()
    {
        NavWindowFixture::cleanup();
        m_scanner.reset();
    }

    void scanButtons_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("imageType");
        QTest::newRow("Scan Page button") << "cmdScanDoc" << "document";
        QTest::newRow("Scan Picture button") << "cmdScanPic" << "picture";
        QTest::newRow("File > Scan Page") << "mnuFileScanPage" << "document";
        QTest::newRow("File > Scan Picture") << "mnuFileScanPicture" << "picture";
    }
    // Each scans into the selected document after storing what it scans;
    // with a cabinet selected it is refused and scans nothing.
    void scanButtons()
    {
        QFETCH(QString, control);
        QFETCH(QString, imageType);
        auto run = [&] {
            if (control.startsWith(QLatin1String("mnu")))
                action(qPrintable(control))->trigger();
            else
                m_window->findChild<QPushButton *>(control)->click();
        };
        show(key("CAB", m_cabinet));
        run();
        QCOMPARE(m_prompt->messages, QStringList{"Please click on a folder or document to scan to."});
        QCOMPARE(Settings::value("TWAINImageType"), imageType);
        QCOMPARE(pages(), 0);
        // A drawer's documents join the tree once it is shown.
        show(key("DRW", DbConnection::queryValue("SELECT DrawerId FROM Folder").toInt()));
        show(key("DOC", m_document));
        QCOMPARE(tree()->selectedKey(), key("DOC", m_document));
        run();
        QCOMPARE(pages(), 1);
        QCOMPARE(m_scanner->requests.size(), 1);
    }

    // The document popup's Scan New Page and Insert on a document in the
    // list both add a page to that document.
    void scanNewPage()
    {
        show(key("FLD", m_folder));
        runPopup("L", key("DOC", m_document), "mnuPopupDocumentScanPage");
        QCOMPARE(pages(), 1);
        show(key("FLD", m_folder));
        list()->setCurrentItem(list()->entry(key("DOC", m_document)));
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Insert);
        QCOMPARE(pages(), 2);
    }

    // File > Scanner Settings opens the scan settings.
    void scannerSettings()
    {
        bool shown = false;
        DialogDriver::whenShown("frmScanSettings", [&](QDialog *) { shown = true; });
        action("mnuScanSettings")->trigger();
        QVERIFY(shown);
    }
};

VLM_TEST_MAIN(ScanCommandsTest)
#include "ScanCommandsTest.moc"

#include "imaging/PagePrinter.h"
#include "core/RecordId.h"
#include "imaging/print/PrinterCatalog.h"
#include "imaging/print/PrinterSink.h"
#include "imaging/print/frmPrint.h"
#include "imaging/print/frmPrintDocument.h"
#include "imaging/print/frmPrintSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImageReader>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include "platform/DbConnection.h"
#include "platform/Settings.h"
#include "store/PagePaths.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestImages.h"

using namespace DialogDriver;

namespace {

constexpr int RenderDpi = 100;

// Every job goes to a PDF of its own in the folder, numbered from 1.
struct PdfJobs
{
    QString folder;
    int count = 0;

    explicit PdfJobs(const QString &dir) : folder(dir)
    {
        PrinterSink::setJobHook([this](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file(++count));
        });
    }
    ~PdfJobs() { PrinterSink::setJobHook({}); }
    QString file(int job) const { return folder + QStringLiteral("/job-%1.pdf").arg(job); }
};

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// "Pages:" of pdfinfo.
int pdfPages(const QString &pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Where the image lies on the sheet, in pixels of a rendering at
// RenderDpi: the box of everything that is not white.
QRect drawnRect(const QString &pdf)
{
    const QString base = pdf + QStringLiteral(".render");
    run(QStringLiteral("pdftoppm"), {"-r", QString::number(RenderDpi), "-png", "-singlefile", pdf, base});
    const QImage page = QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    QRect box;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

// The top-left corner of the printable area at RenderDpi.
QPoint printableOrigin()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QRectF paint = printer.pageLayout().paintRect(QPageLayout::Inch);
    return QPoint(qRound(paint.left() * RenderDpi), qRound(paint.top() * RenderDpi));
}

RecordId imagePage(RecordId documentId, int number, const QString &file)
{
    const RecordId pageId = RecordFixture::page(documentId, number);
    PagePaths::MakePath(PagePaths::GetDefaultPageFolder(pageId));
    QFile::copy(file, PagePaths::GetDefaultPageFilePath(pageId));
    return pageId;
}

RecordId shortcutPage(RecordId documentId, int number, const QString &file)
{
    return RecordFixture::insert(
        "INSERT INTO Page (DocumentId, PageNumber, Filename, ShortcutYN) VALUES (?, ?, ?, 'Y')",
        {documentId, number, file});
}

// Records what it is asked to print.
class RecordingSink : public PrintSink
{
public:
    QSize resolution() const override { return QSize(600, 600); }
    std::optional<AppError> printJob(const QImage &image, const QSize &size) override
    {
        formats << image.format();
        sizes << size;
        return std::nullopt;
    }
    QList<QImage::Format> formats;
    QList<QSize> sizes;
};

} // namespace

class PagePrinterTest : public QObject
{
    Q_OBJECT

private:
    QString m_dir;
    QString m_jpeg300;
    QString m_jpeg600;
    QString m_grey;

    QString jobFolder()
    {
        const QString dir = TestEnvironment::root() + QStringLiteral("/jobs-") + QString::number(++m_jobFolders);
        QDir().mkpath(dir);
        return dir;
    }
    int m_jobFolders = 0;

private Q_SLOTS:
    void initTestCase()
    {
        QImageReader::setAllocationLimit(1024);
        m_dir = TestEnvironment::root();
        // 2 x 3 inches at 300 dpi; the same inches at 600 dpi.
        m_jpeg300 = TestImages::writeJpeg(m_dir + "/p300.jpg", QSize(600, 900), 300);
        m_jpeg600 = TestImages::writeJpeg(m_dir + "/p600.jpg", QSize(1200, 1800), 600);
        m_grey = TestImages::writeJpeg(
            m_dir + "/grey.jpg", TestImages::filled(QSize(300, 300), Qt::black, 300, QImage::Format_Grayscale8));
        PrinterCatalog::setSource([] { return QStringList{"Office", "office"}; });
    }

    void init()
    {
        TestEnvironment::freshDataFolder();
        TestEnvironment::openFreshDatabase();
    }

    // A page lands at the printable top-left at its true size from its
    // resolution x 0.95 x the percentages; a 600-dpi page is over the
    // limit and prints at the scan resolution.
    void trueSize_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("picDpi");
        QTest::addColumn<int>("widthPct");
        QTest::addColumn<int>("heightPct");
        QTest::addColumn<QSizeF>("inches");
        QTest::newRow("300 dpi") << "p300.jpg" << "" << 100 << 100 << QSizeF(1.9, 2.85);
        QTest::newRow("600 dpi, scan 600") << "p600.jpg" << "600" << 100 << 100 << QSizeF(1.9, 2.85);
        QTest::newRow("600 dpi, scan 300") << "p600.jpg" << "" << 100 << 100 << QSizeF(3.8, 5.7);
        QTest::newRow("50% by 150%") << "p300.jpg" << "" << 50 << 150 << QSizeF(0.95, 4.275);
        QTest::newRow("250% counts as 100%") << "p300.jpg" << "" << 250 << 100 << QSizeF(1.9, 2.85);
    }
    void trueSize()
    {
        QFETCH(QString, file);
        QFETCH(QString, picDpi);
        QFETCH(int, widthPct);
        QFETCH(int, heightPct);
        QFETCH(QSizeF, inches);
        if (!picDpi.isEmpty())
            Settings::setValue("PicDPIOverride", picDpi);
        Settings::setValue("PrintWidthPct", QString::number(widthPct));
        Settings::setValue("PrintHeightPct", QString::number(heightPct));
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const RecordId pageId = imagePage(documentId, 1, m_dir + "/" + file);

        PdfJobs jobs(jobFolder());
        QPrinter printer(QPrinter::HighResolution);
        PrinterSink sink(printer);
        const PagePrinter::Outcome outcome = PagePrinter::PrintPage(pageId, sink);
        QVERIFY(!outcome.failure);
        QCOMPARE(outcome.printed, 1);
        QCOMPARE(jobs.count, 1);
        QCOMPARE(pdfPages(jobs.file(1)), 1);
        const QRect drawn = drawnRect(jobs.file(1));
        // One rendered pixel either way for the edges' anti-aliasing.
        QVERIFY2(qAbs(drawn.width() - inches.width() * RenderDpi) <= 1.5, qPrintable(QString::number(drawn.width())));
        QVERIFY2(qAbs(drawn.height() - inches.height() * RenderDpi) <= 1.5, qPrintable(QString::number(drawn.height())));
        QVERIFY((drawn.topLeft() - printableOrigin()).manhattanLength() <= 2);
    }

    // A colour page printed alone goes out from its 8-bit reduction; in a
    // document print it keeps its depth; grey stays grey.
    void depth()
    {
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const int colour = imagePage(documentId, 1, m_jpeg300);
        const int grey = imagePage(documentId, 2, m_grey);
        RecordingSink sink;
        QCOMPARE(PagePrinter::PrintPage(colour, sink).printed, 1);
        QCOMPARE(PagePrinter::PrintPage(grey, sink).printed, 1);
        QCOMPARE(PagePrinter::PrintDocumentPages(documentId, 1, 2, sink).printed, 2);
        QCOMPARE(sink.formats, (QList<QImage::Format>{QImage::Format_Indexed8, QImage::Format_Grayscale8,
                                                      QImage::Format_RGB32, QImage::Format_Grayscale8}));
        QCOMPARE(sink.sizes.first(), QSize(1140, 1710));
    }

    // A range prints each page as its own job; shortcut pages in it are
    // passed over, named at the end, and the pages after them still print.
    void documentRange_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("thru");
        QTest::addColumn<int>("jobs");
        QTest::addColumn<QString>("note");
        const QString note = QStringLiteral(
            "These pages are shortcuts to files that are not images and were not printed: %1.");
        QTest::newRow("whole document") << 1 << 5 << 4 << note.arg("2 (report.pdf)");
        QTest::newRow("from the shortcut on") << 2 << 4 << 3 << note.arg("2 (report.pdf)");
        QTest::newRow("equal numbers") << 3 << 3 << 2 << QString();
        QTest::newRow("past the end") << 6 << 9 << 0 << QString();
    }
    void documentRange()
    {
        QFETCH(int, from);
        QFETCH(int, thru);
        QFETCH(int, jobs);
        QFETCH(QString, note);
        const RecordId documentId = RecordFixture::documentInNewFolder();
        imagePage(documentId, 1, m_jpeg300);
        shortcutPage(documentId, 2, m_dir + "/report.pdf");
        imagePage(documentId, 3, m_jpeg300);
        imagePage(documentId, 3, m_grey);
        imagePage(documentId, 4, m_jpeg300);
        // Another document's page is never printed.
        imagePage(RecordFixture::documentInNewFolder("Other"), 1, m_jpeg300);

        PdfJobs pdf(jobFolder());
        QPrinter printer(QPrinter::HighResolution);
        PrinterSink sink(printer);
        const PagePrinter::Outcome outcome = PagePrinter::PrintDocumentPages(documentId, from, thru, sink);
        QVERIFY(!outcome.failure);
        QCOMPARE(outcome.printed, jobs);
        QCOMPARE(outcome.nothingFound, jobs == 0);
        QCOMPARE(pdf.count, jobs);
        for (int job = 1; job <= jobs; ++job)
            QCOMPARE(pdfPages(pdf.file(job)), 1);
        QCOMPARE(PagePrinter::shortcutNote(outcome), note);
    }

    // A page that cannot be loaded or printed ends the run with a message
    // naming it and the reason; what printed before it stays printed.
    void failures()
    {
        const RecordId documentId = RecordFixture::documentInNewFolder();
        imagePage(documentId, 1, m_jpeg300);
        const int missing = RecordFixture::page(documentId, 2);
        imagePage(documentId, 3, m_jpeg300);

        PdfJobs pdf(jobFolder());
        QPrinter printer(QPrinter::HighResolution);
        PrinterSink sink(printer);
        PagePrinter::Outcome outcome = PagePrinter::PrintDocumentPages(documentId, 1, 3, sink);
        QCOMPARE(outcome.printed, 1);
        QVERIFY(outcome.failure);
        QCOMPARE(outcome.failure->code, ENOENT);
        QVERIFY2(outcome.failure->text.startsWith("Page 2 could not be printed. "), qPrintable(outcome.failure->text));
        QVERIFY(outcome.failure->text.contains(PagePaths::GetDefaultPageFilePath(missing)));
        QVERIFY(outcome.failure->text.endsWith("(1 page was printed before it; the pages after it were not printed.)"));
        QCOMPARE(pdf.count, 1);

        // A printer that cannot take the job: here a PDF in a folder that
        // does not exist.
        PrinterSink::setJobHook([](QPrinter &p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(TestEnvironment::root() + "/no such folder/job.pdf");
        });
        outcome = PagePrinter::PrintPage(imagePage(documentId, 4, m_jpeg300), sink);
        QCOMPARE(outcome.printed, 0);
        QVERIFY(outcome.failure);
        QCOMPARE(outcome.failure->code, int(ErrorCode::PrintFailed));
        QVERIFY(outcome.failure->text.startsWith("The page could not be printed. The printer"));
    }

    // The range a document print opens with.
    void documentPageRange()
    {
        const RecordId documentId = RecordFixture::documentInNewFolder();
        QCOMPARE(PagePrinter::documentPageRange(documentId), std::make_pair(0, 0));
        RecordFixture::page(documentId, 3);
        RecordFixture::page(documentId, QVariant());
        RecordFixture::page(documentId, 7);
        QCOMPARE(PagePrinter::documentPageRange(documentId), std::make_pair(3, 7));
    }

    // Each refusal and message of the print document dialog; the range
    // refusal keeps the dialog open with the focus in the from box.
    void printDocumentDialog_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("thru");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("jobs");
        QTest::newRow("from after to") << "3" << "2.5" << QStringList{PrintLayout::RangeMessage} << true << 0;
        QTest::newRow("letters are 0") << "abc" << "0" << QStringList{PrintLayout::NothingToPrint} << false << 0;
        QTest::newRow("3.5 is 4") << "3.5" << "4" << QStringList() << false << 1;
        QTest::newRow("shortcut named")
            << "1" << "2"
            << QStringList{"These pages are shortcuts to files that are not images and were not printed: 2 (notes.doc)."}
            << false << 1;
    }
    void printDocumentDialog()
    {
        QFETCH(QString, from);
        QFETCH(QString, thru);
        QFETCH(QStringList, messages);
        QFETCH(bool, open);
        QFETCH(int, jobs);
        const RecordId documentId = RecordFixture::documentInNewFolder();
        imagePage(documentId, 1, m_jpeg300);
        shortcutPage(documentId, 2, m_dir + "/notes.doc");
        imagePage(documentId, 4, m_jpeg300);
        Settings::setValue("Printer", "office");

        FakePrompt prompt;
        PdfJobs pdf(jobFolder());
        frmPrintDocument dialog;
        dialog.setDocument(documentId, 1, 4);
        QCOMPARE(child<QComboBox>(&dialog, "cboPrinter")->currentText(), QString("office"));
        QVERIFY(showActive(&dialog));
        box(&dialog, "txtFromPage")->setText(from);
        box(&dialog, "txtThruPage")->setText(thru);
        click(&dialog, "cmdPrint");
        QCOMPARE(prompt.messages, messages);
        QCOMPARE(dialog.isVisible(), open);
        QCOMPARE(pdf.count, jobs);
        if (open)
            QCOMPARE(QApplication::focusWidget(), box(&dialog, "txtFromPage"));
        QCOMPARE(Settings::value("Printer"), QString("office"));
    }

    // Without printers the dialogs cannot print.
    void noPrinter()
    {
        PrinterCatalog::setSource([] { return QStringList(); });
        frmPrint dialog;
        QVERIFY(!child<QPushButton>(&dialog, "cmdPrint")->isEnabled());
        QVERIFY(!child<QComboBox>(&dialog, "cboPrinter")->isEnabled());
        PrinterCatalog::setSource([] { return QStringList{"Office", "office"}; });
    }

    // A shortcut page printed alone is refused with a warning.
    void printShortcutPage()
    {
        const RecordId documentId = RecordFixture::documentInNewFolder();
        FakePrompt prompt;
        frmPrint dialog;
        dialog.PageId = shortcutPage(documentId, 1, m_dir + "/report.pdf");
        QVERIFY(showActive(&dialog));
        click(&dialog, "cmdPrint");
        QCOMPARE(prompt.messages,
                 QStringList{"This page is a shortcut to report.pdf, which is not an image, and cannot be printed."});
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QCOMPARE(Settings::value("Printer"), QString("Office"));
    }

    // The print settings dialog: width first, then height, stored once both
    // are valid.
    void printSettingsDialog()
    {
        FakePrompt prompt;
        frmPrintSettings dialog;
        QCOMPARE(box(&dialog, "txtPrintWidthPct")->text(), QString("100"));
        QVERIFY(showActive(&dialog));
        box(&dialog, "txtPrintWidthPct")->setText("250");
        box(&dialog, "txtPrintHeightPct")->setText("5");
        click(&dialog, "cmdOK");
        QCOMPARE(prompt.messages, QStringList{PrintLayout::WidthMessage});
        QCOMPARE(QApplication::focusWidget(), box(&dialog, "txtPrintWidthPct"));
        box(&dialog, "txtPrintWidthPct")->setText("150.5");
        click(&dialog, "cmdOK");
        QCOMPARE(prompt.messages, (QStringList{PrintLayout::WidthMessage, PrintLayout::HeightMessage}));
        QCOMPARE(QApplication::focusWidget(), box(&dialog, "txtPrintHeightPct"));
        QVERIFY(!Settings::contains("PrintWidthPct"));
        box(&dialog, "txtPrintHeightPct")->setText("9.6");
        click(&dialog, "cmdOK");
        QVERIFY(!dialog.isVisible());
        QCOMPARE(Settings::value("PrintWidthPct"), QString("150"));
        QCOMPARE(Settings::value("PrintHeightPct"), QString("10"));
    }
};

VLM_TEST_MAIN(PagePrinterTest)
#include "PagePrinterTest.moc"

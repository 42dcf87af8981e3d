#include "platform/SaneScanner.h"

#include "tests/support/SaneTestDevice.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestImages.h"

#include <QtTest>

#include <sched.h>

#include <thread>

namespace {

const ScanSource TestDevice{QStringLiteral("test:0"), QStringLiteral("Noname"), QStringLiteral("frontend-tester")};

ScanRequest request(ScanMode mode, int dpi, bool feeder = false)
{
    ScanRequest r;
    r.source = TestDevice;
    r.mode = mode;
    r.dpi = dpi;
    r.feeder = feeder;
    return r;
}

struct Batch
{
    ScanEnd end;
    QList<QImage> pages;
};

Batch scan(const ScanRequest &r)
{
    Batch batch;
    batch.end = SaneScanner::instance().acquire(r, [&batch](const QImage &page) {
        batch.pages.append(page);
        return true;
    });
    return batch;
}

using TestImages::dpiOf;

bool allPixels(const QImage &image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != colour)
                return false;
    return true;
}

} // namespace

// The scanner against SANE's own "test" backend, the only backend the test
// process loads.
class SaneScannerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { SaneTestDevice::configure(); }

    // Both test devices are listed, in order, with vendor and model.
    void listsTheTestDevices()
    {
        QString reason;
        const std::optional<QList<ScanSource>> sources = SaneScanner::instance().listSources(&reason);
        QVERIFY2(sources, qPrintable(reason));
        QCOMPARE(sources->size(), 2);
        QCOMPARE(sources->at(0).name, QString("test:0"));
        QCOMPARE(sources->at(1).name, QString("test:1"));
        QCOMPARE(sources->at(0).label(), QString("Noname frontend-tester (test:0)"));
    }

    void scansEveryMode_data()
    {
        QTest::addColumn<ScanMode>("mode");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("format");
        QTest::addColumn<QSize>("size");
        const QSize at150(472, 590);
        const QSize at300(944, 1181);
        QTest::newRow("colour 150") << ScanMode::Color << 150 << int(QImage::Format_RGB888) << at150;
        QTest::newRow("colour 300") << ScanMode::Color << 300 << int(QImage::Format_RGB888) << at300;
        QTest::newRow("grey 150") << ScanMode::Gray << 150 << int(QImage::Format_Grayscale8) << at150;
        QTest::newRow("grey 300") << ScanMode::Gray << 300 << int(QImage::Format_Grayscale8) << at300;
        // The test device has no line-art mode: grey at one bit stands in.
        QTest::newRow("line-art 150") << ScanMode::Lineart << 150 << int(QImage::Format_Mono) << at150;
        QTest::newRow("line-art 300") << ScanMode::Lineart << 300 << int(QImage::Format_Mono) << at300;
    }
    // A flatbed page of the 80 x 100 mm area comes in the requested mode, at
    // its resolution, with the resolution recorded in the image.
    void scansEveryMode()
    {
        QFETCH(ScanMode, mode);
        QFETCH(int, dpi);
        QFETCH(int, format);
        QFETCH(QSize, size);
        const Batch batch = scan(request(mode, dpi));
        QCOMPARE(int(batch.end.outcome), int(ScanEnd::Outcome::Done));
        QCOMPARE(batch.pages.size(), 1);
        const QImage &page = batch.pages.first();
        QCOMPARE(int(page.format()), format);
        QCOMPARE(page.size(), size);
        QCOMPARE(dpiOf(page), dpi);
        // "Solid black", the device's default picture, is black in every mode.
        QVERIFY(allPixels(page, qRgb(0, 0, 0)));
    }

    // The feeder gives its ten sheets in turn, then reports that it is
    // empty, which ends the batch as complete.
    // The scanning thread keeps to one core during the batch only.
    void feederGivesTenSheets()
    {
        cpu_set_t before, after;
        QCOMPARE(sched_getaffinity(0, sizeof before, &before), 0);
        const Batch batch = scan(request(ScanMode::Color, 100, true));
        QCOMPARE(int(batch.end.outcome), int(ScanEnd::Outcome::Done));
        QCOMPARE(batch.end.pages, 10);
        QCOMPARE(batch.pages.size(), 10);
        QCOMPARE(sched_getaffinity(0, sizeof after, &after), 0);
        QVERIFY(CPU_EQUAL(&before, &after));
    }

    // Cancel from another thread (the window's) stops a feeder batch at
    // the page being read; the pages before it are kept.
    void cancelFromAnotherThread()
    {
        QList<QImage> pages;
        const ScanEnd end = SaneScanner::instance().acquire(request(ScanMode::Gray, 100, true), [&](const QImage &page) {
            pages.append(page);
            if (pages.size() == 2)
                std::thread([] { SaneScanner::instance().cancel(); }).join();
            return true;
        });
        QCOMPARE(int(end.outcome), int(ScanEnd::Outcome::Cancelled));
        QCOMPARE(end.pages, 2);
        QCOMPARE(pages.size(), 2);
        // The next batch is not cancelled by it.
        QCOMPARE(scan(request(ScanMode::Gray, 100, true)).pages.size(), 10);
    }

    // A jammed device ends the batch as failed, with the device's words,
    // and delivers nothing it did not finish. (The page is small enough for
    // the test device's reader to have sent all of it when the read fails:
    // the device stops a reader still at work in a way that can hang.)
    void jamFails()
    {
        SaneTestDevice::configure({SaneTestDevice::readStatus("SANE_STATUS_JAMMED")});
        const Batch batch = scan(request(ScanMode::Gray, 50, true));
        QCOMPARE(int(batch.end.outcome), int(ScanEnd::Outcome::Failed));
        QCOMPARE(batch.end.reason, QString("Document feeder jammed"));
        QCOMPARE(batch.pages.size(), 0);
    }

    // A hand scanner does not know the page height beforehand (SANE says
    // -1 lines): the page is as long as the data, 11 cm wide.
    void unknownHeight()
    {
        SaneTestDevice::configure({"hand-scanner true"});
        const Batch batch = scan(request(ScanMode::Gray, 100));
        QCOMPARE(int(batch.end.outcome), int(ScanEnd::Outcome::Done));
        QCOMPARE(batch.pages.size(), 1);
        QCOMPARE(batch.pages.first().width(), 433);
        QVERIFY(batch.pages.first().height() > 0);
    }

    void threePassColour_data()
    {
        QTest::addColumn<int>("dpi");
        // Lines of 708 bytes, a whole number of 32-bit words, and of 942.
        QTest::newRow("75 dpi") << 75;
        QTest::newRow("100 dpi") << 100;
    }
    // A three-pass device sends red, green and blue as frames of their own:
    // they make the same page as a one-pass scan.
    void threePassColour()
    {
        QFETCH(int, dpi);
        SaneTestDevice::configure({"test-picture \"Color pattern\""});
        const QImage onePass = scan(request(ScanMode::Color, dpi)).pages.value(0);
        SaneTestDevice::configure({"test-picture \"Color pattern\"", "three-pass true", "three-pass-order GBR"});
        const Batch batch = scan(request(ScanMode::Color, dpi));
        QCOMPARE(int(batch.end.outcome), int(ScanEnd::Outcome::Done));
        QVERIFY(!onePass.isNull());
        QCOMPARE(batch.pages.value(0), onePass);
    }

    // A resolution beyond the device's range is held to its end, and the
    // image records what the device used.
    void resolutionHeldToTheDevice()
    {
        const Batch batch = scan(request(ScanMode::Gray, 10000));
        QCOMPARE(batch.pages.size(), 1);
        QCOMPARE(dpiOf(batch.pages.first()), 1200);
    }
};

VLM_TEST_GUILESS_MAIN(SaneScannerTest)
#include "SaneScannerTest.moc"

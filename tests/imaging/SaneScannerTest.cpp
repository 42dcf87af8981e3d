#include "SaneScanner.h"

#include "SanePage.h"
#include "SaneTestDevice.h"
#include "TestEnvironment.h"

#include <QtTest>

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

int dpiOf(const QImage &image)
{
    return qRound(image.dotsPerMeterX() * 0.0254);
}

bool allPixels(const QImage &image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != colour)
                return false;
    return true;
}

SANE_Parameters frame(SANE_Frame format, int depth, int width, int lines, bool last = true)
{
    const int channels = format == SANE_FRAME_RGB ? 3 : 1;
    return SANE_Parameters{format, last ? SANE_TRUE : SANE_FALSE, (width * depth * channels + 7) / 8, width, lines,
                           depth};
}

void feed(SanePage &page, const QByteArray &bytes)
{
    std::memcpy(page.reserve(int(bytes.size())), bytes.constData(), size_t(bytes.size()));
    page.commit(int(bytes.size()));
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
    void feederGivesTenSheets()
    {
        const Batch batch = scan(request(ScanMode::Color, 100, true));
        QCOMPARE(int(batch.end.outcome), int(ScanEnd::Outcome::Done));
        QCOMPARE(batch.end.pages, 10);
        QCOMPARE(batch.pages.size(), 10);
    }

    // A jammed device ends the batch as failed, with the device's words,
    // and delivers nothing it did not finish.
    void jamFails()
    {
        SaneTestDevice::configure({SaneTestDevice::readStatus("SANE_STATUS_JAMMED")});
        const Batch batch = scan(request(ScanMode::Gray, 100, true));
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

    // A three-pass device sends red, green and blue as frames of their own:
    // they make the same page as a one-pass scan.
    void threePassColour()
    {
        SaneTestDevice::configure({"test-picture \"Color pattern\""});
        const QImage onePass = scan(request(ScanMode::Color, 75)).pages.value(0);
        SaneTestDevice::configure({"test-picture \"Color pattern\"", "three-pass true", "three-pass-order GBR"});
        const Batch batch = scan(request(ScanMode::Color, 75));
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

    // A device whose name changed is found again by vendor and model; one
    // that is gone without them is no device.
    void findsDeviceUnderNewName()
    {
        ScanRequest r = request(ScanMode::Gray, 50);
        r.source.name = QStringLiteral("test:7");
        const Batch found = scan(r);
        QCOMPARE(int(found.end.outcome), int(ScanEnd::Outcome::Done));
        QCOMPARE(found.end.usedSource.name, QString("test:0"));
        r.source = ScanSource{QStringLiteral("test:7"), QString(), QString()};
        QCOMPARE(int(scan(r).end.outcome), int(ScanEnd::Outcome::NoDevice));
    }

    void pageFrames_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("separate");
        QTest::newRow("grey 16 bit") << 16 << false;
        QTest::newRow("colour 16 bit") << 16 << true;
    }
    // Sixteen-bit samples (in the machine's byte order) keep their high
    // byte; the colours of a three-pass page come together.
    void pageFrames()
    {
        QFETCH(int, depth);
        QFETCH(bool, separate);
        SanePage page;
        QString reason;
        const quint16 samples[2] = {0x1234, 0xABCD};
        const QByteArray line(reinterpret_cast<const char *>(samples), sizeof samples);
        if (!separate) {
            QVERIFY(page.beginFrame(frame(SANE_FRAME_GRAY, depth, 2, 1), &reason));
            feed(page, line);
            const QImage image = page.image(300, &reason);
            QCOMPARE(image.format(), QImage::Format_Grayscale16);
            QCOMPARE(qGray(image.pixel(1, 0)), 0xAB);
            return;
        }
        const SANE_Frame colours[3] = {SANE_FRAME_BLUE, SANE_FRAME_RED, SANE_FRAME_GREEN};
        for (int i = 0; i < 3; ++i) {
            QVERIFY(page.beginFrame(frame(colours[i], depth, 2, 1, i == 2), &reason));
            feed(page, line);
        }
        QVERIFY(page.lastFrameBegun());
        QCOMPARE(page.image(300, &reason).pixel(0, 0), qRgb(0x12, 0x12, 0x12));
    }

    // Frames that do not fit together, and kinds of data the program cannot
    // read, are refused with a reason rather than made into a wrong page.
    void refusesFramesThatDoNotFit()
    {
        QString reason;
        SanePage mixed;
        QVERIFY(mixed.beginFrame(frame(SANE_FRAME_RED, 8, 4, 2, false), &reason));
        QVERIFY(!mixed.beginFrame(frame(SANE_FRAME_GREEN, 8, 5, 2, false), &reason));
        QVERIFY(!reason.isEmpty());
        SanePage missing;
        QVERIFY(missing.beginFrame(frame(SANE_FRAME_RED, 8, 4, 1, true), &reason));
        feed(missing, QByteArray(4, 'x'));
        QVERIFY(missing.image(300, &reason).isNull());
        // 0x0B is the JPEG frame of later SANE versions.
        SanePage jpeg;
        QVERIFY(!jpeg.beginFrame(frame(SANE_Frame(0x0B), 8, 4, 1), &reason));
    }
};

VLM_TEST_GUILESS_MAIN(SaneScannerTest)
#include "SaneScannerTest.moc"

#include "imaging/JpegReader.h"

#include "imaging/JpegEnd.h"
#include "tests/support/TestImages.h"

#include <QtTest>

class JpegReaderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void markerKinds_data()
    {
        QTest::addColumn<int>("marker");
        QTest::addColumn<bool>("alone");
        QTest::addColumn<bool>("frame");
        QTest::addColumn<bool>("progressive");
        QTest::newRow("SOF0 baseline") << 0xC0 << false << true << false;
        QTest::newRow("SOF1 extended") << 0xC1 << false << true << false;
        QTest::newRow("SOF2 progressive") << 0xC2 << false << true << true;
        QTest::newRow("SOF3 lossless") << 0xC3 << false << true << false;
        QTest::newRow("DHT") << 0xC4 << false << false << false;
        QTest::newRow("SOF6 differential progressive") << 0xC6 << false << true << true;
        QTest::newRow("JPG") << 0xC8 << false << false << false;
        QTest::newRow("SOF10 arithmetic progressive") << 0xCA << false << true << true;
        QTest::newRow("DAC") << 0xCC << false << false << false;
        QTest::newRow("SOF15") << 0xCF << false << true << false;
        QTest::newRow("TEM") << 0x01 << true << false << false;
        QTest::newRow("RST0") << 0xD0 << true << false << false;
        QTest::newRow("RST7") << 0xD7 << true << false << false;
        QTest::newRow("SOI") << 0xD8 << true << false << false;
        QTest::newRow("EOI") << 0xD9 << true << false << false;
        QTest::newRow("SOS") << 0xDA << false << false << false;
        QTest::newRow("APP1") << 0xE1 << false << false << false;
    }
    // Which markers have a body, which start a frame and which of those
    // are progressive: the header walks rely on it.
    void markerKinds()
    {
        QFETCH(int, marker);
        QTEST(JpegReader::standsAlone(marker), "alone");
        QTEST(JpegReader::isFrame(marker), "frame");
        QTEST(JpegReader::isProgressiveFrame(marker), "progressive");
    }

    void nextMarker_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("marker");
        QTest::addColumn<int>("pos");
        QTest::newRow("marker") << QByteArray("\xFF\xC0\x00", 3) << 0xC0 << 2;
        QTest::newRow("after fill bytes") << QByteArray("\xFF\xFF\xFF\xDA", 4) << 0xDA << 4;
        QTest::newRow("not a marker") << QByteArray("\x00\xFF\xD8", 3) << -1 << 1;
        QTest::newRow("fill bytes to the end") << QByteArray("\xFF\xFF", 2) << -1 << 2;
        QTest::newRow("nothing") << QByteArray() << -1 << 0;
    }
    // The marker at the reader, fill bytes passed over; none where the
    // bytes hold none, without reading past them.
    void nextMarker()
    {
        QFETCH(QByteArray, bytes);
        JpegReader reader(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
        QTEST(reader.nextMarker(), "marker");
        QTEST(int(reader.pos()), "pos");
    }

    void endsEarly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("early");
        const QImage page = TestImages::filled(QSize(400, 300), QColor(10, 120, 60));
        const QByteArray whole = TestImages::baselineJpeg(page, TestImages::Sampling::Half);
        const QByteArray progressive = TestImages::progressiveJpeg(page, TestImages::Sampling::Half);
        // A camera's EXIF segment holds a whole small JPEG, start and end included.
        const QByteArray exif = "Exif" + QByteArray(2, '\0') + TestImages::baselineJpeg(page.scaled(32, 24),
                                                                                       TestImages::Sampling::Half);
        const QByteArray camera = whole.left(2) + "\xFF\xE1" + char((exif.size() + 2) >> 8)
                                  + char((exif.size() + 2) & 0xFF) + exif + whole.mid(2);
        QTest::newRow("camera JPEG, whole") << camera << false;
        QTest::newRow("camera JPEG cut in its scan") << camera.chopped(whole.size() / 4) << true;
        QTest::newRow("progressive, whole") << progressive << false;
        QTest::newRow("progressive cut before a scan") << progressive.left(progressive.lastIndexOf("\xFF\xDA"))
                                                       << true;
    }
    // JpegEnd walks a JPEG's segments and scans with the reader: it ends
    // early when its image data stops before the end-of-image marker, and
    // the markers of a thumbnail inside a segment are not its own.
    void endsEarly()
    {
        QFETCH(QByteArray, bytes);
        QTEST(JpegEnd::endsEarly(bytes), "early");
    }
};

QTEST_GUILESS_MAIN(JpegReaderTest)
#include "JpegReaderTest.moc"

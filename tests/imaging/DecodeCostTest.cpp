#include "imaging/DecodeCost.h"

#include "tests/support/TestEnvironment.h"
#include "tests/support/TestImages.h"

#include <QBuffer>
#include <QImageWriter>
#include <QtTest>

namespace {

// The start of a JPEG up to its frame header: SOI, an APP segment, then
// the frame of marker with components of the given sampling factors
// (h << 4 | v); fill bytes before the frame marker when asked.
QByteArray jpegHeader(uchar marker, int width, int height, const QList<int> &sampling, bool fill = false)
{
    QByteArray bytes("\xFF\xD8", 2);
    bytes += QByteArray("\xFF\xE0\x00\x07JFIF", 9);
    if (fill)
        bytes += QByteArray("\xFF\xFF", 2);
    const int length = 8 + 3 * int(sampling.size());
    bytes += char(0xFF);
    bytes += char(marker);
    for (const int value : {length >> 8, length & 0xFF, 8, height >> 8, height & 0xFF, width >> 8, width & 0xFF,
                            int(sampling.size())})
        bytes += char(value);
    for (int c = 0; c < sampling.size(); ++c) {
        bytes += char(c + 1);
        bytes += char(sampling.at(c));
        bytes += char(0);
    }
    return bytes;
}

// The header with segments put in after its SOI: count of them, each of
// marker with a body of size bytes.
QByteArray withSegments(const QByteArray &header, uchar marker, int count, int size)
{
    QByteArray segment;
    segment += char(0xFF);
    segment += char(marker);
    segment += char((size + 2) >> 8);
    segment += char((size + 2) & 0xFF);
    segment += QByteArray(size, 'x');
    return header.left(2) + segment.repeated(count) + header.mid(2);
}

qint64 costOf(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return DecodeCost::ofThumbnail(&buffer);
}

QByteArray encoded(const QImage &image, const char *format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        qFatal("cannot encode a test image: %s", qPrintable(writer.errorString()));
    return bytes;
}

} // namespace

class DecodeCostTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void estimatesFromHeader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("cost");

        // An eighth of 4960 x 7016, 32-bit: 620 x 877 x 4; a baseline file
        // adds two bytes a block (luma 620 x 878, each chroma 310 x 439).
        const qint64 eighth = 2174960;
        const qint64 baseline = eighth + (620 * 878 + 2 * 310 * 439) * 2;
        QTest::newRow("baseline 600-dpi A4, 4:2:0") << jpegHeader(0xC0, 4960, 7016, {0x22, 0x11, 0x11}) << baseline;
        QTest::newRow("fill bytes before the frame")
            << jpegHeader(0xC0, 4960, 7016, {0x22, 0x11, 0x11}, true) << baseline;
        // Luma 620 x 878 blocks (rows padded to the sampling), each chroma
        // 310 x 439, 128 bytes a block.
        QTest::newRow("progressive 600-dpi A4, 4:2:0")
            << jpegHeader(0xC2, 4960, 7016, {0x22, 0x11, 0x11}) << qint64(104517120) + eighth;
        QTest::newRow("progressive 600-dpi A4, 4:4:4")
            << jpegHeader(0xC2, 4960, 7016, {0x11, 0x11, 0x11}) << qint64(3) * 620 * 877 * 128 + eighth;
        QTest::newRow("progressive arithmetic grey")
            << jpegHeader(0xCA, 800, 600, {0x11}) << qint64(100 * 75 * 128 + 100 * 75 * 4);
        // A progressive page whose thumbnail comes from its DC scans: the
        // eighth-size picture (310 x 439) and two bytes a block (luma 310 x
        // 440, each chroma 155 x 220).
        const QByteArray page = encoded(TestImages::filled(QSize(2480, 3508), Qt::darkCyan), "jpeg", true);
        QTest::newRow("progressive 300-dpi A4 by Qt, from its DC scans")
            << page << qint64(310 * 439 * 4 + (310 * 440 + 2 * 155 * 220) * 2);
        // The same file with a first scan that is not a DC scan: decoded the
        // general way, it costs the whole coefficient buffer.
        QByteArray notDcFirst = page;
        notDcFirst[notDcFirst.indexOf(QByteArray("\xFF\xDA", 2)) + 12] = char(63);
        QTest::newRow("progressive 300-dpi A4, first scan not DC")
            << notDcFirst << qint64(310 * 440 + 2 * 155 * 220) * 128 + 310 * 439 * 4;
        QTest::newRow("bitmap, decoded whole")
            << encoded(TestImages::filled(QSize(300, 200), Qt::blue), "bmp") << qint64(300 * 200 * 4);
        // Application data and comments are passed over, however much of it
        // comes before the frame.
        QTest::newRow("camera data past a megabyte before the frame")
            << withSegments(jpegHeader(0xC0, 4960, 7016, {0x22, 0x11, 0x11}), 0xE1, 20, 65000) << baseline;
        QTest::newRow("a comment before the frame")
            << withSegments(jpegHeader(0xC0, 4960, 7016, {0x22, 0x11, 0x11}), 0xFE, 1, 10) << baseline;
        // A table segment is read as part of the header; past a megabyte of
        // them the file is taken as one whose header cannot be read.
        QTest::newRow("tables past a megabyte before the frame")
            << withSegments(jpegHeader(0xC0, 4960, 7016, {0x22, 0x11, 0x11}), 0xDB, 20, 65000) << qint64(0);
        QTest::newRow("not an image") << QByteArray("not an image at all") << qint64(0);
        QTest::newRow("header cut short") << jpegHeader(0xC2, 4960, 7016, {0x22, 0x11, 0x11}).left(14) << qint64(0);
        QTest::newRow("empty") << QByteArray() << qint64(0);
    }

    // What decoding a file for its thumbnail holds, read from its header.
    void estimatesFromHeader()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, cost);
        QCOMPARE(costOf(bytes), cost);
    }

    // The files Qt's own writer makes: a progressive one costs its whole
    // coefficient buffer (4:2:0 or 4:4:4 sampling), a small baseline one
    // only its picture. The file version reads the same.
    void readsWrittenJpegs()
    {
        const QImage image = TestImages::filled(QSize(64, 48), Qt::red);
        QCOMPARE(costOf(encoded(image, "jpeg")), qint64(8 * 6 * 4));
        const qint64 progressive = costOf(encoded(image, "jpeg", true));
        QVERIFY2(progressive == 72 * 128 + 8 * 6 * 4 || progressive == 144 * 128 + 8 * 6 * 4,
                 qPrintable(QString::number(progressive)));
        const QString path = TestEnvironment::root() + "/progressive.jpg";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(encoded(image, "jpeg", true));
        file.close();
        QCOMPARE(DecodeCost::ofThumbnailFile(path), progressive);
        QCOMPARE(DecodeCost::ofThumbnailFile(path + ".missing"), qint64(0));
    }
};

VLM_TEST_GUI_MAIN(DecodeCostTest)
#include "DecodeCostTest.moc"

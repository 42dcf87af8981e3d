#include "imaging/JpegDc.h"

#include "imaging/ScaledJpeg.h"
#include "imaging/ThumbnailMaker.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestImages.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <cstdlib>

using TestImages::Sampling;

namespace {

// A page with what scans hold: smooth shading, coloured patches, fine
// dark strokes like text and edges that fall anywhere in the blocks.
QImage page(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient shade(0, 0, size.width(), size.height());
    shade.setColorAt(0, QColor(250, 245, 230));
    shade.setColorAt(1, QColor(120, 170, 220));
    painter.fillRect(image.rect(), shade);
    const int unit = std::max(4, size.width() / 40);
    painter.fillRect(QRect(unit * 3, unit * 5, unit * 11, unit * 7), QColor(200, 30, 40));
    painter.fillRect(QRect(unit * 17, unit * 9, unit * 13, unit * 5), QColor(30, 160, 60));
    painter.setPen(QPen(Qt::black, std::max(1, unit / 6)));
    for (int line = 0; line < 30; ++line) {
        const int y = unit * 16 + line * unit * 2 / 3;
        painter.drawLine(unit * 2 + line % 7, y, size.width() - unit * (2 + line % 5), y + line % 3);
    }
    return image;
}

QByteArray writtenByQt(const QImage &image, bool progressive = true)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        qFatal("cannot encode a test image: %s", qPrintable(writer.errorString()));
    return bytes;
}

// The mean absolute difference of two pictures of one size, per channel.
double meanDifference(const QImage &a, const QImage &b)
{
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *lineA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *lineB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            sum += std::abs(qRed(lineA[x]) - qRed(lineB[x])) + std::abs(qGreen(lineA[x]) - qGreen(lineB[x]))
                + std::abs(qBlue(lineA[x]) - qBlue(lineB[x]));
        }
    }
    return double(sum) / (3.0 * a.width() * a.height());
}

// Writes bits of entropy-coded data, stuffing a zero after each 0xFF.
class BitWriter
{
public:
    void put(int value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            m_byte = m_byte << 1 | ((value >> i) & 1);
            if (++m_count == 8)
                flush();
        }
    }
    // Pads the last byte with ones, as encoders do before a marker.
    void align()
    {
        while (m_count != 0)
            put(1, 1);
    }
    QByteArray bytes;

private:
    void flush()
    {
        bytes += char(m_byte);
        if (m_byte == 0xFF)
            bytes += char(0);
        m_byte = 0;
        m_count = 0;
    }
    uint m_byte = 0;
    int m_count = 0;
};

// What a hand-made JPEG holds: blocks in one sampling, a DC table of
// twelve 4-bit codes (code = category). A progressive one has DC scans
// only. A sequential one has one scan, its AC table two 2-bit codes, 00 a
// coefficient of one bit and 01 the block's end: every third block is full
// (63 coefficients of 1, so no end code), the others end after their DC.
struct HandMade
{
    HandMade(const QSize &size, int components = 1, int restartInterval = 0, int pointTransform = 0,
             const QList<int> &counts = {}, int adobeTransform = -1, int firstScanComponents = 0,
             bool sequential = false)
        : size(size), components(components), restartInterval(restartInterval), pointTransform(pointTransform),
          counts(counts), adobeTransform(adobeTransform), firstScanComponents(firstScanComponents),
          sequential(sequential)
    {
    }
    QSize size;
    int components;
    int restartInterval;
    int pointTransform;       // above 0, refinement scans add the bits
    QList<int> counts;        // replaces the DC table's code counts
    int adobeTransform;       // an Adobe segment with this transform
    int firstScanComponents;  // 0: all
    bool sequential;
};

HandMade sequential(const QSize &size, int components = 1, int restartInterval = 0, int firstScanComponents = 0)
{
    return HandMade(size, components, restartInterval, 0, {}, -1, firstScanComponents, true);
}

QByteArray segment(int marker, const QByteArray &body)
{
    const int length = int(body.size()) + 2;
    return QByteArray("\xFF", 1) + char(marker) + char(length >> 8) + char(length & 0xFF) + body;
}

QByteArray tablesOf(const HandMade &spec)
{
    QByteArray quant(1, '\0');
    quant += char(8);  // the DC quantiser: a coefficient is eight times the mean
    quant += QByteArray(63, '\x01');
    QByteArray huffman(1, '\0');
    QList<int> counts = spec.counts;
    if (counts.isEmpty())
        counts = {0, 0, 0, 12};
    counts.resize(16, 0);
    int total = 0;
    for (const int count : counts) {
        huffman += char(count);
        total += count;
    }
    for (int value = 0; value < total; ++value)
        huffman += char(value % 12);
    QByteArray bytes = segment(0xDB, quant) + segment(0xC4, huffman);
    if (spec.sequential)
        bytes += segment(0xC4, QByteArray("\x10\x00\x02", 3) + QByteArray(14, '\0') + QByteArray("\x01\x00", 2));
    if (spec.adobeTransform >= 0)
        bytes += segment(0xEE, QByteArray("Adobe\x00\x64\x00\x00\x00\x00", 11) + char(spec.adobeTransform));
    return bytes;
}

QByteArray frameOf(const HandMade &spec)
{
    QByteArray body(1, char(8));
    for (const int value : {spec.size.height(), spec.size.width()})
        body += QByteArray(1, char(value >> 8)) + char(value & 0xFF);
    body += char(spec.components);
    for (int c = 0; c < spec.components; ++c)
        body += QByteArray(1, char(c + 1)) + char(0x11) + char(0);
    return segment(spec.sequential ? 0xC0 : 0xC2, body);
}

QByteArray scanHeader(int components, int approximation, bool sequential = false)
{
    QByteArray body(1, char(components));
    for (int c = 0; c < components; ++c)
        body += QByteArray(1, char(c + 1)) + char(0);
    body += QByteArray(1, '\0') + char(sequential ? 63 : 0) + char(approximation);
    return segment(0xDA, body);
}

// Each block's DC of component c: a spread of values, large ones too.
int dcOf(int block, int c)
{
    return (block * 37 + c * 61) % 241 - 120;
}

// One scan over every block: first the values shifted by al (differences
// of 4-bit categories), or, when ah > 0, the bit al of each.
QByteArray scanData(const HandMade &spec, int components, int ah, int al)
{
    const int blocks = ((spec.size.width() + 7) / 8) * ((spec.size.height() + 7) / 8);
    BitWriter out;
    QList<int> predictors(components, 0);
    for (int mcu = 0; mcu < blocks; ++mcu) {
        if (spec.restartInterval > 0 && mcu > 0 && mcu % spec.restartInterval == 0) {
            out.align();
            out.bytes += QByteArray("\xFF", 1) + char(0xD0 + (mcu / spec.restartInterval - 1) % 8);
            predictors.fill(0);
        }
        for (int c = 0; c < components; ++c) {
            if (ah > 0) {
                out.put(dcOf(mcu, c) >> al, 1);
                continue;
            }
            const int value = dcOf(mcu, c) >> al;
            const int diff = value - predictors[c];
            predictors[c] = value;
            int category = 0;
            while ((1 << category) <= std::abs(diff))
                ++category;
            out.put(category, 4);
            out.put(diff >= 0 ? diff : diff + (1 << category) - 1, category);
            if (spec.sequential && mcu % 3 == 1) {
                for (int k = 1; k < 64; ++k) {
                    out.put(0, 2);
                    out.put(1, 1);
                }
            } else if (spec.sequential) {
                out.put(1, 2);  // the block's end
            }
        }
    }
    out.align();
    return out.bytes;
}

QByteArray handMadeJpeg(const HandMade &spec)
{
    QByteArray bytes("\xFF\xD8", 2);
    bytes += tablesOf(spec) + frameOf(spec);
    if (spec.restartInterval > 0)
        bytes += segment(0xDD, QByteArray(1, char(spec.restartInterval >> 8)) + char(spec.restartInterval & 0xFF));
    const int first = spec.firstScanComponents > 0 ? spec.firstScanComponents : spec.components;
    bytes += scanHeader(first, spec.pointTransform, spec.sequential) + scanData(spec, first, 0, spec.pointTransform);
    for (int al = spec.pointTransform - 1; al >= 0; --al)
        bytes += scanHeader(spec.components, (al + 1) << 4 | al) + scanData(spec, spec.components, al + 1, al);
    return bytes + QByteArray("\xFF\xD9", 2);
}

// bytes with the byte at offset (from the marker's start) after the n-th
// occurrence of marker set to value.
QByteArray patched(QByteArray bytes, const char *marker, int offset, int value, int occurrence = 1)
{
    qsizetype at = -1;
    for (int i = 0; i < occurrence; ++i)
        at = bytes.indexOf(QByteArray(marker, 2), at + 1);
    if (at < 0)
        qFatal("no marker to patch");
    bytes[at + offset] = char(value);
    return bytes;
}

QByteArray cutAt(const QByteArray &bytes, const char *marker, int offset, int occurrence = 1)
{
    qsizetype at = -1;
    for (int i = 0; i < occurrence; ++i)
        at = bytes.indexOf(QByteArray(marker, 2), at + 1);
    if (at < 0)
        qFatal("no marker to cut at");
    return bytes.left(at + offset);
}

} // namespace

class JpegDcTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matchesGeneralDecode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");

        const QSize a4At300(2480, 3508);
        QTest::newRow("Qt colour 4:2:0, 300-dpi A4") << writtenByQt(page(a4At300)) << a4At300;
        const QSize a4At600(4960, 7016);
        QTest::newRow("Qt colour 4:2:0, 600-dpi A4") << writtenByQt(page(a4At600)) << a4At600;
        const QSize odd(1003, 771);
        QTest::newRow("Qt grey, odd size")
            << writtenByQt(page(odd).convertToFormat(QImage::Format_Grayscale8)) << odd;
        QTest::newRow("Qt colour 4:2:0, odd size") << writtenByQt(page(odd)) << odd;
        QTest::newRow("Qt baseline 4:2:0, 300-dpi A4") << writtenByQt(page(a4At300), false) << a4At300;
        QTest::newRow("Qt baseline grey, odd size")
            << writtenByQt(page(odd).convertToFormat(QImage::Format_Grayscale8), false) << odd;
        const QList<std::pair<const char *, Sampling>> samplings = {
            {"4:4:4", Sampling::Full},    {"4:2:2", Sampling::HalfAcross},   {"4:2:0", Sampling::Half},
            {"4:4:0", Sampling::HalfDown}, {"4:1:1", Sampling::QuarterAcross}, {"grey", Sampling::Grey}};
        for (const auto &[name, sampling] : samplings) {
            QTest::addRow("libjpeg-turbo %s, odd size", name) << TestImages::progressiveJpeg(page(odd), sampling) << odd;
            QTest::addRow("libjpeg-turbo baseline %s, odd size", name)
                << TestImages::baselineJpeg(page(odd), sampling) << odd;
        }
    }

    // The eighth-size picture from the DC values against libjpeg-turbo's
    // general decode at that scale: the same size, and a difference no
    // thumbnail shows.
    void matchesGeneralDecode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        const QSize eighth((size.width() + 7) / 8, (size.height() + 7) / 8);
        QVERIFY(JpegDc::accepts(bytes));
        const QImage fromDc = JpegDc::decode(bytes);
        QCOMPARE(fromDc.size(), eighth);
        QCOMPARE(fromDc.format(), QImage::Format_RGB32);
        const QImage general = TestImages::eighthByLibjpeg(bytes);
        QCOMPARE(general.size(), eighth);
        const double atEighth = meanDifference(fromDc, general);
        QVERIFY2(atEighth <= 3, qPrintable(QString::number(atEighth)));
        const double atThumbnail = meanDifference(ThumbnailMaker::thumbnailOf(fromDc), ThumbnailMaker::thumbnailOf(general));
        QVERIFY2(atThumbnail <= 3, qPrintable(QString::number(atThumbnail)));
        // Its working memory is one value a block and the picture.
        QVERIFY(JpegDc::workingBytes(bytes) <= qint64(eighth.width()) * eighth.height() * (4 + 3 * 2 * 2));
    }

    void decodesHandMadeExactly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("components");

        QTest::newRow("grey") << handMadeJpeg({QSize(40, 24)}) << QSize(40, 24) << 1;
        QTest::newRow("grey, restart every 2 blocks") << handMadeJpeg({QSize(43, 29), 1, 2}) << QSize(43, 29) << 1;
        QTest::newRow("grey, restarts past 8 markers") << handMadeJpeg({QSize(200, 16), 1, 1}) << QSize(200, 16) << 1;
        QTest::newRow("grey, point transform 1 refined") << handMadeJpeg({QSize(57, 33), 1, 0, 1}) << QSize(57, 33) << 1;
        QTest::newRow("colour, restart every 3 MCUs, point transform 2 refined")
            << handMadeJpeg({QSize(75, 17), 3, 3, 2}) << QSize(75, 17) << 3;
        QTest::newRow("sequential grey") << handMadeJpeg(sequential(QSize(40, 24))) << QSize(40, 24) << 1;
        QTest::newRow("sequential grey, restarts past 8 markers")
            << handMadeJpeg(sequential(QSize(200, 16), 1, 1)) << QSize(200, 16) << 1;
        QTest::newRow("sequential colour, restart every 3 MCUs")
            << handMadeJpeg(sequential(QSize(75, 17), 3, 3)) << QSize(75, 17) << 3;
    }

    // Files of DC values only (libjpeg smooths such progressive pictures,
    // so they are checked against the values written): every block's mean
    // exactly, through restart markers, point transforms and their
    // refinements.
    void decodesHandMadeExactly()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QFETCH(int, components);
        const QImage image = JpegDc::decode(bytes);
        QCOMPARE(image.size(), QSize((size.width() + 7) / 8, (size.height() + 7) / 8));
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const int block = y * image.width() + x;
                const double luma = dcOf(block, 0) + 128;
                const double cb = components == 3 ? dcOf(block, 1) : 0;
                const double cr = components == 3 ? dcOf(block, 2) : 0;
                const QRgb pixel = image.pixel(x, y);
                const auto near = [](int actual, double expected) {
                    return std::abs(actual - std::clamp(expected, 0.0, 255.0)) <= 1;
                };
                QVERIFY2(near(qRed(pixel), luma + 1.402 * cr) && near(qGreen(pixel), luma - 0.344136 * cb - 0.714136 * cr)
                             && near(qBlue(pixel), luma + 1.772 * cb),
                         qPrintable(QStringLiteral("block %1, %2").arg(x).arg(y)));
            }
        }
    }

    void declines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("headerAccepted");

        const QByteArray colour = writtenByQt(page(QSize(203, 157)));
        const QByteArray baseline = writtenByQt(page(QSize(203, 157)), false);
        QTest::newRow("baseline cut in the data") << cutAt(baseline, "\xFF\xDA", 400) << true;
        QTest::newRow("baseline scan of one component of three")
            << handMadeJpeg(sequential(QSize(16, 16), 3, 0, 1)) << false;
        QTest::newRow("baseline scan of some coefficients") << patched(baseline, "\xFF\xDA", 13, 5) << false;
        QByteArray sequentialRestart = handMadeJpeg(sequential(QSize(43, 29), 1, 2));
        sequentialRestart.replace(QByteArray("\xFF\xD1", 2), QByteArray("\xFF\xD3", 2));
        QTest::newRow("baseline restart marker out of turn") << sequentialRestart << true;
        QByteArray extraData = handMadeJpeg(sequential(QSize(43, 29), 1, 2));
        extraData.insert(extraData.indexOf(QByteArray("\xFF\xD0", 2)), QByteArray("\x12\x34", 2));
        QTest::newRow("baseline data running past its restart") << extraData << true;
        QTest::newRow("CMYK") << TestImages::specialJpeg(QSize(64, 64), Qt::red, TestImages::JpegKind::Cmyk) << false;
        QTest::newRow("arithmetic coding") << patched(colour, "\xFF\xC2", 1, 0xCA) << false;
        QTest::newRow("12-bit samples") << patched(colour, "\xFF\xC2", 4, 12) << false;
        QTest::newRow("zero width") << patched(patched(colour, "\xFF\xC2", 7, 0), "\xFF\xC2", 8, 0) << false;
        QTest::newRow("zero height") << patched(patched(colour, "\xFF\xC2", 5, 0), "\xFF\xC2", 6, 0) << false;
        QTest::newRow("huge dimensions")
            << patched(patched(patched(patched(colour, "\xFF\xC2", 5, 0xFF), "\xFF\xC2", 6, 0xFF), "\xFF\xC2", 7, 0xFF),
                       "\xFF\xC2", 8, 0xFF)
            << false;
        QTest::newRow("cut in the quantisation table") << cutAt(colour, "\xFF\xDB", 20) << false;
        QTest::newRow("cut in the Huffman table") << cutAt(colour, "\xFF\xC4", 12) << false;
        QTest::newRow("cut in the frame header") << cutAt(colour, "\xFF\xC2", 9) << false;
        QTest::newRow("cut in the scan header") << cutAt(colour, "\xFF\xDA", 7) << false;
        QTest::newRow("cut in the DC data") << cutAt(colour, "\xFF\xDA", 40) << true;
        QTest::newRow("cut in a later scan") << cutAt(colour, "\xFF\xDA", 30, 4) << true;
        QTest::newRow("cut before the end marker") << colour.left(colour.size() - 2) << true;
        QTest::newRow("first scan not a DC scan") << patched(colour, "\xFF\xDA", 12, 5) << false;
        QTest::newRow("Huffman counts above 256") << handMadeJpeg({QSize(16, 16), 1, 0, 0, {0, 0, 0, 12, 0, 0, 0, 255, 10}})
                                                  << false;
        QTest::newRow("Huffman codes overflowing") << handMadeJpeg({QSize(16, 16), 1, 0, 0, {3, 0, 0, 12}}) << false;
        QTest::newRow("2 components") << handMadeJpeg({QSize(16, 16), 2}) << false;
        QTest::newRow("4 components") << handMadeJpeg({QSize(16, 16), 4}) << false;
        QTest::newRow("Adobe RGB") << handMadeJpeg({QSize(16, 16), 3, 0, 0, {}, 0}) << false;
        QTest::newRow("first scan of one component of three")
            << handMadeJpeg({QSize(16, 16), 3, 0, 0, {}, -1, 1}) << false;
        QByteArray wrongRestart = handMadeJpeg({QSize(43, 29), 1, 2});
        wrongRestart.replace(QByteArray("\xFF\xD1", 2), QByteArray("\xFF\xD3", 2));
        QTest::newRow("restart marker out of turn") << wrongRestart << true;
        QTest::newRow("garbage after the start marker")
            << QByteArray("\xFF\xD8", 2) + QByteArray("\x13\x77garbage\xFF\xC2\x00", 12) << false;
        QTest::newRow("start marker alone") << QByteArray("\xFF\xD8", 2) << false;
        QTest::newRow("empty") << QByteArray() << false;
    }

    // Files it does not fully know, damaged or cut short give no picture,
    // and those told from the header alone are refused from it, so that
    // their decode is counted at its full cost.
    void declines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, headerAccepted);
        QCOMPARE(JpegDc::accepts(bytes), headerAccepted);
        QCOMPARE(JpegDc::workingBytes(bytes) > 0, headerAccepted);
        QVERIFY(JpegDc::decode(bytes).isNull());
    }

    // Every cut of a real file short of its last scan's data is refused,
    // and none reads outside it.
    void declinesEveryCut()
    {
        for (const bool progressive : {true, false}) {
            const QByteArray bytes = writtenByQt(page(QSize(61, 45)), progressive);
            // A baseline file needs nothing after its scan's data.
            const qsizetype needed = progressive ? bytes.size() : bytes.size() - 2;
            for (qsizetype length = 0; length < needed; ++length)
                QVERIFY2(JpegDc::decode(bytes.left(length)).isNull(), qPrintable(QString::number(length)));
            QVERIFY(!JpegDc::decode(bytes).isNull());
        }
    }

    // Files damaged anywhere (bytes changed at random, the same each run)
    // give a picture of the frame's size or none, and nothing is read
    // outside them.
    void survivesDamage()
    {
        const QByteArray colour = writtenByQt(page(QSize(61, 45)));
        const QByteArray restarts = handMadeJpeg({QSize(75, 17), 3, 3, 2});
        const QByteArray baseline = writtenByQt(page(QSize(61, 45)), false);
        const QByteArray sequentialRestarts = handMadeJpeg(sequential(QSize(75, 17), 3, 3));
        const QList<QByteArray> files{colour, restarts, baseline, sequentialRestarts};
        QRandomGenerator random(2718);
        for (int round = 0; round < 4000; ++round) {
            QByteArray bytes = files[round % files.size()];
            const int changes = 1 + int(random.bounded(4));
            for (int i = 0; i < changes; ++i)
                bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
            const QImage image = JpegDc::decode(bytes);
            (void)JpegDc::accepts(bytes);
            QVERIFY(image.isNull() || image.size().width() * image.size().height() <= 256 * 256);
        }
    }

    // Without an allocation limit a small file that claims a huge frame is
    // still refused before its blocks are allocated: it is too short for
    // them.
    void refusesFrameTheDataCannotFill()
    {
        const int limit = QImageReader::allocationLimit();
        QImageReader::setAllocationLimit(0);
        const QByteArray colour = writtenByQt(page(QSize(203, 157)));
        const QByteArray huge =
            patched(patched(patched(patched(colour, "\xFF\xC2", 5, 0xFF), "\xFF\xC2", 6, 0xFF), "\xFF\xC2", 7, 0xFF),
                    "\xFF\xC2", 8, 0xFF);
        const bool accepted = JpegDc::accepts(huge);
        const QImage image = JpegDc::decode(huge);
        QImageReader::setAllocationLimit(limit);
        QVERIFY(accepted);
        QVERIFY(image.isNull());
    }

    // The thumbnails' decode takes the eighth-size picture of a progressive
    // page from its DC scans; a file this decoder refuses still decodes the
    // general way.
    void scaledJpegUsesDcScans()
    {
        const auto needed = [](const QSize &size) { return ThumbnailMaker::contentSize(size); };
        const QByteArray progressive = writtenByQt(page(QSize(2480, 3508)));
        QCOMPARE(ScaledJpeg::decode(progressive, needed), JpegDc::decode(progressive));
        const QByteArray baseline = writtenByQt(page(QSize(2480, 3508)), false);
        QCOMPARE(ScaledJpeg::decode(baseline, needed), JpegDc::decode(baseline));
        const QByteArray cmyk = TestImages::specialJpeg(QSize(64, 64), Qt::red, TestImages::JpegKind::Cmyk);
        QVERIFY(JpegDc::decode(cmyk).isNull());
        const QByteArray small = TestImages::progressiveJpeg(page(QSize(640, 480)), Sampling::Half);
        QCOMPARE(ScaledJpeg::decode(small, needed).size(), QSize(160, 120));
    }
};

VLM_TEST_GUI_MAIN(JpegDcTest)
#include "JpegDcTest.moc"

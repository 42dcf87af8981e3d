#include "tests/support/TestImages.h"

#include "tests/support/TestFiles.h"

#include <QBuffer>
#include <QDataStream>
#include <QHash>
#include <QImageWriter>
#include <QtTest>

#include <turbojpeg.h>

#include <vector>

namespace TestImages {

int dotsPerMeter(int dpi)
{
    return qRound(dpi / 0.0254);
}

QImage filled(const QSize &size, const QColor &colour, int dpi, QImage::Format format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    if (format != QImage::Format_RGB32)
        image = image.convertToFormat(format);
    image.setDotsPerMeterX(dotsPerMeter(dpi));
    image.setDotsPerMeterY(dotsPerMeter(dpi));
    return image;
}

QString writeJpeg(const QString &path, const QImage &image)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    [&] { QVERIFY2(writer.write(image), qPrintable(path + QLatin1String(": ") + writer.errorString())); }();
    return path;
}

QString writeJpegWithoutResolution(const QString &path, const QSize &size)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    [&] { QVERIFY(QImageWriter(&buffer, "jpeg").write(filled(size, QColor(20, 40, 160)))); }();
    // JFIF units 0 with an aspect of 1:1, at their fixed place after SOI and
    // the APP0 header.
    [&] { QCOMPARE(bytes.mid(6, 5), QByteArray("JFIF", 5)); }();
    bytes.replace(13, 5, QByteArray("\0\0\1\0\1", 5));
    TestFiles::write(path, bytes);
    return path;
}

QString writeJpeg(const QString &path, const QSize &size, int dpi, const QColor &colour)
{
    return writeJpeg(path, filled(size, colour, dpi));
}

QString writeGreyJpeg(const QString &path, const QSize &size, int dpi)
{
    QByteArray bytes;
    const auto word = [&bytes](int value) {
        bytes.append(char(value >> 8));
        bytes.append(char(value & 0xFF));
    };
    const auto segment = [&](int marker, const QByteArray &body) {
        word(marker);
        word(int(body.size()) + 2);
        bytes.append(body);
    };
    word(0xFFD8);
    QByteArray jfif("JFIF\0\1\1\1", 8);
    jfif.append(char(dpi >> 8)).append(char(dpi & 0xFF)).append(char(dpi >> 8)).append(char(dpi & 0xFF));
    segment(0xFFE0, jfif.append(QByteArray(2, '\0')));
    // One quantisation table of ones.
    segment(0xFFDB, QByteArray(1, '\0') + QByteArray(64, '\1'));
    // Baseline frame: 8 bits, the size, one component sampled 1x1.
    QByteArray frame(1, '\x08');
    frame.append(char(size.height() >> 8)).append(char(size.height() & 0xFF));
    frame.append(char(size.width() >> 8)).append(char(size.width() & 0xFF));
    segment(0xFFC0, frame.append(QByteArray("\1\1\x11\0", 4)));
    // Huffman tables of one code each, the bit 0: for the DC a difference
    // of 0, for the AC the end of the block.
    const QByteArray oneCode = QByteArray(1, '\1') + QByteArray(15, '\0') + QByteArray(1, '\0');
    segment(0xFFC4, QByteArray(1, '\x00') + oneCode);
    segment(0xFFC4, QByteArray(1, '\x10') + oneCode);
    segment(0xFFDA, QByteArray("\1\1\0\0\x3F\0", 6));
    // Every block: DC difference 0 (level 128 throughout), then end of
    // block; the last byte is filled with one bits.
    const qint64 blocks = qint64((size.width() + 7) / 8) * ((size.height() + 7) / 8);
    const qint64 bits = blocks * 2;
    bytes.append(QByteArray(qsizetype(bits / 8), '\0'));
    if (bits % 8)
        bytes.append(char((1 << (8 - bits % 8)) - 1));
    word(0xFFD9);
    TestFiles::write(path, bytes);
    return path;
}

QString writeCorruptJpeg(const QString &path)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(filled(QSize(64, 64), Qt::red));
    // The start-of-image marker and the first header, then garbage where
    // the frame and the scan data belong.
    QByteArray bytes = buffer.data().left(20);
    bytes.append(QByteArray(4000, '\x5a'));
    TestFiles::write(path, bytes);
    return path;
}

QByteArray truncatedJpeg(const QSize &size)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(filled(size, QColor(10, 120, 60)));
    return buffer.data().left(buffer.data().size() / 2);
}

namespace {

// The pixels written by libjpeg-turbo at quality 90; a failure fails the
// running test.
QByteArray compressedByTurbo(const unsigned char *pixels, int width, int pitch, int height, int pixelFormat,
                             int sampling, int flags)
{
    tjhandle handle = tjInitCompress();
    unsigned char *jpeg = nullptr;
    unsigned long length = 0;
    const int failed =
        tjCompress2(handle, pixels, width, pitch, height, pixelFormat, &jpeg, &length, sampling, 90, flags);
    const QByteArray bytes = failed ? QByteArray() : QByteArray(reinterpret_cast<const char *>(jpeg), int(length));
    tjFree(jpeg);
    tjDestroy(handle);
    if (bytes.isEmpty())
        QTest::qFail("libjpeg-turbo wrote no JPEG", __FILE__, __LINE__);
    return bytes;
}

QByteArray turboJpeg(const QImage &image, Sampling sampling, int flags)
{
    static const QHash<Sampling, int> kinds = {
        {Sampling::Grey, TJSAMP_GRAY},         {Sampling::Full, TJSAMP_444},    {Sampling::HalfAcross, TJSAMP_422},
        {Sampling::Half, TJSAMP_420},          {Sampling::HalfDown, TJSAMP_440}, {Sampling::QuarterAcross, TJSAMP_411}};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    constexpr int kPixelFormat = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? TJPF_BGRX : TJPF_XRGB;
    return compressedByTurbo(rgb.constBits(), rgb.width(), int(rgb.bytesPerLine()), rgb.height(), kPixelFormat,
                             kinds.value(sampling), flags);
}

} // namespace

QByteArray specialJpeg(const QSize &size, const QColor &colour, JpegKind kind)
{
    const bool cmyk = kind == JpegKind::Cmyk;
    // Adobe CMYK JPEGs store inverted inks: 255 is no ink.
    const QColor inks = colour.toCmyk();
    const unsigned char pixel[4] = {
        uchar(cmyk ? 255 - inks.cyan() : colour.red()), uchar(cmyk ? 255 - inks.magenta() : colour.green()),
        uchar(cmyk ? 255 - inks.yellow() : colour.blue()), uchar(cmyk ? 255 - inks.black() : 255)};
    std::vector<unsigned char> pixels(size_t(size.width()) * size.height() * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = pixel[i % 4];
    return compressedByTurbo(pixels.data(), size.width(), 0, size.height(), cmyk ? TJPF_CMYK : TJPF_RGBX, TJSAMP_420,
                             cmyk ? 0 : TJFLAG_PROGRESSIVE);
}

QByteArray progressiveJpeg(const QImage &image, Sampling sampling)
{
    return turboJpeg(image, sampling, TJFLAG_PROGRESSIVE);
}

QByteArray baselineJpeg(const QImage &image, Sampling sampling)
{
    return turboJpeg(image, sampling, 0);
}

QImage eighthByLibjpeg(const QByteArray &bytes)
{
    tjhandle handle = tjInitDecompress();
    auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    QImage image;
    if (tjDecompressHeader3(handle, data, bytes.size(), &width, &height, &subsampling, &colourspace) == 0) {
        image = QImage((width + 7) / 8, (height + 7) / 8, QImage::Format_RGB32);
        constexpr int kPixelFormat = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? TJPF_BGRX : TJPF_XRGB;
        if (tjDecompress2(handle, data, bytes.size(), image.bits(), image.width(), int(image.bytesPerLine()),
                          image.height(), kPixelFormat, TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE)
            != 0)
            image = QImage();
    }
    tjDestroy(handle);
    return image;
}

QByteArray bmpHeaderClaiming(int width, int height)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 pixelBytes = quint32((qint64(width) * 3 + 3) / 4 * 4 * height);
    out.writeRawData("BM", 2);
    out << quint32(54 + pixelBytes) << quint32(0) << quint32(54);
    out << quint32(40) << qint32(width) << qint32(height) << quint16(1) << quint16(24) << quint32(0)
        << pixelBytes << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
    bytes.append(QByteArray(64, '\x7f'));
    return bytes;
}

QByteArray jpegHeaderClaiming(int width, int height, bool grey)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QImage image = filled(QSize(16, 16), Qt::white, 300, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    [&] { QVERIFY(QImageWriter(&buffer, "jpeg").write(image)); }();
    // SOF0: marker, length, precision, then height and width, big-endian.
    const qsizetype sof = bytes.indexOf("\xFF\xC0");
    [&] { QVERIFY(sof > 0); }();
    const char size[4] = {char(height >> 8), char(height & 0xFF), char(width >> 8), char(width & 0xFF)};
    bytes.replace(sof + 5, 4, size, 4);
    return bytes;
}

int dpiOf(int dotsPerMeter)
{
    return qRound(dotsPerMeter * 0.0254);
}

int dpiOf(const QImage &image)
{
    return dpiOf(image.dotsPerMeterX());
}

} // namespace TestImages

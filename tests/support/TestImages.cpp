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

#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

// Real image files for the imaging tests, written with Qt's own writers
// past the code under test.
namespace TestImages {

// Dots per meter of a resolution in dots per inch (300 dpi is 11811).
int dotsPerMeter(int dpi);

// An image of size filled with colour, at dpi in both directions.
QImage filled(const QSize &size, const QColor &colour, int dpi = 300,
              QImage::Format format = QImage::Format_RGB32);

// Writes image at path as a JPEG of Qt quality 90; a failure fails the
// running test. Returns path.
QString writeJpeg(const QString &path, const QImage &image);

// Writes a JPEG of size that stores no resolution (JFIF units 0), as some
// scanners and programs write them; returns path.
QString writeJpegWithoutResolution(const QString &path, const QSize &size);
// Writes a JPEG of size in one colour at dpi; returns path.
QString writeJpeg(const QString &path, const QSize &size, int dpi, const QColor &colour = QColor(20, 40, 160));

// Writes a real baseline grey JPEG (one component) of size, mid-grey (128)
// throughout, at dpi; returns path. It is built block by block (two bits a
// block), so a page of 20000 by 20000 pixels costs a 1.5 MB file and no
// image in memory to write.
QString writeGreyJpeg(const QString &path, const QSize &size, int dpi = 300);

// A file that starts like a JPEG (its first bytes are a real JPEG's) and
// then holds nothing a decoder can use.
QString writeCorruptJpeg(const QString &path);

// The bytes of a real JPEG of size cut to their first half: the decoder
// still gives a picture, filled in grey, and only warns.
QByteArray truncatedJpeg(const QSize &size);

// JPEG bytes of size in one colour that libjpeg-turbo writes in ways Qt's
// writer does not: progressive, or in CMYK (Adobe's inverted inks, as
// print software stores them).
enum class JpegKind { Progressive, Cmyk };
QByteArray specialJpeg(const QSize &size, const QColor &colour, JpegKind kind);

// The chroma sampling of the JPEGs libjpeg-turbo writes for the tests.
enum class Sampling { Grey, Full, HalfAcross, Half, HalfDown, QuarterAcross };

// image (RGB32) as a progressive JPEG of quality 90 that libjpeg-turbo
// writes with sampling.
QByteArray progressiveJpeg(const QImage &image, Sampling sampling);
// The same, baseline (sequential).
QByteArray baselineJpeg(const QImage &image, Sampling sampling);

// The picture libjpeg-turbo decodes from JPEG bytes at an eighth of their
// size with its fast DCT and upsampling (the thumbnails' general path);
// null when it fails or warns.
QImage eighthByLibjpeg(const QByteArray &bytes);

// A bitmap header that claims width by height pixels of 24 bits, followed
// by a few bytes of pixels.
QByteArray bmpHeaderClaiming(int width, int height);

// A small baseline JPEG whose frame header claims width by height pixels:
// what a reader learns of a large page before it decodes anything. In
// colour, or grey (one component) when grey.
QByteArray jpegHeaderClaiming(int width, int height, bool grey = false);

// A resolution in whole dots per inch, as JFIF stores it, of dots per meter
// or of an image's horizontal resolution.
int dpiOf(int dotsPerMeter);
int dpiOf(const QImage &image);

} // namespace TestImages

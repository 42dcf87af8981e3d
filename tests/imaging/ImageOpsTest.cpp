#include "imaging/ImageOps.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestImages.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QTransform>
#include <QtTest>

#include <cerrno>

using namespace ImageOps;

namespace {

// JFIF stores whole dots per inch, so resolutions are compared in those.
using TestImages::dpiOf;
using TestFiles::tempPath;

// A white image with one red pixel at marker, to follow where pixels go.
QImage marked(const QSize &size, const QPoint &marker)
{
    QImage image = TestImages::filled(size, Qt::white);
    image.setPixel(marker, qRgb(255, 0, 0));
    return image;
}

// The content of a trim case: a white image of 100 by 80 with a black
// block at 10,10 of 80 by 60.
QImage framed()
{
    QImage image = TestImages::filled(QSize(100, 80), Qt::white);
    for (int y = 10; y < 70; ++y)
        for (int x = 10; x < 90; ++x)
            image.setPixel(x, y, qRgb(0, 0, 0));
    return image;
}

// An image of size in format with a gradient in every channel, alpha
// included, so that any misplaced pixel shows.
QImage gradient(const QSize &size, QImage::Format format)
{
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x % 256, y % 256, (x * 7 + y * 3) % 256, 255 - (x + y) % 200));
    return image.convertToFormat(format, Qt::ThresholdDither);
}

} // namespace

class ImageOpsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // As the programs do at start-up, so that 600-dpi pages fit.
    void initTestCase() { QImageReader::setAllocationLimit(1024); }

    void load_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("dpi");
        QTest::newRow("A4 at 300 dpi") << QSize(2480, 3508) << 300;
        QTest::newRow("A4 at 600 dpi") << QSize(4961, 7016) << 600;
        QTest::newRow("landscape at 72 dpi") << QSize(800, 300) << 72;
    }
    // Scanned pages open whole, with the resolution they were stored at.
    void load()
    {
        QFETCH(QSize, size);
        QFETCH(int, dpi);
        const QString path = TestImages::writeJpeg(tempPath(QStringLiteral("load.jpg")), size, dpi);
        const LoadResult loaded = ImageOps::load(path);
        QVERIFY2(!loaded.error, loaded.error ? qPrintable(loaded.error->text) : "");
        QCOMPARE(loaded.image.size(), size);
        QCOMPARE(dpiOf(loaded.image.dotsPerMeterX()), dpi);
        QCOMPARE(dpiOf(loaded.image.dotsPerMeterY()), dpi);
    }

    void loadFailure_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("code");
        QTest::newRow("missing file") << "missing" << ENOENT;
        QTest::newRow("a folder") << "folder" << EISDIR;
        QTest::newRow("empty file") << "empty" << int(ErrorCode::InvalidValue);
        QTest::newRow("text under a .jpg name") << "text" << int(ErrorCode::InvalidValue);
        QTest::newRow("corrupt JPEG") << "corrupt" << int(ErrorCode::InvalidValue);
        QTest::newRow("larger than the allocation limit") << "large" << int(ErrorCode::InvalidValue);
    }
    // Every file that gives no image says which file and why, and never
    // hands back a half image.
    void loadFailure()
    {
        QFETCH(QString, kind);
        QFETCH(int, code);
        const QString path = tempPath(QStringLiteral("bad-%1.jpg").arg(kind));
        const int limit = QImageReader::allocationLimit();
        if (kind == QLatin1String("folder"))
            QDir().mkpath(path);
        else if (kind == QLatin1String("empty"))
            TestFiles::write(path, QByteArray());
        else if (kind == QLatin1String("text"))
            TestFiles::write(path, "Minutes of the meeting\n");
        else if (kind == QLatin1String("corrupt"))
            TestImages::writeCorruptJpeg(path);
        else if (kind == QLatin1String("large")) {
            TestImages::writeJpeg(path, QSize(1000, 600), 300);
            QImageReader::setAllocationLimit(1);
        }
        const LoadResult loaded = ImageOps::load(path);
        // The display's load refuses the same files at once, a page too
        // large to edit too, although a reduced picture of it would fit.
        const DisplayLoad shown = ImageOps::loadForDisplay(path, [](const QSize &size) { return size / 8; });
        QImageReader::setAllocationLimit(limit);
        QVERIFY(loaded.image.isNull());
        QVERIFY(loaded.error);
        QCOMPARE(loaded.error->code, code);
        QVERIFY2(loaded.error->text.contains(path), qPrintable(loaded.error->text));
        QVERIFY(shown.picture.isNull());
        QVERIFY(shown.error);
        QCOMPARE(shown.error->code, code);
    }

    void reducedDecodeSize_data()
    {
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<QSize>("needed");
        QTest::addColumn<QSize>("decoded");
        const QSize a4(2480, 3508);
        QTest::newRow("an eighth, rounded up") << a4 << QSize(300, 400) << QSize(310, 439);
        QTest::newRow("a quarter just covers it") << a4 << QSize(620, 877) << QSize(620, 877);
        QTest::newRow("fit to height on a 1080 screen: a half") << a4 << QSize(636, 900) << QSize(1240, 1754);
        QTest::newRow("one direction past a half: whole") << a4 << QSize(100, 1800) << a4;
        QTest::newRow("100 percent: whole") << a4 << a4 << a4;
        QTest::newRow("small image") << QSize(30, 20) << QSize(1, 1) << QSize(4, 3);
    }
    // The cheapest JPEG decode that still holds every pixel the display
    // shows.
    void reducedDecodeSize()
    {
        QFETCH(QSize, stored);
        QFETCH(QSize, needed);
        QFETCH(QSize, decoded);
        QCOMPARE(ImageOps::reducedDecodeSize(stored, needed), decoded);
    }

    void displayedPixels_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("a quarter") << QSize(2480, 3508) << 25.0 << 1.0 << QSize(620, 877);
        QTest::newRow("rounded up, on a HiDPI screen") << QSize(2480, 3508) << 27.0 << 2.0 << QSize(1340, 1895);
        QTest::newRow("no image") << QSize(0, 0) << 50.0 << 1.0 << QSize(0, 0);
    }
    void displayedPixels()
    {
        QFETCH(QSize, image);
        QFETCH(double, zoom);
        QFETCH(double, ratio);
        QFETCH(QSize, pixels);
        QCOMPARE(ImageOps::displayedPixels(image, zoom, ratio), pixels);
    }

    void loadForDisplay_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("needed");
        QTest::addColumn<QSize>("picture");
        QTest::newRow("A4 JPEG fitted small: a reduced picture") << QByteArray("JPEG") << QSize(2480, 3508)
                                                              << QSize(600, 850) << QSize(620, 877);
        QTest::newRow("A4 JPEG at 100 percent: whole at once") << QByteArray("JPEG") << QSize(2480, 3508)
                                                             << QSize(2480, 3508) << QSize(2480, 3508);
        QTest::newRow("bitmap: whole at once") << QByteArray("BMP") << QSize(800, 600) << QSize(100, 75)
                                               << QSize(800, 600);
    }
    // The picture comes at the size the display needs; the whole image that
    // follows is the one load() gives, resolution included.
    void loadForDisplay()
    {
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        QFETCH(QSize, needed);
        QFETCH(QSize, picture);
        const QString path = tempPath(QStringLiteral("display.") + QString::fromLatin1(format).toLower());
        QImage page = TestImages::filled(size, Qt::white, 300);
        page.setPixel(size.width() - 1, size.height() - 1, qRgb(0, 0, 0));
        QVERIFY(page.save(path, format.constData(), 90));
        QSize asked;
        const DisplayLoad shown = ImageOps::loadForDisplay(path, [&](const QSize &stored) {
            asked = stored;
            return needed;
        });
        QVERIFY2(!shown.error, shown.error ? qPrintable(shown.error->text) : "");
        // A format that cannot decode at reduced size is not asked.
        QCOMPARE(asked, format == "JPEG" ? size : QSize());
        QCOMPARE(shown.size, size);
        QCOMPARE(shown.picture.size(), picture);
        const LoadResult whole = shown.whole.get();
        QVERIFY(!whole.error);
        QCOMPARE(whole.image, ImageOps::load(path).image);
        QCOMPARE(dpiOf(whole.image.dotsPerMeterX()), 300);
    }

    void jpegQuality_data()
    {
        QTest::addColumn<int>("factor");
        QTest::addColumn<int>("quality");
        QTest::newRow("1, below the best") << 1 << 100;
        QTest::newRow("2, the best") << 2 << 100;
        QTest::newRow("10, thumbnails") << 10 << 97;
        QTest::newRow("30, pictures") << 30 << 89;
        QTest::newRow("50, documents") << 50 << 81;
        QTest::newRow("128, the middle") << 128 << 51;
        QTest::newRow("255, the smallest") << 255 << 1;
        QTest::newRow("0, off the scale") << 0 << 100;
        QTest::newRow("1000, off the scale") << 1000 << 1;
    }
    void jpegQuality()
    {
        QFETCH(int, factor);
        QFETCH(int, quality);
        QCOMPARE(ImageOps::jpegQuality(factor), quality);
    }

    // A higher factor never gives a more accurate image.
    void jpegQualityFallsAcrossTheScale()
    {
        for (int q = 2; q <= 255; ++q)
            QVERIFY2(ImageOps::jpegQuality(q) <= ImageOps::jpegQuality(q - 1), qPrintable(QString::number(q)));
    }

    void saveKeepsDensity_data()
    {
        QTest::addColumn<int>("dpiX");
        QTest::addColumn<int>("dpiY");
        QTest::addColumn<int>("format");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<int>("stored");
        const int colour = int(QImage::Format_RGB32);
        const int grey = int(QImage::Format_Grayscale8);
        const QColor midGrey(90, 90, 90);
        QTest::newRow("300 dpi colour") << 300 << 300 << int(QImage::Format_RGB32) << midGrey << colour;
        QTest::newRow("600 dpi colour") << 600 << 600 << int(QImage::Format_RGB32) << midGrey << colour;
        QTest::newRow("200 by 100 dpi fax") << 200 << 100 << int(QImage::Format_RGB32) << midGrey << colour;
        QTest::newRow("72 dpi screen") << 72 << 72 << int(QImage::Format_RGB32) << midGrey << colour;
        QTest::newRow("300 dpi grey") << 300 << 300 << int(QImage::Format_Grayscale8) << midGrey << grey;
        QTest::newRow("300 dpi 16-bit grey") << 300 << 300 << int(QImage::Format_Grayscale16) << midGrey << grey;
        QTest::newRow("300 dpi palette of greys") << 300 << 300 << int(QImage::Format_Indexed8) << midGrey << grey;
        QTest::newRow("300 dpi palette of colours")
            << 300 << 300 << int(QImage::Format_Indexed8) << QColor(20, 40, 160) << colour;
        QTest::newRow("300 dpi black and white") << 300 << 300 << int(QImage::Format_Mono) << QColor(Qt::black) << grey;
    }
    // A saved page keeps its resolution (printing sizes pages by it) and
    // is a grey JPEG exactly when the image in memory is grey.
    void saveKeepsDensity()
    {
        QFETCH(int, dpiX);
        QFETCH(int, dpiY);
        QFETCH(int, format);
        QFETCH(QColor, colour);
        QFETCH(int, stored);
        QImage image = TestImages::filled(QSize(320, 200), colour, dpiX, QImage::Format(format));
        image.setDotsPerMeterY(TestImages::dotsPerMeter(dpiY));
        const QString path = tempPath(QStringLiteral("saved.jpg"));
        const std::optional<AppError> error = ImageOps::saveJpeg(image, path, 30);
        QVERIFY2(!error, error ? qPrintable(error->text) : "");
        const LoadResult loaded = ImageOps::load(path);
        QVERIFY(!loaded.error);
        QCOMPARE(loaded.image.size(), image.size());
        QCOMPARE(dpiOf(loaded.image.dotsPerMeterX()), dpiX);
        QCOMPARE(dpiOf(loaded.image.dotsPerMeterY()), dpiY);
        QCOMPARE(QImageReader(path).imageFormat(), QImage::Format(stored));
    }

    void greyStaysGrey_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::newRow("turned a quarter") << "rotate 90";
        QTest::newRow("turned half round") << "rotate 180";
        QTest::newRow("turned three quarters") << "rotate 270";
        QTest::newRow("turned when handed over") << "rotate handed over";
        QTest::newRow("cropped") << "crop";
        QTest::newRow("trimmed") << "trim";
        QTest::newRow("saved unedited") << "none";
    }
    // A grey page stays grey through each edit of the viewer and its save:
    // the edited image keeps its 8-bit grey format, and the JPEG written of
    // it is a grey one (one component) with the same greys.
    void greyStaysGrey()
    {
        QFETCH(QString, edit);
        const QImage page = framed().convertToFormat(QImage::Format_Grayscale8);
        QImage edited;
        if (edit == QLatin1String("rotate 90"))
            edited = ImageOps::rotate(page, 90);
        else if (edit == QLatin1String("rotate 180"))
            edited = ImageOps::rotate(page, 180);
        else if (edit == QLatin1String("rotate 270"))
            edited = ImageOps::rotate(page, 270);
        else if (edit == QLatin1String("rotate handed over"))
            edited = ImageOps::rotate(page.copy(), 90);
        else if (edit == QLatin1String("crop"))
            edited = ImageOps::crop(page, QRect(5, 5, 60, 50));
        else if (edit == QLatin1String("trim"))
            edited = ImageOps::autoTrim(page);
        else
            edited = page;
        QVERIFY(!edited.isNull());
        QCOMPARE(edited.format(), QImage::Format_Grayscale8);
        QByteArray jpeg = ImageOps::encodeJpeg(edited, 2);
        QBuffer buffer(&jpeg);
        QImageReader reader(&buffer, "jpeg");
        QCOMPARE(reader.imageFormat(), QImage::Format_Grayscale8);
        const QImage decoded = reader.read();
        QCOMPARE(decoded.size(), edited.size());
        for (const QPoint &at : {QPoint(0, 0), QPoint(edited.width() / 2, edited.height() / 2)})
            QVERIFY2(qAbs(qGray(decoded.pixel(at)) - qGray(edited.pixel(at))) <= 8, qPrintable(edit));
    }

    void allocationLimit_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("limitMb");
        QTest::addColumn<bool>("opens");
        // Qt counts every pixel at 32 bits at least, a grey one too: 20000
        // by 20000 grey pixels count 1526 MB although they take 381.
        QTest::newRow("grey 20000 by 20000 over 1024 MB") << QSize(20000, 20000) << 1024 << false;
        QTest::newRow("grey 1024 by 1024 just within 4 MB") << QSize(1024, 1024) << 4 << true;
        QTest::newRow("grey 1025 by 1024 just over 4 MB") << QSize(1025, 1024) << 4 << false;
    }
    // A valid grey JPEG opens when Qt's allocation limit holds it, in grey;
    // one the limit refuses gets the limit's message at once, from the
    // whole load and the display's load alike, not "Invalid file format".
    void allocationLimit()
    {
        QFETCH(QSize, size);
        QFETCH(int, limitMb);
        QFETCH(bool, opens);
        const QString path = TestImages::writeGreyJpeg(tempPath(QStringLiteral("grey-limit.jpg")), size);
        const int limit = QImageReader::allocationLimit();
        QImageReader::setAllocationLimit(limitMb);
        const LoadResult loaded = ImageOps::load(path);
        const DisplayLoad shown = ImageOps::loadForDisplay(path, [](const QSize &stored) { return stored / 8; });
        // The whole image is decoded under the same limit.
        const LoadResult whole = shown.whole.valid() ? shown.whole.get() : LoadResult();
        QImageReader::setAllocationLimit(limit);
        if (opens) {
            QVERIFY2(!loaded.error, loaded.error ? qPrintable(loaded.error->text) : "");
            QCOMPARE(loaded.image.size(), size);
            QCOMPARE(loaded.image.format(), QImage::Format_Grayscale8);
            QVERIFY(!shown.error);
            QVERIFY(!shown.picture.isNull());
            QCOMPARE(whole.image, loaded.image);
            return;
        }
        const QString message = QStringLiteral("%1: The image of %2 by %3 pixels is larger than the %4 MB an image may take.")
                                    .arg(path).arg(size.width()).arg(size.height()).arg(limitMb);
        QVERIFY(loaded.image.isNull());
        QVERIFY(loaded.error);
        QCOMPARE(loaded.error->code, int(ErrorCode::InvalidValue));
        QCOMPARE(loaded.error->text, message);
        QVERIFY(shown.picture.isNull());
        QVERIFY(shown.error);
        QCOMPARE(shown.error->text, message);
    }

    // A page that stored no resolution keeps none through a save, whatever
    // the screen's resolution: printing sizes it by the page, not by 96 dpi.
    void saveKeepsNoResolution()
    {
        const QString source = TestImages::writeJpegWithoutResolution(tempPath("none.jpg"), QSize(248, 351));
        const LoadResult loaded = ImageOps::load(source);
        QVERIFY(!loaded.error);
        QVERIFY(!ImageOps::hasStoredResolution(loaded.image));
        const QString saved = tempPath(QStringLiteral("saved-none.jpg"));
        QVERIFY(!ImageOps::saveJpeg(ImageOps::rotate(loaded.image, 180), saved, 30));
        const QByteArray bytes = TestFiles::read(saved);
        QCOMPARE(int(bytes.at(13)), 0);
        QVERIFY(!ImageOps::hasStoredResolution(ImageOps::load(saved).image));
    }

    // The quality factor reaches the file: the best quality is the largest.
    void saveUsesTheQualityFactor()
    {
        QImage image(400, 300, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb((x * 7) % 256, (y * 13) % 256, (x * y) % 256));
        const QString best = tempPath(QStringLiteral("best.jpg"));
        const QString smallest = tempPath(QStringLiteral("smallest.jpg"));
        QVERIFY(!ImageOps::saveJpeg(image, best, 2));
        QVERIFY(!ImageOps::saveJpeg(image, smallest, 255));
        QVERIFY(QFileInfo(best).size() > 2 * QFileInfo(smallest).size());
    }

    void saveFailure_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("code");
        QTest::newRow("missing folder") << "folder" << ENOENT;
        QTest::newRow("folder is a file") << "blocked" << ENOTDIR;
        QTest::newRow("no image") << "null" << int(ErrorCode::InvalidValue);
    }
    // A refused save reports why and leaves the earlier file untouched.
    void saveFailure()
    {
        QFETCH(QString, kind);
        QFETCH(int, code);
        QString path = tempPath(QStringLiteral("no-such-folder/page.jpg"));
        if (kind == QLatin1String("blocked"))
            path = TestFiles::pathUnderFile(QStringLiteral("blocker")) + QStringLiteral("/page.jpg");
        QImage image = TestImages::filled(QSize(10, 10), Qt::black);
        if (kind == QLatin1String("null")) {
            path = tempPath(QStringLiteral("kept.jpg"));
            TestFiles::write(path, "earlier");
            image = QImage();
        }
        const std::optional<AppError> error = ImageOps::saveJpeg(image, path, 30);
        QVERIFY(error);
        QCOMPARE(error->code, code);
        QVERIFY(error->text.contains(path));
        if (kind == QLatin1String("null"))
            QCOMPARE(TestFiles::read(path), QByteArray("earlier"));
        else
            QVERIFY(!QFileInfo::exists(path));
    }

    void rotate_data()
    {
        QTest::addColumn<int>("degrees");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("marker");
        // A 200 by 100 image with its marker in the top-left corner.
        QTest::newRow("90 clockwise") << 90 << QSize(100, 200) << QPoint(99, 0);
        QTest::newRow("180") << 180 << QSize(200, 100) << QPoint(199, 99);
        QTest::newRow("270 clockwise") << 270 << QSize(100, 200) << QPoint(0, 199);
        QTest::newRow("45 refused") << 45 << QSize() << QPoint();
        QTest::newRow("360 refused") << 360 << QSize() << QPoint();
    }
    // Quarter turns move every pixel exactly and carry the resolution of
    // each axis with it.
    void rotate()
    {
        QFETCH(int, degrees);
        QFETCH(QSize, size);
        QFETCH(QPoint, marker);
        QImage image = marked(QSize(200, 100), QPoint(0, 0));
        image.setDotsPerMeterX(TestImages::dotsPerMeter(200));
        image.setDotsPerMeterY(TestImages::dotsPerMeter(100));
        const QImage turned = ImageOps::rotate(image, degrees);
        if (!size.isValid()) {
            QVERIFY(turned.isNull());
            return;
        }
        QCOMPARE(turned.size(), size);
        QCOMPARE(turned.pixel(marker), qRgb(255, 0, 0));
        QCOMPARE(turned.pixel(size.width() / 2, size.height() / 2), qRgb(255, 255, 255));
        const bool quarter = degrees != 180;
        QCOMPARE(turned.dotsPerMeterX(), TestImages::dotsPerMeter(quarter ? 100 : 200));
        QCOMPARE(turned.dotsPerMeterY(), TestImages::dotsPerMeter(quarter ? 200 : 100));
    }

    void rotateHandedOver_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("degrees");
        for (const int degrees : {90, 180, 270}) {
            const QByteArray turn = QByteArray::number(degrees) + " ";
            QTest::newRow(turn + "colour") << int(QImage::Format_RGB32) << degrees;
            QTest::newRow(turn + "grey") << int(QImage::Format_Grayscale8) << degrees;
            QTest::newRow(turn + "24 bits") << int(QImage::Format_RGB888) << degrees;
            QTest::newRow(turn + "64 bits") << int(QImage::Format_RGBA64) << degrees;
            QTest::newRow(turn + "1 bit") << int(QImage::Format_Mono) << degrees;
        }
    }
    // An image handed over is turned to the very pixels Qt's own turn gives,
    // in its own format, with its resolutions swapped for quarter turns;
    // an image that is also held elsewhere is left as it was.
    void rotateHandedOver()
    {
        QFETCH(int, format);
        QFETCH(int, degrees);
        // Taller than a band of rows and wider than a tile, in odd sizes,
        // with a gradient so that any misplaced pixel shows.
        QImage image = gradient(QSize(301, 357), QImage::Format(format));
        image.setDotsPerMeterX(TestImages::dotsPerMeter(200));
        image.setDotsPerMeterY(TestImages::dotsPerMeter(100));
        const QImage expected = image.transformed(QTransform().rotate(degrees));
        const QImage kept = image.copy();
        const QImage shared = image;
        const QImage fromShared = ImageOps::rotate(shared, degrees);
        QCOMPARE(shared, kept);
        QCOMPARE(fromShared, expected);

        QImage handed = image.copy();
        image = QImage();
        const QImage turned = ImageOps::rotate(std::move(handed), degrees);
        QCOMPARE(turned.format(), QImage::Format(format));
        QCOMPARE(turned, expected);
        const bool quarter = degrees != 180;
        QCOMPARE(turned.dotsPerMeterX(), TestImages::dotsPerMeter(quarter ? 100 : 200));
        QCOMPARE(turned.dotsPerMeterY(), TestImages::dotsPerMeter(quarter ? 200 : 100));
    }

    void rotateEveryShape_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("degrees");
        const QList<QPair<QByteArray, QImage::Format>> formats = {
            {"colour", QImage::Format_RGB32},         {"alpha", QImage::Format_ARGB32},
            {"grey", QImage::Format_Grayscale8},      {"palette", QImage::Format_Indexed8},
            {"1 bit", QImage::Format_Mono},           {"24 bits", QImage::Format_RGB888},
        };
        // One column, one row, odd sizes whose rows are padded in the narrow
        // formats, and heights that are no whole number of bands.
        const QList<QSize> sizes = {QSize(1, 600), QSize(600, 1), QSize(7, 13), QSize(67, 513), QSize(130, 300)};
        for (const int degrees : {90, 180, 270, -90, 450}) {
            for (const auto &[name, format] : formats) {
                for (const QSize &size : sizes) {
                    const QByteArray row = QByteArray::number(degrees) + " " + name + " "
                        + QByteArray::number(size.width()) + "x" + QByteArray::number(size.height());
                    QTest::newRow(row.constData()) << int(format) << size << degrees;
                }
            }
        }
    }
    // Whatever its shape, format or angle (taken modulo a whole turn), an
    // image turns to the very pixels Qt's own turn gives, whether it is
    // handed over or also held elsewhere.
    void rotateEveryShape()
    {
        QFETCH(int, format);
        QFETCH(QSize, size);
        QFETCH(int, degrees);
        QImage image = gradient(size, QImage::Format(format));
        // Qt turns exactly only between -270 and 270 degrees; past them its
        // sine and cosine are inexact and the image grows by a pixel.
        const QImage expected = image.transformed(QTransform().rotate(degrees % 360));
        QCOMPARE(ImageOps::rotate(image, degrees), expected);

        QImage handed = image.copy();
        image = QImage();
        QCOMPARE(ImageOps::rotate(std::move(handed), degrees), expected);
    }

    void crop_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QRect>("kept");
        // The image is 200 by 100.
        QTest::newRow("inside") << QRect(20, 10, 50, 40) << QRect(20, 10, 50, 40);
        QTest::newRow("past the right and bottom") << QRect(150, 80, 100, 100) << QRect(150, 80, 50, 20);
        QTest::newRow("before the left and top") << QRect(-30, -5, 60, 25) << QRect(0, 0, 30, 20);
        QTest::newRow("outside") << QRect(300, 10, 20, 20) << QRect();
        QTest::newRow("no width") << QRect(20, 10, 0, 40) << QRect();
        QTest::newRow("no height") << QRect(20, 10, 50, 0) << QRect();
        QTest::newRow("negative size") << QRect(60, 50, -20, -20) << QRect();
    }
    // A crop keeps what lies inside the image and refuses a rectangle that
    // would leave nothing, so a stray click cannot empty the page.
    void crop()
    {
        QFETCH(QRect, rect);
        QFETCH(QRect, kept);
        const QImage image = marked(QSize(200, 100), kept.isValid() ? kept.topLeft() : QPoint(0, 0));
        const QImage cropped = ImageOps::crop(image, rect);
        if (!kept.isValid()) {
            QVERIFY(cropped.isNull());
            return;
        }
        QCOMPARE(cropped.size(), kept.size());
        QCOMPARE(cropped.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(cropped.dotsPerMeterX(), image.dotsPerMeterX());
    }

    void trim_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QRect>("kept");
        const QRect block(10, 10, 80, 60);
        QTest::newRow("uniform border") << framed() << block;
        QImage noisy = framed();
        noisy.setPixel(3, 40, qRgb(191, 191, 191));
        noisy.setPixel(50, 75, qRgb(255, 191, 255));
        QTest::newRow("border noise of 64") << noisy << block;
        QImage stop = framed();
        stop.setPixel(3, 40, qRgb(255, 255, 190));
        QTest::newRow("one pixel 65 off in one channel") << stop << QRect(3, 10, 87, 60);
        QImage bottom = framed();
        bottom.setPixel(95, 79, qRgb(0, 0, 0));
        QTest::newRow("a dark corner opposite") << bottom << QRect(10, 10, 86, 70);
        QTest::newRow("uniform image kept whole")
            << TestImages::filled(QSize(50, 40), Qt::white) << QRect(0, 0, 50, 40);
        QImage edges = TestImages::filled(QSize(30, 20), Qt::black);
        edges.setPixel(0, 0, qRgb(255, 255, 255));
        QTest::newRow("nothing to trim") << edges << QRect(0, 0, 30, 20);
        QTest::newRow("grey image") << framed().convertToFormat(QImage::Format_Grayscale8) << block;
        QImage line = TestImages::filled(QSize(40, 40), Qt::white);
        line.setPixel(25, 12, qRgb(0, 0, 0));
        QTest::newRow("one dark pixel") << line << QRect(25, 12, 1, 1);
    }
    // Auto Trim drops the edge rows and columns that stay within 64 of the
    // top-left pixel in every channel, and never trims to nothing.
    void trim()
    {
        QFETCH(QImage, image);
        QFETCH(QRect, kept);
        QCOMPARE(ImageOps::trimRect(image), kept);
        const QImage trimmed = ImageOps::autoTrim(image);
        QCOMPARE(trimmed.size(), kept.size());
        QCOMPARE(trimmed.pixel(0, 0), image.pixel(kept.topLeft()));
    }

    void zoomSteps_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<double>("in");
        QTest::addColumn<double>("out");
        QTest::newRow("8000 in reaches the top") << 8000.0 << 10000.0 << 6000.0;
        QTest::newRow("10000 stays in") << 10000.0 << 10000.0 << 7500.0;
        QTest::newRow("12 out goes below the bottom") << 12.0 << 15.0 << 9.0;
        QTest::newRow("9 stays out") << 9.0 << 11.25 << 9.0;
    }
    void zoomSteps()
    {
        QFETCH(double, zoom);
        QFETCH(double, in);
        QFETCH(double, out);
        QCOMPARE(ImageOps::zoomIn(zoom), in);
        QCOMPARE(ImageOps::zoomOut(zoom), out);
    }

    void fitZoom_data()
    {
        QTest::addColumn<int>("display");
        QTest::addColumn<int>("image");
        QTest::addColumn<int>("zoom");
        QTest::newRow("fills 15/16") << 1600 << 1500 << 100;
        QTest::newRow("A4 height in 800 pixels") << 800 << 3508 << 21;
        QTest::newRow("half to even") << 6 << 1 << 562;
        QTest::newRow("no image") << 800 << 0 << 100;
        QTest::newRow("too small to fit") << 2000 << 1 << 100;
        QTest::newRow("too large to fit") << 100 << 100000 << 100;
        QTest::newRow("just 10") << 1067 << 10000 << 10;
    }
    // Fit Width and Fit Height: 15/16 of the display, 100 when out of range.
    void fitZoom()
    {
        QFETCH(int, display);
        QFETCH(int, image);
        QFETCH(int, zoom);
        QCOMPARE(ImageOps::fitZoom(display, image), zoom);
    }

    void selectionToImage_data()
    {
        QTest::addColumn<QPointF>("start");
        QTest::addColumn<QPointF>("end");
        QTest::addColumn<QRectF>("displayed");
        QTest::addColumn<QRect>("pixels");
        // The image is 1000 by 500 pixels.
        const QRectF full(0, 0, 1000, 500);
        QTest::newRow("100 percent") << QPointF(10, 20) << QPointF(110, 70) << full << QRect(10, 20, 100, 50);
        QTest::newRow("dragged up and left") << QPointF(110, 70) << QPointF(10, 20) << full << QRect(10, 20, 100, 50);
        QTest::newRow("200 percent covers half") << QPointF(0, 0) << QPointF(100, 100)
                                                 << QRectF(0, 0, 2000, 1000) << QRect(0, 0, 50, 50);
        QTest::newRow("scrolled at 200 percent") << QPointF(0, 0) << QPointF(100, 100)
                                                 << QRectF(-500, -200, 2000, 1000) << QRect(250, 100, 50, 50);
        QTest::newRow("halves to even") << QPointF(5, 5) << QPointF(10, 7)
                                        << QRectF(0, 0, 2000, 1000) << QRect(2, 2, 2, 1);
        QTest::newRow("nothing displayed") << QPointF(5, 5) << QPointF(10, 7) << QRectF() << QRect();
    }
    // A selection on the display maps through the display's scale to the
    // image pixels a crop keeps.
    void selectionToImage()
    {
        QFETCH(QPointF, start);
        QFETCH(QPointF, end);
        QFETCH(QRectF, displayed);
        QFETCH(QRect, pixels);
        QCOMPARE(ImageOps::selectionToImage(start, end, displayed, QSize(1000, 500)), pixels);
    }
};

VLM_TEST_GUI_MAIN(ImageOpsTest)
#include "ImageOpsTest.moc"

#include "imaging/ThumbnailMaker.h"

#include "imaging/ScaledJpeg.h"
#include "platform/DbConnection.h"
#include "store/PagePaths.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestImages.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QBuffer>
#include <QtTest>

#include <cerrno>

#include <unistd.h>

using namespace ThumbnailMaker;

namespace {

const QColor kInk(20, 40, 160);

using TestFiles::madeTempPath;

// The thumbnail file at path is a colour JPEG square of ThumbnailSide with
// the page in its top-left content rectangle and white elsewhere.
void verifyThumbnail(const QString &path, const QSize &content)
{
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.imageFormat(), QImage::Format_RGB32);
    const QImage thumb = reader.read();
    QCOMPARE(thumb.size(), QSize(ThumbnailSide, ThumbnailSide));
    const auto dark = [&](int x, int y) {
        QVERIFY2(qGray(thumb.pixel(x, y)) < 120, qPrintable(QStringLiteral("page expected at %1,%2").arg(x).arg(y)));
    };
    const auto white = [&](int x, int y) {
        const QRgb p = thumb.pixel(x, y);
        QVERIFY2(qRed(p) > 230 && qGreen(p) > 230 && qBlue(p) > 230,
                 qPrintable(QStringLiteral("white expected at %1,%2").arg(x).arg(y)));
    };
    dark(1, 1);
    dark(content.width() / 2, content.height() / 2);
    dark(content.width() - 2, content.height() - 2);
    if (content.width() < ThumbnailSide) {
        white(content.width() + 2, 1);
        white(ThumbnailSide - 2, content.height() - 2);
    }
    if (content.height() < ThumbnailSide) {
        white(1, content.height() + 2);
        white(content.width() - 2, ThumbnailSide - 2);
    }
}

} // namespace

class ThumbnailMakerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contentSize_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QSize>("content");
        QTest::newRow("200 by 100") << QSize(200, 100) << QSize(100, 50);
        QTest::newRow("100 by 300 rounds down") << QSize(100, 300) << QSize(33, 100);
        QTest::newRow("A4 at 300 dpi") << QSize(2480, 3508) << QSize(71, 100);
        QTest::newRow("smaller than the square is enlarged") << QSize(50, 20) << QSize(100, 40);
        QTest::newRow("half down to even") << QSize(1, 8) << QSize(12, 100);
        QTest::newRow("half up to even") << QSize(3, 8) << QSize(38, 100);
        QTest::newRow("a sliver keeps a pixel") << QSize(1000, 1) << QSize(100, 1);
        QTest::newRow("no image") << QSize(0, 0) << QSize();
    }
    // The longer side fills the square, the shorter keeps the aspect ratio.
    void contentSize()
    {
        QFETCH(QSize, image);
        QFETCH(QSize, content);
        QCOMPARE(ThumbnailMaker::contentSize(image), content);
    }

    void fromFile_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("format");
        QTest::addColumn<QSize>("content");
        const int colour = QImage::Format_RGB32;
        QTest::newRow("portrait A4, 300 dpi") << QSize(2480, 3508) << 300 << colour << QSize(71, 100);
        QTest::newRow("landscape A4, 300 dpi") << QSize(3508, 2480) << 300 << colour << QSize(100, 71);
        QTest::newRow("portrait A4, 600 dpi") << QSize(4961, 7016) << 600 << colour << QSize(71, 100);
        QTest::newRow("square") << QSize(500, 500) << 300 << colour << QSize(100, 100);
        QTest::newRow("tiny landscape") << QSize(20, 10) << 72 << colour << QSize(100, 50);
        QTest::newRow("tiny portrait") << QSize(6, 18) << 72 << colour << QSize(33, 100);
        QTest::newRow("grey page") << QSize(1000, 1400) << 300 << int(QImage::Format_Grayscale8) << QSize(71, 100);
    }
    // Portrait, landscape and tiny pages all give a colour square with the
    // page at the top-left and white beside or below it.
    void fromFile()
    {
        QFETCH(QSize, size);
        QFETCH(int, dpi);
        QFETCH(int, format);
        QFETCH(QSize, content);
        const QString image = TestImages::writeJpeg(madeTempPath(QStringLiteral("pages/p.jpg")),
                                                    TestImages::filled(size, kInk, dpi, QImage::Format(format)));
        const QString thumb = madeTempPath(QStringLiteral("thumbs/new/p.jpg"));
        QDir(QFileInfo(thumb).absolutePath()).removeRecursively();
        const std::optional<AppError> error = makeThumbnailFile(image, thumb);
        QVERIFY2(!error, error ? qPrintable(error->text) : "");
        verifyThumbnail(thumb, content);
    }

    // The page save makes the thumbnail from the image it holds: a
    // landscape 2000 by 1000 image fills the top half.
    void fromImageInMemory()
    {
        const QString thumb = madeTempPath(QStringLiteral("memory/Thumbs/p.jpg"));
        const std::optional<AppError> error = writeThumbnailOf(TestImages::filled(QSize(2000, 1000), kInk), thumb);
        QVERIFY2(!error, error ? qPrintable(error->text) : "");
        verifyThumbnail(thumb, QSize(100, 50));
    }

    void fromBytes_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("JPEG, scaled while decoded") << QByteArray("JPEG");
        QTest::newRow("bitmap, decoded whole") << QByteArray("BMP");
    }
    // A file read once for an import's copy gives the same thumbnail from
    // its bytes as from the file; bytes that are no image give the file's
    // "Invalid file format" error under its name.
    void fromBytes()
    {
        QFETCH(QByteArray, format);
        const QString image = madeTempPath(QStringLiteral("bytes/p.") + QString::fromLatin1(format).toLower());
        QVERIFY(TestImages::filled(QSize(1240, 1754), kInk).save(image, format.constData()));
        const ImageOps::LoadResult fromFile = readThumbnail(image);
        const ImageOps::LoadResult fromBytes = readThumbnail(TestFiles::read(image), image);
        QVERIFY(!fromFile.error && !fromBytes.error);
        QCOMPARE(fromBytes.image, fromFile.image);
        const QString thumb = madeTempPath(QStringLiteral("bytes/Thumbs/p.jpg"));
        QVERIFY(!writeThumbnail(fromBytes.image, thumb));
        verifyThumbnail(thumb, QSize(71, 100));

        const ImageOps::LoadResult broken = readThumbnail(QByteArray("not an image"), image);
        QVERIFY(broken.image.isNull());
        QVERIFY(broken.error && broken.error->text.startsWith(image + ": Invalid file format"));
    }

    void directDecode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("decoded"); // invalid: libjpeg-turbo declines, Qt decodes
        QTest::addColumn<QSize>("content");
        QTest::addColumn<bool>("whole"); // the whole page shows in the ink
        const auto qtJpeg = [](const QSize &size, QImage::Format format) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            QImageWriter(&buffer, "jpeg").write(TestImages::filled(size, kInk, 300, format));
            return buffer.data();
        };
        const QSize a4(2480, 3508);
        QTest::newRow("A4 at an eighth") << qtJpeg(a4, QImage::Format_RGB32) << QSize(310, 439) << QSize(71, 100)
                                         << true;
        QTest::newRow("grey at a quarter") << qtJpeg(QSize(300, 200), QImage::Format_Grayscale8) << QSize(150, 100)
                                           << QSize(100, 67) << true;
        QTest::newRow("tiny, decoded whole") << qtJpeg(QSize(20, 10), QImage::Format_RGB32) << QSize(20, 10)
                                             << QSize(100, 50) << true;
        QTest::newRow("progressive") << TestImages::specialJpeg(QSize(1600, 800), kInk, TestImages::JpegKind::Progressive)
                                     << QSize(200, 100) << QSize(100, 50) << true;
        QTest::newRow("CMYK falls back") << TestImages::specialJpeg(QSize(800, 1600), kInk, TestImages::JpegKind::Cmyk)
                                         << QSize() << QSize(50, 100) << true;
        QTest::newRow("cut short falls back") << TestImages::truncatedJpeg(QSize(1200, 1200)) << QSize()
                                              << QSize(100, 100) << false;
        QTest::newRow("not a JPEG") << QByteArray("not an image at all") << QSize() << QSize() << false;
    }
    // libjpeg-turbo decodes a JPEG at the reduction that still covers the
    // thumbnail; what it declines goes to Qt, which gives the same picture
    // or says why there is none.
    void directDecode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, decoded);
        QFETCH(QSize, content);
        QFETCH(bool, whole);
        const QImage direct = ScaledJpeg::decode(bytes, [](const QSize &size) { return ThumbnailMaker::contentSize(size); });
        QCOMPARE(direct.isNull(), !decoded.isValid());
        if (decoded.isValid())
            QCOMPARE(direct.size(), decoded);
        const ImageOps::LoadResult thumb = readThumbnail(bytes, QStringLiteral("page.jpg"));
        if (!content.isValid()) {
            QVERIFY(thumb.image.isNull());
            QVERIFY(thumb.error && thumb.error->text.startsWith(QStringLiteral("page.jpg: Invalid file format")));
            return;
        }
        QVERIFY2(!thumb.error, thumb.error ? qPrintable(thumb.error->text) : "");
        QCOMPARE(thumb.image.size(), QSize(ThumbnailSide, ThumbnailSide));
        const QString path = madeTempPath(QStringLiteral("direct/Thumbs/p.jpg"));
        QVERIFY(!writeThumbnail(thumb.image, path));
        if (whole) {
            verifyThumbnail(path, content);
            return;
        }
        // A file cut short shows its first rows.
        const QRgb top = QImage(path).pixel(content.width() / 2, 2);
        QVERIFY2(qAbs(qGreen(top) - 120) < 30 && qRed(top) < 60, qPrintable(QString::number(top, 16)));
    }

    void failure_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("code"); // 0: any code
        QTest::newRow("missing image") << "missing" << ENOENT;
        QTest::newRow("corrupt JPEG") << "corrupt" << int(ErrorCode::InvalidValue);
        QTest::newRow("text file") << "text" << int(ErrorCode::InvalidValue);
        QTest::newRow("thumbnail folder cannot be made") << "blocked" << 0;
        QTest::newRow("thumbnail path is the image") << "same" << int(ErrorCode::UnsafePath);
        QTest::newRow("thumbnail path links to the image") << "symlink" << int(ErrorCode::UnsafePath);
        QTest::newRow("thumbnail path is a hard link of the image") << "hardlink" << int(ErrorCode::UnsafePath);
        QTest::newRow("no thumbnail path") << "nopath" << int(ErrorCode::InvalidValue);
    }
    // A page whose thumbnail cannot be made reports why, keeps no stale
    // thumbnail, and never loses its image.
    void failure()
    {
        QFETCH(QString, kind);
        QFETCH(int, code);
        const QString image = madeTempPath(QStringLiteral("fail/page.jpg"));
        QString thumb = madeTempPath(QStringLiteral("fail/Thumbs/page.jpg"));
        QFile::remove(image);
        TestFiles::write(thumb, "stale");
        if (kind == QLatin1String("corrupt"))
            TestImages::writeCorruptJpeg(image);
        else if (kind == QLatin1String("text"))
            TestFiles::write(image, "not a picture");
        else if (kind != QLatin1String("missing"))
            TestImages::writeJpeg(image, QSize(40, 60), 300);
        if (kind == QLatin1String("blocked"))
            thumb = TestFiles::pathUnderFile(QStringLiteral("thumb-blocker")) + QStringLiteral("/page.jpg");
        else if (kind == QLatin1String("same"))
            thumb = QDir(QFileInfo(image).absolutePath()).filePath(QStringLiteral("../fail/page.jpg"));
        else if (kind == QLatin1String("nopath"))
            thumb.clear();
        if (kind.endsWith(QLatin1String("link"))) {
            QFile::remove(thumb);
            const QByteArray from = QFile::encodeName(image);
            const QByteArray to = QFile::encodeName(thumb);
            QCOMPARE(kind == QLatin1String("symlink") ? ::symlink(from.constData(), to.constData())
                                                      : ::link(from.constData(), to.constData()),
                     0);
        }

        const std::optional<AppError> error = makeThumbnailFile(image, thumb);
        QVERIFY(error);
        if (code != 0)
            QCOMPARE(error->code, code);
        QVERIFY(error->code != 0);
        QVERIFY(!error->text.isEmpty());
        if (kind == QLatin1String("same") || kind == QLatin1String("blocked") || kind == QLatin1String("nopath")
            || kind.endsWith(QLatin1String("link"))) {
            QVERIFY(ImageOps::load(image).image.size() == QSize(40, 60));
        } else {
            QVERIFY(!QFileInfo::exists(thumb));
        }
    }

    void shrinksAsSmoothScaling_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("300-dpi A4 at an eighth") << QSize(310, 439) << QImage::Format_RGB32;
        QTest::newRow("landscape") << QSize(2000, 1000) << QImage::Format_RGB32;
        QTest::newRow("a sliver across") << QSize(1000, 10) << QImage::Format_RGB32;
        QTest::newRow("a sliver down") << QSize(7, 900) << QImage::Format_RGB32;
        QTest::newRow("barely larger") << QSize(101, 100) << QImage::Format_RGB32;
        QTest::newRow("a colour scan, 24 bits") << QSize(945, 1181) << QImage::Format_RGB888;
        QTest::newRow("a grey scan") << QSize(945, 1181) << QImage::Format_Grayscale8;
    }
    // The thumbnail of a picture larger than it averages the area each of
    // its pixels covers, as Qt's smooth scaling does.
    void shrinksAsSmoothScaling()
    {
        QFETCH(QSize, size);
        QFETCH(QImage::Format, format);
        QImage pattern(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x)
                pattern.setPixel(x, y, qRgb((x * 7 + y) % 256, (x * y) % 256, (y * 5 + (x % 3) * 80) % 256));
        }
        const QImage image = pattern.convertToFormat(format);
        const QImage ours = thumbnailOf(image);
        const QImage byQt = compose(
            image.scaled(ThumbnailMaker::contentSize(size), Qt::IgnoreAspectRatio, Qt::SmoothTransformation), ThumbnailSide);
        QCOMPARE(ours.size(), byQt.size());
        qint64 total = 0;
        int largest = 0;
        for (int y = 0; y < ours.height(); ++y) {
            for (int x = 0; x < ours.width(); ++x) {
                const QRgb a = ours.pixel(x, y);
                const QRgb b = byQt.pixel(x, y);
                for (const int d : {qRed(a) - qRed(b), qGreen(a) - qGreen(b), qBlue(a) - qBlue(b)}) {
                    total += std::abs(d);
                    largest = std::max(largest, std::abs(d));
                }
            }
        }
        const double mean = double(total) / (3.0 * ours.width() * ours.height());
        QVERIFY2(mean <= 1.0 && largest <= 4, qPrintable(QStringLiteral("mean %1, largest %2").arg(mean).arg(largest)));
    }

    void many_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("calling thread") << 1;
        QTest::newRow("four threads") << 4;
        QTest::newRow("every core") << 0;
    }
    // Many thumbnails at once: each job gets its own outcome, and a corrupt
    // page among them costs only its own thumbnail.
    void many()
    {
        QFETCH(int, threads);
        QVector<Job> jobs;
        const QString folder = QStringLiteral("many%1/").arg(threads);
        for (int i = 0; i < 10; ++i) {
            const QString image = madeTempPath(folder + QStringLiteral("p%1.jpg").arg(i));
            if (i == 4)
                TestImages::writeCorruptJpeg(image);
            else
                TestImages::writeJpeg(image, i % 2 ? QSize(300, 200) : QSize(200, 300), 150, kInk);
            jobs.append({image, madeTempPath(folder + QStringLiteral("Thumbs/p%1.jpg").arg(i))});
        }
        const QVector<std::optional<AppError>> results = makeThumbnailFiles(jobs, threads);
        QCOMPARE(results.size(), jobs.size());
        for (int i = 0; i < jobs.size(); ++i) {
            QCOMPARE(bool(results.at(i)), i == 4);
            QCOMPARE(QFileInfo::exists(jobs.at(i).thumbPath), i != 4);
            if (i != 4)
                verifyThumbnail(jobs.at(i).thumbPath, i % 2 ? QSize(100, 67) : QSize(67, 100));
        }
        QVERIFY(makeThumbnailFiles({}, threads).isEmpty());
    }

    // By page id the paths come from the page store: the default folders,
    // a Thumbs folder beside a stored file, and never a shortcut's folder,
    // which is the user's own.
    void byPageId()
    {
        TestEnvironment::openFreshDatabase();
        using RecordFixture::insert;
        const int doc = RecordFixture::document(
            RecordFixture::folder(RecordFixture::drawer(RecordFixture::cabinet("C"), "D"), "F"), "Doc");
        const int inStore = insert("INSERT INTO Page (DocumentId, PageNumber) VALUES (?, 1)", {doc});
        QDir().mkpath(PagePaths::GetDefaultPageFolder(inStore));
        TestImages::writeJpeg(PagePaths::GetDefaultPageFilePath(inStore), QSize(400, 200), 300, kInk);

        const QString stored = madeTempPath(QStringLiteral("cabinet/Invoice 7.jpg"));
        TestImages::writeJpeg(stored, QSize(200, 400), 300, kInk);
        const int named = insert("INSERT INTO Page (DocumentId, PageNumber, Filename) VALUES (?, 2, ?)", {doc, stored});

        const QString userFile = madeTempPath(QStringLiteral("user/letter.pdf"));
        TestFiles::write(userFile, "%PDF-1.4");
        const QString userThumbs = madeTempPath(QStringLiteral("user/Thumbs/letter.pdf"));
        TestFiles::write(userThumbs, "the user's own");
        const int shortcut = insert("INSERT INTO Page (DocumentId, PageNumber, Filename, ShortcutYN)"
                                    " VALUES (?, 0, ?, 'Y')", {doc, userFile});

        const QVector<std::optional<AppError>> results = makePageThumbnails({inStore, named, shortcut, 99999});
        QCOMPARE(results.size(), 4);
        QVERIFY2(!results.at(0), results.at(0) ? qPrintable(results.at(0)->text) : "");
        verifyThumbnail(PagePaths::GetDefaultThumbFilePath(inStore), QSize(100, 50));
        QVERIFY2(!results.at(1), results.at(1) ? qPrintable(results.at(1)->text) : "");
        verifyThumbnail(madeTempPath(QStringLiteral("cabinet/Thumbs/Invoice 7.jpg")), QSize(50, 100));
        QVERIFY(results.at(2));
        QCOMPARE(TestFiles::read(userThumbs), QByteArray("the user's own"));
        QVERIFY(results.at(3));
        QCOMPARE(results.at(3)->code, int(ErrorCode::RecordMissing));

        QFile::remove(PagePaths::GetDefaultThumbFilePath(inStore));
        QVERIFY(!MakeThumbnail(inStore));
        QVERIFY(QFileInfo::exists(PagePaths::GetDefaultThumbFilePath(inStore)));
    }
};

VLM_TEST_GUI_MAIN(ThumbnailMakerTest)
#include "ThumbnailMakerTest.moc"

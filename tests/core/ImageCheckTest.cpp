#include "core/ImageCheck.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestImages.h"

#include <QImageReader>
#include <QtTest>

class ImageCheckTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // As both programs set it at start-up.
    void initTestCase() { QImageReader::setAllocationLimit(1024); }
    void cleanup() { QImageReader::setAllocationLimit(1024); }

    // A page whose header claims more pixels than the viewer may decode is
    // told from its header alone, as the viewer counts them (4 bytes a
    // pixel, grey ones too, whole words a line); one that fits, a
    // small page, bytes that are no image and a program without a limit
    // are not.
    void tooLargeToShow_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("limitMb");
        QTest::addColumn<QString>("reason");   // "" when it can be shown
        const auto reason = [](int width, int height, int mb) {
            return QStringLiteral("The image of %1 by %2 pixels is too large to show: it needs %3 MB, more than the "
                                  "1024 MB an image may take.").arg(width).arg(height).arg(mb);
        };
        QTest::newRow("65000 by 65000 colour JPEG") << TestImages::jpegHeaderClaiming(65000, 65000) << 1024
                                                    << reason(65000, 65000, 16118);
        QTest::newRow("20000 by 20000 colour JPEG") << TestImages::jpegHeaderClaiming(20000, 20000) << 1024
                                                    << reason(20000, 20000, 1526);
        QTest::newRow("16000 by 16000 colour JPEG fits") << TestImages::jpegHeaderClaiming(16000, 16000) << 1024
                                                         << "";
        QTest::newRow("16000 by 16000 grey JPEG fits") << TestImages::jpegHeaderClaiming(16000, 16000, true) << 1024
                                                       << "";
        QTest::newRow("20000 by 20000 grey JPEG") << TestImages::jpegHeaderClaiming(20000, 20000, true) << 1024
                                                  << reason(20000, 20000, 1526);
        QTest::newRow("small JPEG") << TestImages::jpegHeaderClaiming(640, 480) << 1024 << "";
        QTest::newRow("no image") << QByteArray("just text, no image") << 1024 << "";
        QTest::newRow("no limit set") << TestImages::jpegHeaderClaiming(65000, 65000) << 0 << "";
    }
    void tooLargeToShow()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, limitMb);
        QFETCH(QString, reason);
        QImageReader::setAllocationLimit(limitMb);
        const std::optional<QString> expected = reason.isEmpty() ? std::nullopt : std::optional<QString>(reason);
        QCOMPARE(ImageCheck::bytesTooLargeToShow(bytes), expected);
        const QString path = TestFiles::madeTempPath("large/page.jpg");
        TestFiles::write(path, bytes);
        QCOMPARE(ImageCheck::fileTooLargeToShow(path), expected);
    }

    // A JPEG too large to show is not decoded by the check: under a limit
    // that even its eighth passes, it is not refused.
    void unreadableImage()
    {
        QImageReader::setAllocationLimit(200);
        const QString path = TestFiles::madeTempPath("check/page.jpg");
        TestFiles::write(path, TestImages::jpegHeaderClaiming(65000, 65000));
        QCOMPARE(ImageCheck::unreadableImage(path), std::nullopt);
    }

    // A file that cannot be opened is no image too large to show.
    void missingFile() { QCOMPARE(ImageCheck::fileTooLargeToShow(TestFiles::tempPath("gone.jpg")), std::nullopt); }
};

VLM_TEST_GUILESS_MAIN(ImageCheckTest)
#include "ImageCheckTest.moc"

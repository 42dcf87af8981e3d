#include "store/FileKinds.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QtTest>

using namespace FileKinds;

class FileKindsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileClassification_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("image");
        QTest::addColumn<bool>("nonImage");
        QTest::addColumn<QString>("type");
        QTest::newRow("jpg upper") << "SCAN.JPG" << true << false << "jpg";
        QTest::newRow("jpeg upper") << "B.JPEG" << true << false << "jpg";
        QTest::newRow("bmp") << "a.bmp" << true << false << "bmp";
        QTest::newRow("pdf") << "x.pdf" << true << true << "pdf";
        QTest::newRow("PDF upper") << "x.PDF" << true << true << "pdf";
        QTest::newRow("no extension") << "README" << true << true << "dme";
        QTest::newRow("tiff") << "t.tiff" << true << true << "iff";
        QTest::newRow("tif") << "t.tif" << true << true << "tif";
        QTest::newRow("jpe") << "t.jpe" << true << true << "jpe";
        QTest::newRow("photojpg") << "photojpg" << false << false << "jpg";
        QTest::newRow("ajpg") << "ajpg" << false << false << "jpg";
        QTest::newRow("abmp") << "abmp" << false << false << "bmp";
        QTest::newRow("two letters") << "ab" << true << true << "ab";
        QTest::newRow("doc") << "letter.doc" << true << true << "doc";
    }
    void fileClassification()
    {
        QFETCH(QString, name);
        QFETCH(bool, image);
        QFETCH(bool, nonImage);
        QFETCH(QString, type);
        QCOMPARE(IsImageFile(name), image);
        QCOMPARE(IsNonImageFile(name), nonImage);
        QCOMPARE(GetFileType(name), type);
    }
};

VLM_TEST_GUILESS_MAIN(FileKindsTest)
#include "FileKindsTest.moc"

#include "exchange/CabinetTree.h"
#include "exchange/ExportRecord.h"

#include "tests/support/TestEnvironment.h"

#include <QtTest>

using namespace CabinetTree;

class CabinetTreeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What a name becomes as a directory, a document directory or a page file.
    void names_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("refused characters") << "dir" << "A/B: 2005?" << "AB 2005";
        QTest::newRow("every refused one") << "dir" << "a\\b/c:d*e?f\"g<h>i|j.k" << "abcdefghijk";
        QTest::newRow("controls and trailing blanks") << "dir" << "Tab\there\x01  " << "Tabhere";
        QTest::newRow("only dots") << "dir" << "..." << "_";
        QTest::newRow("empty") << "dir" << "" << "_";
        QTest::newRow("case and punctuation kept") << "dir" << "Bills & Co, 2024!" << "Bills & Co, 2024!";
        QTest::newRow("document extension") << "doc" << "report.pdf" << "report";
        QTest::newRow("document last dot") << "doc" << "Minutes 3.4 final" << "Minutes 3";
        QTest::newRow("document without dot") << "doc" << "Letter" << "Letter";
        QTest::newRow("JPG page") << "page" << "/data/Pages/0000000/12.JPG" << "Page 7.jpg";
        QTest::newRow("jpeg page") << "page" << "/x/scan.jpeg" << "Page 7.jpg";
        QTest::newRow("shortcut keeps its name") << "page" << "/home/u/Letters/offer.pdf" << "offer.pdf";
        QTest::newRow("shortcut name cleaned for FAT") << "page" << "/home/u/a:b?.pdf" << "ab.pdf";
    }
    void names()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        if (kind == "dir")
            QCOMPARE(RemoveInvalidFileChars(name), expected);
        else if (kind == "doc")
            QCOMPARE(RemoveInvalidFileChars(RemoveExtension(name)), expected);
        else
            QCOMPARE(treeFileName(name, 7), expected);
    }

    // A Null page number gives "Page .jpg", which reads back as page 0.
    void nullPageNumber()
    {
        QCOMPARE(treeFileName("/p/1.jpg", QVariant()), QString("Page .jpg"));
    }

    // Names meeting in one directory, letter case aside, get " (2)", " (3)"
    // before their extension; directories at the end.
    void uniqueNames()
    {
        QSet<QString> files;
        QCOMPARE(uniqueName("Page 7.jpg", files, true), QString("Page 7.jpg"));
        QCOMPARE(uniqueName("page 7.JPG", files, true), QString("page 7 (2).JPG"));
        QCOMPARE(uniqueName("Page 7.jpg", files, true), QString("Page 7 (3).jpg"));
        QSet<QString> dirs;
        QCOMPARE(uniqueName("AB", dirs, false), QString("AB"));
        QCOMPARE(uniqueName("ab", dirs, false), QString("ab (2)"));
        QSet<QString> accents;
        uniqueName("Été", accents, false);
        QCOMPARE(uniqueName("éTÉ", accents, false), QString("éTÉ (2)"));
    }

    // Every kind of line break is one "|"; "|" reads back as "\n".
    void lineBreaks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("LF") << "Line one\nLine two" << "Line one|Line two";
        QTest::newRow("CR LF") << "Line one\r\nLine two" << "Line one|Line two";
        QTest::newRow("lone CR") << "a\rb" << "a|b";
        QTest::newRow("blank line kept") << "a\n\nb" << "a||b";
        QTest::newRow("bar stays") << "a|b" << "a|b";
    }
    void lineBreaks()
    {
        QFETCH(QString, text);
        QFETCH(QString, encoded);
        QCOMPARE(EncodeLineBreaks(text), encoded);
        QCOMPARE(DecodeLineBreaks("First|Second"), QString("First\nSecond"));
    }

    // A record line holds any name on one line and reads back as it; a line
    // cut short by a power cut names nothing.
    void recordLines_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("plain") << "D/F/G/Page 1.jpg" << QByteArray("D/F/G/Page 1.jpg\r\n");
        QTest::newRow("line breaks") << "a\nb\r.pdf" << QByteArray("a\\nb\\r.pdf\r\n");
        QTest::newRow("backslashes") << "a\\n\\" << QByteArray("a\\\\n\\\\\r\n");
    }
    void recordLines()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, line);
        QCOMPARE(ExportRecord::line(path), line);
        QCOMPARE(ExportRecord::paths(line + "Page 2.jpg\r\nPage 3.j"), (QSet<QString>{path, "Page 2.jpg"}));
    }

    // Amounts in the C locale whatever the user's, shortest form, never an
    // exponent the reader would cut.
    void amounts_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("written");
        QTest::newRow("decimal") << QVariant(12.5) << "12.5";
        QTest::newRow("whole") << QVariant(1250000.0) << "1250000";
        QTest::newRow("cents") << QVariant(0.1) << "0.1";
        QTest::newRow("negative") << QVariant(-3.25) << "-3.25";
        QTest::newRow("null") << QVariant(QMetaType(QMetaType::Double)) << "";
    }
    void amounts()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, written);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(formatAmount(stored), written);
        QLocale::setDefault(QLocale::c());
    }

    // The date forms read back, and those that are no date.
    void dates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::newRow("ISO") << "2024-03-04" << QDate(2024, 3, 4);
        QTest::newRow("ISO with time") << "2024-03-04 10:30:00" << QDate(2024, 3, 4);
        QTest::newRow("M/d/yyyy") << "3/4/2024" << QDate(2024, 3, 4);
        QTest::newRow("MM/dd/yyyy with time") << "03/04/2024 10:30" << QDate(2024, 3, 4);
        QTest::newRow("no such day") << "2024-02-30" << QDate();
        QTest::newRow("day first") << "04.03.2024" << QDate();
        QTest::newRow("two-digit year") << "3/4/24" << QDate();
        QTest::newRow("words") << "yesterday" << QDate();
    }
    void dates()
    {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(parseDate(text).value_or(QDate()), date);
    }

    // A description file: the last non-blank line after its marker.
    void description_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("value");
        QTest::newRow("as written") << "[Description]\r\nLine one|Line two\r\n" << "Line one\nLine two";
        QTest::newRow("marker in any case") << "[DESCRIPTION]\nx\n\ny\n" << "y";
        QTest::newRow("no marker") << "just text\n" << "";
        QTest::newRow("empty value") << "[Description]\r\n\r\n" << "";
    }
    void description()
    {
        QFETCH(QString, text);
        QTEST(readDescription(text), "value");
    }
};

VLM_TEST_GUILESS_MAIN(CabinetTreeTest)
#include "CabinetTreeTest.moc"

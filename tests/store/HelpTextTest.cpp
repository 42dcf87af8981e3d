#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/HelpText.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QtTest>

using namespace HelpText;

namespace {

// Lines given with "|" as the line end.
QStringList linesOf(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char('|'));
}

// "1=A;3=C" for a table of contents.
QString describe(const QMap<int, QString> &toc)
{
    QStringList parts;
    for (auto it = toc.cbegin(); it != toc.cend(); ++it)
        parts << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
    return parts.join(QLatin1Char(';'));
}

using TestFiles::writeFile;

} // namespace

class HelpTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }

    // Headers are compared with the whole line in lower case: any letter
    // case is found, but nothing may stand before or after them, and a
    // remark never counts as a header.
    void findSection_data()
    {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("header");
        QTest::addColumn<int>("expected");
        QTest::newRow("lower case") << "x|[toc]|1=A" << "[toc]" << 2;
        QTest::newRow("capitals") << "x|[TOC]|1=A" << "[toc]" << 2;
        QTest::newRow("mixed case page") << "[Topic2,Page3]|text" << "[topic2,page3]" << 1;
        QTest::newRow("leading space") << " [toc]|1=A" << "[toc]" << -1;
        QTest::newRow("trailing space") << "[toc] |1=A" << "[toc]" << -1;
        QTest::newRow("space inside") << "[topic1, page1]|x" << "[topic1,page1]" << -1;
        QTest::newRow("leading zero") << "[topic01,page1]|x" << "[topic1,page1]" << -1;
        QTest::newRow("remark") << "'[toc]|1=A" << "[toc]" << -1;
        QTest::newRow("first of two") << "[toc]|1=A||[TOC]|1=B" << "[toc]" << 1;
        QTest::newRow("missing") << "[topic1,page1]|x" << "[topic1,page2]" << -1;
    }
    void findSection()
    {
        QFETCH(QString, lines);
        QFETCH(QString, header);
        QFETCH(int, expected);
        QCOMPARE(HelpText::findSection(lines.split(QLatin1Char('|')), header), expected);
    }

    void headers()
    {
        QCOMPARE(tocHeader(), QStringLiteral("[toc]"));
        QCOMPARE(pageHeader(3, 12), QStringLiteral("[topic3,page12]"));
    }

    // The table of contents ends at a blank line or a section header; its
    // entries are placed by number, and lines that are no entry are skipped.
    void parseToc_data()
    {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("expected");
        QTest::newRow("in order") << "[toc]|1=One|2=Two" << "1=One;2=Two";
        QTest::newRow("blank line ends it") << "[toc]|1=One||2=Two" << "1=One";
        QTest::newRow("spaces-only line ends it") << "[toc]|1=One|   |2=Two" << "1=One";
        QTest::newRow("header ends it") << "[toc]|1=One|  [topic1,page1]|2=Two" << "1=One";
        QTest::newRow("out of order") << "[toc]|3=C|1=A|2=B" << "1=A;2=B;3=C";
        QTest::newRow("later replaces") << "[toc]|1=First|1=Second" << "1=Second";
        QTest::newRow("remark skipped") << "[toc]|1=A|'2=Hidden|3=C" << "1=A;3=C";
        QTest::newRow("title kept as written") << "[toc]|2= Scan & Save =x " << "2= Scan & Save =x ";
        QTest::newRow("spaces around number") << "[toc]|  4 =Four" << "4=Four";
        QTest::newRow("empty title") << "[toc]|5=" << "5=";
        QTest::newRow("no equals sign") << "[toc]|Contents|1=A" << "1=A";
        QTest::newRow("number zero") << "[toc]|0=Zero|1=A" << "1=A";
        QTest::newRow("number ten") << "[toc]|10=Ten|9=Nine" << "9=Nine";
        QTest::newRow("negative") << "[toc]|-1=Minus|2=B" << "2=B";
        QTest::newRow("not a number") << "[toc]|x=Ex|3a=Bad|2=B" << "2=B";
        QTest::newRow("fraction") << "[toc]|1.5=Half|2=B" << "2=B";
        QTest::newRow("nothing after header") << "[toc]" << "";
    }
    void parseToc()
    {
        QFETCH(QString, lines);
        QFETCH(QString, expected);
        const QStringList list = lines.split(QLatin1Char('|'));
        QCOMPARE(describe(HelpText::parseToc(list, HelpText::findSection(list, tocHeader()))), expected);
    }

    // Without a table of contents there are no entries (nothing is read from
    // the top of the file instead).
    void parseTocWithoutHeader()
    {
        const QStringList lines = linesOf("1=A|2=B");
        QVERIFY(HelpText::parseToc(lines, HelpText::findSection(lines, tocHeader())).isEmpty());
        QVERIFY(HelpText::parsePage(lines, -1).isEmpty());
    }

    // A page shows at most nine lines as written; picture and remark lines
    // neither show nor count, blank lines do both.
    void parsePage_data()
    {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("expected");
        QTest::newRow("twelve lines show nine")
            << "[topic1,page1]|1|2|3|4|5|6|7|8|9|10|11|12" << "1|2|3|4|5|6|7|8|9";
        QTest::newRow("CenterIcon skipped, not counted")
            << "[topic1,page1]|CenterIcon scan|1|2|3|4|5|6|7|8|9" << "1|2|3|4|5|6|7|8|9";
        QTest::newRow("centerpicture any case") << "[topic1,page1]|a|CENTERPICTURE x.bmp|b" << "a|b";
        QTest::newRow("indented picture line shows") << "[topic1,page1]| centericon" << " centericon";
        QTest::newRow("remark skipped, not counted")
            << "[topic1,page1]|'note|1|2|3|4|5|6|7|8|9" << "1|2|3|4|5|6|7|8|9";
        QTest::newRow("indented quote shows") << "[topic1,page1]|a| 'quoted|b" << "a| 'quoted|b";
        QTest::newRow("blank lines show and count")
            << "[topic1,page1]|a||b|||||||c" << "a||b||||||";
        QTest::newRow("blank line does not end it") << "[topic1,page1]|a||b" << "a||b";
        QTest::newRow("header ends it") << "[topic1,page1]|a|  [topic1,page2]|b" << "a";
        QTest::newRow("spaces kept") << "[topic1,page1]|  indented  |x & y" << "  indented  |x & y";
        QTest::newRow("empty page") << "[topic1,page1]|[topic1,page2]" << "";
    }
    void parsePage()
    {
        QFETCH(QString, lines);
        QFETCH(QString, expected);
        const QStringList list = lines.split(QLatin1Char('|'));
        const QStringList shown = HelpText::parsePage(list, HelpText::findSection(list, pageHeader(1, 1)));
        QCOMPARE(shown.join(QLatin1Char('|')), expected);
    }

    // Files written with CR LF (or a stray CR) find their headers and keep
    // no CR in titles or page lines.
    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CR LF") << QByteArray("[TOC]\r\n1=Alpha\r\n\r\n[topic1,page1]\r\nline\r\n");
        QTest::newRow("LF") << QByteArray("[TOC]\n1=Alpha\n\n[topic1,page1]\nline\n");
        QTest::newRow("CR") << QByteArray("[TOC]\r1=Alpha\r\r[topic1,page1]\rline\r");
    }
    void lineEnds()
    {
        QFETCH(QByteArray, bytes);
        const QStringList lines = helpLines(QString::fromLatin1(bytes));
        QCOMPARE(describe(HelpText::parseToc(lines, HelpText::findSection(lines, tocHeader()))),
                 QStringLiteral("1=Alpha"));
        QCOMPARE(HelpText::parsePage(lines, HelpText::findSection(lines, pageHeader(1, 1))),
                 QStringList{QStringLiteral("line")});
    }

    void escapeAmpersands_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << "Scanning" << "Scanning";
        QTest::newRow("one") << "Print & Mail" << "Print && Mail";
        QTest::newRow("two together") << "a&&b" << "a&&&&b";
        QTest::newRow("empty") << "" << "";
    }
    void escapeAmpersands()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(EscapeAmpersands(text), expected);
    }

    // The built-in help unless the user put a "vlmhelp.txt" of their own in
    // the data folder.
    void helpFileResolution()
    {
        QCOMPARE(helpFilePath(), QStringLiteral(":/texts/vlmhelp.txt"));
        QString text;
        QVERIFY(readHelpText(&text));
        QVERIFY(text.contains(QLatin1String("[toc]"), Qt::CaseInsensitive));

        writeFile(DataFolder::filePath(QStringLiteral("vlmhelp.txt")), "[toc]\r\n1=Own help\r\n");
        QCOMPARE(helpFilePath(), DataFolder::filePath(QStringLiteral("vlmhelp.txt")));
        QVERIFY(readHelpText(&text));
        QCOMPARE(text, QStringLiteral("[toc]\r\n1=Own help\r\n"));
    }

    // A folder named like the help file is no help file: the built-in text
    // is read.
    void folderNamedLikeHelpFile()
    {
        QVERIFY(QDir().mkpath(DataFolder::filePath(QStringLiteral("vlmhelp.txt"))));
        QCOMPARE(helpFilePath(), QStringLiteral(":/texts/vlmhelp.txt"));
    }

    // The shipped help: every entry of the contents opens, every topic's
    // pages run from 1 without gaps, no page loses lines to the nine-line
    // limit, and no page belongs to a topic the contents do not list.
    void shippedHelpIsComplete()
    {
        QFile file(QStringLiteral(":/texts/vlmhelp.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = helpLines(QString::fromUtf8(file.readAll()));
        const QMap<int, QString> toc = HelpText::parseToc(lines, HelpText::findSection(lines, tocHeader()));
        QVERIFY(toc.size() >= 5);

        QMap<int, int> pagesOfTopic;
        for (auto it = toc.cbegin(); it != toc.cend(); ++it) {
            QVERIFY2(!it.value().trimmed().isEmpty(), qPrintable(QString::number(it.key())));
            int page = 1;
            while (HelpText::findSection(lines, pageHeader(it.key(), page)) >= 0)
                ++page;
            QVERIFY2(page > 1, qPrintable(it.value()));
            pagesOfTopic.insert(it.key(), page - 1);
        }

        const QRegularExpression header(QStringLiteral("^\\[topic(\\d+),page(\\d+)\\]$"));
        int pageCount = 0;
        for (int i = 0; i < lines.size(); ++i) {
            const QRegularExpressionMatch m = header.match(lines.at(i).toLower());
            if (!m.hasMatch())
                continue;
            ++pageCount;
            const QString where = lines.at(i);
            const int topic = m.captured(1).toInt();
            QVERIFY2(pagesOfTopic.contains(topic), qPrintable(where));
            QVERIFY2(m.captured(2).toInt() <= pagesOfTopic.value(topic), qPrintable(where));
            QVERIFY2(HelpText::findSection(lines, lines.at(i).toLower()) == i + 1, qPrintable(where + " twice"));
            QStringList written;
            for (int j = i + 1; j < lines.size() && !lines.at(j).trimmed().startsWith(QLatin1Char('[')); ++j) {
                QVERIFY2(lines.at(j).size() <= 64, qPrintable(lines.at(j)));
                if (!lines.at(j).startsWith(QLatin1Char('\'')))
                    written << lines.at(j);
            }
            // Blank lines before the next header only separate the sections.
            while (!written.isEmpty() && written.constLast().trimmed().isEmpty())
                written.removeLast();
            QVERIFY2(!written.isEmpty(), qPrintable(where + " is empty"));
            QVERIFY2(written.size() <= MaxPageLines, qPrintable(where + " is cut"));
        }
        QVERIFY(pageCount >= toc.size());
    }

    // Version captions: the revision with at least two digits, the others as
    // they are.
    void versionCaption_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2.0.7") << "2.0.7" << "Vellumark 2.0.07";
        QTest::newRow("revision 5") << "1.3.5" << "Vellumark 1.3.05";
        QTest::newRow("two digits") << "2.0.15" << "Vellumark 2.0.15";
        QTest::newRow("three digits") << "3.1.120" << "Vellumark 3.1.120";
        QTest::newRow("revision 0") << "10.12.0" << "Vellumark 10.12.00";
        QTest::newRow("no revision") << "2.1" << "Vellumark 2.1.00";
        QTest::newRow("empty") << "" << "Vellumark 0.0.00";
    }
    void versionCaption()
    {
        QFETCH(QString, version);
        QFETCH(QString, expected);
        QCOMPARE(HelpText::versionCaption(version), expected);
    }

    // The page count in the digit groups of the user's locale.
    void pageCountCaption_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << "en_US" << qint64(0) << "Pages stored: 0";
        QTest::newRow("below a thousand") << "en_US" << qint64(999) << "Pages stored: 999";
        QTest::newRow("en_US 1234") << "en_US" << qint64(1234) << "Pages stored: 1,234";
        QTest::newRow("en_US millions") << "en_US" << qint64(1234567) << "Pages stored: 1,234,567";
        QTest::newRow("de_DE 1234") << "de_DE" << qint64(1234) << "Pages stored: 1.234";
    }
    void pageCountCaption()
    {
        QFETCH(QString, locale);
        QFETCH(qint64, count);
        QFETCH(QString, expected);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        const QString caption = HelpText::pageCountCaption(count);
        QLocale::setDefault(before);
        QCOMPARE(caption, expected);
    }

    void storedPageCount()
    {
        TestEnvironment::openFreshDatabase();
        QCOMPARE(HelpText::storedPageCount(), qint64(0));
        for (int i = 1; i <= 3; ++i)
            DbConnection::execute(QStringLiteral("INSERT INTO Page (DocumentId, PageNumber) VALUES (1, ?)"), {i});
        QCOMPARE(HelpText::storedPageCount(), qint64(3));
    }
};

VLM_TEST_GUILESS_MAIN(HelpTextTest)
#include "HelpTextTest.moc"

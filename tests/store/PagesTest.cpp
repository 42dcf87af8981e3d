#include "store/Pages.h"

#include <QCoreApplication>
#include <QtTest>

#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

using RecordFixture::documentInNewFolder;
using RecordFixture::page;

namespace {

// "id:number" for the document's pages in page order.
QStringList numbers(RecordId documentId)
{
    QStringList out;
    for (const Pages::PageRow &row : Pages::readDocumentPages(documentId))
        out.append(QStringLiteral("%1:%2").arg(row.pageId).arg(row.pageNumber));
    return out;
}

QString n(RecordId id, int number) { return QStringLiteral("%1:%2").arg(id).arg(number); }

} // namespace

class PagesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // Every column goes in bound, quotes and all, and reads back as it
    // went in; the scan date is ISO text with its time.
    void insertedRowReadsBack()
    {
        const int doc = documentInNewFolder();
        Pages::NewPage page;
        page.documentId = doc;
        page.fileSize = 5000000000LL;
        page.filetype = QStringLiteral("p'f");
        page.filename = QStringLiteral("/home/o'brien/it's.pdf");
        page.shortcut = true;
        page.scanDate = QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9));
        const RecordId id = Pages::insertPage(page);
        const Pages::PageRow row = Pages::readDocumentPages(doc).value(0);
        QCOMPARE(row.pageId, id);
        QCOMPARE(row.scanDate, QStringLiteral("2024-03-05 07:08:09"));
        QCOMPARE(row.fileSize, QStringLiteral("5000000000"));
        QCOMPARE(row.filetype, page.filetype);
        QCOMPARE(row.filename, page.filename);
        QCOMPARE(row.shortcutYN, QStringLiteral("Y"));
    }

    void documentPageRange_data()
    {
        // The numbers a document's pages carry (0: a shortcut), the range
        // asked for, and the numbers read, in page order.
        QTest::addColumn<QVariantList>("existing");
        QTest::addColumn<int>("fromPage");
        QTest::addColumn<int>("thruPage");
        QTest::addColumn<QVariantList>("expected");
        const QVariantList pages{3, 1, 0, 5, 2};
        QTest::newRow("ends included") << pages << 2 << 3 << QVariantList{2, 3};
        QTest::newRow("one page") << pages << 5 << 5 << QVariantList{5};
        QTest::newRow("whole document leaves shortcuts out") << pages << 1 << 5 << QVariantList{1, 2, 3, 5};
        QTest::newRow("past the last page") << pages << 6 << 9 << QVariantList{};
        QTest::newRow("reversed range") << pages << 3 << 2 << QVariantList{};
    }
    // Printing reads a document's pages by a number range: only that
    // document's pages inside it, in page order.
    void documentPageRange()
    {
        QFETCH(QVariantList, existing);
        QFETCH(int, fromPage);
        QFETCH(int, thruPage);
        const int doc = documentInNewFolder();
        for (const QVariant &number : existing)
            page(doc, number);
        page(documentInNewFolder(QStringLiteral("Other")), 2);  // other documents do not count
        QVariantList read;
        for (const Pages::PageRow &row : Pages::readDocumentPageRange(doc, fromPage, thruPage))
            read.append(row.pageNumber);
        QTEST(read, "expected");
    }

    void nextPageNumber_data()
    {
        QTest::addColumn<QVariantList>("existing");
        QTest::addColumn<int>("expected");
        QTest::newRow("no pages") << QVariantList{} << 1;
        QTest::newRow("only shortcut pages") << QVariantList{0, 0} << 1;
        QTest::newRow("a page without a number") << QVariantList{QVariant(QMetaType(QMetaType::Int))} << 1;
        QTest::newRow("gaps") << QVariantList{1, 7, 3} << 8;
        // One more would wrap round to -2147483648.
        QTest::newRow("at the highest number") << QVariantList{5, 2147483647} << 2147483647;
    }
    void nextPageNumber()
    {
        QFETCH(QVariantList, existing);
        const int doc = documentInNewFolder();
        for (const QVariant &number : existing)
            page(doc, number);
        page(documentInNewFolder(QStringLiteral("Other")), 50);  // other documents do not count
        QTEST(Pages::nextPageNumber(doc), "expected");
    }

    // Cut pages move with their own numbers and nothing is renumbered;
    // gone pages and pages already in the target stay as they are.
    void moveKeepsPageNumbers()
    {
        const int source = documentInNewFolder();
        const int target = documentInNewFolder(QStringLiteral("Target"));
        const int s1 = page(source, 1), s2 = page(source, 2), s3 = page(source, 3), s4 = page(source, 4);
        const int shortcut = page(source, 0);
        const int t1 = page(target, 1), t2 = page(target, 5);
        QCOMPARE(Pages::movePagesToDocument({s3, s1, 999999, t1}, target), 2);
        QCOMPARE(numbers(source), (QStringList{n(shortcut, 0), n(s2, 2), n(s4, 4)}));
        QCOMPARE(numbers(target), (QStringList{n(s1, 1), n(t1, 1), n(s3, 3), n(t2, 5)}));
    }

    // A move that fails half-way changes nothing in either document.
    void failedMoveChangesNothing()
    {
        const int source = documentInNewFolder();
        const int target = documentInNewFolder(QStringLiteral("Target"));
        const int s1 = page(source, 1), s2 = page(source, 2);
        page(target, 1);
        const QStringList before = numbers(source) + numbers(target);
        // BEGIN, the first page's look-up and move, then fail.
        DbConnection::failAfterStatements(4);
        QVERIFY_THROWS_EXCEPTION(AppError, Pages::movePagesToDocument({s1, s2}, target));
        DbConnection::failAfterStatements(0);
        QCOMPARE(numbers(source) + numbers(target), before);
    }

    void neighbourPage_data()
    {
        // The page numbers of a document's pages in id order, the page asked
        // about, and its neighbours before and after (-1: none); positions
        // in that list.
        QTest::addColumn<QVariantList>("numbers");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("previous");
        QTest::addColumn<int>("next");
        const QVariant none(QMetaType(QMetaType::Int));
        QTest::newRow("middle") << QVariantList{1, 2, 3} << 1 << 0 << 2;
        QTest::newRow("first") << QVariantList{1, 2, 3} << 0 << -1 << 1;
        QTest::newRow("last") << QVariantList{1, 2, 3} << 2 << 1 << -1;
        QTest::newRow("number order, not id order") << QVariantList{3, 1, 2} << 2 << 1 << 0;
        QTest::newRow("first of a tie") << QVariantList{1, 2, 2, 3} << 1 << 0 << 2;
        QTest::newRow("second of a tie") << QVariantList{1, 2, 2, 3} << 2 << 1 << 3;
        QTest::newRow("unnumbered page passed over") << QVariantList{1, none, 2} << 2 << 0 << -1;
    }
    // Pages that share a number are walked in id order, so Previous and
    // Next reach every numbered page of the document.
    void neighbourPage()
    {
        QFETCH(QVariantList, numbers);
        QFETCH(int, from);
        QFETCH(int, previous);
        QFETCH(int, next);
        const RecordId doc = documentInNewFolder();
        QList<RecordId> ids;
        for (const QVariant &number : numbers)
            ids.append(page(doc, number));
        page(documentInNewFolder(QStringLiteral("Other")), 2);  // other documents do not count
        const int number = numbers.at(from).toInt();
        QCOMPARE(Pages::neighbourPage(doc, number, ids.at(from), false), previous < 0 ? 0 : ids.at(previous));
        QCOMPARE(Pages::neighbourPage(doc, number, ids.at(from), true), next < 0 ? 0 : ids.at(next));
    }
};

VLM_TEST_GUILESS_MAIN(PagesTest)
#include "PagesTest.moc"

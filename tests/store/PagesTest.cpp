#include "Pages.h"

#include <QCoreApplication>
#include <QtTest>

#include "DbConnection.h"
#include "RecordFixture.h"
#include "TestEnvironment.h"

namespace {

int addPage(int documentId, const QVariant &number)
{
    return RecordFixture::insert(
        QStringLiteral("INSERT INTO Page (DocumentId, PageNumber) VALUES (?, ?)"),
        {documentId, number});
}

// "id:number" for the document's pages in page order.
QStringList numbers(int documentId)
{
    QStringList out;
    for (const Pages::PageRow &row : Pages::ReadDocumentPages(documentId))
        out.append(QStringLiteral("%1:%2").arg(row.pageId).arg(row.pageNumber));
    return out;
}

} // namespace

class PagesTest : public QObject
{
    Q_OBJECT

private:
    int m_folderId = 0;

    int document() { return RecordFixture::document(m_folderId, QStringLiteral("Doc")); }

private Q_SLOTS:
    void init()
    {
        TestEnvironment::openFreshDatabase();
        const int cabinet = RecordFixture::cabinet(QStringLiteral("Cab"));
        m_folderId = RecordFixture::folder(RecordFixture::drawer(cabinet, QStringLiteral("Drw")),
                                           QStringLiteral("Fld"));
    }

    // Every column of a new row goes in as a bound value, quotes and all,
    // and reads back unchanged; the scan date is ISO text with its time.
    void insertedRowReadsBack()
    {
        const int doc = document();
        Pages::NewPage page;
        page.documentId = doc;
        page.pageNumber = 0;
        page.fileSize = 5000000000LL;
        page.filetype = QStringLiteral("p'f");
        page.filename = QStringLiteral("/home/o'brien/it's.pdf");
        page.shortcut = true;
        page.scanDate = QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9));
        const int id = Pages::InsertPage(page);
        QVERIFY(id > 0);
        const QVector<Pages::PageRow> rows = Pages::ReadDocumentPages(doc);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].pageId, id);
        QCOMPARE(rows[0].scanDate, QStringLiteral("2024-03-05 07:08:09"));
        QCOMPARE(rows[0].fileSize, QStringLiteral("5000000000"));
        QCOMPARE(rows[0].filetype, QStringLiteral("p'f"));
        QCOMPARE(rows[0].filename, page.filename);
        QCOMPARE(rows[0].shortcutYN, QStringLiteral("Y"));

        // A stored page keeps Null in the shortcut columns.
        Pages::NewPage stored;
        stored.documentId = doc;
        stored.pageNumber = 1;
        const int storedId = Pages::InsertPage(stored);
        QVERIFY(DbConnection::QueryValue(QStringLiteral("SELECT Filename FROM Page WHERE PageId = ?"),
                                         {storedId}).isNull());
        QVERIFY(DbConnection::QueryValue(QStringLiteral("SELECT ShortcutYN FROM Page WHERE PageId = ?"),
                                         {storedId}).isNull());
    }

    void nextPageNumber_data()
    {
        QTest::addColumn<QVariantList>("existing");
        QTest::addColumn<int>("expected");
        QTest::newRow("no pages") << QVariantList{} << 1;
        QTest::newRow("only shortcut pages") << QVariantList{0, 0} << 1;
        QTest::newRow("a page without a number") << QVariantList{QVariant(QMetaType(QMetaType::Int))} << 1;
        QTest::newRow("gaps") << QVariantList{1, 7, 3} << 8;
    }
    void nextPageNumber()
    {
        QFETCH(QVariantList, existing);
        QFETCH(int, expected);
        const int doc = document();
        for (const QVariant &number : existing)
            addPage(doc, number);
        addPage(document(), 50);  // another document's pages do not count
        QCOMPARE(Pages::NextPageNumber(doc), expected);
    }

    // Pages with equal numbers list by id; a filter narrows the rows.
    void readsInPageOrder()
    {
        const int doc = document();
        const int a = addPage(doc, 2);
        const int b = addPage(doc, 1);
        const int c = addPage(doc, 2);
        QCOMPARE(numbers(doc), (QStringList{QStringLiteral("%1:1").arg(b), QStringLiteral("%1:2").arg(a),
                                            QStringLiteral("%1:2").arg(c)}));
        const QVector<Pages::PageRow> filtered =
            Pages::ReadDocumentPages(doc, QStringLiteral("PageId <> ?"), {a});
        QCOMPARE(filtered.size(), 2);
    }

    void settersNeedThePage()
    {
        const int doc = document();
        const int id = addPage(doc, 1);
        Pages::SetPageFileSize(id, 1234);
        Pages::SetPageFilename(id, QStringLiteral("/store/x.jpg"));
        Pages::SetPageFiletype(id, QStringLiteral("bmp"));
        const Pages::PageRow row = Pages::ReadDocumentPages(doc).first();
        QCOMPARE(row.fileSize, QStringLiteral("1234"));
        QCOMPARE(row.filename, QStringLiteral("/store/x.jpg"));
        QCOMPARE(row.filetype, QStringLiteral("bmp"));
        try {
            Pages::SetPageFileSize(id + 100, 1);
            QFAIL("a missing page was updated");
        } catch (const DbError &e) {
            QCOMPARE(e.code, int(ErrorCode::RecordMissing));
            QVERIFY(!e.text.isEmpty());
        }
    }

    // Cut pages go after the target's last page in the order cut; the
    // pages left behind close up; shortcut pages keep their 0.
    void moveAppendsAndRenumbersBoth()
    {
        const int source = document();
        const int target = document();
        const int s1 = addPage(source, 1);
        const int s2 = addPage(source, 2);
        const int s3 = addPage(source, 3);
        const int s4 = addPage(source, 4);
        const int shortcut = addPage(source, 0);
        const int t1 = addPage(target, 1);
        const int t2 = addPage(target, 5);
        QCOMPARE(Pages::MovePagesToDocument({s3, s1, 999999, t1}, target), 2);
        QCOMPARE(numbers(source), (QStringList{QStringLiteral("%1:0").arg(shortcut),
                                               QStringLiteral("%1:1").arg(s2),
                                               QStringLiteral("%1:2").arg(s4)}));
        QCOMPARE(numbers(target), (QStringList{QStringLiteral("%1:1").arg(t1), QStringLiteral("%1:5").arg(t2),
                                               QStringLiteral("%1:6").arg(s3),
                                               QStringLiteral("%1:7").arg(s1)}));
    }

    // A move that fails half-way changes nothing in either document.
    void failedMoveChangesNothing()
    {
        const int source = document();
        const int target = document();
        const int s1 = addPage(source, 1);
        const int s2 = addPage(source, 2);
        addPage(target, 1);
        const QStringList before = numbers(source) + numbers(target);
        // BEGIN, the next number, the first page's look-up and move, then fail.
        DbConnection::failAfterStatements(5);
        QVERIFY_THROWS_EXCEPTION(DbError, Pages::MovePagesToDocument({s1, s2}, target));
        DbConnection::failAfterStatements(0);
        QCOMPARE(numbers(source) + numbers(target), before);
    }
};

VLM_TEST_GUILESS_MAIN(PagesTest)
#include "PagesTest.moc"

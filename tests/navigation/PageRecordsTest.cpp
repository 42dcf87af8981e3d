#include "navigation/PageRecords.h"

#include <QCoreApplication>
#include <QtTest>

#include "core/RecordId.h"
#include "navigation/FindCriteria.h"
#include "platform/DbConnection.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

using RecordFixture::page;

namespace {

RecordId scannedPage(RecordId documentId, int number, const QDateTime &scanDate, const QString &filename = {})
{
    Pages::NewPage page;
    page.documentId = documentId;
    page.pageNumber = number;
    page.scanDate = scanDate;
    page.filename = filename;
    return Pages::insertPage(page);
}

QList<RecordId> ids(const QVector<PageRecord> &records)
{
    QList<RecordId> out;
    for (const PageRecord &record : records)
        out.append(record.PageId);
    return out;
}

} // namespace

class PageRecordsTest : public QObject
{
    Q_OBJECT

private:
    int m_doc = 0;

private Q_SLOTS:
    void init()
    {
        TestEnvironment::openFreshDatabase();
        m_doc = RecordFixture::documentInNewFolder();
    }

    // Page order is number, then id; an empty Filename is the default
    // path of the id, a stored one is kept.
    void readsPagesInOrderWithTheirFiles()
    {
        const int b = page(m_doc, 2);
        const int a = scannedPage(m_doc, 1, {}, QStringLiteral("/mine/scan.pdf"));
        const int c = page(m_doc, 2);
        PageRecords records;
        records.load(m_doc);
        QCOMPARE(ids(records.records()), (QList<RecordId>{a, b, c}));
        QCOMPARE(records.records()[0].Filename, QStringLiteral("/mine/scan.pdf"));
        QCOMPARE(records.records()[1].Filename, PagePaths::GetDefaultPageFilePath(b));
    }

    // A found document lists only the pages matching the last search's
    // scan dates; the same document opened as itself lists every page.
    void foundDocumentFiltersByScanDate()
    {
        const int inRange = scannedPage(m_doc, 1, QDateTime(QDate(2024, 5, 2), QTime(10, 0)));
        scannedPage(m_doc, 2, QDateTime(QDate(2023, 1, 1), QTime(10, 0)));
        FindCriteria criteria;
        criteria.FindScanDateFrom = QDate(2024, 5, 1);
        criteria.FindScanDateThru = QDate(2024, 5, 31);
        criteria.buildClauses();
        PageRecords records;
        records.load(m_doc, true, criteria);
        QCOMPARE(ids(records.records()), QList<RecordId>{inRange});
        records.load(m_doc, false, criteria);
        QCOMPARE(records.count(), 2);
    }

    // After a delete and a renumber, paging shows the document as it is
    // now: no deleted page and no old number comes back.
    void reloadShowsTheChangedDocument()
    {
        QList<RecordId> pages;
        for (int n = 1; n <= 25; ++n)
            pages.append(page(m_doc, n));
        PageRecords records;
        records.paging().setDisplayCount(20);
        records.load(m_doc);
        records.paging().nextScreen();
        DbConnection::execute(QStringLiteral("DELETE FROM Page WHERE PageId = ?"), {pages[22]});
        DbConnection::execute(QStringLiteral("UPDATE Page SET PageNumber = 99 WHERE PageId = ?"), {pages[20]});
        records.reload();
        QCOMPARE(records.paging().PagePaneStart(), 21);
        QCOMPARE(ids(records.screen()), (QList<RecordId>{pages[21], pages[23], pages[24], pages[20]}));
        QCOMPARE(records.screen().last().PageNumber, 99);
        QVERIFY(!records.find(pages[22]));
    }
};

VLM_TEST_GUILESS_MAIN(PageRecordsTest)
#include "PageRecordsTest.moc"

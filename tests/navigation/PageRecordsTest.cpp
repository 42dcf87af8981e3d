#include "PageRecords.h"

#include <QCoreApplication>
#include <QtTest>

#include "DbConnection.h"
#include "FindCriteria.h"
#include "PagePaths.h"
#include "RecordFixture.h"
#include "TestEnvironment.h"

namespace {

int addPage(int documentId, int number, const QString &scanDate = QString(),
            const QVariant &filename = QVariant(QMetaType(QMetaType::QString)))
{
    return RecordFixture::insert(
        QStringLiteral("INSERT INTO Page (DocumentId, PageNumber, ScanDate, FileSize, Filename)"
                       " VALUES (?, ?, ?, ?, ?)"),
        {documentId, number, scanDate.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : scanDate,
         number * 100, filename});
}

QList<int> ids(const QVector<PageRecord> &records)
{
    QList<int> out;
    for (const PageRecord &record : records)
        out.append(record.PageId);
    return out;
}

} // namespace

class PageRecordsTest : public QObject
{
    Q_OBJECT

private:
    int m_documentId = 0;

private Q_SLOTS:
    void init()
    {
        TestEnvironment::openFreshDatabase();
        const int cabinet = RecordFixture::cabinet(QStringLiteral("Cab"));
        const int folder = RecordFixture::folder(RecordFixture::drawer(cabinet, QStringLiteral("Drw")),
                                                 QStringLiteral("Fld"));
        m_documentId = RecordFixture::document(folder, QStringLiteral("Doc"));
    }

    // Page order is number, then id; an empty Filename is the default
    // path of the id, a stored one is kept.
    void readsPagesInOrderWithTheirFiles()
    {
        const int b = addPage(m_documentId, 2);
        const int a = addPage(m_documentId, 1, QString(), QStringLiteral("/mine/scan.pdf"));
        const int c = addPage(m_documentId, 2);
        PageRecords records;
        records.load(m_documentId);
        QCOMPARE(ids(records.records()), (QList<int>{a, b, c}));
        QCOMPARE(records.records()[0].Filename, QStringLiteral("/mine/scan.pdf"));
        QCOMPARE(records.records()[1].Filename, PagePaths::GetDefaultPageFilePath(b));
        QCOMPARE(records.records()[1].FileSize, QStringLiteral("200"));
        QCOMPARE(records.records()[1].ScanDate, QString());
        QCOMPARE(records.records()[1].key(), QStringLiteral("PAG%1").arg(b));
        QCOMPARE(records.documentId(), m_documentId);
    }

    // An empty document: no records, first screen, the no-images status.
    void emptyDocument()
    {
        PageRecords records;
        records.load(m_documentId);
        QCOMPARE(records.count(), 0);
        QVERIFY(records.screen().isEmpty());
        QCOMPARE(records.paging().PagePaneStart(), 1);
        QVERIFY(records.paging().statusText().endsWith(QStringLiteral("(no images found)")));
    }

    // A found document lists only the pages matching the last search's
    // scan dates; the same document opened as itself lists every page.
    void foundDocumentFiltersByScanDate()
    {
        const int inRange = addPage(m_documentId, 1, QStringLiteral("2024-05-02 10:00:00"));
        addPage(m_documentId, 2, QStringLiteral("2023-01-01 10:00:00"));
        FindCriteria criteria;
        criteria.FindScanDateFrom = QDate(2024, 5, 1);
        criteria.FindScanDateThru = QDate(2024, 5, 31);
        criteria.buildClauses();
        PageRecords records;
        records.load(m_documentId, true, criteria);
        QCOMPARE(ids(records.records()), QList<int>{inRange});
        QVERIFY(records.isFound());
        records.load(m_documentId, false, criteria);
        QCOMPARE(records.count(), 2);
    }

    // After a delete and a renumber, paging shows the document as it is
    // now: no deleted page and no old number comes back.
    void reloadShowsTheChangedDocument()
    {
        QList<int> pages;
        for (int n = 1; n <= 25; ++n)
            pages.append(addPage(m_documentId, n));
        PageRecords records;
        records.paging().setDisplayCount(20);
        records.load(m_documentId);
        records.paging().nextScreen();
        DbConnection::Execute(QStringLiteral("DELETE FROM Page WHERE PageId = ?"), {pages[22]});
        DbConnection::Execute(QStringLiteral("UPDATE Page SET PageNumber = 99 WHERE PageId = ?"),
                              {pages[20]});
        records.reload();
        QCOMPARE(records.paging().PagePaneStart(), 21);
        QCOMPARE(records.count(), 24);
        const QVector<PageRecord> screen = records.screen();
        QCOMPARE(ids(screen), (QList<int>{pages[21], pages[23], pages[24], pages[20]}));
        QCOMPARE(screen.last().PageNumber, 99);
        records.paging().firstScreen();
        QVERIFY(!ids(records.screen()).contains(pages[22]));
        QVERIFY(!records.find(pages[22]));
    }
};

VLM_TEST_GUILESS_MAIN(PageRecordsTest)
#include "PageRecordsTest.moc"

#include "store/Repagination.h"

#include <limits>
#include <memory>

#include <QCoreApplication>
#include <QtTest>

#include "core/Progress.h"
#include "platform/DbConnection.h"
#include "tests/support/RecordingProgressView.h"
#include "tests/support/TestEnvironment.h"

using namespace Repagination;

namespace {

// Stands for a page without a number in the tables below.
constexpr int kNull = std::numeric_limits<int>::min();

QVariant numberValue(int number)
{
    return number == kNull ? QVariant(QMetaType(QMetaType::Int)) : QVariant(number);
}

} // namespace

class RepaginationTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<RecordingProgressView> m_view;
    RecordId m_documentId = 0;

    static RecordId addDocument()
    {
        DbConnection::execute(QStringLiteral("INSERT INTO Document (FolderId, Name) VALUES (1, 'Doc')"));
        return DbConnection::lastInsertId();
    }
    static void addPage(RecordId documentId, RecordId pageId, int number)
    {
        DbConnection::execute(
            QStringLiteral("INSERT INTO Page (PageId, DocumentId, PageNumber) VALUES (?, ?, ?)"),
            {pageId, documentId, numberValue(number)});
    }
    // "id:number" for every page of the document, in page id order.
    static QStringList numbers(RecordId documentId)
    {
        const Recordset rs = DbConnection::OpenRecordset(
            QStringLiteral("SELECT PageId, PageNumber FROM Page WHERE DocumentId = ? ORDER BY PageId"),
            {documentId});
        QStringList out;
        for (int row = 0; row < rs.recordCount(); ++row) {
            const QVariant n = rs.value(row, 1);
            out.append(QStringLiteral("%1:%2").arg(rs.value(row, 0).toInt())
                           .arg(n.isNull() ? QStringLiteral("null") : n.toString()));
        }
        return out;
    }

private Q_SLOTS:
    void init()
    {
        TestEnvironment::openFreshDatabase();
        m_view = std::make_unique<RecordingProgressView>();
        m_documentId = addDocument();
    }
    void cleanup()
    {
        DbConnection::failAfterStatements(0);
        m_view.reset();
        DbConnection::close();
    }

    // Nothing to renumber: no write and no progress window.
    void documentWithoutPages()
    {
        const RecordId other = addDocument();
        addPage(other, 1, 5);
        QVERIFY(RepaginateDocument(m_documentId, QStringLiteral("Empty")));
        QVERIFY(m_view->events.isEmpty());
        QCOMPARE(numbers(other), QStringList{QStringLiteral("1:5")});
    }

    // One page: range 1..2, one step per pass, then the window closes.
    void singlePageProgress()
    {
        addPage(m_documentId, 1, 7);
        QVERIFY(RepaginateDocument(m_documentId, QStringLiteral("Lease")));
        QCOMPARE(numbers(m_documentId), QStringList{QStringLiteral("1:1")});
        const QStringList expected{QStringLiteral("start Repaginate Lease 1..2"),
                                   QStringLiteral("step Repaginate Lease"),
                                   QStringLiteral("step Repaginate Lease"), QStringLiteral("stop")};
        QCOMPARE(m_view->events, expected);
        // The operation's end also raises the stop request.
        QVERIFY(Progress::ProgressCancelled());
    }

    void renumbers_data()
    {
        QTest::addColumn<QList<int>>("pageIds");
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<QStringList>("after");

        QTest::newRow("ties keep id order") << QList<int>{10, 11, 12} << QList<int>{5, 5, 9}
                                            << QStringList{"10:1", "11:2", "12:3"};
        QTest::newRow("present order kept") << QList<int>{1, 2, 3} << QList<int>{3, 1, 2}
                                            << QStringList{"1:3", "2:1", "3:2"};
        QTest::newRow("null comes first") << QList<int>{1, 2, 3} << QList<int>{1, kNull, 2}
                                          << QStringList{"1:2", "2:1", "3:3"};
        QTest::newRow("parking numbers already in use") << QList<int>{1, 2, 3}
                                                        << QList<int>{9999999, 9999998, 1}
                                                        << QStringList{"1:3", "2:2", "3:1"};
        QTest::newRow("negative and zero") << QList<int>{4, 5, 6} << QList<int>{0, -6, 2}
                                           << QStringList{"4:2", "5:1", "6:3"};
    }
    // Pages end on 1..n in their listed order (number, then id, Null first),
    // and no other document is touched.
    void renumbers()
    {
        QFETCH(QList<int>, pageIds);
        QFETCH(QList<int>, before);
        QFETCH(QStringList, after);
        const RecordId other = addDocument();
        addPage(other, 100, 9999999);
        for (int i = 0; i < pageIds.size(); ++i)
            addPage(m_documentId, pageIds.at(i), before.at(i));

        QVERIFY(RepaginateDocument(m_documentId, QStringLiteral("Doc")));
        QCOMPARE(numbers(m_documentId), after);
        QCOMPARE(numbers(other), QStringList{QStringLiteral("100:9999999")});
        QCOMPARE(m_view->events.first(), QStringLiteral("start Repaginate Doc 1..%1").arg(2 * pageIds.size()));
        QCOMPARE(m_view->stepCount(QStringLiteral("Repaginate Doc")), 2 * pageIds.size());
        QCOMPARE(m_view->events.last(), QStringLiteral("stop"));
    }

    // A failure at any statement leaves every number as it was, closes the
    // progress window and reports false; a later run succeeds.
    void failureChangesNothing()
    {
        addPage(m_documentId, 1, 3);
        addPage(m_documentId, 2, 1);
        addPage(m_documentId, 3, 2);
        const QStringList original = numbers(m_documentId);
        int failures = 0;
        for (int n = 1; n < 100; ++n) {
            m_view->events.clear();
            DbConnection::failAfterStatements(n);
            const bool ok = RepaginateDocument(m_documentId, QStringLiteral("Doc"));
            DbConnection::failAfterStatements(0);
            if (ok)
                break;
            ++failures;
            QCOMPARE(numbers(m_documentId), original);
            QVERIFY2(m_view->closedOrNeverOpened(), qPrintable(m_view->events.join(QLatin1String(", "))));
        }
        // Count, begin, the one renumbering update, commit: each can fail.
        QVERIFY2(failures >= 4, qPrintable(QString::number(failures)));
        QCOMPARE(numbers(m_documentId), (QStringList{"1:3", "2:1", "3:2"}));
    }

    void parsePageNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("whole") << "12" << 12;
        QTest::newRow("spaces around") << " 12 " << 12;
        QTest::newRow("half down to even") << "2.5" << 2;
        QTest::newRow("half up to even") << "3.5" << 4;
        QTest::newRow("fraction rounds") << "2.6" << 3;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-3" << -3;
        QTest::newRow("largest") << "2147483647" << 2147483647;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("letters") << "abc" << -1;
        QTest::newRow("number then letters") << "12a" << -1;
        QTest::newRow("too large") << "99999999999" << -1;
        QTest::newRow("too small") << "-99999999999" << -1;
        QTest::newRow("infinity") << "inf" << -1;
        QTest::newRow("not a number") << "nan" << -1;
    }
    void parsePageNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(Repagination::parsePageNumber(text), number);
    }
};

VLM_TEST_GUILESS_MAIN(RepaginationTest)
#include "RepaginationTest.moc"
#include "core/RecordId.h"

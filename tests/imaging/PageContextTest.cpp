#include "imaging/PageContext.h"

#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QtTest>

using namespace PageContext;

namespace {

// The pages of one document with these numbers (a Null QVariant for none);
// their ids in the order given.
QList<RecordId> pagesNumbered(const QVariantList &numbers)
{
    const RecordId documentId = RecordFixture::documentInNewFolder();
    QList<RecordId> ids;
    for (const QVariant &number : numbers)
        ids.append(RecordFixture::page(documentId, number));
    return ids;
}

} // namespace

class PageContextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    void neighbours_data()
    {
        QTest::addColumn<QVariantList>("numbers");
        QTest::addColumn<int>("shown");     // index of the page shown
        QTest::addColumn<int>("previous");  // index, -1 for none
        QTest::addColumn<int>("next");
        QTest::newRow("middle page") << QVariantList{1, 2, 3} << 1 << 0 << 2;
        QTest::newRow("first page has no previous") << QVariantList{1, 2, 3} << 0 << -1 << 1;
        QTest::newRow("last page has no next") << QVariantList{1, 2, 3} << 2 << 1 << -1;
        QTest::newRow("numbers out of id order") << QVariantList{3, 1, 2} << 0 << 2 << -1;
        QTest::newRow("gaps in the numbers") << QVariantList{2, 9, 40} << 1 << 0 << 2;
        QTest::newRow("all the same number: by id") << QVariantList{5, 5, 5} << 1 << 0 << 2;
        QTest::newRow("same number, first id") << QVariantList{5, 5, 5} << 0 << -1 << 1;
        QTest::newRow("tie broken by id before the next number") << QVariantList{1, 2, 2, 3} << 1 << 0 << 2;
        QTest::newRow("after a tie the higher id is previous") << QVariantList{1, 2, 2, 3} << 3 << 2 << -1;
        QTest::newRow("page without a number has no neighbours") << QVariantList{1, QVariant(), 3} << 1 << -1 << -1;
        QTest::newRow("pages without a number are passed over") << QVariantList{1, QVariant(), 3} << 0 << -1 << 2;
    }
    // Previous and Next walk every numbered page of the document in number
    // order, pages that share a number in id order.
    void neighbours()
    {
        QFETCH(QVariantList, numbers);
        QFETCH(int, shown);
        QFETCH(int, previous);
        QFETCH(int, next);
        const QList<RecordId> ids = pagesNumbered(numbers);
        const PagePlace place = ResolvePageNeighbours(ids.at(shown));
        QCOMPARE(place.prevPageId, previous < 0 ? 0 : ids.at(previous));
        QCOMPARE(place.nextPageId, next < 0 ? 0 : ids.at(next));
    }

    // Walking Next from the first page reaches every page once, ties in the
    // middle included, and Previous walks the same way back.
    void nextVisitsEveryPage()
    {
        const QList<RecordId> ids = pagesNumbered({4, 2, 1, 4, 2, 9});
        QList<RecordId> visited{ids.at(2)};
        while (RecordId next = ResolvePageNeighbours(visited.last()).nextPageId)
            visited.append(next);
        const QList<RecordId> order{ids.at(2), ids.at(1), ids.at(4), ids.at(0), ids.at(3), ids.at(5)};
        QCOMPARE(visited, order);
        QList<RecordId> back{order.last()};
        while (RecordId previous = ResolvePageNeighbours(back.last()).prevPageId)
            back.append(previous);
        std::reverse(back.begin(), back.end());
        QCOMPARE(back, order);
    }

    // The ancestors, the storage and the caption of a shown page; a page
    // that no longer exists is refused.
    void placeOfAPage()
    {
        const RecordId cabinetId = RecordFixture::insert(
            "INSERT INTO Cabinet (Name, Storage, StoragePath) VALUES ('Own', 1, '/srv/own')", {});
        const RecordId drawerId = RecordFixture::drawer(cabinetId, "D");
        const RecordId folderId = RecordFixture::folder(drawerId, "F");
        const RecordId documentId = RecordFixture::document(folderId, "Doc");
        const RecordId pageId = RecordFixture::page(documentId, 3);
        const PagePlace place = ResolvePageNeighbours(pageId);
        QCOMPARE(place.cabinetId, cabinetId);
        QCOMPARE(place.drawerId, drawerId);
        QCOMPARE(place.folderId, folderId);
        QCOMPARE(place.documentId, documentId);
        QVERIFY(place.storage.usesStoragePath);
        QCOMPARE(place.storage.cabinetStoragePath, QStringLiteral("/srv/own"));
        QCOMPARE(caption(place), QStringLiteral("Page # 3 (ID = %1)").arg(pageId));
        QVERIFY_THROWS_EXCEPTION(AppError, ResolvePageNeighbours(pageId + 1));
    }

    void storage_data()
    {
        QTest::addColumn<QVariant>("storage");
        QTest::addColumn<QVariant>("path");
        QTest::addColumn<bool>("uses");
        const QVariant null(QMetaType(QMetaType::QString));
        QTest::newRow("own folder") << QVariant(1) << QVariant("/srv/own") << true;
        QTest::newRow("own storage without a folder") << QVariant(1) << QVariant("") << false;
        QTest::newRow("own storage, Null folder") << QVariant(1) << null << false;
        QTest::newRow("default store with a folder") << QVariant(0) << QVariant("/srv/own") << false;
        QTest::newRow("Null storage") << QVariant(QMetaType(QMetaType::Int)) << QVariant("/srv/own") << false;
    }
    // Only a cabinet marked for its own storage that names a folder keeps
    // its pages there.
    void storage()
    {
        QFETCH(QVariant, storage);
        QFETCH(QVariant, path);
        QFETCH(bool, uses);
        const RecordId cabinetId = RecordFixture::insert(
            "INSERT INTO Cabinet (Name, Storage, StoragePath) VALUES ('C', ?, ?)", {storage, path});
        QCOMPARE(cabinetStorage(cabinetId).usesStoragePath, uses);
        QCOMPARE(cabinetStorage(cabinetId + 1).usesStoragePath, false);
    }

    void cabinetOfKey_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("found");
        QTest::newRow("folder") << "FLD" << true;
        QTest::newRow("document") << "DOC" << true;
        QTest::newRow("page: the page's own cabinet") << "PAG" << true;
        QTest::newRow("lower case") << "doc" << true;
        QTest::newRow("drawer") << "DRW" << false;
    }
    // The cabinet a new page's key leads to; a page key is a page, not a
    // document of the same number.
    void cabinetOfKey()
    {
        QFETCH(QString, prefix);
        QFETCH(bool, found);
        // Page 1 lies in cabinet B, while document 1 lies in cabinet A.
        const int documentA = RecordFixture::documentInNewFolder("A");
        const int documentB = RecordFixture::documentInNewFolder("B");
        const int pageB = RecordFixture::page(documentB, 1);
        QCOMPARE(pageB, documentA);
        const int cabinetB = DbConnection::queryValue("SELECT MAX(CabinetId) FROM Cabinet").toInt();
        const int folderB =
            DbConnection::queryValue("SELECT FolderId FROM Document WHERE DocumentId = ?", {documentB}).toInt();
        const QString upper = prefix.toUpper();
        const RecordId id = upper == QLatin1String("FLD") ? folderB
                     : upper == QLatin1String("PAG") ? pageB
                                                     : documentB;
        QCOMPARE(PageContext::cabinetOfKey(prefix + QString::number(id)), found ? cabinetB : 0);
    }
};
VLM_TEST_GUILESS_MAIN(PageContextTest)
#include "PageContextTest.moc"

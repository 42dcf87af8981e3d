#include "navigation/FindQuery.h"

#include <QCoreApplication>
#include <QtTest>

#include "core/RecordId.h"
#include "core/RunState.h"
#include "navigation/FindLocations.h"
#include "platform/DbConnection.h"
#include "store/Passwords.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

using namespace FindQuery;
using RecordFixture::insert;

namespace {

RecordId document(RecordId folderId, const QString &name, const QString &description, const QVariant &date,
             const QVariant &amount)
{
    return insert("INSERT INTO Document (FolderId, Name, Description, DateOnDocument, Amount) VALUES (?, ?, ?, ?, ?)",
                  {folderId, name, description, date, amount});
}

using RecordFixture::scannedPage;

const QVariant kNull = QVariant(QMetaType(QMetaType::QString));
// Cut to 32 bits this id would name Home, the first cabinet.
const RecordId kArchiveId = 4294967297LL;
const QDate kFrom = FindCriteria::FindDefaultFromDate();
const QDate kThru = FindCriteria::FindDefaultThruDate();

QStringList names(const FindResult &r)
{
    QStringList out;
    for (const FoundDocument &d : r.documents)
        out.append(d.name);
    out.sort();
    return out;
}

struct Range
{
    QDate scanFrom = kFrom, scanThru = kThru, docFrom = kFrom, docThru = kThru;
    qint64 sizeFrom = 0, sizeThru = 0;
    double amountFrom = 0, amountThru = 0;
};

} // namespace

Q_DECLARE_METATYPE(Range)

class FindQueryTest : public QObject
{
    Q_OBJECT

private:
    int m_work = 0;

    // Home (open): Taxes/Returns ("federal returns"), Taxes/Receipts,
    // Letters/Family; Work (locked): Projects/Plans; Archive (open, its id
    // past 32 bits): Old/Tax boxes, a folder without documents.
    void buildArchive()
    {
        const int home = RecordFixture::cabinet("Home");
        const int taxes = RecordFixture::drawer(home, "Taxes");
        const int returns = insert("INSERT INTO Folder (DrawerId, Name, Description) VALUES (?, ?, ?)",
                                   {taxes, "Returns", "federal returns"});
        const int a = document(returns, "tax 2004 receipts", "", "2004-04-15", 120.5);
        scannedPage(a, "2004-04-16 08:00:00", 5000);
        scannedPage(a, "2004-05-01 17:30:00", 150000);
        const int b = document(returns, "2004 tax", "", "2004-12-31", kNull);
        scannedPage(b, "2005-01-03 09:00:00", 70000);
        const int receipts = RecordFixture::folder(taxes, "Receipts");
        const int c = document(receipts, "O'Neil invoice", "50% off_sale", "2005-01-05", 100);
        scannedPage(c, "2005-01-05 23:59:59", 1000);
        document(receipts, "Plain note", "50 offXsale", kNull, kNull);
        const int family = RecordFixture::folder(RecordFixture::drawer(home, "Letters"), "Family");
        const int e = document(family, "Letter to mom", "", kNull, 0);
        scannedPage(e, kNull, 3000000000LL);  // beyond 32 bits
        m_work = RecordFixture::cabinet("Work", "secret");
        const int f = document(RecordFixture::folder(RecordFixture::drawer(m_work, "Projects"), "Plans"), "tax plan",
                               "", "2004-06-01", 50);
        scannedPage(f, "2004-06-02 10:00:00", 2000);
        const RecordId archive = insert("INSERT INTO Cabinet (CabinetId, Name, [Password]) VALUES (?, ?, ?)",
                                        {kArchiveId, "Archive", Passwords::ScramblePassword(QString())});
        RecordFixture::folder(RecordFixture::drawer(archive, "Old"), "Tax boxes");
    }

    FindLocation location(const QString &cabinet, const QString &drawer, const QString &folder)
    {
        FindLocation l;
        l.cabinetId = FindLocations::GetCabinetIdByName(cabinet);
        l.drawerId = FindLocations::GetDrawerIdByName(l.cabinetId, drawer);
        l.folderId = FindLocations::GetFolderIdByName(l.drawerId, folder);
        return l;
    }

    static FindCriteria criteria(const QString &keywords, bool any, const Range &r = {})
    {
        FindCriteria c;
        c.FindKeywords = keywords;
        c.FindMatchAnyWord = any ? -1 : 0;
        c.FindMatchAllWords = any ? 0 : -1;
        c.FindScanDateFrom = r.scanFrom;
        c.FindScanDateThru = r.scanThru;
        c.FindDocDateFrom = r.docFrom;
        c.FindDocDateThru = r.docThru;
        c.FindFileSizeFrom = r.sizeFrom;
        c.FindFileSizeThru = r.sizeThru;
        c.FindAmountFrom = r.amountFrom;
        c.FindAmountThru = r.amountThru;
        return c;
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::openFreshDatabase();
        buildArchive();
    }

    void cleanup() { RunState::forgetAll(); }

    // Every criterion alone and a few together. The hit count adds the rows
    // of both queries: "Tax boxes" matches "tax" but holds no document.
    void findsByCriteria_data()
    {
        QTest::addColumn<QString>("keywords");
        QTest::addColumn<bool>("any");
        QTest::addColumn<QStringList>("where");  // cabinet, drawer, folder
        QTest::addColumn<Range>("range");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<int>("hits");
        const QStringList all{"(All)", "(All)", "(All)"};
        const QStringList everything{"2004 tax", "Letter to mom", "O'Neil invoice", "Plain note",
                                     "tax 2004 receipts"};
        Range r;
        QTest::newRow("nothing set finds every open document") << "" << true << all << r << everything << 5;
        QTest::newRow("one word, folder without documents counts")
            << "tax" << true << all << r << QStringList{"2004 tax", "tax 2004 receipts"} << 3;
        QTest::newRow("any word, runs of spaces")
            << "invoice   MOM" << true << all << r << QStringList{"Letter to mom", "O'Neil invoice"} << 2;
        QTest::newRow("all words is one phrase")
            << "tax 2004" << false << all << r << QStringList{"tax 2004 receipts"} << 1;
        QTest::newRow("any word of the same text")
            << "tax 2004" << true << all << r << QStringList{"2004 tax", "tax 2004 receipts"} << 3;
        QTest::newRow("found by both queries, listed once")
            << "tax federal" << true << all << r << QStringList{"2004 tax", "tax 2004 receipts"} << 4;
        QTest::newRow("quote") << "O'Neil" << true << all << r << QStringList{"O'Neil invoice"} << 1;
        QTest::newRow("percent is literal") << "50%" << true << all << r << QStringList{"O'Neil invoice"} << 1;
        QTest::newRow("underscore is literal") << "off_sale" << true << all << r << QStringList{"O'Neil invoice"} << 1;
        QTest::newRow("folder description brings its documents")
            << "federal" << true << all << r << QStringList{"2004 tax", "tax 2004 receipts"} << 1;
        QTest::newRow("cabinet") << "" << true << QStringList{"Archive", "(All)", "(All)"} << r << QStringList{} << 0;
        QTest::newRow("drawer") << "" << true << QStringList{"Home", "Letters", "(All)"} << r
                                << QStringList{"Letter to mom"} << 1;
        QTest::newRow("folder") << "" << true << QStringList{"Home", "Taxes", "Receipts"} << r
                                << QStringList{"O'Neil invoice", "Plain note"} << 2;
        r = {};
        r.scanFrom = r.scanThru = QDate(2005, 1, 5);
        QTest::newRow("scan date, one day, end of day included") << "" << true << all << r
                                                                 << QStringList{"O'Neil invoice"} << 1;
        r = {};
        r.scanThru = QDate(2004, 4, 30);
        QTest::newRow("scan date, thru only") << "" << true << all << r << QStringList{"tax 2004 receipts"} << 1;
        r = {};
        r.scanFrom = QDate(2004, 5, 1);
        QTest::newRow("scan date, from only; no scan date never passes")
            << "" << true << all << r << QStringList{"2004 tax", "O'Neil invoice", "tax 2004 receipts"} << 3;
        r = {};
        r.docFrom = QDate(2004, 4, 15);
        r.docThru = QDate(2004, 12, 31);
        QTest::newRow("document date, both ends included")
            << "" << true << all << r << QStringList{"2004 tax", "tax 2004 receipts"} << 2;
        r = {};
        r.docFrom = QDate(2005, 1, 1);
        r.docThru = QDate(2004, 1, 1);
        QTest::newRow("reversed range sets no limit") << "" << true << all << r << everything << 5;
        r = {};
        r.amountFrom = 100;
        r.amountThru = 120.5;
        QTest::newRow("amount, both ends included")
            << "" << true << all << r << QStringList{"O'Neil invoice", "tax 2004 receipts"} << 2;
        r = {};
        r.amountThru = 100;
        QTest::newRow("amount from 0; no amount never passes")
            << "" << true << all << r << QStringList{"Letter to mom", "O'Neil invoice"} << 2;
        r = {};
        r.sizeFrom = 1000;
        r.sizeThru = 5000;
        QTest::newRow("file size, both ends included")
            << "" << true << all << r << QStringList{"O'Neil invoice", "tax 2004 receipts"} << 2;
        r = {};
        r.sizeFrom = 2147483648LL;
        r.sizeThru = 4000000000LL;
        QTest::newRow("file size beyond 32 bits") << "" << true << all << r << QStringList{"Letter to mom"} << 1;
        r = {};
        r.docFrom = QDate(2004, 1, 1);
        r.docThru = QDate(2004, 6, 30);
        QTest::newRow("keyword, drawer and date")
            << "tax" << true << QStringList{"Home", "Taxes", "(All)"} << r << QStringList{"tax 2004 receipts"} << 1;
        r = {};
        r.amountFrom = 50;
        r.amountThru = 150;
        QTest::newRow("keywords and amount") << "invoice note" << true << all << r << QStringList{"O'Neil invoice"}
                                             << 1;
        QTest::newRow("nothing matches") << "zebra" << true << all << Range{} << QStringList{} << 0;
    }

    void findsByCriteria()
    {
        QFETCH(QString, keywords);
        QFETCH(bool, any);
        QFETCH(QStringList, where);
        QFETCH(Range, range);
        FindCriteria c = criteria(keywords, any, range);
        const FindResult r = RunFind(c, location(where.at(0), where.at(1), where.at(2)));
        QTEST(names(r), "found");
        QTEST(r.hitCount, "hits");
    }

    // With no keywords the folder query would match every folder and bring
    // in every document regardless of the limits: it is not run.
    void noKeywordsSkipsTheFolderQuery()
    {
        FindCriteria c = criteria("  ", true);
        QVERIFY(folderQuery(c, {}, 1).text.isEmpty());
        c.FindKeywords = "tax";
        QVERIFY(!folderQuery(c, {}, 1).text.isEmpty());
    }

    // A found document knows its ancestors, so the branch needs no look-ups.
    void rowsCarryTheirAncestors()
    {
        FindCriteria c = criteria("O'Neil", true);
        const FindResult r = RunFind(c, {});
        QCOMPARE(r.documents.size(), 1);
        const FoundDocument &d = r.documents.first();
        QCOMPARE(d.folderName, QStringLiteral("Receipts"));
        QCOMPARE(d.drawerName, QStringLiteral("Taxes"));
        QCOMPARE(d.cabinetName, QStringLiteral("Home"));
        QCOMPARE(d.folderId, location("Home", "Taxes", "Receipts").folderId);
    }

    // A locked cabinet is searched neither in "(All)" nor when chosen, and
    // never prompts; once unlocked in this run it is.
    void lockedCabinetOnlyOnceUnlocked()
    {
        FakePrompt prompt;
        FindCriteria c = criteria("plan", true);
        QCOMPARE(RunFind(c, {}).hitCount, 0);
        QCOMPARE(RunFind(c, {m_work, 0, 0}).hitCount, 0);
        QCOMPARE(prompt.passwordPrompts, 0);
        QVERIFY(!FindLocations::cabinetChoices().items.contains("Work"));
        prompt.passwords = {QStringLiteral("secret")};
        QVERIFY(Passwords::UnlockCabinet(m_work));
        QCOMPARE(names(RunFind(c, {})), QStringList{"tax plan"});
        QVERIFY(FindLocations::cabinetChoices().items.contains("Work"));
    }

    // Each search builds its own limit clauses: the second replaces the
    // first, also when the second finds nothing.
    void secondSearchReplacesTheClauses()
    {
        Range r;
        r.scanFrom = r.scanThru = QDate(2005, 1, 5);
        FindCriteria c = criteria("", true, r);
        QCOMPARE(RunFind(c, {}).hitCount, 1);
        QVERIFY(!c.FindScanDateClause.isEmpty());
        c.FindScanDateFrom = kFrom;
        c.FindScanDateThru = kThru;
        c.FindKeywords = "zebra";
        QCOMPARE(RunFind(c, {}).hitCount, 0);
        QVERIFY(c.FindScanDateClause.isEmpty());
    }

    // The queries walk down from the cabinet through the parent-id indexes
    // and never scan the document or page table.
    void queriesUseTheParentIndexes()
    {
        Range r;
        r.scanThru = QDate(2020, 1, 1);
        r.sizeThru = 100;
        FindCriteria c = criteria("tax", true, r);
        c.buildClauses();
        const Sql queries[] = {documentQuery(c, {}, 1), folderQuery(c, {}, 1)};
        QStringList plans;
        for (const Sql &q : queries) {
            const Recordset plan = DbConnection::OpenRecordset("EXPLAIN QUERY PLAN " + q.text, q.binds);
            QString text;
            for (int i = 0; i < plan.recordCount(); ++i)
                text += plan.value(i, "detail").toString() + '\n';
            qInfo().noquote() << q.text << '\n' << text;
            plans << text;
        }
        for (const char *index : {"Drawer_CabinetId", "Folder_DrawerId", "Document_FolderId"}) {
            QVERIFY2(plans.at(0).contains(index), index);
            QVERIFY2(plans.at(1).contains(index), index);
        }
        QVERIFY(plans.at(0).contains("Page_DocumentId"));
        for (const QString &plan : plans)
            QVERIFY2(!plan.contains("SCAN Document") && !plan.contains("SCAN Page"), qPrintable(plan));
    }

    // The dialog's lists and look-ups: a name without a row resolves to 0.
    void locationLookUps()
    {
        const int home = FindLocations::GetCabinetIdByName("Home");
        QVERIFY(home != 0);
        QCOMPARE(FindLocations::GetCabinetIdByName("(All)"), 0);
        QCOMPARE(FindLocations::GetCabinetIdByName("Gone"), 0);
        QCOMPARE(FindLocations::GetCabinetIdByName("Archive"), kArchiveId);
        QCOMPARE(FindLocations::GetDrawerIdByName(home, "Old"), 0);  // another cabinet's drawer
        QCOMPARE(FindLocations::drawerChoices(home).items, (QStringList{"(All)", "Letters", "Taxes"}));
        const FindLocations::Choices none = FindLocations::folderChoices(0);
        QCOMPARE(none.items, QStringList{"(All)"});
        QVERIFY(!none.enabled);
        QCOMPARE(FindLocations::cabinetChoices().items, (QStringList{"(All)", "Archive", "Home"}));
    }

    // Runs last: it replaces the archive with an empty database.
    void emptyDatabase()
    {
        TestEnvironment::openFreshDatabase();
        const FindLocations::Choices c = FindLocations::cabinetChoices();
        QCOMPARE(c.items, QStringList{FindLocations::NoCabinetsText});
        QVERIFY(!c.enabled);
        QCOMPARE(FindLocations::GetCabinetIdByName(FindLocations::NoCabinetsText), 0);
        FindCriteria none = criteria("", true);
        QCOMPARE(RunFind(none, {}).hitCount, 0);
    }
};

VLM_TEST_GUILESS_MAIN(FindQueryTest)
#include "FindQueryTest.moc"

#include "navigation/FindCriteria.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QtTest>

class FindCriteriaTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A reset brings every criterion back but keeps the last run's clauses,
    // so found documents stay filtered until the next search.
    void resetKeepsClauses()
    {
        FindCriteria c;
        c.FindKeywords = "tax";
        c.FindMatchAnyWord = 0;
        c.FindMatchAllWords = -1;
        c.FindCabinetName = "Home";
        c.FindFileSizeFrom = 10;
        c.FindFileSizeThru = 20;
        c.FindScanDateFrom = QDate(2024, 1, 1);
        c.FindScanDateThru = QDate(2024, 1, 1);
        c.buildClauses();
        c.ResetFindCriteria();
        QCOMPARE(c.FindKeywords, QString());
        QCOMPARE(c.FindMatchAnyWord, 1);
        QCOMPARE(c.FindMatchAllWords, 0);
        QCOMPARE(c.FindCabinetName, QStringLiteral("(All)"));
        QCOMPARE(c.FindDrawerName, QStringLiteral("(All)"));
        QCOMPARE(c.FindFolderName, QStringLiteral("(All)"));
        QCOMPARE(c.FindScanDateFrom, QDate(1901, 1, 1));
        QCOMPARE(c.FindDocDateThru, QDate(2099, 12, 31));
        QCOMPARE(c.FindFileSizeFrom, 0);
        QCOMPARE(c.FindAmountThru, 0.0);
        QVERIFY(!c.FindScanDateClause.isEmpty());
        QVERIFY(!c.FindFileSizeClause.isEmpty());
    }

    void defaultsSetNoCondition()
    {
        FindCriteria c;
        c.buildClauses();
        QVERIFY(c.FindScanDateClause.isEmpty());
        QVERIFY(c.FindDocDateClause.isEmpty());
        QVERIFY(c.FindAmountClause.isEmpty());
        QVERIFY(c.FindFileSizeClause.isEmpty());
    }

    void dateClauses()
    {
        // One day is a valid range; scan dates compare by their date part.
        const FindClause day = FindCriteria::dateClause("Page.ScanDate", QDate(2024, 3, 4), QDate(2024, 3, 4), true);
        QCOMPARE(day.sql, QStringLiteral("(substr(Page.ScanDate, 1, 10) BETWEEN ? AND ?)"));
        QCOMPARE(day.binds, (QVariantList{"2024-03-04", "2024-03-04"}));
        QVERIFY(FindCriteria::dateClause("Document.DateOnDocument", QDate(2024, 3, 5), QDate(2024, 3, 4), false)
                    .isEmpty());
        QVERIFY(FindCriteria::dateClause("Document.DateOnDocument", FindCriteria::FindDefaultFromDate(),
                                         FindCriteria::FindDefaultThruDate(), false)
                    .isEmpty());
        // Only one end at its default still limits.
        QVERIFY(!FindCriteria::dateClause("Document.DateOnDocument", FindCriteria::FindDefaultFromDate(),
                                          QDate(2020, 1, 1), false)
                     .isEmpty());
    }

    void numberClauses()
    {
        QVERIFY(FindCriteria::fileSizeClause(0, 0).isEmpty());
        QCOMPARE(FindCriteria::fileSizeClause(0, 5000).binds, (QVariantList{0, 5000}));
        QVERIFY(FindCriteria::fileSizeClause(10, 5).isEmpty());
        QVERIFY(FindCriteria::amountClause(0, 0).isEmpty());
        QVERIFY(FindCriteria::amountClause(5, 1).isEmpty());
    }

    // Amounts travel as bound numbers: under a decimal-comma locale the
    // clause still finds exactly the documents in the range.
    void amountClauseUnderGermanLocale()
    {
        TestEnvironment::openFreshDatabase();
        const int f = RecordFixture::folder(RecordFixture::drawer(RecordFixture::cabinet("Home"), "Bills"), "Power");
        for (const double amount : {12.49, 12.5, 100.0, 100.01})
            RecordFixture::insert("INSERT INTO Document (FolderId, Name, Amount) VALUES (?, ?, ?)",
                                  {f, QString::number(amount), amount});
        QLocale::setDefault(QLocale(QLocale::German));
        const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
        const FindClause a = FindCriteria::amountClause(12.5, 100);
        QCOMPARE(a.sql, QStringLiteral("(Document.Amount >= ? AND Document.Amount <= ?)"));
        QCOMPARE(a.binds.at(0).typeId(), int(QMetaType::Double));
        const Recordset rs = DbConnection::OpenRecordset(
            QStringLiteral("SELECT Name FROM Document WHERE ") + a.sql + QStringLiteral(" ORDER BY Amount"), a.binds);
        QStringList found;
        for (int i = 0; i < rs.recordCount(); ++i)
            found << rs.value(i, 0).toString();
        QCOMPARE(found, (QStringList{"12.5", "100"}));
    }
};

VLM_TEST_GUILESS_MAIN(FindCriteriaTest)
#include "FindCriteriaTest.moc"

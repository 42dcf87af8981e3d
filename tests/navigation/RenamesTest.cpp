#include "navigation/Renames.h"
#include "platform/DbConnection.h"
#include "store/RecordRules.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QtTest>

Q_DECLARE_METATYPE(RecordLevel)

using namespace RecordFixture;

class RenamesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // Drawer and folder names are unique within their parent only, without
    // regard to case; cabinet names across all cabinets; documents never.
    void uniquenessScopes()
    {
        const int home = cabinet("Home");
        const int work = cabinet("Work");
        const int bills = drawer(home, "Bills");
        const int taxes = drawer(home, "Taxes");
        drawer(work, "Receipts");
        const int f1 = folder(bills, "Power");
        folder(bills, "Water");
        const int d1 = document(f1, "Invoice");
        document(f1, "Other");

        Renames::Result r = Renames::renameRecord(QStringLiteral("DRW%1").arg(taxes), "BILLS");
        QVERIFY(!r.stored);
        QCOMPARE(r.messages, QStringList{"A drawer named 'BILLS' already exists."});
        QVERIFY(Renames::renameRecord(QStringLiteral("DRW%1").arg(taxes), "receipts").stored);

        r = Renames::renameRecord(QStringLiteral("CAB%1").arg(work), "home");
        QCOMPARE(r.messages, QStringList{"A file cabinet named 'home' already exists."});
        // Its own name is no duplicate.
        QVERIFY(Renames::renameRecord(QStringLiteral("CAB%1").arg(home), "HOME").stored);

        r = Renames::renameRecord(QStringLiteral("FLD%1").arg(f1), "water");
        QCOMPARE(r.messages, QStringList{"A folder named 'water' already exists."});
        QVERIFY(Renames::renameRecord(QStringLiteral("DOC%1").arg(d1), "Other").stored);
        QCOMPARE(DbConnection::queryValue("SELECT count(*) FROM Document WHERE Name = 'Other'").toInt(), 2);
    }

    // Non-ASCII names differing only in case are duplicates too.
    void unicodeCaseCounts()
    {
        const int c = cabinet("Été");
        const int other = cabinet("Hiver");
        const Renames::Result r = Renames::renameRecord(QStringLiteral("CAB%1").arg(other), "éTÉ");
        QVERIFY(!r.stored);
        Q_UNUSED(c);
    }

    // Forbidden characters are removed after a message; what is left is
    // stored, and a name with nothing left is refused silently.
    void invalidCharacters()
    {
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        Renames::Result r = Renames::renameRecord(QStringLiteral("DRW%1").arg(d), "Old/New");
        QVERIFY(r.stored);
        QCOMPARE(r.name, QStringLiteral("OldNew"));
        QCOMPARE(r.messages, QStringList{RecordRules::invalidNameMessage()});
        r = Renames::renameRecord(QStringLiteral("DRW%1").arg(d), "...");
        QVERIFY(!r.stored);
        QCOMPARE(DbConnection::queryValue("SELECT Name FROM Drawer").toString(), QStringLiteral("OldNew"));
        r = Renames::renameRecord(QStringLiteral("DRW%1").arg(d), "   ");
        QVERIFY(!r.stored);
        QVERIFY(r.messages.isEmpty());
    }

    // A name over 80 characters is refused with the dialogs' message and
    // the old name kept, at every level; 80 characters are taken.
    void longNamesRefused_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<RecordLevel>("kind");
        QTest::newRow("cabinet") << "CAB" << RecordLevel::Cabinet;
        QTest::newRow("drawer") << "DRW" << RecordLevel::Drawer;
        QTest::newRow("folder") << "FLD" << RecordLevel::Folder;
        QTest::newRow("document") << "DOC" << RecordLevel::Document;
    }
    void longNamesRefused()
    {
        QFETCH(QString, prefix);
        QFETCH(RecordLevel, kind);
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        const int f = folder(d, "Power");
        const int doc = document(f, "March");
        const QHash<QString, int> ids{{"CAB", c}, {"DRW", d}, {"FLD", f}, {"DOC", doc}};
        const QString key = prefix + QString::number(ids.value(prefix));
        Renames::Result r = Renames::renameRecord(key, QString(81, QLatin1Char('n')));
        QVERIFY(!r.stored);
        QVERIFY(r.tooLong);
        QCOMPARE(r.messages, QStringList{RecordRules::nameTooLongMessage(kind)});
        r = Renames::renameRecord(key, QString(80, QLatin1Char('n')));
        QVERIFY(r.stored);
        QCOMPARE(r.name.size(), 80);
    }

    void quotesAndDates()
    {
        const int f = folder(drawer(cabinet("Home"), "Bills"), "Power");
        const int d = document(f, "x", "2024-03-04");
        const Renames::Result r = Renames::renameRecord(QStringLiteral("DOC%1").arg(d), "O'Hara's bill");
        QVERIFY(r.stored);
        QCOMPARE(r.date, QDate(2024, 3, 4));
        QCOMPARE(DbConnection::queryValue("SELECT Name FROM Document").toString(), QStringLiteral("O'Hara's bill"));
    }

    void rootsAreNotRenamed()
    {
        QVERIFY(!Renames::renameRecord("ROOT", "x").stored);
        QVERIFY(!Renames::renameRecord("FCB1", "x").stored);
    }
};

VLM_TEST_GUILESS_MAIN(RenamesTest)
#include "RenamesTest.moc"

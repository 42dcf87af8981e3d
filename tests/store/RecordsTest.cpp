#include "store/Records.h"

#include <QCoreApplication>
#include <QtTest>

#include "platform/DbConnection.h"
#include "store/Pages.h"
#include "store/Passwords.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

using namespace Records;

namespace {

QVariant field(const QString &sql, const QVariantList &binds)
{
    return DbConnection::queryValue(sql, binds);
}

} // namespace

class RecordsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // Cabinet names are unique across all cabinets, letter case aside, also
    // for letters beyond ASCII; a cabinet keeps its own name.
    void cabinetNameScope()
    {
        const int home = RecordFixture::cabinet("Home");
        const int ete = RecordFixture::cabinet("Été");
        RecordFixture::cabinet("O'Hara");
        QVERIFY(cabinetNameExists("home"));
        QVERIFY(cabinetNameExists("HOME"));
        QVERIFY(cabinetNameExists("éTÉ"));
        QVERIFY(cabinetNameExists("o'hara"));
        QVERIFY(!cabinetNameExists("Homes"));
        QVERIFY(!cabinetNameExists("HOME", home));
        QVERIFY(!cabinetNameExists("ÉTÉ", ete));
        QVERIFY(cabinetNameExists("HOME", ete));
    }

    // Drawers are unique within their cabinet and folders within their
    // drawer; the same name elsewhere does not count.
    void drawerAndFolderNameScope()
    {
        const int a = RecordFixture::cabinet("A");
        const int b = RecordFixture::cabinet("B");
        const int bills = RecordFixture::drawer(a, "Bills");
        const int other = RecordFixture::drawer(b, "Other");
        QVERIFY(drawerNameExists(a, "BILLS"));
        QVERIFY(!drawerNameExists(b, "Bills"));
        QVERIFY(!drawerNameExists(a, "bills", bills));
        const int tax = RecordFixture::folder(bills, "Steuer Ä");
        QVERIFY(folderNameExists(bills, "steuer ä"));
        QVERIFY(!folderNameExists(other, "Steuer Ä"));
        QVERIFY(!folderNameExists(bills, "STEUER Ä", tax));
    }

    // Every text column keeps quotes and non-Latin text exactly, through
    // bound values.
    void quotesAndNonLatinRoundTrip()
    {
        const QString text = QStringLiteral("It's \"quoted\" -- ; DROP TABLE x; Ωμέγα 漢字\nline 2");
        CabinetValues c{"O'Hara Ωμέγα", text, "ì'\"x", true, "/srv/it's/Ωμέγα"};
        const RecordId cabinetId = insertCabinet(c);
        std::optional<CabinetValues> rc = readCabinet(cabinetId);
        QVERIFY(rc);
        QCOMPARE(rc->name, c.name);
        QCOMPARE(rc->description, text);
        QCOMPARE(rc->password, c.password);
        QVERIFY(rc->ownStorage);
        QCOMPARE(rc->storagePath, c.storagePath);

        const RecordId drawerId = insertDrawer({cabinetId, "Mary's 抽屉", text});
        QCOMPARE(readDrawer(drawerId)->name, QStringLiteral("Mary's 抽屉"));
        QCOMPARE(readDrawer(drawerId)->description, text);
        QCOMPARE(readDrawer(drawerId)->cabinetId, cabinetId);

        const RecordId folderId = insertFolder({drawerId, "Ü'ber", text, "o'neil@x"});
        QCOMPARE(readFolder(folderId)->email, QStringLiteral("o'neil@x"));
        QCOMPARE(readFolder(folderId)->description, text);

        const RecordId documentId = insertDocument({folderId, "Rechnung 'Ä'", text, QDate(2024, 3, 4), 1250});
        const std::optional<DocumentValues> d = readDocument(documentId);
        QCOMPARE(d->name, QStringLiteral("Rechnung 'Ä'"));
        QCOMPARE(d->description, text);
        QCOMPARE(d->dateOnDocument, QDate(2024, 3, 4));
        QCOMPARE(d->amount, 1250.0);
        QCOMPARE(d->folderId, folderId);

        // Updates as well.
        c.name = "Zweite \"Ausgabe\"";
        c.ownStorage = false;
        updateCabinet(cabinetId, c);
        QCOMPARE(readCabinet(cabinetId)->name, c.name);
        QVERIFY(!readCabinet(cabinetId)->ownStorage);
        updateFolder(folderId, {drawerId, "Neu", "", "a'b@c"});
        QCOMPARE(readFolder(folderId)->email, QStringLiteral("a'b@c"));
    }

    // A missing row reads as nothing.
    void missingRows()
    {
        QVERIFY(!readCabinet(999));
        QVERIFY(!readDrawer(999));
        QVERIFY(!readFolder(999));
        QVERIFY(!readDocument(999));
    }

    // Passwords: ten characters round-trip; an empty one stays an empty
    // text (not Null); one whose scramble holds NUL (a leading "ì") is
    // stored and read back whole.
    void passwordRoundTrip_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("ten characters") << "Secret7890";
        QTest::newRow("empty") << "";
        QTest::newRow("scrambles to NUL") << "ìabc";
        QTest::newRow("quote") << "a'b\"c";
    }

    void passwordRoundTrip()
    {
        QFETCH(QString, password);
        const RecordId id = insertCabinet({"C", "", password, false, ""});
        const QVariant stored = field("SELECT [Password] FROM Cabinet WHERE CabinetId = ?", {id});
        QVERIFY(!stored.isNull());
        QCOMPARE(stored.toString(), Passwords::ScramblePassword(password));
        if (password.startsWith(QChar(0xEC)))
            QCOMPARE(stored.toString().at(0), QChar(0));
        QCOMPARE(readCabinet(id)->password, password);
        QCOMPARE(Passwords::IsCabinetOpen(id), password.isEmpty());
    }

    // The document date is stored as ISO text and a blank date as Null;
    // an empty description and e-mail are empty texts.
    void documentColumns()
    {
        const int cab = RecordFixture::cabinet("C");
        const RecordId folderId = RecordFixture::folder(RecordFixture::drawer(cab, "D"), "F");
        const RecordId dated = insertDocument({folderId, "A", "", QDate(2024, 3, 4), 12.5});
        QCOMPARE(field("SELECT DateOnDocument FROM Document WHERE DocumentId = ?", {dated}).toString(),
                 QStringLiteral("2024-03-04"));
        QCOMPARE(field("SELECT Amount FROM Document WHERE DocumentId = ?", {dated}).toDouble(), 12.5);
        const RecordId undated = insertDocument({folderId, "B", QString(), QDate(), 0});
        QVERIFY(field("SELECT DateOnDocument FROM Document WHERE DocumentId = ?", {undated}).isNull());
        QCOMPARE(field("SELECT typeof(Description) FROM Document WHERE DocumentId = ?", {undated}).toString(),
                 QStringLiteral("text"));
        QCOMPARE(field("SELECT Amount FROM Document WHERE DocumentId = ?", {undated}).toDouble(), 0.0);
        updateDocument(dated, {folderId, "A", "", QDate(), 3});
        QVERIFY(field("SELECT DateOnDocument FROM Document WHERE DocumentId = ?", {dated}).isNull());
        const RecordId folder2 = insertFolder({RecordFixture::drawer(cab, "E"), "G", QString(), QString()});
        QCOMPARE(field("SELECT typeof(Email) FROM Folder WHERE FolderId = ?", {folder2}).toString(),
                 QStringLiteral("text"));
    }

    // A failing insert throws and leaves no row.
    void failingWriteThrows()
    {
        DbConnection::failAfterStatements(1);
        QVERIFY_THROWS_EXCEPTION(AppError, insertCabinet({"C", "", "", false, ""}));
        QCOMPARE(field("SELECT Count(*) FROM Cabinet", {}).toInt(), 0);
    }

    // An insert below a parent deleted meanwhile (a stale position, another
    // window) says the parent is gone and writes nothing.
    void insertBelowMissingParent_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("message");
        QTest::newRow("drawer") << "Drawer" << "The cabinet no longer exists.";
        QTest::newRow("folder") << "Folder" << "The drawer no longer exists.";
        QTest::newRow("document") << "Document" << "The folder no longer exists.";
    }
    void insertBelowMissingParent()
    {
        QFETCH(QString, table);
        QFETCH(QString, message);
        const int cabinet = RecordFixture::cabinet("C");
        const int drawer = RecordFixture::drawer(cabinet, "D");
        const int folder = RecordFixture::folder(drawer, "F");
        const int before = RecordFixture::rowCount(table);
        DbConnection::execute(QStringLiteral("DELETE FROM Cabinet"));
        DbConnection::execute(QStringLiteral("DELETE FROM Drawer"));
        DbConnection::execute(QStringLiteral("DELETE FROM Folder"));
        try {
            if (table == "Drawer")
                insertDrawer({cabinet, "New", ""});
            else if (table == "Folder")
                insertFolder({drawer, "New", "", ""});
            else
                insertDocument({folder, "New", "", QDate(), 0});
            QFAIL("the insert was not refused");
        } catch (const AppError &e) {
            QCOMPARE(e.code, int(ErrorCode::RecordMissing));
            QCOMPARE(e.text, message);
        }
        QCOMPARE(RecordFixture::rowCount(table), table == "Document" ? before : 0);
        QCOMPARE(field("SELECT Count(*) FROM " + table + " WHERE Name = 'New'", {}).toInt(), 0);
    }

    // Names fill the column at most; a longer one is refused whole, not cut.
    void nameLengthLimit()
    {
        const QString full(MaxNameLength, QChar(0x00E9));
        const RecordId id = insertCabinet({full, "", "", false, ""});
        QCOMPARE(readCabinet(id)->name, full);
        try {
            insertDrawer({id, full + "x", ""});
            QFAIL("an 81-character name was stored");
        } catch (const AppError &e) {
            QCOMPARE(e.code, int(ErrorCode::InvalidValue));
            QVERIFY(e.text.contains("longer than 80 characters"));
        }
        QVERIFY_THROWS_EXCEPTION(AppError, updateCabinet(id, {full + "x", "", "", false, ""}));
        QCOMPARE(RecordFixture::rowCount("Drawer"), 0);
        QCOMPARE(readCabinet(id)->name, full);
    }

    // The look-ups that merge names give the parent's own row, folding
    // letter case beyond ASCII.
    void namedLookups()
    {
        const int cabinet = RecordFixture::cabinet("C");
        const int ete = RecordFixture::drawer(cabinet, "été");
        const int other = RecordFixture::drawer(RecordFixture::cabinet("D"), "ÉTÉ");
        QCOMPARE(drawerNamed(cabinet, "ÉTÉ"), ete);
        QVERIFY(drawerNamed(cabinet, "ete") == 0);
        const int folder = RecordFixture::folder(ete, "Straße Ä");
        QCOMPARE(folderNamed(ete, "straße ä"), folder);
        QCOMPARE(folderNamed(other, "straße ä"), 0);
    }

    // A file imported again finds the document it made before: the name
    // compares as the column does, so the case of ASCII letters is ignored
    // while other letters must match; a document of another folder never
    // counts.
    void findDocumentByName_data()
    {
        QTest::addColumn<QString>("sought");
        QTest::addColumn<bool>("inOtherFolder");
        QTest::addColumn<bool>("found");
        QTest::newRow("same name") << "Scan 1.pdf" << false << true;
        QTest::newRow("ASCII letters in other case") << "SCAN 1.PDF" << false << true;
        QTest::newRow("other letters in other case") << "ÉTÉ.pdf" << false << false;
        QTest::newRow("longer name") << "Scan 1.pdf.txt" << false << false;
        QTest::newRow("same name, other folder") << "Scan 1.pdf" << true << false;
    }
    void findDocumentByName()
    {
        QFETCH(QString, sought);
        QFETCH(bool, inOtherFolder);
        QFETCH(bool, found);
        const RecordId drawer = RecordFixture::drawer(RecordFixture::cabinet("C"), "D");
        const RecordId folder = RecordFixture::folder(drawer, "F");
        const RecordId other = RecordFixture::folder(drawer, "G");
        const RecordId scan = RecordFixture::document(folder, "Scan 1.pdf");
        RecordFixture::document(folder, "été.pdf");
        QCOMPARE(Records::findDocumentByName(inOtherFolder ? other : folder, sought), found ? scan : RecordId(0));
    }

    // The export walks each level in the order the user sees (name without
    // regard to case, then id) and keeps a Null description apart from an
    // empty one, which still writes its file.
    void exportChildRows_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("drawers of a cabinet") << "Drawer";
        QTest::newRow("folders of a drawer") << "Folder";
        QTest::newRow("documents of a folder") << "Document";
    }
    void exportChildRows()
    {
        QFETCH(QString, table);
        const RecordId cabinet = RecordFixture::cabinet("C");
        const RecordId drawer = RecordFixture::drawer(cabinet, "D");
        const RecordId folder = RecordFixture::folder(drawer, "F");
        const QString parentColumn = table == "Drawer" ? "CabinetId" : table == "Folder" ? "DrawerId" : "FolderId";
        const RecordId parent = table == "Drawer" ? cabinet : table == "Folder" ? drawer : folder;
        const RecordLevel level = table == "Drawer" ? RecordLevel::Cabinet : table == "Folder" ? RecordLevel::Drawer : RecordLevel::Folder;
        const QString insert = "INSERT INTO " + table + " (" + parentColumn + ", Name, Description) VALUES (?, ?, ?)";
        const RecordId b = RecordFixture::insert(insert, {parent, "b", QVariant()});
        const RecordId a2 = RecordFixture::insert(insert, {parent, "A", ""});
        const RecordId a1 = RecordFixture::insert(insert, {parent, "a", "Text"});
        const QList<ExportRow> rows = Records::exportChildRows(level, parent);
        QList<RecordId> ids;
        for (const ExportRow &row : rows)
            ids.append(row.id);
        const QList<RecordId> before = table == "Drawer"   ? QList<RecordId>{drawer}
                                       : table == "Folder" ? QList<RecordId>{folder}
                                                           : QList<RecordId>{};
        // The fixture's own child named "D" or "F" sorts after "a" and "b".
        QCOMPARE(ids, QList<RecordId>({a2, a1, b}) + before);
        QVERIFY(rows.at(2).description.isNull());
        QVERIFY(!rows.at(0).description.isNull());
        QCOMPARE(rows.at(0).description.toString(), QString());
        QCOMPARE(rows.at(1).description.toString(), QString("Text"));
    }

    // Parent look-ups give 0 for a row that does not exist, pages included.
    void parentLookups()
    {
        TestEnvironment::openFreshDatabase();
        DbConnection::execute("INSERT INTO Drawer (CabinetId, Name) VALUES (7, 'd')");
        const int drawer = DbConnection::lastInsertId();
        DbConnection::execute("INSERT INTO Folder (DrawerId, Name) VALUES (?, 'f')", {drawer});
        const int folder = DbConnection::lastInsertId();
        DbConnection::execute("INSERT INTO Document (FolderId, Name) VALUES (?, 'x')", {folder});
        const int doc = DbConnection::lastInsertId();
        DbConnection::execute("INSERT INTO Page (DocumentId) VALUES (?)", {doc});
        const int page = DbConnection::lastInsertId();
        QCOMPARE(GetCabinetIdOfDrawer(drawer), 7);
        QCOMPARE(GetDrawerIdOfFolder(folder), drawer);
        QCOMPARE(GetFolderIdOfDocument(doc), folder);
        QCOMPARE(Pages::GetDocumentIdOfPage(page), doc);
        QCOMPARE(GetCabinetIdOfDrawer(999), 0);
        QCOMPARE(GetDrawerIdOfFolder(999), 0);
        QCOMPARE(GetFolderIdOfDocument(999), 0);
        QCOMPARE(Pages::GetDocumentIdOfPage(999), 0);
        QCOMPARE(getCabinetIdOfDocument(doc), 7);
        QCOMPARE(getCabinetIdOfDocument(999), 0);
    }

    void moveUnderChain_data()
    {
        QTest::addColumn<int>("level");       // 0 pages, 1 documents, 2 folders, 3 drawers
        QTest::addColumn<bool>("chainThere"); // a chain of an earlier run exists
        for (int level = 0; level < 4; ++level) {
            const char *names[] = {"pages", "documents", "folders", "drawers"};
            QTest::addRow("%s, new chain", names[level]) << level << false;
            QTest::addRow("%s, earlier chain", names[level]) << level << true;
        }
    }
    // Rows move under the chain's record of their parent level; the whole
    // chain is made once and found again by name, one record a level.
    void moveUnderChain()
    {
        QFETCH(int, level);
        QFETCH(bool, chainThere);
        const Schema::ParentLink *const links[] = {&Schema::PageInDocument, &Schema::DocumentInFolder,
                                                   &Schema::FolderInDrawer, &Schema::DrawerInCabinet};
        const Schema::ParentLink &link = *links[level];
        const QString chain = QStringLiteral("<Chain>");
        if (chainThere)
            Records::moveUnderChain(Schema::DrawerInCabinet, {}, chain);
        RecordFixture::cabinet("Other");  // a row of another name is no part of it
        const RecordId orphan = RecordFixture::insert(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (999)").arg(QLatin1String(link.table), QLatin1String(link.parentColumn)),
            {});
        Records::moveUnderChain(link, {orphan}, chain);
        for (const char *table : {"Cabinet", "Drawer", "Folder", "Document"})
            QCOMPARE(field(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Name = ?").arg(QLatin1String(table)), {chain})
                         .toInt(), 1);
        const QVariant parent = field(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                          .arg(QLatin1String(link.parentColumn), QLatin1String(link.table),
                                               QLatin1String(link.idColumn)),
                                      {orphan});
        QCOMPARE(field(QStringLiteral("SELECT Name FROM %1 WHERE %2 = ?")
                           .arg(QLatin1String(link.parentTable), QLatin1String(link.parentColumn)),
                       {parent}).toString(), chain);
    }

    void chainParent_data()
    {
        QTest::addColumn<int>("level");       // 0 documents' folder, 1 folders' drawer, 2 drawers' cabinet
        QTest::addColumn<bool>("chainThere"); // a whole chain of an earlier run exists
        for (int level = 0; level < 3; ++level) {
            const char *names[] = {"documents", "folders", "drawers"};
            QTest::addRow("%s, new chain", names[level]) << level << false;
            QTest::addRow("%s, earlier chain", names[level]) << level << true;
        }
    }
    // The chain's record that a level's rows go under is found by name or
    // made, down to that record: no empty record below it is made for
    // nothing, and an earlier chain is found again.
    void chainParent()
    {
        QFETCH(int, level);
        QFETCH(bool, chainThere);
        const Schema::ParentLink *const links[] = {&Schema::DocumentInFolder, &Schema::FolderInDrawer,
                                                   &Schema::DrawerInCabinet};
        const Schema::ParentLink &link = *links[level];
        const QString chain = QStringLiteral("<Chain>");
        if (chainThere)
            Records::moveUnderChain(Schema::DrawerInCabinet, {}, chain);
        const RecordId id = ensureChainParent(link, chain);
        QCOMPARE(ensureChainParent(link, chain), id);
        QCOMPARE(field(QStringLiteral("SELECT Name FROM %1 WHERE %2 = ?")
                           .arg(QLatin1String(link.parentTable), QLatin1String(link.parentColumn)),
                       {id}).toString(), chain);
        const char *tables[] = {"Cabinet", "Drawer", "Folder", "Document"};
        const int made = 3 - level;  // the cabinet down to the record
        for (int t = 0; t < 4; ++t)
            QCOMPARE(field(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Name = ?").arg(QLatin1String(tables[t])), {chain})
                         .toInt(), chainThere || t < made ? 1 : 0);
    }
};

VLM_TEST_GUILESS_MAIN(RecordsTest)
#include "RecordsTest.moc"
#include "core/RecordId.h"

#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/RecordRules.h"
#include "store/SampleCabinets.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingNavigationSink.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

using namespace SampleCabinets;

namespace {

// "Drawer[Folder(Document,Document),Folder];Drawer[]"
QString describe(const QList<OutlineDrawer> &drawers)
{
    QStringList parts;
    for (const OutlineDrawer &d : drawers) {
        QStringList folders;
        for (const OutlineFolder &f : d.folders)
            folders << (f.documents.isEmpty()
                            ? f.name
                            : QStringLiteral("%1(%2)").arg(f.name, f.documents.join(QLatin1Char(','))));
        parts << d.name + QLatin1Char('[') + folders.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    return parts.join(QLatin1Char(';'));
}

// The cabinet's content as stored, in insertion order.
QString contentOf(RecordId cabinetId)
{
    QList<OutlineDrawer> drawers;
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT DrawerId, Name FROM Drawer WHERE CabinetId = ? ORDER BY DrawerId"), {cabinetId});
    for (int row = 0; row < rs.recordCount(); ++row) {
        OutlineDrawer drawer{rs.value(row, 1).toString(), {}};
        const Recordset folders = DbConnection::OpenRecordset(
            QStringLiteral("SELECT FolderId, Name FROM Folder WHERE DrawerId = ? ORDER BY FolderId"),
            {rs.value(row, 0)});
        for (int f = 0; f < folders.recordCount(); ++f) {
            OutlineFolder folder{folders.value(f, 1).toString(), {}};
            const Recordset docs = DbConnection::OpenRecordset(
                QStringLiteral("SELECT Name FROM Document WHERE FolderId = ? ORDER BY DocumentId"),
                {folders.value(f, 0)});
            for (int d = 0; d < docs.recordCount(); ++d)
                folder.documents << docs.value(d, 0).toString();
            drawer.folders << folder;
        }
        drawers << drawer;
    }
    return describe(drawers);
}

void writeOutline(const QByteArray &bytes)
{
    TestFiles::write(sampleOutlinePath(), bytes);
}

QByteArray outlineBytes()
{
    return TestFiles::read(sampleOutlinePath());
}

const char *const kBuiltIn =
    "CAB = Generic File Cabinet\r\n"
    " DRW = Household Equipment\r\n"
    "  FLD = Refrigerator\r\n"
    "  FLD = Stove\r\n"
    " DRW = Home\r\n"
    "  FLD = House Repairs & Improvements\r\n"
    "  FLD = Mortgage (and Realty Taxes)\r\n"
    "  FLD = Electricity\r\n"
    " DRW = Automobile\r\n"
    "  FLD = Auto Loan\r\n"
    "  FLD = Auto Repairs\r\n"
    " DRW = Insurance\r\n"
    "  FLD = Auto\r\n"
    "  FLD = Life\r\n"
    "  FLD = Medical\r\n"
    "  FLD = Home\r\n"
    " DRW = Income Tax Returns\r\n"
    " DRW = Finances\r\n"
    "  FLD = Bank Account\r\n"
    "  FLD = Stocks\r\n"
    "  FLD = 401k\r\n"
    "  FLD = Credit Cards\r\n";

const QString kGeneric = QStringLiteral("Generic File Cabinet");

} // namespace

class SampleCabinetsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // The dialog lists every CAB value, duplicates and empty ones too.
    void cabinetNames_data()
    {
        QTest::addColumn<QString>("outline");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("built-in") << QString::fromLatin1(kBuiltIn) << QStringList{kGeneric};
        QTest::newRow("duplicates and blanks") << "CAB=a\nCAB = a \nCAB\nCAB=\n" << QStringList{"a", "a", "", ""};
        QTest::newRow("word starting with CAB") << "CABINET = Office\n" << QStringList{"Office"};
        QTest::newRow("lower case and tab") << "cab=a\n\tCAB=b\n" << QStringList{};
        QTest::newRow("other kinds") << "DRW=a\nFLD=b\nDOC=c\n" << QStringList{};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void cabinetNames()
    {
        QFETCH(QString, outline);
        QFETCH(QStringList, names);
        QCOMPARE(readSampleCabinetNames(outline), names);
    }

    // What the builder takes from an outline section.
    void section_data()
    {
        QTest::addColumn<QString>("outline");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("drawers");
        QTest::newRow("built-in")
            << QString::fromLatin1(kBuiltIn) << kGeneric
            << "Household Equipment[Refrigerator,Stove];Home[House Repairs & Improvements,"
               "Mortgage (and Realty Taxes),Electricity];Automobile[Auto Loan,Auto Repairs];"
               "Insurance[Auto,Life,Medical,Home];Income Tax Returns[];"
               "Finances[Bank Account,Stocks,401k,Credit Cards]";
        QTest::newRow("documents") << "CAB=c\nDRW=d\nFLD=f\nDOC=x\nDOC=y\n" << "c" << "d[f(x,y)]";
        QTest::newRow("lower case kinds ignored") << "CAB=c\ndrw=no\nDRW=d\nfld=no\n" << "c" << "d[]";
        QTest::newRow("tab-indented ignored") << "CAB=c\n\tDRW=no\nDRW=d\n\tFLD=no\n" << "c" << "d[]";
        QTest::newRow("DRW with more letters") << "CAB=c\nDRAWER=no\nDRWX=d\n" << "c" << "d[]";
        QTest::newRow("folder before first drawer") << "CAB=c\nFLD=lost\nDRW=d\n" << "c" << "d[]";
        QTest::newRow("document right after drawer") << "CAB=c\nDRW=d\nDOC=lost\nFLD=f\n" << "c" << "d[f]";
        QTest::newRow("no equals sign") << "CAB=c\nDRW\nFLD\n" << "c" << "[]";
        QTest::newRow("name in other case") << "CAB=Home Office\nDRW=d\n" << "HOME OFFICE" << "d[]";
        QTest::newRow("first of two sections") << "CAB=c\nDRW=first\nCAB=C\nDRW=second\n" << "C"
                                               << "first[]";
        QTest::newRow("next CAB ends it") << "CAB=a\nDRW=d\nCAB=b\nDRW=e\n" << "a" << "d[]";
        QTest::newRow("no such section") << "CAB=a\nDRW=d\n" << "b" << "";
    }
    void section()
    {
        QFETCH(QString, outline);
        QFETCH(QString, name);
        QFETCH(QString, drawers);
        QCOMPARE(describe(readOutlineSection(outline, name)), drawers);
    }

    // The shipped outline is the 22 lines of the built-in sample, CR LF
    // ended, with the account typo mended.
    void builtInOutline()
    {
        QCOMPARE(SampleCabinets::builtInOutline(), QString::fromLatin1(kBuiltIn));
        QVERIFY(WriteSampleOutline());
        QCOMPARE(outlineBytes(), QByteArray(kBuiltIn));
    }

    // The first-run sample: six drawers, fifteen folders, no document; the
    // cabinet has no password; its node comes first, the list last.
    void createBuiltInSample()
    {
        QVERIFY(ensureSampleOutline());
        RecordingNavigationSink sink;
        const RecordId cabinetId = CreateSampleCabinet(kGeneric);
        QCOMPARE(DbConnection::queryValue("SELECT Name FROM Cabinet WHERE CabinetId = ?", {cabinetId}).toString(),
                 kGeneric);
        QCOMPARE(DbConnection::queryValue("SELECT [Password] FROM Cabinet WHERE CabinetId = ?", {cabinetId}),
                 QVariant(QString("")));
        QCOMPARE(RecordFixture::rowCount("Drawer"), 6);
        QCOMPARE(RecordFixture::rowCount("Folder"), 15);
        QCOMPARE(RecordFixture::rowCount("Document"), 0);
        QCOMPARE(DbConnection::queryValue("SELECT COUNT(*) FROM Folder JOIN Drawer USING (DrawerId)"
                                          " WHERE Drawer.Name = 'Income Tax Returns'")
                     .toInt(),
                 0);
        // The cabinet's node is added first and selected again at the end,
        // after the fill selected its last node; then its drawers are listed.
        const QString cabinetCall = QStringLiteral("cabinet 0/%1 %2").arg(cabinetId).arg(kGeneric);
        QCOMPARE(sink.calls.first(), cabinetCall);
        QCOMPARE(sink.calls.mid(sink.calls.size() - 2),
                 (QStringList{cabinetCall, QStringLiteral("show drawers 0/%1 ").arg(cabinetId)}));
        QCOMPARE(sink.calls.size(), 1 + 6 + 15 + 2);
        // Nodes in file order, each drawer under the new cabinet.
        QCOMPARE(sink.namesOf("drawer"), (QStringList{"Household Equipment", "Home", "Automobile", "Insurance",
                                                      "Income Tax Returns", "Finances"}));
        QVERIFY(sink.calls.at(1).startsWith(QStringLiteral("drawer %1/").arg(cabinetId)));
        QCOMPARE(sink.namesOf("folder").first(), QStringLiteral("Refrigerator"));
    }

    // A first run without an outline file still fills the cabinet, from
    // the built-in outline, which it also writes.
    void firstRunWithoutOutline()
    {
        QVERIFY(!QFile::exists(sampleOutlinePath()));
        const RecordId cabinetId = CreateSampleCabinet(kGeneric);
        QCOMPARE(RecordFixture::rowCount("Drawer"), 6);
        QCOMPARE(RecordFixture::rowCount("Folder"), 15);
        QVERIFY(contentOf(cabinetId).startsWith("Household Equipment[Refrigerator,Stove]"));
        QCOMPARE(outlineBytes(), QByteArray(kBuiltIn));
    }

    // A first run whose outline has no such section creates the cabinet
    // empty.
    void outlineWithoutSection()
    {
        writeOutline("CAB = Office\r\n DRW = Clients\r\n");
        RecordingNavigationSink sink;
        const RecordId cabinetId = CreateSampleCabinet(kGeneric);
        QCOMPARE(contentOf(cabinetId), QString());
        const QString cabinetCall = QStringLiteral("cabinet 0/%1 %2").arg(cabinetId).arg(kGeneric);
        QCOMPARE(sink.calls, (QStringList{cabinetCall, cabinetCall,
                                          QStringLiteral("show drawers 0/%1 ").arg(cabinetId)}));
    }

    // Names from the outline lose the characters a name may not hold; an
    // entry left empty is skipped with everything below it; a repeated
    // drawer or folder name takes its content into the first one.
    void cleanedNames()
    {
        writeOutline("CAB = Mr. Smith's Files\r\n"
                     " DRW = Bills: 2024\r\n  FLD = Gas/Power\r\n  DOC = Jan.pdf\r\n  DOC = ...\r\n"
                     " DRW = ?\r\n  FLD = lost\r\n"
                     " DRW = bills 2024\r\n  FLD = gaspower\r\n  DOC = Feb\r\n  FLD = ***\r\n  DOC = lost too\r\n");
        QCOMPARE(cabinetNameFor("Mr. Smith's Files"), QStringLiteral("Mr Smith's Files"));
        QCOMPARE(cabinetNameFor(" . "), QString());
        const RecordId cabinetId = CreateSampleCabinet("Mr. Smith's Files");
        QCOMPARE(DbConnection::queryValue("SELECT Name FROM Cabinet").toString(), QStringLiteral("Mr Smith's Files"));
        QCOMPARE(contentOf(cabinetId), QStringLiteral("Bills 2024[GasPower(Janpdf,Feb)]"));
    }

    // Drawers and folders merge as the dialogs compare names, letter case
    // folded beyond ASCII as well.
    void mergesFoldedNames_data()
    {
        QTest::addColumn<QByteArray>("outline");
        QTest::addColumn<QString>("content");
        QTest::newRow("ASCII") << QByteArray("CAB=c\nDRW=Home\nFLD=a\nDRW=HOME\nFLD=b\n") << "Home[a,b]";
        QTest::newRow("accented drawers")
            << QByteArray("CAB=c\nDRW=\xc3\xa9t\xc3\xa9\nFLD=a\nDRW=\xc3\x89T\xc3\x89\nFLD=b\n")
            << "\u00e9t\u00e9[a,b]";
        QTest::newRow("accented folders")
            << QByteArray("CAB=c\nDRW=d\nFLD=\xc3\xbc\nDOC=x\nFLD=\xc3\x9c\nDOC=y\n") << "d[\u00fc(x,y)]";
    }
    void mergesFoldedNames()
    {
        QFETCH(QByteArray, outline);
        QFETCH(QString, content);
        writeOutline(outline);
        QCOMPARE(contentOf(CreateSampleCabinet("c")), content);
    }

    // A name longer than a name column holds, the cabinet's own or one in
    // its section, is refused with the entry and the file named; nothing is
    // stored, nothing cut.
    void refusesLongNames_data()
    {
        QTest::addColumn<QString>("cabinet");
        QTest::addColumn<QString>("body");
        const QString longName(81, QChar(0x00e9));
        QTest::newRow("cabinet") << longName << "DRW=d\n";
        QTest::newRow("drawer") << "c" << "DRW=" + longName + "\n";
        QTest::newRow("document") << "c" << "DRW=d\nFLD=f\nDOC=" + longName + "\n";
    }
    void refusesLongNames()
    {
        QFETCH(QString, cabinet);
        QFETCH(QString, body);
        writeOutline(("CAB=" + cabinet + "\n" + body).toUtf8());
        RecordingNavigationSink sink;
        try {
            CreateSampleCabinet(cabinet);
            QFAIL("a name longer than 80 characters was stored");
        } catch (const AppError &e) {
            QCOMPARE(e.code, int(ErrorCode::InvalidValue));
            QVERIFY2(e.text.contains("longer than 80 characters") && e.text.contains(sampleOutlinePath()),
                     qPrintable(e.text));
        }
        QCOMPARE(RecordFixture::rowCount("Cabinet"), 0);
        QVERIFY(sink.calls.isEmpty());
    }

    // A statement failing half-way through the fill leaves the cabinet
    // with its node, and no drawer, folder or node of the fill.
    void fillFailureHalfWay_data()
    {
        QTest::addColumn<int>("failingStatement");
        // 1 cabinet insert, 2 BEGIN, then for each of the 6 drawers and 15
        // folders a look-up and an insert (savepoint, parent check, insert,
        // release), 108 COMMIT.
        for (int n : {2, 3, 4, 10, 107, 108})
            QTest::addRow("statement %d", n) << n;
    }
    void fillFailureHalfWay()
    {
        QFETCH(int, failingStatement);
        writeOutline(kBuiltIn);
        RecordingNavigationSink sink;
        DbConnection::failAfterStatements(failingStatement);
        QVERIFY_THROWS_EXCEPTION(AppError, CreateSampleCabinet(kGeneric));
        DbConnection::failAfterStatements(0);
        QCOMPARE(RecordFixture::rowCount("Cabinet"), 1);
        QCOMPARE(RecordFixture::rowCount("Drawer"), 0);
        QCOMPARE(RecordFixture::rowCount("Folder"), 0);
        QCOMPARE(sink.calls.size(), 1);
        QVERIFY(sink.calls.first().startsWith("cabinet "));
    }

    // A failing cabinet insert adds nothing at all.
    void cabinetInsertFails()
    {
        writeOutline(kBuiltIn);
        RecordingNavigationSink sink;
        DbConnection::failAfterStatements(1);
        QVERIFY_THROWS_EXCEPTION(AppError, CreateSampleCabinet(kGeneric));
        QCOMPARE(RecordFixture::rowCount("Cabinet"), 0);
        QVERIFY(sink.calls.isEmpty());
    }

    // An outline that exists but cannot be read is reported before any row
    // is written.
    void unreadableOutline()
    {
        QVERIFY(QDir().mkpath(sampleOutlinePath()));  // a folder in its place
        RecordingNavigationSink sink;
        QVERIFY_THROWS_EXCEPTION(AppError, CreateSampleCabinet(kGeneric));
        QVERIFY_THROWS_EXCEPTION(AppError, sampleCabinetNames());
        QCOMPARE(RecordFixture::rowCount("Cabinet"), 0);
        QVERIFY(sink.calls.isEmpty());
    }

    // The single-row operations add the row and its node.
    void addSingleRows()
    {
        DbConnection::execute("INSERT INTO Cabinet (Name, [Password]) VALUES ('C', '')");
        const RecordId cabinetId = DbConnection::lastInsertId();
        RecordingNavigationSink sink;
        const RecordId drawerId = AddSampleDrawer(cabinetId, "D");
        const RecordId folderId = AddSampleFolder(drawerId, "F");
        const RecordId documentId = AddSampleDocument(folderId, "X");
        QCOMPARE(contentOf(cabinetId), QStringLiteral("D[F(X)]"));
        QCOMPARE(sink.calls, (QStringList{QStringLiteral("drawer %1/%2 D").arg(cabinetId).arg(drawerId),
                                          QStringLiteral("folder %1/%2 F").arg(drawerId).arg(folderId),
                                          QStringLiteral("document %1/%2 X").arg(folderId).arg(documentId)}));
    }

    // FillCabinetFromOutline fills an existing cabinet from the file.
    void fillExistingCabinet()
    {
        writeOutline("CAB=Office\nDRW=Clients\nFLD=Acme\n");
        DbConnection::execute("INSERT INTO Cabinet (Name, [Password]) VALUES ('Mine', '')");
        const RecordId cabinetId = DbConnection::lastInsertId();
        FillCabinetFromOutline("office", cabinetId);
        QCOMPARE(contentOf(cabinetId), QStringLiteral("Clients[Acme]"));
    }

    // The name test ignores letter case.
    void cabinetNameExists()
    {
        DbConnection::execute("INSERT INTO Cabinet (Name, [Password]) VALUES ('Generic File Cabinet', '')");
        QVERIFY(Records::cabinetNameExists("GENERIC file cabinet"));
        QVERIFY(!Records::cabinetNameExists("Generic File"));
    }

    // The outline is written only when missing; the user's edits stay.
    void ensureKeepsUserOutline()
    {
        writeOutline("CAB=Mine\r\n");
        QVERIFY(ensureSampleOutline());
        QCOMPARE(outlineBytes(), QByteArray("CAB=Mine\r\n"));
        QCOMPARE(sampleCabinetNames(), QStringList{"Mine"});
    }

    // An outline whose name differs only in case is the user's outline:
    // it is read, and no second one is written beside it.
    void outlineNameIgnoresCase()
    {
        TestFiles::write(DataFolder::filePath("sample.txt"), "CAB=Lower\r\n");
        QVERIFY(ensureSampleOutline());
        QCOMPARE(sampleCabinetNames(), QStringList{"Lower"});
        QCOMPARE(QDir(DataFolder::path()).entryList({"*.txt"}, QDir::Files), QStringList{"sample.txt"});
    }

    // A data folder where no file can be written: the failure is shown
    // with its reason, and nothing claims the file exists.
    void writeFailureReported()
    {
        TestFiles::blockDataFolder("sample-blocker");
        FakePrompt prompt;
        QVERIFY(!WriteSampleOutline());
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY2(prompt.messages.first().startsWith("Error creating sample file.  Error # "),
                 qPrintable(prompt.messages.first()));
        QVERIFY(!ensureSampleOutline());
        // The dialog's list still comes from the built-in outline.
        QCOMPARE(sampleCabinetNames(), QStringList{kGeneric});
    }
};

VLM_TEST_GUILESS_MAIN(SampleCabinetsTest)
#include "SampleCabinetsTest.moc"
#include "core/RecordId.h"

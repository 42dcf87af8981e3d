#include "platform/DataFolder.h"
#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "store/DrawerTemplates.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingNavigationSink.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

using namespace DrawerTemplates;

namespace {

// "Drawer[Folder(Document,Document),Folder];Drawer[]"
QString describe(const QList<TemplateDrawer> &drawers)
{
    QStringList parts;
    for (const TemplateDrawer &d : drawers) {
        QStringList folders;
        for (const TemplateFolder &f : d.folders)
            folders << (f.documents.isEmpty()
                            ? f.name
                            : QStringLiteral("%1(%2)").arg(f.name, f.documents.join(QLatin1Char(','))));
        parts << d.name + QLatin1Char('[') + folders.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    return parts.join(QLatin1Char(';'));
}

QString describe(const QList<TemplateFolder> &folders)
{
    return describe(QList<TemplateDrawer>{{QStringLiteral("*"), folders}});
}

void writeTemplateFile(const QByteArray &bytes)
{
    TestFiles::write(templateFilePath(), bytes);
}

QByteArray templateFileBytes()
{
    return TestFiles::read(templateFilePath());
}

int newDrawer()
{
    DbConnection::execute(QStringLiteral("INSERT INTO Cabinet (Name, [Password]) VALUES ('C', '')"));
    const RecordId cabinetId = DbConnection::lastInsertId();
    DbConnection::execute(QStringLiteral("INSERT INTO Drawer (CabinetId, Name) VALUES (?, 'D')"), {cabinetId});
    return DbConnection::lastInsertId();
}

// Writes the template file, applies the named template to a new drawer and
// returns that drawer.
int applyToNewDrawer(const QByteArray &file, const QString &name)
{
    writeTemplateFile(file);
    const RecordId drawerId = newDrawer();
    ApplyDrawerTemplate(name, drawerId);
    return drawerId;
}

// The folders of a drawer in insertion order, each with its documents.
QString contentOf(RecordId drawerId)
{
    QList<TemplateFolder> folders;
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT FolderId, Name FROM Folder WHERE DrawerId = ? ORDER BY FolderId"), {drawerId});
    for (int row = 0; row < rs.recordCount(); ++row) {
        TemplateFolder folder{rs.value(row, 1).toString(), {}};
        const Recordset docs = DbConnection::OpenRecordset(
            QStringLiteral("SELECT Name FROM Document WHERE FolderId = ? ORDER BY DocumentId"),
            {rs.value(row, 0)});
        for (int d = 0; d < docs.recordCount(); ++d)
            folder.documents << docs.value(d, 0).toString();
        folders << folder;
    }
    return describe(folders);
}

} // namespace

class DrawerTemplatesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // The names list takes only lines starting with exactly "DRW=", with
    // the rest of the line untouched.
    void namesReader_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("editor's file") << "\r\nDRW=Home\r\nFLD=Bills\r\n\r\nDRW=Car\r\n"
                                       << QStringList{"Home", "Car"};
        QTest::newRow("LF ends") << "DRW=Home\nDRW=Car\n" << QStringList{"Home", "Car"};
        QTest::newRow("no final line end") << "DRW=Home" << QStringList{"Home"};
        QTest::newRow("spaces round the equals sign") << "DRW = x\r\n" << QStringList{};
        QTest::newRow("indented") << " DRW=x\r\n" << QStringList{};
        QTest::newRow("lower case kind") << "drw=x\r\n" << QStringList{};
        QTest::newRow("spaces kept") << "DRW= x \r\n" << QStringList{" x "};
        QTest::newRow("duplicates kept") << "DRW=a\r\nDRW=a\r\n" << QStringList{"a", "a"};
    }
    void namesReader()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, names);
        QCOMPARE(readTemplateNames(file), names);
    }

    // The editor shows every kind in any letter case and everything after
    // the fourth character; orphan lines have no parent and are skipped.
    void editorReader_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("tree");
        QTest::newRow("editor's file") << "\r\nDRW=A\r\nFLD=F\r\nDOC=d1\r\nDOC=d2\r\nFLD=G\r\n\r\nDRW=B\r\n"
                                       << "A[F(d1,d2),G];B[]";
        QTest::newRow("spaces round the equals sign") << "DRW = x\r\nFLD = f\r\n" << "= x[= f]";
        QTest::newRow("lower case kinds") << "drw=a\nFld=b\ndoc=c\n" << "a[b(c)]";
        QTest::newRow("folder before any template") << "FLD=f\nDOC=d\nDRW=a\n" << "a[]";
        QTest::newRow("document right after a template") << "DRW=a\nDOC=d\nFLD=f\n" << "a[f]";
        QTest::newRow("folder does not outlive its template") << "DRW=a\nFLD=f\nDRW=b\nDOC=d\n" << "a[f];b[]";
        QTest::newRow("other lines") << "; remark\nDRW=a\nXYZ=b\n\n" << "a[]";
    }
    void editorReader()
    {
        QFETCH(QString, file);
        QFETCH(QString, tree);
        QCOMPARE(describe(readTemplateTree(file)), tree);
    }

    // The applier trims lines and values, wants upper-case kinds, matches
    // the name without regard to case and uses the first template only.
    void applyReader_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folders");
        QTest::newRow("spaces round the equals sign") << "DRW = x\r\n FLD = f \r\n  DOC =  d\r\n" << "x"
                                                      << "*[f(d)]";
        QTest::newRow("letter case of the name") << "DRW=Home\nFLD=f\n" << "HOME" << "*[f]";
        QTest::newRow("lower case kinds ignored") << "drw=a\nDRW=a\nfld=x\nFLD=f\ndoc=y\n" << "a" << "*[f]";
        QTest::newRow("first of two of a name") << "DRW=a\nFLD=first\nDRW=a\nFLD=second\n" << "a"
                                                << "*[first]";
        QTest::newRow("document right after the template") << "DRW=a\nDOC=d\nFLD=f\n" << "a" << "*[f]";
        QTest::newRow("next template ends it") << "DRW=a\nFLD=f\nDRW=b\nFLD=g\n" << "a" << "*[f]";
        QTest::newRow("line without equals sign") << "DRW=a\nFLD\n" << "a" << "*[]";
        QTest::newRow("no such template") << "DRW=a\nFLD=f\n" << "b" << "*[]";
        QTest::newRow("tab is not trimmed") << "DRW=a\n\tFLD=f\n" << "a" << "*[]";
    }
    void applyReader()
    {
        QFETCH(QString, file);
        QFETCH(QString, name);
        QFETCH(QString, folders);
        QCOMPARE(describe(readTemplateFolders(file, name)), folders);
    }

    // The editor's file: an empty line before each template, CR LF ends,
    // nothing added round the equals sign.
    void writerFormat()
    {
        const QList<TemplateDrawer> drawers{{"Home", {{"Bills", {"Gas", "Water"}}, {"Car", {}}}},
                                            {"Empty", {}}};
        QCOMPARE(writeTemplateTree(drawers),
                 QStringLiteral("\r\nDRW=Home\r\nFLD=Bills\r\nDOC=Gas\r\nDOC=Water\r\nFLD=Car\r\n"
                                "\r\nDRW=Empty\r\n"));
    }

    // Texts holding "=" and spaces come back the same from every reader
    // (the applier trims them).
    void roundTripThroughEveryReader()
    {
        const QList<TemplateDrawer> drawers{{"a=b", {{"x = y", {"1=2=3"}}}}, {" padded ", {}}};
        const QString file = writeTemplateTree(drawers);
        QCOMPARE(readTemplateTree(file).size(), 2);
        QCOMPARE(describe(readTemplateTree(file)), describe(drawers));
        QCOMPARE(readTemplateNames(file), (QStringList{"a=b", " padded "}));
        QCOMPARE(describe(readTemplateFolders(file, "a=b")), QStringLiteral("*[x = y(1=2=3)]"));
    }

    // Rows go in in file order, each with its node after the commit;
    // documents carry no date.
    void applyInsertsRowsAndNodes()
    {
        RecordingNavigationSink sink;
        const RecordId drawerId = applyToNewDrawer("\r\nDRW=Home\r\nFLD=Bills\r\nDOC=Gas\r\nDOC=Water\r\nFLD=Car\r\n"
                                              "\r\nDRW=Work\r\nFLD=Other\r\n",
                                              "Home");
        QCOMPARE(contentOf(drawerId), QStringLiteral("*[Bills(Gas,Water),Car]"));
        const int bills = DbConnection::queryValue("SELECT FolderId FROM Folder WHERE Name = 'Bills'").toInt();
        const int car = DbConnection::queryValue("SELECT FolderId FROM Folder WHERE Name = 'Car'").toInt();
        const int gas = DbConnection::queryValue("SELECT DocumentId FROM Document WHERE Name = 'Gas'").toInt();
        QCOMPARE(sink.calls, (QStringList{
                                 QStringLiteral("folder %1/%2 Bills").arg(drawerId).arg(bills),
                                 QStringLiteral("document %1/%2 Gas").arg(bills).arg(gas),
                                 QStringLiteral("document %1/%2 Water").arg(bills).arg(gas + 1),
                                 QStringLiteral("folder %1/%2 Car").arg(drawerId).arg(car),
                             }));
        QVERIFY(DbConnection::queryValue("SELECT Description FROM Folder WHERE FolderId = ?", {bills}).isNull());
    }

    // A name listed with surrounding spaces still applies.
    void applyNameWithSpaces()
    {
        writeTemplateFile("\r\nDRW=  Spaced  \r\nFLD=Inside\r\n");
        LoadDrawerTemplateNames();
        QCOMPARE(DrawerTemplateNames(), QStringList{"  Spaced  "});
        const RecordId drawerId = newDrawer();
        ApplyDrawerTemplate(DrawerTemplateNames().first(), drawerId);
        QCOMPARE(contentOf(drawerId), QStringLiteral("*[Inside]"));
    }

    // Names from the file lose the characters a name may not hold; an
    // entry left empty is skipped, a folder with its documents; a folder
    // name the drawer already has takes the documents into that folder.
    void applyCleansNames()
    {
        RecordingNavigationSink sink;
        const RecordId drawerId = applyToNewDrawer("DRW=t\nFLD=Tax.es: 2024\nDOC=Form 1040.pdf\nDOC=?*\nFLD=...\nDOC=lost\n"
                                              "FLD=taxes 2024\nDOC=merged\nFLD=O'Brien\n",
                                              "t");
        QCOMPARE(contentOf(drawerId), QStringLiteral("*[Taxes 2024(Form 1040pdf,merged),O'Brien]"));
        QCOMPARE(sink.calls.size(), 4);
        QCOMPARE(RecordFixture::rowCount("Document"), 2);
    }

    // Folder names merge as the dialogs compare them, letter case folded
    // beyond ASCII too: a template's "ÉTÉ" goes into the drawer's "été".
    void applyMergesFoldedNames_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("content");
        QTest::newRow("ASCII") << "Taxes" << QByteArray("DRW=t\nFLD=TAXES\nDOC=a\n") << "*[Taxes(a)]";
        QTest::newRow("accented") << "\u00e9t\u00e9" << QByteArray("DRW=t\nFLD=\xc3\x89T\xc3\x89\nDOC=a\n")
                                  << "*[\u00e9t\u00e9(a)]";
        QTest::newRow("Greek, twice in the file")
            << "" << QByteArray("DRW=t\nFLD=\xce\xb1\xcf\x81\xcf\x87\xce\xb5\xce\xaf\xce\xb1\nDOC=a\n"
                                "FLD=\xce\x91\xce\xa1\xce\xa7\xce\x95\xce\x8a\xce\x91\nDOC=b\n")
            << "*[\u03b1\u03c1\u03c7\u03b5\u03af\u03b1(a,b)]";
    }
    void applyMergesFoldedNames()
    {
        QFETCH(QString, existing);
        QFETCH(QByteArray, file);
        QFETCH(QString, content);
        writeTemplateFile(file);
        const RecordId drawerId = newDrawer();
        if (!existing.isEmpty())
            AddTemplateFolder(drawerId, existing);
        ApplyDrawerTemplate("t", drawerId);
        QCOMPARE(contentOf(drawerId), content);
    }

    // A name longer than a name column holds refuses the whole template,
    // naming the entry and the file: nothing is stored, nothing cut.
    void applyRefusesLongNames_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("folder") << "FLD=" + QString(81, QChar(0x00c4));
        QTest::newRow("document") << "FLD=f\nDOC=" + QString(81, 'x');
    }
    void applyRefusesLongNames()
    {
        QFETCH(QString, line);
        writeTemplateFile(("DRW=t\nFLD=first\n" + line + "\n").toUtf8());
        const RecordId drawerId = newDrawer();
        RecordingNavigationSink sink;
        try {
            ApplyDrawerTemplate("t", drawerId);
            QFAIL("a name longer than 80 characters was applied");
        } catch (const AppError &e) {
            QCOMPARE(e.code, int(ErrorCode::InvalidValue));
            QVERIFY2(e.text.contains("longer than 80 characters") && e.text.contains(templateFilePath()),
                     qPrintable(e.text));
        }
        QCOMPARE(RecordFixture::rowCount("Folder"), 0);
        QVERIFY(sink.calls.isEmpty());
        writeTemplateFile(("DRW=t\nFLD=" + QString(80, QChar(0x00c4)) + "\n").toUtf8());
        ApplyDrawerTemplate("t", drawerId);
        QCOMPARE(RecordFixture::rowCount("Folder"), 1);
    }

    // Without a template file there is nothing to apply; drawer -1 gets
    // nothing either.
    void applyWithoutFile()
    {
        const RecordId drawerId = newDrawer();
        RecordingNavigationSink sink;
        ApplyDrawerTemplate("Home", drawerId);
        writeTemplateFile("DRW=Home\nFLD=f\n");
        ApplyDrawerTemplate("Home", -1);
        QCOMPARE(RecordFixture::rowCount("Folder"), 0);
        QVERIFY(sink.calls.isEmpty());
    }

    // A statement failing half-way leaves no row of the template and no
    // node in the tree.
    void applyFailureHalfWay_data()
    {
        QTest::addColumn<int>("failingStatement");
        // 1 BEGIN, 2 look-up Bills, 3-6 insert Bills (savepoint, drawer
        // check, insert, release), 7-10 Gas, 11-14 Water, 15 look-up Car,
        // 16-19 insert Car, 20 COMMIT.
        for (int n : {1, 2, 5, 9, 17, 20})
            QTest::addRow("statement %d", n) << n;
    }
    void applyFailureHalfWay()
    {
        QFETCH(int, failingStatement);
        writeTemplateFile("DRW=Home\nFLD=Bills\nDOC=Gas\nDOC=Water\nFLD=Car\n");
        const RecordId drawerId = newDrawer();
        RecordingNavigationSink sink;
        DbConnection::failAfterStatements(failingStatement);
        QVERIFY_THROWS_EXCEPTION(AppError, ApplyDrawerTemplate("Home", drawerId));
        DbConnection::failAfterStatements(0);
        QCOMPARE(RecordFixture::rowCount("Folder"), 0);
        QCOMPARE(RecordFixture::rowCount("Document"), 0);
        QVERIFY(sink.calls.isEmpty());
        // The connection is usable again.
        ApplyDrawerTemplate("Home", drawerId);
        QCOMPARE(contentOf(drawerId), QStringLiteral("*[Bills(Gas,Water),Car]"));
    }

    // The public single-row operations add the row and its node.
    void addSingleRows()
    {
        const RecordId drawerId = newDrawer();
        RecordingNavigationSink sink;
        const RecordId folderId = AddTemplateFolder(drawerId, "F");
        const RecordId documentId = AddTemplateDocument(folderId, "D");
        QCOMPARE(contentOf(drawerId), QStringLiteral("*[F(D)]"));
        QCOMPARE(sink.calls, (QStringList{QStringLiteral("folder %1/%2 F").arg(drawerId).arg(folderId),
                                          QStringLiteral("document %1/%2 D").arg(folderId).arg(documentId)}));
    }

    // The names list follows the file and is empty without one.
    void loadNames()
    {
        writeTemplateFile("\r\nDRW=Zeta\r\n\r\nDRW=Alpha\r\n");
        LoadDrawerTemplateNames();
        QCOMPARE(DrawerTemplateNames(), (QStringList{"Zeta", "Alpha"}));
        QCOMPARE(DrawerTemplateCount(), 2);
        QFile::remove(templateFilePath());
        LoadDrawerTemplateNames();
        QCOMPARE(DrawerTemplateCount(), 0);
    }

    // Saving replaces the file; text read back equals the text saved.
    void saveAndReadBack()
    {
        writeTemplateFile("old");
        const QList<TemplateDrawer> drawers{{"Zeta", {{"b", {}}}}, {"Alpha", {}}};
        QString error;
        QVERIFY(saveTemplateFile(drawers, &error));
        QCOMPARE(templateFileBytes(), writeTemplateTree(drawers).toUtf8());
        QString text;
        QVERIFY(readTemplateFile(&text));
        QCOMPARE(describe(readTemplateTree(text)), QStringLiteral("Zeta[b];Alpha[]"));
    }

    // A failed save reports the reason and keeps the old file whole.
    void failedSaveKeepsOldFile()
    {
        writeTemplateFile("\r\nDRW=Old\r\n");
        QString error;
        {
            FileSizeLimit limit(8);
            QVERIFY(!saveTemplateFile({{"A much longer template name", {{"and a folder", {}}}}}, &error));
        }
        QVERIFY2(error.startsWith("Error # "), qPrintable(error));
        QCOMPARE(templateFileBytes(), QByteArray("\r\nDRW=Old\r\n"));
        // No temporary file is left behind.
        QCOMPARE(QDir(DataFolder::path()).entryList({"Drawer.txt*"}, QDir::Files), QStringList{"Drawer.txt"});
    }

    // A data folder that cannot exist (its parent is a file) is reported.
    void saveIntoImpossibleFolder()
    {
        TestFiles::blockDataFolder("blocker");
        QString error;
        QVERIFY(!saveTemplateFile({{"A", {}}}, &error));
        QVERIFY2(error.startsWith("Error # ") && error.size() > 10, qPrintable(error));
        QVERIFY(!DrawerTemplates::ensureTemplateFile());
    }

    // The shipped templates are written when the data folder has none, and
    // a user's file is never replaced.
    void ensureTemplateFile()
    {
        QVERIFY(!QFile::exists(templateFilePath()));
        QVERIFY(DrawerTemplates::ensureTemplateFile());
        const QByteArray shipped = templateFileBytes();
        QVERIFY(shipped.startsWith("\r\nDRW="));
        QCOMPARE(shipped.count("\n"), shipped.count("\r\n"));  // CR LF throughout
        LoadDrawerTemplateNames();
        QVERIFY(DrawerTemplateCount() >= 2);
        // The shipped file reads the same in all three readers.
        const QList<TemplateDrawer> tree = readTemplateTree(QString::fromUtf8(shipped));
        QCOMPARE(tree.size(), DrawerTemplateCount());
        for (const TemplateDrawer &d : tree)
            QCOMPARE(describe(readTemplateFolders(QString::fromUtf8(shipped), d.name)), describe(d.folders));

        writeTemplateFile("DRW=Mine\r\n");
        QVERIFY(DrawerTemplates::ensureTemplateFile());
        QCOMPARE(templateFileBytes(), QByteArray("DRW=Mine\r\n"));
    }

    // Files from other editors still read: one saved in a Western code
    // page, one that starts with a byte-order mark.
    void foreignEncodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::newRow("utf-8") << QByteArray("DRW=Caf\xc3\xa9\r\n") << QStringLiteral("Caf\u00e9");
        QTest::newRow("latin-1") << QByteArray("DRW=Caf\xe9\r\n") << QStringLiteral("Caf\u00e9");
        QTest::newRow("latin-1 without final line end") << QByteArray("DRW=Caf\xe9") << QStringLiteral("Caf\u00e9");
        QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf" "DRW=a\r\n") << QStringLiteral("a");
    }
    void foreignEncodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        writeTemplateFile(bytes);
        LoadDrawerTemplateNames();
        QCOMPARE(DrawerTemplateNames(), QStringList{name});
    }
};

VLM_TEST_GUILESS_MAIN(DrawerTemplatesTest)
#include "DrawerTemplatesTest.moc"

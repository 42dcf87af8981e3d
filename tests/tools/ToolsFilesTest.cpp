#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tools/Compaction.h"
#include "tools/LinkRepair.h"
#include "tools/ToolResult.h"
#include "tools/ToolsFiles.h"

#include <QDir>
#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(ToolResult::Kind)

// How vlmtools' tools open the database: through the same recognition as
// vlm's start-up.
class ToolsFilesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }

    void badDatabaseExplained_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<ToolResult::Kind>("shown");
        QTest::addColumn<QString>("says");
        const auto warning = ToolResult::Kind::Warning;
        const auto error = ToolResult::Kind::Error;
        QTest::newRow("link repair, foreign") << "repair" << "foreign" << warning << "is not a Vellumark database";
        QTest::newRow("compaction, foreign") << "compact" << "foreign" << warning << "is not a Vellumark database";
        QTest::newRow("link repair, not a database") << "repair" << "junk" << error << "cannot be used";
        QTest::newRow("compaction, not a database") << "compact" << "junk" << error << "cannot be used";
        QTest::newRow("open, foreign") << "open" << "foreign" << warning << "is not a Vellumark database";
        QTest::newRow("link repair, read-only") << "repair" << "readonly" << warning << "is read-only";
        QTest::newRow("compaction, read-only") << "compact" << "readonly" << warning << "is read-only";
        QTest::newRow("link repair, journal without its database")
            << "repair" << "journal" << warning << "holds an unfinished change";
        QTest::newRow("compaction, journal without its database")
            << "compact" << "journal" << warning << "holds an unfinished change";
    }
    // Another program's SQLite file, no database at all, a read-only
    // database or a journal left without its database, in place of
    // "vlm.mdb": each tool gives start-up's explanation (not the error of a
    // missing table, nor a compaction of it) in the tools' own words, and
    // leaves the file as it was.
    void badDatabaseExplained()
    {
        QFETCH(QString, tool);
        QFETCH(QString, kind);
        QFETCH(ToolResult::Kind, shown);
        QFETCH(QString, says);
        if (kind == "readonly") {
            TestEnvironment::openFreshDatabase();
            DbConnection::close();
        }
        const QString file = ToolsFiles::GetDbPath();
        const QString kept = kind == "journal" ? file + "-journal" : file;
        if (kind == "foreign") {
            TestFiles::writeForeignDatabase(file, {"CREATE TABLE Cabinet (Id INTEGER PRIMARY KEY, Label TEXT)",
                                                   "INSERT INTO Cabinet VALUES (1, 'x')"});
        } else if (kind == "readonly") {
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        } else if (kind == "journal") {
            TestFiles::write(kept, QByteArray(4096, 'j'));
        } else {
            TestFiles::write(file, "Notes about the tax return.\n");
        }
        const QByteArray before = TestFiles::read(kept);

        ToolResult r;
        if (tool == "repair") {
            r = LinkRepair::FixBrokenLinks();
        } else if (tool == "compact") {
            r = Compaction::CompactDb();
        } else {
            QString message;
            bool refusal = false;
            QVERIFY(!ToolsFiles::OpenToolsDatabase(&message, &refusal));
            QVERIFY(refusal);
            r.add(ToolResult::Kind::Warning, message);
        }
        QCOMPARE(r.entries.size(), 1);
        QCOMPARE(r.entries.first().kind, shown);
        QVERIFY2(r.entries.first().text.contains(says), qPrintable(r.entries.first().text));
        QVERIFY2(r.entries.first().text.contains(file), qPrintable(r.entries.first().text));
        // vlmtools speaks of itself, not of starting Vellumark.
        QVERIFY2(r.entries.first().text.contains("Vellumark Tools"), qPrintable(r.entries.first().text));
        QVERIFY(!r.entries.first().text.contains("start Vellumark again"));
        QCOMPARE(TestFiles::read(kept), before);
        QCOMPARE(QFile::exists(file), kind != "journal");
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(!QFile::exists(ToolsFiles::GetTempDbPath()));
        QVERIFY(!QFile::exists(ToolsFiles::GetBackupDbPath()));
    }
};

VLM_TEST_GUILESS_MAIN(ToolsFilesTest)
#include "ToolsFilesTest.moc"

#include "platform/DataFolder.h"
#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "store/PagePaths.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

using namespace PagePaths;

class PagePathsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultStore_data()
    {
        QTest::addColumn<RecordId>("id");
        QTest::addColumn<QString>("relative");
        QTest::newRow("1") << RecordId(1) << "0000000/1.jpg";
        QTest::newRow("7") << RecordId(7) << "0000000/7.jpg";
        QTest::newRow("999") << RecordId(999) << "0000000/999.jpg";
        QTest::newRow("1000") << RecordId(1000) << "0000001/1000.jpg";
        QTest::newRow("1234") << RecordId(1234) << "0000001/1234.jpg";
        QTest::newRow("1234567") << RecordId(1234567) << "0001234/1234567.jpg";
        QTest::newRow("9999999") << RecordId(9999999) << "0009999/9999999.jpg";
        QTest::newRow("10000000") << RecordId(10000000) << "0010000/10000000.jpg";
        // Past 32 bits the full id still names the file.
        QTest::newRow("4294967297") << RecordId(4294967297LL) << "4294967/4294967297.jpg";
    }
    // Pages of the default store lie in buckets of 1000 under the data
    // folder, thumbnails in the same scheme under Thumbs.
    void defaultStore()
    {
        QFETCH(RecordId, id);
        QFETCH(QString, relative);
        const QString data = DataFolder::path();
        QCOMPARE(GetPageFilePath(id, QString()), data + "/Pages/" + relative);
        QCOMPARE(GetThumbFilePath(id, QString()), data + "/Thumbs/" + relative);
        QCOMPARE(GetPageFolder(id, QString()), data + "/Pages/" + relative.left(7));
        QCOMPARE(GetThumbFolder(id, QString()), data + "/Thumbs/" + relative.left(7));
    }

    void storedFilename_data()
    {
        QTest::addColumn<QString>("filename");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("thumbFolder");
        QTest::addColumn<QString>("thumb");
        QTest::newRow("storage path") << "/srv/Archive/Invoice 12.jpg" << "/srv/Archive"
                                      << "/srv/Archive/Thumbs" << "/srv/Archive/Thumbs/Invoice 12.jpg";
        QTest::newRow("shortcut keeps its extension") << "/home/ann/Docs/report.pdf" << "/home/ann/Docs"
                                                     << "/home/ann/Docs/Thumbs" << "/home/ann/Docs/Thumbs/report.pdf";
        QTest::newRow("dotted folders") << "/home/john.doe/Scans 1.2/p.jpg" << "/home/john.doe/Scans 1.2"
                                        << "/home/john.doe/Scans 1.2/Thumbs"
                                        << "/home/john.doe/Scans 1.2/Thumbs/p.jpg";
        // No folder part: no thumbnail rather than a path naming a folder.
        QTest::newRow("bare name") << "page.jpg" << "" << "Thumbs" << "";
    }
    void storedFilename()
    {
        QFETCH(QString, filename);
        QFETCH(QString, folder);
        QFETCH(QString, thumbFolder);
        QFETCH(QString, thumb);
        QCOMPARE(GetPageFilePath(5, filename), filename);
        QCOMPARE(GetPageFolder(5, filename), folder);
        QCOMPARE(GetThumbFolder(5, filename), thumbFolder);
        QCOMPARE(GetThumbFilePath(5, filename), thumb);
    }

    void pathParts()
    {
        QCOMPARE(GetFolderPart("/a/b/c.jpg"), QStringLiteral("/a/b/"));
        QCOMPARE(GetFileNamePart("/a/b/c.jpg"), QStringLiteral("c.jpg"));
        QCOMPARE(GetFolderPart("c.jpg"), QString());
        QCOMPARE(GetFileNamePart("c.jpg"), QString());
    }

    // The look-ups read the row: a missing row means the default store, a
    // shortcut is "Y" exactly.
    void databaseLookups()
    {
        TestEnvironment::openFreshDatabase();
        DbConnection::execute("INSERT INTO Page (DocumentId, Filename, ShortcutYN) VALUES (1, '/x/a.pdf', 'Y')");
        const int shortcut = DbConnection::lastInsertId();
        DbConnection::execute("INSERT INTO Page (DocumentId, Filename, ShortcutYN) VALUES (1, '/x/b.jpg', 'y')");
        const int lower = DbConnection::lastInsertId();
        DbConnection::execute("INSERT INTO Page (DocumentId) VALUES (1)");
        const int plain = DbConnection::lastInsertId();
        QVERIFY(IsPageShortcut(shortcut));
        QVERIFY(!IsPageShortcut(lower));
        QVERIFY(!IsPageShortcut(plain));
        QVERIFY(!IsPageShortcut(424242));
        QCOMPARE(GetPageFilePath(shortcut), QStringLiteral("/x/a.pdf"));
        QCOMPARE(GetThumbFilePath(lower), QStringLiteral("/x/Thumbs/b.jpg"));
        QCOMPARE(GetPageFilePath(plain), GetDefaultPageFilePath(plain));
        QCOMPARE(GetPageFilePath(424242), GetDefaultPageFilePath(424242));
        QCOMPARE(GetPageFilename(424242), QString());
    }

    // Every level is made, dotted folder names included.
    void makePath()
    {
        const QString base = TestEnvironment::root() + "/mk/john.doe/v1.2";
        QVERIFY(MakePath(base + "/Thumbs"));
        QVERIFY(QFileInfo(base + "/Thumbs").isDir());
        QVERIFY(MakePath(base + "/Thumbs"));  // already there
        QVERIFY(!MakePath(QString()));
    }

    void makePathFailsUnderAFile()
    {
        const QString file = TestEnvironment::root() + "/plainfile";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(!MakePath(file + "/sub"));
    }
};

VLM_TEST_GUILESS_MAIN(PagePathsTest)
#include "PagePathsTest.moc"

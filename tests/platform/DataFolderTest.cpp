#include "platform/DataFolder.h"
#include "platform/DataFolderLock.h"

#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QtTest>

#include <functional>

// The data folder's own names and its lock.
class DataFolderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }

    void fileNames_data()
    {
        QTest::addColumn<std::function<QString()>>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("database") << std::function<QString()>(DataFolder::databaseFile) << "vlm.mdb";
        QTest::newRow("lock") << std::function<QString()>(DataFolder::lockFile) << "vlm.lock";
        QTest::newRow("backup") << std::function<QString()>(DataFolder::backupFile) << "vlm.bak";
        QTest::newRow("compaction copy") << std::function<QString()>(DataFolder::tempDatabaseFile) << "tempvlm.mdb";
        QTest::newRow("page store") << std::function<QString()>(DataFolder::pagesFolder) << "Pages";
        QTest::newRow("thumbnails") << std::function<QString()>(DataFolder::thumbsFolder) << "Thumbs";
    }
    // Each of the data folder's files has the name both programs and the
    // user's backups know it by.
    void fileNames()
    {
        QFETCH(std::function<QString()>, path);
        QFETCH(QString, name);
        QCOMPARE(path(), QDir(DataFolder::path()).filePath(name));
        QVERIFY(DataFolder::ownFileNames().contains(name) || name == "Pages" || name == "Thumbs");
    }

    // None of the files SQLite keeps beside the database, nor the marker
    // of an unfinished Start Over, is ever taken for a page's file.
    void ownFilesIncludeTheJournals()
    {
        const QStringList own = DataFolder::ownFileNames();
        for (const char *name : {"vlm.mdb-journal", "vlm.mdb-wal", "vlm.mdb-shm", "empty.mdb", "Drawer.txt",
                                 "Sample.txt", "vlmhelp.txt", "vlm.startover"})
            QVERIFY2(own.contains(QLatin1String(name)), name);
    }

    void lock_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<bool>("heldElsewhere");
        QTest::newRow("free") << "none" << true << false;
        QTest::newRow("held by a running program") << "held" << false << true;
        QTest::newRow("vlm.lock is a folder") << "folder" << false << true;
        QTest::newRow("no data folder to lock in") << "blocked" << false << false;
    }
    // Every program takes the lock through one function, and reads the same
    // answer from it: held by another program, or free to work.
    void lock()
    {
        QFETCH(QString, setup);
        QFETCH(bool, taken);
        QFETCH(bool, heldElsewhere);
        QLockFile other(DataFolder::lockFile());
        if (setup == "held")
            QVERIFY(other.tryLock(0));
        else if (setup == "folder")
            QVERIFY(QDir().mkpath(DataFolder::lockFile()));
        else if (setup == "blocked")
            TestFiles::blockDataFolder("blocked");
        const DataFolderLock::Attempt attempt = DataFolderLock::take();
        QCOMPARE(bool(attempt.lock), taken);
        QCOMPARE(attempt.heldElsewhere(), heldElsewhere);
        // A held lock names the program holding it: this test's own
        // executable here, "vlm" or "vlmtools" for the two programs.
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QCOMPARE(attempt.holder, setup == "held" ? self : QString());
    }

    // A store folder is listed through its own link, with the links inside
    // it as entries of their own; a store that cannot be looked into says
    // why instead of looking empty, and one that is not there is empty.
    void storeListing_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("missing");
        QTest::addColumn<QString>("entries");
        QTest::newRow("folder") << "folder" << 0 << false << "0000000/ a.jpg link@";
        QTest::newRow("linked folder") << "linked" << 0 << false << "0000000/ a.jpg link@";
        QTest::newRow("missing") << "missing" << 0 << true << "";
        QTest::newRow("broken link") << "broken" << ENOENT << false << "";
        QTest::newRow("a file") << "file" << ENOTDIR << false << "";
    }
    void storeListing()
    {
        QFETCH(QString, setup);
        QFETCH(int, error);
        QFETCH(bool, missing);
        QFETCH(QString, entries);
        const QString store = DataFolder::filePath("Pages");
        const QString disk = QDir(TestEnvironment::root()).filePath("disk");
        QDir(disk).removeRecursively();
        const QString real = setup == "linked" ? disk : store;
        if (setup == "folder" || setup == "linked") {
            QVERIFY(QDir().mkpath(real + "/0000000"));
            TestFiles::write(real + "/a.jpg", "page");
            QVERIFY(QFile::link(real + "/0000000", real + "/link"));
        }
        if (setup == "linked" || setup == "broken")
            QVERIFY(QFile::link(disk, store));
        if (setup == "file")
            TestFiles::write(store, "no folder");

        const DataFolder::FolderListing listing = DataFolder::listStoreFolder("Pages");
        QCOMPARE(listing.error, error);
        QCOMPARE(listing.missing, missing);
        QStringList seen;
        for (const DataFolder::FolderEntry &entry : listing.entries)
            seen << entry.name + (entry.kind == DataFolder::FolderEntry::Kind::Folder ? "/"
                                  : entry.kind == DataFolder::FolderEntry::Kind::Link ? "@" : "");
        QCOMPARE(seen.join(' '), entries);
        if (error != 0)
            QVERIFY2(listing.errorText().startsWith(store + ": "), qPrintable(listing.errorText()));
        // A bucket is never followed as a link.
        if (setup == "linked")
            QVERIFY(DataFolder::listFolder(store + "/link").failed());
    }
};

VLM_TEST_GUILESS_MAIN(DataFolderTest)
#include "DataFolderTest.moc"

#include "platform/DataFolder.h"
#include "platform/DataFolderLock.h"

#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
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

    // None of the files SQLite keeps beside the database is ever taken for
    // a page's file.
    void ownFilesIncludeTheJournals()
    {
        const QStringList own = DataFolder::ownFileNames();
        for (const char *name : {"vlm.mdb-journal", "vlm.mdb-wal", "vlm.mdb-shm", "empty.mdb", "Drawer.txt",
                                 "Sample.txt", "vlmhelp.txt"})
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
    }
};

VLM_TEST_GUILESS_MAIN(DataFolderTest)
#include "DataFolderTest.moc"

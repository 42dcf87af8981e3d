#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "tests/support/CancellingProgressView.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/RecordingProgressView.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tools/PageFileSweep.h"
#include "tools/ToolsFiles.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTest>

namespace {

QString data(const QString &name)
{
    return DataFolder::filePath(name);
}

// A data folder with a database, its journal, a backup and files in the
// page store of every kind the sweeps must tell apart.
void layOut()
{
    TestEnvironment::openFreshDatabase();
    DbConnection::close();
    QDir(DataFolder::path()).mkpath("Pages/0000000");
    QDir(DataFolder::path()).mkpath("Pages/0000001");
    QDir(DataFolder::path()).mkpath("Thumbs/0000000");
    TestFiles::write(data("vlm.mdb-journal"), "stale journal");
    TestFiles::write(data("vlm.bak"), "backup");
    TestFiles::write(data("Pages/0000000/1.jpg"), "page");
    TestFiles::write(data("Pages/0000001/1000.jpg"), "page");
    TestFiles::write(data("Pages/0000001/1001.pdf"), "shortcut copy");
    // What an import killed before its end leaves: its staging folder.
    QDir(DataFolder::path()).mkpath("Pages/.import-AbC123");
    TestFiles::write(data("Pages/.import-AbC123/3-a.jpg"), "staged");
    TestFiles::write(data("Pages/readme.jpg"), "loose");
    TestFiles::write(data("Thumbs/0000000/1.JPG"), "thumb");
    // A link to the user's own folder is never followed.
    QDir().mkpath(data("own"));
    TestFiles::write(data("own/2.jpg"), "mine");
    QFile::link(data("own"), data("Thumbs/0000002"));
}

} // namespace

class PageFileSweepTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startOverSentence_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("exact") << "I WANT TO START OVER" << true;
        QTest::newRow("lower case with blanks") << "  i want to start over \t" << true;
        QTest::newRow("cut short") << "I WANT TO START" << false;
        QTest::newRow("inner blank doubled") << "I WANT  TO START OVER" << false;
        QTest::newRow("empty") << "" << false;
    }
    void startOverSentence()
    {
        QFETCH(QString, reply);
        QFETCH(bool, confirmed);
        QCOMPARE(PageFileSweep::IsStartOverConfirmed(reply), confirmed);
    }

    // Start over removes the database with its journal and everything the
    // program put in the page store: page images, the copies a tree import
    // made of other files, an import's staging folder, thumbnails. Files
    // lying directly in the store and what a link points at stay.
    void startOver()
    {
        layOut();
        RecordingProgressView progress;
        const ToolResult r = PageFileSweep::StartOver();
        QCOMPARE(r.texts(), QStringList{"'Start over' complete."});
        QVERIFY(r.succeeded());
        for (const char *gone : {"vlm.mdb", "vlm.mdb-journal", "Pages/0000000", "Pages/0000001", "Pages/.import-AbC123",
                                 "Thumbs/0000000"})
            QVERIFY2(!QFile::exists(data(gone)), gone);
        for (const char *kept : {"vlm.bak", "Pages/readme.jpg", "own/2.jpg"})
            QVERIFY2(QFile::exists(data(kept)), kept);
        QVERIFY(progress.closedOrNeverOpened());

        // Without a database the folders are still swept.
        QDir(DataFolder::path()).mkpath("Pages/0000001");
        TestFiles::write(data("Pages/0000001/5.jpg"), "page");
        QCOMPARE(PageFileSweep::StartOver().texts(), QStringList{"'Start over' complete."});
        QVERIFY(!QFile::exists(data("Pages/0000001/5.jpg")));
    }

    // A page file that cannot be deleted is a failure, not a completion,
    // and the database stays: it goes only after the page store, so that a
    // new database never hands out the ids of files still there.
    void startOverFailureKeepsDatabase()
    {
        layOut();
        ReadOnlyFolder locked(data("Pages/0000001"));
        if (!locked.holds())
            QSKIP("no folder can be made read-only for root here");
        const ToolResult r = PageFileSweep::StartOver();
        QVERIFY(!r.succeeded());
        QVERIFY(!r.texts().contains("'Start over' complete."));
        QCOMPARE(r.entries.size(), 1);
        QCOMPARE(r.entries.first().kind, ToolResult::Kind::Error);
        QVERIFY2(r.texts().first().startsWith("DeletePageFiles Error #"), qPrintable(r.texts().first()));
        QVERIFY(r.texts().first().contains("Pages/0000001/"));
        QVERIFY(QFile::exists(data("vlm.mdb")));
        QVERIFY(QFile::exists(data("Pages/0000001/1000.jpg")));
        // The other folders were still swept.
        QVERIFY(!QFile::exists(data("Pages/0000000")));
        QVERIFY(!QFile::exists(data("Thumbs/0000000")));
    }

    // While vlm runs nothing is deleted.
    void startOverRefusedWhileVlmRuns()
    {
        layOut();
        QLockFile vlm(data("vlm.lock"));
        QVERIFY(vlm.tryLock(0));
        const ToolResult r = PageFileSweep::StartOver();
        QCOMPARE(r.texts(), QStringList{ToolsFiles::VlmRunningText});
        QCOMPARE(r.entries.first().kind, ToolResult::Kind::Warning);
        QVERIFY(QFile::exists(data("vlm.mdb")));
        QVERIFY(QFile::exists(data("Pages/0000000/1.jpg")));
    }

    // Delete thumbnails leaves page images and the database alone.
    void deleteThumbnails()
    {
        layOut();
        const QByteArray db = TestFiles::read(data("vlm.mdb"));
        RecordingProgressView progress;
        QCOMPARE(PageFileSweep::DeleteThumbnails().texts(), QStringList{"Delete thumbnails complete."});
        QVERIFY(!QFile::exists(data("Thumbs/0000000/1.JPG")));
        QVERIFY(QFile::exists(data("own/2.jpg")));
        QVERIFY(QFile::exists(data("Pages/0000000/1.jpg")));
        QCOMPARE(TestFiles::read(data("vlm.mdb")), db);
        QCOMPARE(progress.events.first(), QStringLiteral("start Delete thumbnails 1..1"));
        QVERIFY(progress.closedOrNeverOpened());
    }

    // Cancel stops the sweep; what is left stays.
    void deleteThumbnailsStopped()
    {
        TestEnvironment::freshDataFolder();
        QDir(DataFolder::path()).mkpath("Thumbs/0000000");
        QDir(DataFolder::path()).mkpath("Thumbs/0000001");
        TestFiles::write(data("Thumbs/0000000/1.jpg"), "thumb");
        TestFiles::write(data("Thumbs/0000001/1000.jpg"), "thumb");
        CancellingProgressView progress(1);
        QCOMPARE(PageFileSweep::DeleteThumbnails().texts(), QStringList{"Delete thumbnails was stopped."});
        QVERIFY(QFile::exists(data("Thumbs/0000001/1000.jpg")));
        QVERIFY(progress.closedOrNeverOpened());
    }
};

VLM_TEST_GUILESS_MAIN(PageFileSweepTest)
#include "PageFileSweepTest.moc"

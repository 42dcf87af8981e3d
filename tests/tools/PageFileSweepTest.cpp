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

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString data(const QString &name)
{
    return DataFolder::filePath(name);
}

// The completion of a Start Over over layOut(), naming what it left.
const QString StartOverKeptLayout = QStringLiteral(
    "'Start over' complete.\nVellumark did not make these, so they were left in place: \"Pages/00000001\", "
    "\"Pages/Letters\", \"Pages/My scans\", \"Pages/readme.jpg\", \"Thumbs/.import-x\" and 1 more.");

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
    // The user's folders, and folders named unlike the program's, stay.
    for (const char *mine : {"Pages/My scans/2019/letter.tif", "Pages/Letters/notes.txt", "Pages/00000001/1.jpg",
                             "Thumbs/.import-x/1.jpg"})
        TestFiles::writeFile(data(mine), "mine");
    TestFiles::write(data("Thumbs/0000000/1.JPG"), "thumb");
    // A link to the user's own folder is never followed.
    QDir().mkpath(data("own"));
    TestFiles::write(data("own/2.jpg"), "mine");
    QFile::link(data("own"), data("Thumbs/0000002"));
}

// A folder outside the data folder, made afresh.
QString outside(const QString &name)
{
    const QString path = QDir(TestEnvironment::root()).filePath(name);
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

// The store folder of that name moved to another disk, a link left in its
// place: what a user who moved the store to a larger disk has. A bucket
// with one image or thumbnail and the database beside it.
QString layOutLinkedStore(const QString &folder)
{
    TestEnvironment::openFreshDatabase();
    DbConnection::close();
    const QString disk = outside(QStringLiteral("disk-") + folder);
    QDir(disk).mkpath(QStringLiteral("0000000"));
    TestFiles::write(disk + "/0000000/1.jpg", "image");
    TestFiles::writeFile(disk + "/My scans/letter.tif", "mine");
    QFile::link(disk, data(folder));
    return disk;
}

// Records, at each step of the progress, whether the Start Over marker was
// on the disk then.
class MarkerWatch : public RecordingProgressView
{
public:
    void IncrementProgress(const QString &text) override
    {
        RecordingProgressView::IncrementProgress(text);
        markerSeen.append(QFile::exists(DataFolder::filePath("vlm.startover")));
    }
    QList<bool> markerSeen;
};

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
        QCOMPARE(PageFileSweep::isStartOverConfirmed(reply), confirmed);
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
        QCOMPARE(r.texts(), QStringList{StartOverKeptLayout});
        QVERIFY(r.succeeded());
        for (const char *gone : {"vlm.mdb", "vlm.mdb-journal", "Pages/0000000", "Pages/0000001", "Pages/.import-AbC123",
                                 "Thumbs/0000000"})
            QVERIFY2(!QFile::exists(data(gone)), gone);
        for (const char *kept : {"vlm.bak", "Pages/readme.jpg", "own/2.jpg", "Pages/My scans/2019/letter.tif",
                                 "Pages/Letters/notes.txt", "Pages/00000001/1.jpg", "Thumbs/.import-x/1.jpg"})
            QVERIFY2(QFile::exists(data(kept)), kept);
        QVERIFY(progress.closedOrNeverOpened());
        QVERIFY(!QFile::exists(data("vlm.startover")));

        // Without a database the folders are still swept.
        QDir(DataFolder::path()).mkpath("Pages/0000001");
        TestFiles::write(data("Pages/0000001/5.jpg"), "page");
        QCOMPARE(PageFileSweep::StartOver().texts(), QStringList{StartOverKeptLayout});
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
        // The marker stays, so that the next start says the work is not done.
        QVERIFY(QFile::exists(data("vlm.startover")));
    }

    // From before the first file goes until the database is gone, the
    // data folder holds the marker of a running Start Over.
    void startOverMarksItsRun()
    {
        layOut();
        MarkerWatch watch;
        QCOMPARE(PageFileSweep::StartOver().texts(), QStringList{StartOverKeptLayout});
        QVERIFY(!watch.markerSeen.isEmpty());
        QVERIFY(!watch.markerSeen.contains(false));
        QVERIFY(!QFile::exists(data("vlm.startover")));
        QVERIFY(!QFile::exists(data("vlm.mdb")));
    }

    // A store moved to another disk, with a link in its place, is emptied
    // through the link of the program's folders; the link and the user's
    // folder there stay.
    void linkedStoreEmptiedThroughTheLink_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("completion");
        const QString kept = "'Start over' complete.\nVellumark did not make these, so they were left in place: ";
        QTest::newRow("start over, linked Pages") << "start over" << "Pages" << kept + "\"Pages/My scans\".";
        QTest::newRow("start over, linked Thumbs") << "start over" << "Thumbs" << kept + "\"Thumbs/My scans\".";
        QTest::newRow("delete thumbnails, linked Thumbs") << "thumbnails" << "Thumbs" << "Delete thumbnails complete.";
    }
    void linkedStoreEmptiedThroughTheLink()
    {
        QFETCH(QString, tool);
        QFETCH(QString, folder);
        QFETCH(QString, completion);
        TestEnvironment::freshDataFolder();
        const QString disk = layOutLinkedStore(folder);
        const ToolResult r = tool == "start over" ? PageFileSweep::StartOver() : PageFileSweep::DeleteThumbnails();
        QCOMPARE(r.texts(), QStringList{completion});
        QVERIFY(!QFile::exists(disk + "/0000000/1.jpg"));
        QCOMPARE(QFile::exists(disk + "/0000000"), false);
        QVERIFY(QFileInfo(data(folder)).isSymLink());
        QVERIFY(QFileInfo(disk).isDir());
        QCOMPARE(TestFiles::read(disk + "/My scans/letter.tif"), QByteArray("mine"));
        QCOMPARE(QFile::exists(data("vlm.mdb")), tool != "start over");
    }

    // A link lying in a store folder is never followed: one directly in
    // "Pages" or "Thumbs" is the user's and stays; one inside a bucket
    // folder goes with the folder at a start over, itself and not what it
    // points at.
    void linkInsideStoreNeverFollowed_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("linkKept");
        QTest::newRow("start over, in Pages") << "start over" << "Pages/0000009" << true;
        QTest::newRow("start over, in a bucket of Pages") << "start over" << "Pages/0000000/7.jpg" << false;
        QTest::newRow("start over, in a bucket of Thumbs") << "start over" << "Thumbs/0000000/7.jpg" << false;
        QTest::newRow("delete thumbnails, in Thumbs") << "thumbnails" << "Thumbs/0000009" << true;
        QTest::newRow("delete thumbnails, in a bucket") << "thumbnails" << "Thumbs/0000000/7.jpg" << true;
    }
    void linkInsideStoreNeverFollowed()
    {
        QFETCH(QString, tool);
        QFETCH(QString, link);
        QFETCH(bool, linkKept);
        layOut();
        const QString mine = outside("mine");
        QDir(mine).mkpath("0000000");
        TestFiles::write(mine + "/7.jpg", "mine");
        TestFiles::write(mine + "/0000000/8.jpg", "mine");
        QDir(DataFolder::path()).mkpath(QFileInfo(link).path());
        QVERIFY(QFile::link(link.endsWith(".jpg") ? mine + "/7.jpg" : mine, data(link)));

        const ToolResult r = tool == "start over" ? PageFileSweep::StartOver() : PageFileSweep::DeleteThumbnails();
        QVERIFY2(r.succeeded(), qPrintable(r.texts().join('|')));
        QCOMPARE(QFileInfo(data(link)).isSymLink(), linkKept);
        QCOMPARE(TestFiles::read(mine + "/7.jpg"), QByteArray("mine"));
        QCOMPARE(TestFiles::read(mine + "/0000000/8.jpg"), QByteArray("mine"));
    }

    // A store folder that cannot be looked into is an error, never an
    // empty store: nothing is deleted, Start Over keeps the database (new
    // pages would otherwise take the ids of the files not seen), and no
    // tool says it completed. A store folder that is not there at all is
    // simply empty.
    void storeThatCannotBeLookedInto_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("errnoValue");
        for (const char *tool : {"start over", "thumbnails"}) {
            const QString t = QLatin1String(tool);
            const QStringList folders = t == "start over" ? QStringList{"Pages", "Thumbs"} : QStringList{"Thumbs"};
            for (const QString &folder : folders) {
                QTest::addRow("%s, %s a broken link", tool, qPrintable(folder)) << t << folder << "broken link" << ENOENT;
                QTest::addRow("%s, %s a loop of links", tool, qPrintable(folder)) << t << folder << "loop" << ELOOP;
                QTest::addRow("%s, %s a file", tool, qPrintable(folder)) << t << folder << "file" << ENOTDIR;
                QTest::addRow("%s, %s unreadable", tool, qPrintable(folder)) << t << folder << "unreadable" << EACCES;
                QTest::addRow("%s, %s missing", tool, qPrintable(folder)) << t << folder << "missing" << 0;
            }
        }
    }
    void storeThatCannotBeLookedInto()
    {
        QFETCH(QString, tool);
        QFETCH(QString, folder);
        QFETCH(QString, how);
        QFETCH(int, errnoValue);
        layOut();
        const QString other = folder == "Pages" ? QStringLiteral("Thumbs/0000000/1.JPG") : QStringLiteral("Pages/0000000/1.jpg");
        const QString path = data(folder);
        QDir(path).removeRecursively();
        QFile::remove(path);
        if (how == "broken link")
            QVERIFY(QFile::link(QDir(TestEnvironment::root()).filePath("unmounted disk/" + folder), path));
        else if (how == "loop")
            QVERIFY(QFile::link(path, path));
        else if (how == "file")
            TestFiles::write(path, "not a folder");
        else if (how == "unreadable") {
            QDir().mkpath(path + "/0000000");
            TestFiles::write(path + "/0000000/1.jpg", "image");
            QVERIFY(::chmod(QFile::encodeName(path).constData(), 0) == 0);
            if (::access(QFile::encodeName(path).constData(), R_OK) == 0) {
                ::chmod(QFile::encodeName(path).constData(), 0755);
                QSKIP("root reads every folder here");
            }
        }

        const ToolResult r = tool == "start over" ? PageFileSweep::StartOver() : PageFileSweep::DeleteThumbnails();
        if (how == "unreadable")
            ::chmod(QFile::encodeName(path).constData(), 0755);
        if (errnoValue == 0) {
            QVERIFY2(r.succeeded(), qPrintable(r.texts().join('|')));
            return;
        }
        QCOMPARE(r.entries.size(), 1);
        QCOMPARE(r.entries.first().kind, ToolResult::Kind::Error);
        const QString expected = QStringLiteral("DeletePageFiles Error #%1 - %2: ").arg(errnoValue).arg(path);
        QVERIFY2(r.texts().first().startsWith(expected), qPrintable(r.texts().first()));
        QVERIFY(QFile::exists(data("vlm.mdb")));
        QVERIFY(!QFile::exists(data("vlm.startover")));
        QVERIFY2(QFile::exists(data(other)), qPrintable(other));
        if (how == "unreadable")
            QVERIFY(QFile::exists(path + "/0000000/1.jpg"));
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
        QVERIFY(!QFile::exists(data("vlm.startover")));
    }

    // Delete thumbnails leaves page images, the database and a folder of the
    // user's in "Thumbs" alone.
    void deleteThumbnails()
    {
        layOut();
        const QByteArray db = TestFiles::read(data("vlm.mdb"));
        RecordingProgressView progress;
        QCOMPARE(PageFileSweep::DeleteThumbnails().texts(), QStringList{"Delete thumbnails complete."});
        QVERIFY(!QFile::exists(data("Thumbs/0000000/1.JPG")));
        QVERIFY(QFile::exists(data("Thumbs/.import-x/1.jpg")));
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

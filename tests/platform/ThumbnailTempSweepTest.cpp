#include "platform/ThumbnailTempSweep.h"

#include "platform/DataFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

QString data(const QString &name)
{
    return DataFolder::filePath(name);
}

// Sets the modification time of the entry itself (a link's own, not its
// target's), an hour before or after now.
void age(const QString &path, bool old)
{
    timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec += old ? -3600 : 3600;
    times[1] = times[0];
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0);
}

} // namespace

// What the start-up sweep of thumbnail leftovers removes and keeps.
class ThumbnailTempSweepTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }

    // Only a temporary of a killed thumbnail write goes: a regular file
    // named "<digits>.jpg." and six letters or digits, in a bucket folder of
    // "Thumbs", older than the sweep. Everything else stays, and nothing is
    // followed through a link.
    void removesOnlyKilledWrites_data()
    {
        QTest::addColumn<QString>("path");   // under the data folder
        QTest::addColumn<QString>("kind");   // file, link (to a file outside), folder
        QTest::addColumn<bool>("old");
        QTest::addColumn<bool>("removed");
        QTest::newRow("temporary of a killed write") << "Thumbs/0000000/12.jpg.Ab3dE9" << "file" << true << true;
        QTest::newRow("temporary, all digits") << "Thumbs/0001234/1234567.jpg.000000" << "file" << true << true;
        QTest::newRow("a real thumbnail") << "Thumbs/0000000/12.jpg" << "file" << true << false;
        QTest::newRow("a page image's temporary") << "Pages/0000000/12.jpg.Ab3dE9" << "file" << true << false;
        QTest::newRow("lying in Thumbs itself") << "Thumbs/12.jpg.Ab3dE9" << "file" << true << false;
        QTest::newRow("a link so named") << "Thumbs/0000000/13.jpg.Ab3dE9" << "link" << true << false;
        QTest::newRow("a folder so named") << "Thumbs/0000000/14.jpg.Ab3dE9" << "folder" << true << false;
        QTest::newRow("newer than the sweep") << "Thumbs/0000000/15.jpg.Ab3dE9" << "file" << false << false;
        QTest::newRow("suffix of five") << "Thumbs/0000000/16.jpg.Ab3dE" << "file" << true << false;
        QTest::newRow("suffix of seven") << "Thumbs/0000000/17.jpg.Ab3dE9x" << "file" << true << false;
        QTest::newRow("suffix with an underscore") << "Thumbs/0000000/18.jpg.Ab_dE9" << "file" << true << false;
        QTest::newRow("no suffix") << "Thumbs/0000000/19.jpg." << "file" << true << false;
        QTest::newRow("name not a number") << "Thumbs/0000000/a1.jpg.Ab3dE9" << "file" << true << false;
        QTest::newRow("no name") << "Thumbs/0000000/.jpg.Ab3dE9" << "file" << true << false;
        QTest::newRow("another type") << "Thumbs/0000000/20.png.Ab3dE9" << "file" << true << false;
        QTest::newRow("upper-case type") << "Thumbs/0000000/21.JPG.Ab3dE9" << "file" << true << false;
        QTest::newRow("bucket of six digits") << "Thumbs/000000/22.jpg.Ab3dE9" << "file" << true << false;
        QTest::newRow("bucket of eight digits") << "Thumbs/00000000/23.jpg.Ab3dE9" << "file" << true << false;
        QTest::newRow("folder not a bucket") << "Thumbs/old/24.jpg.Ab3dE9" << "file" << true << false;
        QTest::newRow("deeper than a bucket") << "Thumbs/0000000/0000000/25.jpg.Ab3dE9" << "file" << true << false;
    }
    void removesOnlyKilledWrites()
    {
        QFETCH(QString, path);
        QFETCH(QString, kind);
        QFETCH(bool, old);
        QFETCH(bool, removed);
        const QString target = QDir(TestEnvironment::root()).filePath("user's file.jpg");
        TestFiles::write(target, "mine");
        age(target, true);
        const QString full = data(path);
        QVERIFY(QDir().mkpath(QFileInfo(full).path()));
        if (kind == "file")
            TestFiles::write(full, "half a thumbnail");
        else if (kind == "link")
            QVERIFY(QFile::link(target, full));
        else
            QVERIFY(QDir().mkpath(full));
        age(full, old);

        ThumbnailTempSweep sweep;
        sweep.wait();
        QCOMPARE(QFileInfo::exists(full) || QFileInfo(full).isSymLink(), !removed);
        QCOMPARE(sweep.removed(), removed ? 1 : 0);
        QCOMPARE(TestFiles::read(target), QByteArray("mine"));
    }

    // "Thumbs" moved to another disk with a link in its place is swept
    // through the link; a bucket that is a link is not.
    void linkedThumbsSweptThroughTheLink()
    {
        const QString disk = QDir(TestEnvironment::root()).filePath("disk-thumbs");
        QDir(disk).removeRecursively();
        QVERIFY(QDir().mkpath(disk + "/0000000"));
        QVERIFY(QDir().mkpath(disk + "-elsewhere"));
        QVERIFY(QFile::link(disk, data("Thumbs")));
        QVERIFY(QFile::link(disk + "-elsewhere", disk + "/0000001"));
        const QString left = disk + "/0000000/7.jpg.q1W2e3";
        const QString behindLink = disk + "-elsewhere/8.jpg.q1W2e3";
        for (const QString &file : {left, behindLink}) {
            TestFiles::write(file, "half a thumbnail");
            age(file, true);
        }
        ThumbnailTempSweep sweep;
        sweep.wait();
        QVERIFY(!QFileInfo::exists(left));
        QVERIFY(QFileInfo::exists(behindLink));
        QVERIFY(QFileInfo(data("Thumbs")).isSymLink());
        QCOMPARE(sweep.removed(), 1);
    }

    // No "Thumbs" at all is nothing to do.
    void noThumbsFolder()
    {
        ThumbnailTempSweep sweep;
        sweep.wait();
        QCOMPARE(sweep.removed(), 0);
    }
};

VLM_TEST_GUILESS_MAIN(ThumbnailTempSweepTest)
#include "ThumbnailTempSweepTest.moc"

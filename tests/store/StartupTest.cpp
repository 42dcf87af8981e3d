#include "store/Startup.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QImageReader>
#include <QtTest>

#include <cerrno>

#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/Database.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

namespace {

using TestFiles::hashOf;

// A current database of our own, closed again.
void writeOurDatabase()
{
    TestEnvironment::openFreshDatabase();
    DbConnection::execute(QStringLiteral("INSERT INTO Cabinet (Name) VALUES ('Home')"));
    DbConnection::close();
}

} // namespace

Q_DECLARE_METATYPE(Startup::Program)

class StartupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }

    // A database file that is not ours, not whole or not writable stops
    // start-up with a message naming the file and saying what to do, and
    // the file keeps every byte.
    void badDatabaseLeftUntouched_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("refusal");
        QTest::addColumn<QString>("says");
        QTest::newRow("foreign with Cabinet and Page") << "foreign" << true << "is not a Vellumark database";
        QTest::newRow("foreign in WAL mode") << "wal" << true << "is not a Vellumark database";
        QTest::newRow("ours without Version") << "noversion" << true << "no Version column in a Version table";
        QTest::newRow("not a database") << "junk" << false << "Error # 26 file is not a database";
        QTest::newRow("cut short") << "cut" << true << "is damaged: the file is cut short";
        QTest::newRow("read-only") << "readonly" << true << "is read-only";
    }
    void badDatabaseLeftUntouched()
    {
        QFETCH(QString, kind);
        QFETCH(bool, refusal);
        QFETCH(QString, says);
        const bool ours = kind == "noversion" || kind == "cut" || kind == "readonly";
        if (ours)
            writeOurDatabase();  // in a data folder of its own
        const QString file = Database::databaseFile();
        if (kind == "foreign" || kind == "wal") {
            QStringList sql{"CREATE TABLE Cabinet (Id INTEGER PRIMARY KEY, Label TEXT)",
                            "CREATE TABLE Page (Id INTEGER, Body BLOB)", "INSERT INTO Cabinet VALUES (1, 'x')"};
            if (kind == "wal")
                sql.prepend("PRAGMA journal_mode=WAL");
            TestFiles::writeForeignDatabase(file, sql);
        } else if (kind == "junk") {
            TestFiles::write(file, "Notes about the tax return.\n");
        } else {
            if (kind == "noversion") {
                TestFiles::writeForeignDatabase(file, {"DROP TABLE Version"});
            } else if (kind == "cut") {
                const QByteArray whole = TestFiles::read(file);
                TestFiles::write(file, whole.left(whole.size() - 4096));
            } else {
                QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            }
        }
        const QByteArray before = hashOf(file);
        const QStringList filesBefore = QDir(DataFolder::path()).entryList(QDir::Files);

        const std::optional<Startup::Failure> failure = Startup::OpenDatabase();
        QVERIFY(failure);
        QVERIFY2(failure->message.contains(says), qPrintable(failure->message));
        QVERIFY2(failure->message.contains(file), qPrintable(failure->message));
        QCOMPARE(failure->refusal, refusal);
        // Moving the database away alone would leave a journal to be
        // played into the next new one.
        if (failure->message.contains("Move it"))
            QVERIFY2(failure->message.contains("vlm.mdb-journal\" or \"vlm.mdb-wal\" if either is beside it, out "
                                               "of the data folder together"),
                     qPrintable(failure->message));
        QVERIFY(!DbConnection::isOpen());
        QCOMPARE(hashOf(file), before);
        QCOMPARE(QDir(DataFolder::path()).entryList(QDir::Files), filesBefore);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    }

    // A template "empty.mdb" of another program is refused too, and the
    // copy made of it is taken back.
    void foreignTemplateRefused()
    {
        const QString tmpl = DataFolder::filePath("empty.mdb");
        TestFiles::writeForeignDatabase(tmpl, {"CREATE TABLE Page (Id INTEGER)"});
        const QByteArray before = hashOf(tmpl);
        const std::optional<Startup::Failure> failure = Startup::OpenDatabase();
        QVERIFY(failure && failure->refusal);
        QVERIFY(!QFileInfo::exists(Database::databaseFile()));
        QCOMPARE(hashOf(tmpl), before);
    }

    // A folder in the database's place is reported with the system's own
    // number for it, and left as it is.
    void databaseFolderGivesItsErrno()
    {
        QVERIFY(QDir().mkpath(Database::databaseFile()));
        const std::optional<Startup::Failure> failure = Startup::OpenDatabase();
        QVERIFY(failure);
        QVERIFY2(failure->message.startsWith(QStringLiteral("Error # %1 ").arg(EISDIR)), qPrintable(failure->message));
        QVERIFY(QFileInfo(Database::databaseFile()).isDir());
    }

    // The staging folders a killed import left in Pages/ go at the next
    // start of either program, and nothing else there; while vlm holds the
    // lock, vlmtools leaves them to it.
    void importLeftoversRemoved_data()
    {
        QTest::addColumn<bool>("vlmRunning");
        QTest::newRow("no vlm running") << false;
        QTest::newRow("vlm running") << true;
    }
    void importLeftoversRemoved()
    {
        QFETCH(bool, vlmRunning);
        writeOurDatabase();  // in a data folder of its own
        const QString pages = DataFolder::filePath("Pages");
        const QString outside = QDir(TestEnvironment::root()).filePath("outside");
        for (const QString &folder : {pages + "/.import-a1B2c3/deep", pages + "/.import-x", outside})
            QVERIFY(QDir().mkpath(folder));
        TestFiles::write(pages + "/.import-a1B2c3/deep/7.jpg", "copy");
        TestFiles::write(pages + "/.import-x/8.jpg", "copy");
        TestFiles::write(pages + "/12.jpg", "page");
        TestFiles::write(pages + "/.import-note", "a file, not a staging folder");
        TestFiles::write(outside + "/keep.jpg", "user's");
        QVERIFY(QFile::link(outside, pages + "/.import-link"));
        std::unique_ptr<QLockFile> vlm;
        if (vlmRunning) {
            std::optional<Startup::Failure> failure;
            vlm = Startup::lockDataFolder(&failure);
            QVERIFY(vlm);
        }

        QVERIFY(!Startup::prepareForTools().warning);
        QCOMPARE(QFileInfo::exists(pages + "/.import-a1B2c3"), vlmRunning);
        QCOMPARE(QFileInfo::exists(pages + "/.import-x"), vlmRunning);
        QCOMPARE(TestFiles::read(pages + "/12.jpg"), QByteArray("page"));
        QVERIFY(QFileInfo::exists(pages + "/.import-note"));
        QVERIFY(QFileInfo(pages + "/.import-link").isSymLink());
        QCOMPARE(TestFiles::read(outside + "/keep.jpg"), QByteArray("user's"));

        vlm.reset();
        QCOMPARE(DataFolder::removeImportLeftovers(), 0);
        QVERIFY(!QFileInfo::exists(pages + "/.import-a1B2c3"));
        QVERIFY(QFileInfo(pages + "/.import-link").isSymLink());
    }

    // A "vlm.lock" that no live program holds is taken over; one that is
    // no file is named as such; only a live holder means "already running".
    void lockLeftovers_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("says");
        QTest::newRow("empty file") << "empty" << QString();
        QTest::newRow("garbage") << "garbage" << QString();
        QTest::newRow("dead process") << "dead" << QString();
        QTest::newRow("folder") << "folder" << "is not a file";
        QTest::newRow("live holder") << "live" << "already running";
    }
    void lockLeftovers()
    {
        QFETCH(QString, left);
        QFETCH(QString, says);
        const QString path = DataFolder::filePath("vlm.lock");
        std::unique_ptr<QLockFile> live;
        if (left == "empty")
            TestFiles::write(path, QByteArray());
        else if (left == "garbage")
            TestFiles::write(path, "\x01\xff not a lock\n");
        else if (left == "dead")
            TestFiles::write(path, "999999999\nvlm\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        else if (left == "folder")
            QVERIFY(QDir().mkpath(path + "/inside"));
        else {
            live = std::make_unique<QLockFile>(path);
            QVERIFY(live->tryLock(0));
        }

        std::optional<Startup::Failure> failure;
        const std::unique_ptr<QLockFile> lock = Startup::lockDataFolder(&failure);
        QCOMPARE(bool(lock), says.isEmpty());
        QCOMPARE(bool(failure), !says.isEmpty());
        if (failure) {
            QVERIFY2(failure->message.contains(says), qPrintable(failure->message));
            QVERIFY(failure->refusal);
        }
        if (left == "folder") {
            QVERIFY(QFileInfo::exists(path + "/inside"));
            const std::optional<Startup::Failure> tools = Startup::prepareForTools().warning;
            QVERIFY(tools && tools->message.contains(says));
        }
    }

    // A missing database is made and brought to the current version; our
    // own file opens as it is.
    void goodDatabaseOpens()
    {
        QVERIFY(!Startup::OpenDatabase());
        QCOMPARE(Database::readDbVersion(), Database::CurrentVersion);
        DbConnection::close();
        QVERIFY(!Startup::OpenDatabase());
        QVERIFY(DbConnection::isOpen());
    }

    // A lock that cannot be taken says why; only a lock held by another
    // vlm says "already running", one held by vlmtools that the
    // maintenance tools are at work.
    void lockFailureMessages_data()
    {
        QTest::addColumn<int>("lockError");
        QTest::addColumn<int>("errnoValue");
        QTest::addColumn<QString>("holder");
        QTest::addColumn<QString>("says");
        QTest::newRow("held") << int(QLockFile::LockFailedError) << 0 << "vlm" << "already running";
        QTest::newRow("held, holder unknown") << int(QLockFile::LockFailedError) << 0 << "" << "already running";
        QTest::newRow("held by the tools") << int(QLockFile::LockFailedError) << 0 << "vlmtools"
                                           << "maintenance tools (Vellumark Tools) are working";
        QTest::newRow("no rights") << int(QLockFile::PermissionError) << EACCES << "" << "cannot write to its data folder";
        QTest::newRow("read-only mount") << int(QLockFile::UnknownError) << EROFS << "" << "read-only file system";
        QTest::newRow("disk full") << int(QLockFile::UnknownError) << ENOSPC << "" << "is full";
    }
    void lockFailureMessages()
    {
        QFETCH(int, lockError);
        QFETCH(int, errnoValue);
        QFETCH(QString, holder);
        QFETCH(QString, says);
        const QString message = Startup::lockFailureMessage(lockError, errnoValue, "/srv/archive", holder);
        QVERIFY2(message.contains(says) && message.contains("/srv/archive"), qPrintable(message));
        QCOMPARE(message.contains("already running"),
                 lockError == int(QLockFile::LockFailedError) && holder != "vlmtools");
    }

    // The marker of a Start Over that did not finish is said at the start
    // of either program, each telling where to run it again. Without a
    // database or a journal the run had only its marker left to remove:
    // the start removes it, silently.
    void unfinishedStartOver_data()
    {
        QTest::addColumn<bool>("marker");
        QTest::addColumn<QString>("left");
        QTest::addColumn<Startup::Program>("program");
        QTest::addColumn<QString>("says");
        QTest::newRow("vlm, marker") << true << "database" << Startup::Program::Vellumark
                                     << "Run Start Over in Vellumark Tools again";
        QTest::newRow("vlmtools, marker") << true << "database" << Startup::Program::Tools << "Run Start Over again";
        QTest::newRow("vlmtools, marker and a journal") << true << "journal" << Startup::Program::Tools
                                                        << "Run Start Over again";
        QTest::newRow("vlm, marker, no database") << true << "" << Startup::Program::Vellumark << "";
        QTest::newRow("vlm, no marker") << false << "database" << Startup::Program::Vellumark << "";
        QTest::newRow("vlmtools, no marker") << false << "database" << Startup::Program::Tools << "";
    }
    void unfinishedStartOver()
    {
        QFETCH(bool, marker);
        QFETCH(QString, left);
        QFETCH(Startup::Program, program);
        QFETCH(QString, says);
        if (left == "database")
            writeOurDatabase();
        else if (left == "journal")
            TestFiles::write(DataFolder::databaseFile() + "-journal", QByteArray(512, 'j'));
        const QString markerFile = DataFolder::filePath("vlm.startover");
        if (marker)
            TestFiles::write(markerFile, "Start Over began");
        const std::optional<Startup::Failure> warning = Startup::unfinishedStartOver(program);
        QCOMPARE(bool(warning), !says.isEmpty());
        QCOMPARE(QFile::exists(markerFile), marker && !says.isEmpty());
        if (warning) {
            QVERIFY(warning->refusal);
            QVERIFY2(warning->message.contains("did not finish") && warning->message.contains(says)
                         && warning->message.contains("deletes whatever was filed since"),
                     qPrintable(warning->message));
        }
    }

    // A data folder where nothing can be written is not taken for a
    // running program.
    void fullDiskIsNotAlreadyRunning()
    {
        std::optional<Startup::Failure> failure;
        {
            FileSizeLimit limit(0);
            QVERIFY(!Startup::lockDataFolder(&failure));
        }
        QVERIFY(failure);
        QVERIFY2(failure->message.contains("is full"), qPrintable(failure->message));
        QVERIFY(failure->refusal);
    }

    // A VLM_DATA_DIR in bytes the system cannot decode is refused, so the
    // archive never lands in a folder of another name.
    void undecodableDataFolderRefused()
    {
        const QByteArray raw = QFile::encodeName(TestEnvironment::root()) + "/caf\xe9";
        qputenv("VLM_DATA_DIR", raw);
        const std::optional<Startup::Failure> failure = Startup::ensureDataFolder();
        QVERIFY(failure);
        QVERIFY2(failure->message.contains("VLM_DATA_DIR"), qPrintable(failure->message));
        QVERIFY(!QFileInfo::exists(DataFolder::path()));
        TestEnvironment::freshDataFolder();
        QVERIFY(!Startup::ensureDataFolder());
    }

    // Both programs get the image limit that 600-dpi pages need.
    void imageLimit()
    {
        Startup::initApplication();
        QCOMPARE(QImageReader::allocationLimit(), 1024);
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("VLM"));
    }
};

VLM_TEST_GUI_MAIN(StartupTest)
#include "StartupTest.moc"

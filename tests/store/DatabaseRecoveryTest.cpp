#include "store/Database.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/Startup.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

namespace {

constexpr int kPages = 2000;
// The room the killed commit gets beyond the database's size: enough for
// its journal to be written and synced, far less than the commit adds.
constexpr qint64 kHeadroom = 64 * 1024;

QString journal()
{
    return Database::databaseFile() + QStringLiteral("-journal");
}

// Rows that start with no name: an upgrade that names them all rewrites
// every Page row and grows the file.
QString addPages(int count)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                          "INSERT INTO Page (DocumentId, PageNumber) SELECT 1, i FROM n")
        .arg(count);
}

// The two kinds of commit that grow the file: an import adding many rows,
// and an upgrade step rewriting every Page row.
QString commitOf(const QString &change)
{
    if (change == QLatin1String("upgrade"))
        return QStringLiteral("UPDATE Page SET Name = hex(randomblob(40)), Filetype = 'JPG'");
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
                          "INSERT INTO Page (DocumentId, Name, PageNumber) SELECT 2, hex(randomblob(40)), i FROM n");
}

// The page size times the page count the header gives, against the size
// of the file: a header written ahead of the pages after it.
bool cutShort(const QString &file)
{
    const QByteArray header = TestFiles::read(file).left(100);
    const qint64 pageSize = (quint8(header.at(16)) << 8) | quint8(header.at(17));
    const qint64 pageCount = (qint64(quint8(header.at(28))) << 24) | (quint8(header.at(29)) << 16)
        | (quint8(header.at(30)) << 8) | quint8(header.at(31));
    return QFileInfo(file).size() < pageSize * pageCount;
}

// A current database of our own with kPages unnamed pages, then a commit of
// the given kind killed halfway through writing the database file.
void interruptCommit(const QString &change)
{
    TestEnvironment::openFreshDatabase();
    DbConnection::execute(addPages(kPages));
    DbConnection::close();
    const QString file = Database::databaseFile();
    QProcess child;
    child.start(QStringLiteral(VLM_INTERRUPTED_COMMIT),
                {file, QString::number(QFileInfo(file).size() + kHeadroom), commitOf(change)});
    QVERIFY(child.waitForFinished(120000));
    QVERIFY2(child.exitStatus() == QProcess::CrashExit, child.readAllStandardError().constData());
    QVERIFY(QFileInfo(journal()).size() > 0);
    QVERIFY(cutShort(file));
}

// What a separate connection reads: the integrity check, the row count and
// the named pages.
struct Contents
{
    QString integrity;
    int pages = -1;
    int named = -1;
};

Contents readContents(const QString &file)
{
    Contents c;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("look"));
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next())
                c.integrity = q.value(0).toString();
            if (q.exec(QStringLiteral("SELECT count(*), count(Name) FROM Page")) && q.next()) {
                c.pages = q.value(0).toInt();
                c.named = q.value(1).toInt();
            }
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("look"));
    return c;
}

// Runs the start-up of one program; vlm keeps its connection open.
std::optional<Startup::Failure> startUp(const QString &program)
{
    if (program == QLatin1String("vlmtools"))
        return Startup::prepareForTools().warning;
    return Startup::OpenDatabase();
}

using TestFiles::hashOf;

} // namespace

class DatabaseRecoveryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }
    void cleanup() { DbConnection::close(); }

    // A commit killed after its journal was synced, while it wrote the
    // database, leaves a header ahead of the pages. Start-up lets SQLite
    // roll the journal back instead of calling the file damaged, and the
    // rows are those before the commit.
    void interruptedCommitRolledBack_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("change");
        QTest::newRow("vlm, import") << "vlm" << "import";
        QTest::newRow("vlm, upgrade") << "vlm" << "upgrade";
        QTest::newRow("vlmtools, import") << "vlmtools" << "import";
        QTest::newRow("vlmtools, upgrade") << "vlmtools" << "upgrade";
    }
    void interruptedCommitRolledBack()
    {
        QFETCH(QString, program);
        QFETCH(QString, change);
        interruptCommit(change);
        if (QTest::currentTestFailed())
            return;

        const std::optional<Startup::Failure> failure = startUp(program);
        QVERIFY2(!failure, failure ? qPrintable(failure->message) : "");
        QCOMPARE(DbConnection::isOpen(), program == QLatin1String("vlm"));
        DbConnection::close();
        QVERIFY(!QFileInfo::exists(journal()));
        const Contents c = readContents(Database::databaseFile());
        QCOMPARE(c.integrity, QStringLiteral("ok"));
        QCOMPARE(c.pages, kPages);
        QCOMPARE(c.named, 0);
    }

    // A journal whose database was moved away or emptied is never played
    // into a new database: vlm's start-up stops and names the journal,
    // vlmtools' goes on to its window (its tools explain the journal);
    // neither makes a database, and both keep the journal, so the database
    // put back beside it still comes out whole.
    void journalWithoutDatabaseKept_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("emptied");
        QTest::newRow("vlm, database moved away") << "vlm" << false;
        QTest::newRow("vlm, database emptied") << "vlm" << true;
        QTest::newRow("vlmtools, database moved away") << "vlmtools" << false;
        QTest::newRow("vlmtools, database emptied") << "vlmtools" << true;
    }
    void journalWithoutDatabaseKept()
    {
        QFETCH(QString, program);
        QFETCH(bool, emptied);
        interruptCommit(QStringLiteral("import"));
        if (QTest::currentTestFailed())
            return;
        const QString file = Database::databaseFile();
        const QString aside = QDir(TestEnvironment::root()).filePath(QStringLiteral("moved.mdb"));
        QFile::remove(aside);
        QVERIFY(QFile::rename(file, aside));
        if (emptied)
            TestFiles::write(file, QByteArray());
        const QByteArray journalBefore = hashOf(journal());

        const std::optional<Startup::Failure> failure = startUp(program);
        if (program == QLatin1String("vlm")) {
            QVERIFY(failure);
            QVERIFY(failure->refusal);
            QVERIFY2(failure->message.contains(journal()), qPrintable(failure->message));
            QVERIFY2(failure->message.contains(QStringLiteral("Put the database back")), qPrintable(failure->message));
        } else {
            QVERIFY2(!failure, qPrintable(failure->message));
        }
        QVERIFY(!DbConnection::isOpen());
        QCOMPARE(hashOf(journal()), journalBefore);
        QCOMPARE(QFileInfo::exists(file), emptied);
        if (emptied)
            QCOMPARE(QFileInfo(file).size(), 0);
        QVERIFY(!QFileInfo::exists(file + QStringLiteral(".tmp")));

        QFile::remove(file);
        QVERIFY(QFile::rename(aside, file));
        QVERIFY(!startUp(program));
        DbConnection::close();
        const Contents c = readContents(file);
        QCOMPARE(c.integrity, QStringLiteral("ok"));
        QCOMPARE(c.pages, kPages);
    }

    // Making a database while a journal is left is refused at the lowest
    // level too, whoever asks.
    void createRefusedBesideJournal()
    {
        TestFiles::write(journal(), QByteArray(512, 'j'));
        try {
            Database::CreateDatabase();
            QFAIL("a database was made beside a journal");
        } catch (const AppError &e) {
            QCOMPARE(e.code, int(ErrorCode::JournalWithoutDatabase));
            QVERIFY(!e.text.isEmpty());
        }
        QVERIFY(!QFileInfo::exists(Database::databaseFile()));
        QCOMPARE(TestFiles::read(journal()), QByteArray(512, 'j'));
    }

    // An empty journal is no unfinished commit: the database is made.
    void emptyJournalIgnored()
    {
        TestFiles::write(journal(), QByteArray());
        QVERIFY(!Database::hasJournal(Database::databaseFile()));
        QVERIFY(!Startup::OpenDatabase());
    }
};

VLM_TEST_GUILESS_MAIN(DatabaseRecoveryTest)
#include "DatabaseRecoveryTest.moc"

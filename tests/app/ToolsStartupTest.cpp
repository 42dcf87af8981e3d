#include "app/ToolsStartup.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "platform/ThumbnailTempSweep.h"
#include "store/Database.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

QString data(const QString &name)
{
    return DataFolder::filePath(name);
}

// What lies in the data folder, file by file with its bytes' hash.
QStringList snapshot()
{
    QStringList out;
    for (const QString &name : QDir(DataFolder::path()).entryList(QDir::Files | QDir::Hidden, QDir::Name))
        out.append(name + QLatin1Char(' ') + QString::fromLatin1(TestFiles::hashOf(data(name)).toHex()));
    return out;
}

} // namespace

class ToolsStartupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }
    void cleanup() { QFile::setPermissions(data("vlm.mdb"), QFile::ReadOwner | QFile::WriteOwner); }

    // vlmtools opens its window whatever "vlm.mdb" is, without a word: its
    // remedies (Start Over, Scanning Resolution) must be in reach, and each
    // tool that needs the database explains an unusable one itself. The
    // file and a journal left without it keep every byte, and no database
    // is made.
    void opensWhateverTheDatabase_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("another program's file") << "foreign";
        QTest::newRow("not a database at all") << "junk";
        QTest::newRow("read-only database") << "readonly";
        QTest::newRow("journal without its database") << "journal";
        QTest::newRow("no database") << "none";
    }
    void opensWhateverTheDatabase()
    {
        QFETCH(QString, kind);
        if (kind == "readonly") {
            TestEnvironment::openFreshDatabase();
            DbConnection::close();
        }
        const QString file = data("vlm.mdb");
        if (kind == "foreign") {
            TestFiles::writeForeignDatabase(file, {"CREATE TABLE Page (Id INTEGER)"});
        } else if (kind == "junk") {
            TestFiles::write(file, "Notes about the tax return.\n");
        } else if (kind == "readonly") {
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        } else if (kind == "journal") {
            TestFiles::write(file + "-journal", QByteArray(4096, 'j'));
        }
        const QStringList before = snapshot();

        FakePrompt prompt;
        ToolsStartup::Result r = ToolsStartup::Main();
        QVERIFY(r.ok);
        QCOMPARE(prompt.messages, QStringList());
        QVERIFY(!DbConnection::isOpen());
        r.thumbnailSweep.reset();
        QCOMPARE(snapshot(), before);
    }

    // A Start Over that did not finish is said at the start, and the window
    // opens to run it again.
    void unfinishedStartOverSaid()
    {
        TestEnvironment::openFreshDatabase();
        DbConnection::close();
        TestFiles::write(data("vlm.startover"), "Start Over began");
        FakePrompt prompt;
        ToolsStartup::Result r = ToolsStartup::Main();
        QVERIFY(r.ok);
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.kinds.first(), FakePrompt::Kind::Warning);
        QVERIFY2(prompt.messages.first().contains("Start Over did not finish"), qPrintable(prompt.messages.first()));
        QVERIFY(prompt.messages.first().contains("Run Start Over again"));
    }

    // The start removes what a killed thumbnail write left, on a thread of
    // its own that the program waits for at its end.
    void thumbnailLeftoversSwept()
    {
        QDir().mkpath(data("Thumbs/0000000"));
        const QString left = data("Thumbs/0000000/5.jpg.Ab3dE9");
        TestFiles::write(left, "half a thumbnail");
        QFile f(left);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        f.close();
        FakePrompt prompt;
        ToolsStartup::Result r = ToolsStartup::Main();
        QVERIFY(r.thumbnailSweep);
        r.thumbnailSweep->wait();
        QVERIFY(!QFile::exists(left));
        QCOMPARE(r.thumbnailSweep->removed(), 1);
    }
};

VLM_TEST_MAIN(ToolsStartupTest)
#include "ToolsStartupTest.moc"

#include "platform/DataFolder.h"
#include "core/ui/frmProgress.h"
#include "platform/DbConnection.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tools/ToolsFiles.h"
#include "tools/ui/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLockFile>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

using Answer = Prompt::Answer;

namespace {

enum class Setup { Database, NoDatabase, VlmRunning };

const QString kStartOverQuestion = QStringLiteral("Start over with no data?");
const QString kSentencePrompt = QStringLiteral(
    "Please type the sentence, I WANT TO START OVER, to confirm your intention to erase all of your data.");
const QString kSureQuestion = QStringLiteral("Are you sure?");
const QString kThumb = QStringLiteral("Thumbs/0000000/1.jpg");

QString data(const QString &name)
{
    return DataFolder::filePath(name);
}

// A fresh data folder with a thumbnail and, unless told otherwise, a
// database; for VlmRunning the returned lock stands for a running vlm.
std::unique_ptr<QLockFile> layOut(Setup setup)
{
    TestEnvironment::freshDataFolder();
    if (setup != Setup::NoDatabase) {
        TestEnvironment::openFreshDatabase();
        DbConnection::close();
    }
    // A thumbnail whose page has neither row nor image in a page store
    // that holds page folders.
    QDir(DataFolder::path()).mkpath(QStringLiteral("Thumbs/0000000"));
    QDir(DataFolder::path()).mkpath(QStringLiteral("Pages/0000000"));
    TestFiles::write(data(kThumb), "thumb");
    if (setup != Setup::VlmRunning)
        return nullptr;
    auto lock = std::make_unique<QLockFile>(data(QStringLiteral("vlm.lock")));
    if (!lock->tryLock(0))
        qFatal("cannot take vlm.lock");
    return lock;
}

QString kindLetters(const FakePrompt &prompt)
{
    QString out;
    for (FakePrompt::Kind k : prompt.kinds)
        out += k == FakePrompt::Kind::Message ? QLatin1Char('M') : k == FakePrompt::Kind::Warning ? QLatin1Char('W') : QLatin1Char('E');
    return out;
}

QLabel *note(frmMain &window)
{
    return DialogDriver::child<QLabel>(&window, "lblNote");
}

void hover(frmMain &window, const char *button)
{
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(DialogDriver::child<QPushButton>(&window, button), &enter);
}

// Three drawers whose cabinet is gone: the last pass of a repair moves
// them, one progress step each.
void layOutOrphanDrawers()
{
    layOut(Setup::Database);
    DbConnection::open(ToolsFiles::GetDbPath());
    for (int i = 0; i < 3; ++i)
        RecordFixture::drawer(999, QStringLiteral("Lost %1").arg(i));
    DbConnection::close();
}

} // namespace

Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(QList<Answer>)

class frmMainTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The note follows the tool button under the mouse; Advanced >> and
    // Close leave the note that was shown.
    void notesFollowTheMouse_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("expected");
        const QString compact = QStringLiteral(
            "Attempt to shrink wasted space and repair any problems in the database.  Running this option should cause no loss of data.");
        QTest::newRow("scanning resolution") << QByteArray("cmdScanRes")
            << "Modify the scanning resolution used for scanning documents and pictures.  Running this option will cause no loss of data.";
        QTest::newRow("compact") << QByteArray("cmdCompactDb") << compact;
        QTest::newRow("repair") << QByteArray("cmdFixLinks")
            << "Attempt to find orphaned data that is no longer accessible.  Running this option will cause no loss of data.";
        QTest::newRow("thumbnails") << QByteArray("cmdDeleteThumbs")
            << "Delete all thumbnail images.  This will not delete the original page.  Running this option will cause no loss of data.";
        QTest::newRow("start over") << QByteArray("cmdStartOver")
            << "Delete all pages & thumbnails and start over.  WARNING: this option will delete everything and force you to start over.";
        QTest::newRow("advanced leaves it") << QByteArray("cmdAdvanced") << compact;
        QTest::newRow("close leaves it") << QByteArray("cmdClose") << compact;
    }
    void notesFollowTheMouse()
    {
        QFETCH(QByteArray, button);
        QFETCH(QString, expected);
        frmMain window;
        QCOMPARE(note(window)->text(), QStringLiteral("Select an option above or click on Close to exit."));
        hover(window, "cmdCompactDb");
        hover(window, "cmdScanRes");
        hover(window, "cmdCompactDb");
        hover(window, button.constData());
        QCOMPARE(note(window)->text(), expected);
    }

    // The caption gives the version's numbers without leading zeros.
    void caption()
    {
        QCOMPARE(frmMain::caption(QStringLiteral("01.02.0030")), QStringLiteral("Vellumark Tools (version 1.2.30)"));
    }

    // Every way a tool is refused or called off from the window, and the
    // start over that goes through: the questions asked, the messages with
    // their icons, and whether the database and a thumbnail are still there.
    void confirmations_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QVariant>("reply");  // invalid: the input box is cancelled
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("kinds");
        QTest::addColumn<bool>("databaseThere");
        QTest::addColumn<bool>("thumbThere");

        const QString compact = QStringLiteral("Compact the database?");
        const QString thumbs = QStringLiteral("Delete all thumbnails?");
        const QString repair = QStringLiteral("Repair broken links?");
        const QString cancelled = QStringLiteral("'Start Over' was cancelled.");
        const QStringList sentenceAsked{kStartOverQuestion, kSentencePrompt};
        const QStringList allAsked{kStartOverQuestion, kSentencePrompt, kSureQuestion};
        const QVariant sentence(QStringLiteral("I WANT TO START OVER"));
        const QStringList none;

        // While vlm runs, that is said before any question is asked.
        QTest::newRow("compact: vlm running") << QByteArray("cmdCompactDb") << Setup::VlmRunning << QList<Answer>{Answer::Yes}
            << QVariant() << none << QStringList{ToolsFiles::VlmRunningText} << "W" << true << true;
        QTest::newRow("compact: no database") << QByteArray("cmdCompactDb") << Setup::NoDatabase << QList<Answer>{Answer::Yes}
            << QVariant() << QStringList{compact} << QStringList{"CompactDb Error #2 - No such file or directory"} << "E"
            << false << true;
        QTest::newRow("compact: No") << QByteArray("cmdCompactDb") << Setup::Database << QList<Answer>{Answer::No}
            << QVariant() << QStringList{compact} << none << "" << true << true;
        QTest::newRow("compact: Cancel") << QByteArray("cmdCompactDb") << Setup::Database << QList<Answer>{Answer::Cancel}
            << QVariant() << QStringList{compact} << none << "" << true << true;
        QTest::newRow("thumbnails: Cancel") << QByteArray("cmdDeleteThumbs") << Setup::Database << QList<Answer>{Answer::Cancel}
            << QVariant() << QStringList{thumbs} << none << "" << true << true;
        QTest::newRow("repair: vlm running") << QByteArray("cmdFixLinks") << Setup::VlmRunning << QList<Answer>{Answer::Yes}
            << QVariant() << none << QStringList{ToolsFiles::VlmRunningText} << "W" << true << true;
        QTest::newRow("repair: no database") << QByteArray("cmdFixLinks") << Setup::NoDatabase << QList<Answer>{Answer::Yes}
            << QVariant() << QStringList{repair} << QStringList{ToolsFiles::NoDatabaseText} << "W" << false << true;
        QTest::newRow("repair: Cancel") << QByteArray("cmdFixLinks") << Setup::Database << QList<Answer>{Answer::Cancel}
            << QVariant() << QStringList{repair} << none << "" << true << true;
        QTest::newRow("start over: vlm running") << QByteArray("cmdStartOver") << Setup::VlmRunning
            << QList<Answer>{Answer::Yes, Answer::Yes} << sentence << none << QStringList{ToolsFiles::VlmRunningText}
            << "W" << true << true;
        QTest::newRow("start over: No") << QByteArray("cmdStartOver") << Setup::Database << QList<Answer>{Answer::No}
            << QVariant() << QStringList{kStartOverQuestion} << none << "" << true << true;
        QTest::newRow("start over: Cancel") << QByteArray("cmdStartOver") << Setup::Database << QList<Answer>{Answer::Cancel}
            << QVariant() << QStringList{kStartOverQuestion} << none << "" << true << true;
        QTest::newRow("start over: sentence box cancelled") << QByteArray("cmdStartOver") << Setup::Database
            << QList<Answer>{Answer::Yes} << QVariant() << sentenceAsked << QStringList{cancelled} << "M" << true << true;
        QTest::newRow("start over: sentence cut short") << QByteArray("cmdStartOver") << Setup::Database
            << QList<Answer>{Answer::Yes} << QVariant(QStringLiteral("I WANT TO START")) << sentenceAsked
            << QStringList{cancelled} << "M" << true << true;
        QTest::newRow("start over: not sure (No)") << QByteArray("cmdStartOver") << Setup::Database
            << QList<Answer>{Answer::Yes, Answer::No} << sentence << allAsked << none << "" << true << true;
        QTest::newRow("start over: not sure (Cancel)") << QByteArray("cmdStartOver") << Setup::Database
            << QList<Answer>{Answer::Yes, Answer::Cancel} << sentence << allAsked << none << "" << true << true;
        QTest::newRow("start over: confirmed in lower case with blanks") << QByteArray("cmdStartOver") << Setup::Database
            << QList<Answer>{Answer::Yes, Answer::Yes} << QVariant(QStringLiteral("  i want to start over ")) << allAsked
            << QStringList{"'Start over' complete."} << "M" << false << false;
    }
    void confirmations()
    {
        QFETCH(QByteArray, button);
        QFETCH(Setup, setup);
        QFETCH(QList<Answer>, answers);
        QFETCH(QVariant, reply);
        QFETCH(QStringList, questions);
        QFETCH(QStringList, messages);
        QFETCH(QString, kinds);
        QFETCH(bool, databaseThere);
        QFETCH(bool, thumbThere);

        const std::unique_ptr<QLockFile> vlm = layOut(setup);
        FakePrompt prompt;
        prompt.answers3 = answers;
        if (reply.isValid())
            prompt.inputs = {reply.toString()};
        frmMain window;
        window.show();
        DialogDriver::click(&window, button.constData());

        QCOMPARE(prompt.questions, questions);
        QCOMPARE(prompt.messages, messages);
        QCOMPARE(kindLetters(prompt), kinds);
        QCOMPARE(QFile::exists(ToolsFiles::GetDbPath()), databaseThere);
        QCOMPARE(QFile::exists(data(kThumb)), thumbThere);
        QVERIFY(!QFile::exists(ToolsFiles::GetTempDbPath()));
        QVERIFY(DialogDriver::child<QPushButton>(&window, "cmdClose")->isEnabled());
    }

    // Start Over asks once more, naming the file and why, before it deletes
    // a "vlm.mdb" that is not a usable database of ours or a journal left
    // without its database; only Yes deletes it, with everything else.
    void startOverAsksForUnusableDatabase_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("file");  // the file asked about
        QTest::addColumn<QString>("says");
        for (const Answer answer : {Answer::Yes, Answer::No, Answer::Cancel}) {
            const char *a = answer == Answer::Yes ? "Yes" : answer == Answer::No ? "No" : "Cancel";
            QTest::addRow("another program's file: %s", a) << "foreign" << answer << "vlm.mdb" << "is not a Vellumark database";
            QTest::addRow("read-only database: %s", a) << "readonly" << answer << "vlm.mdb" << "is read-only";
            QTest::addRow("journal without its database: %s", a) << "journal" << answer << "vlm.mdb-journal"
                                                                  << "holds an unfinished change";
        }
    }
    void startOverAsksForUnusableDatabase()
    {
        QFETCH(QString, kind);
        QFETCH(Answer, answer);
        QFETCH(QString, file);
        QFETCH(QString, says);
        layOut(kind == "readonly" ? Setup::Database : Setup::NoDatabase);
        const QString path = data(file);
        if (kind == "foreign")
            TestFiles::writeForeignDatabase(path, {"CREATE TABLE Page (Id INTEGER)"});
        else if (kind == "journal")
            TestFiles::write(path, QByteArray(4096, 'j'));
        else
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QByteArray before = TestFiles::read(path);

        FakePrompt prompt;
        prompt.answers3 = {Answer::Yes, Answer::Yes, answer};
        prompt.inputs = {QStringLiteral("I WANT TO START OVER")};
        frmMain window;
        window.show();
        DialogDriver::click(&window, "cmdStartOver");

        QCOMPARE(prompt.questions.size(), 4);
        QCOMPARE(prompt.questions.mid(0, 3), (QStringList{kStartOverQuestion, kSentencePrompt, kSureQuestion}));
        const QString asked = prompt.questions.last();
        QVERIFY2(asked.contains(says) && asked.contains(QStringLiteral("\"%1\"").arg(path)), qPrintable(asked));
        QVERIFY(asked.endsWith(QStringLiteral("Delete it and start over?")));
        const bool yes = answer == Answer::Yes;
        QCOMPARE(prompt.messages, yes ? QStringList{"'Start over' complete."} : QStringList());
        QCOMPARE(QFile::exists(path), !yes);
        if (!yes)
            QCOMPARE(TestFiles::read(path), before);
        QCOMPARE(QFile::exists(data(kThumb)), !yes);
        QVERIFY(!QFile::exists(data(QStringLiteral("vlm.startover"))));
    }

    // Compaction from its button: the old file becomes the backup, the
    // message reports the bytes saved, and the buttons come back.
    void compactsThroughTheWindow()
    {
        layOut(Setup::Database);
        DbConnection::open(ToolsFiles::GetDbPath());
        for (int i = 0; i < 200; ++i)
            RecordFixture::cabinet(QStringLiteral("Cabinet %1 %2").arg(i).arg(QString(300, QLatin1Char('x'))));
        DbConnection::execute(QStringLiteral("DELETE FROM Cabinet"));
        DbConnection::close();
        const QByteArray oldBytes = TestFiles::read(ToolsFiles::GetDbPath());

        FakePrompt prompt;
        prompt.answers3 = {Answer::Yes};
        frmMain window;
        window.show();
        DialogDriver::click(&window, "cmdCompactDb");

        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY2(prompt.messages[0].startsWith(QStringLiteral("Compact database complete.\n")), qPrintable(prompt.messages[0]));
        QVERIFY(prompt.messages[0].endsWith(QStringLiteral(" bytes saved.")));
        QCOMPARE(kindLetters(prompt), QStringLiteral("M"));
        QCOMPARE(TestFiles::read(ToolsFiles::GetBackupDbPath()), oldBytes);
        QVERIFY(QFileInfo(ToolsFiles::GetDbPath()).size() < oldBytes.size());
        QVERIFY(!QFile::exists(ToolsFiles::GetTempDbPath()));
        for (const char *name : {"cmdScanRes", "cmdClose", "cmdCompactDb", "cmdDeleteThumbs", "cmdFixLinks", "cmdStartOver"})
            QVERIFY2(DialogDriver::child<QPushButton>(&window, name)->isEnabled(), name);
    }

    // During a repair the tool buttons and Close are disabled, Advanced >>
    // is not, and the close box is refused; the progress window's Cancel
    // asks first, and only Yes stops the run.
    void repairWithProgress_data()
    {
        QTest::addColumn<Answer>("stop");
        QTest::addColumn<QString>("completion");
        QTest::newRow("stop: Yes") << Answer::Yes << "Repair broken links completed.\n0 repairs made.";
        // A run not stopped also removes the thumbnail of the lay-out, whose
        // page has neither row nor image.
        QTest::newRow("stop: No") << Answer::No
            << "Repair broken links completed.\n3 repairs made.\n1 thumbnail without a page image was removed.";
        QTest::newRow("stop: Cancel") << Answer::Cancel
            << "Repair broken links completed.\n3 repairs made.\n1 thumbnail without a page image was removed.";
    }
    void repairWithProgress()
    {
        QFETCH(Answer, stop);
        QFETCH(QString, completion);
        layOutOrphanDrawers();
        FakePrompt prompt;
        prompt.answers3 = {Answer::Yes, stop};
        frmMain window;
        window.show();

        bool seen = false;
        QTimer::singleShot(0, &window, [&] {
            // The progress window holds the other windows' input without
            // being a modal window.
            QWidget *progress = frmProgress::shownWindow();
            QVERIFY(progress && progress->isVisible());
            seen = true;
            QVERIFY(!window.close());
            QVERIFY(window.isVisible());
            for (const char *name : {"cmdScanRes", "cmdClose", "cmdCompactDb", "cmdDeleteThumbs", "cmdFixLinks", "cmdStartOver"})
                QVERIFY2(!DialogDriver::child<QPushButton>(&window, name)->isEnabled(), name);
            QVERIFY(DialogDriver::child<QPushButton>(&window, "cmdAdvanced")->isEnabled());
            QVERIFY(!progress->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            DialogDriver::click(progress, "cmdCancel");
        });
        DialogDriver::click(&window, "cmdFixLinks");

        QVERIFY(seen);
        QCOMPARE(prompt.questions, (QStringList{"Repair broken links?", "Stop repairing data?"}));
        QCOMPARE(prompt.messages, QStringList{completion});
        QVERIFY(window.close());
    }
};

VLM_TEST_MAIN(frmMainTest)
#include "frmMainTest.moc"

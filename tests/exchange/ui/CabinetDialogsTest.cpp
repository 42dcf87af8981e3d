#include "exchange/ui/frmExport.h"
#include "core/RecordId.h"
#include "exchange/ui/frmImport.h"

#include "core/Progress.h"
#include "exchange/ExchangeRules.h"
#include "platform/DataFolder.h"
#include "platform/Settings.h"
#include "store/Passwords.h"
#include "store/ui/StorePrompt.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/PageFixture.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestImages.h"

#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace DialogDriver;

namespace {

int g_dirs = 0;

QString newPath(const QString &name)
{
    return QStringLiteral("%1/%2 %3").arg(TestEnvironment::root(), name).arg(++g_dirs);
}

// A cabinet holding one document of pages.
RecordId cabinetWithPages(const QString &name, int pages, const QString &password = QString())
{
    const int cabinet = RecordFixture::cabinet(name, password);
    const int doc = RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(cabinet, name + " drawer"), "F"),
                                            "G");
    for (int n = 1; n <= pages; ++n)
        PageFixture::storedPage(doc, n, QByteArray(20, char('a' + n)));
    return cabinet;
}

// An exported tree of one page at root, with its marker.
QString treeAt(const QString &root, const QString &marker = QStringLiteral("VLM.txt"))
{
    QDir().mkpath(root + "/D/F/G");
    TestFiles::write(root + "/" + marker, "marker");
    TestImages::writeJpeg(root + "/D/F/G/Page 1.jpg", QSize(30, 20), 300);
    return root;
}

QComboBox *cabinets(QDialog *dialog)
{
    return child<QComboBox>(dialog, "cboCabinet");
}

} // namespace

class CabinetDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // Paths in the data folder are refused, however they are spelt; a
    // folder that only shares the start of its name is not.
    void refusedOutputPaths_data()
    {
        QTest::addColumn<QString>("path");   // <data> is the data folder, <link> a link to it
        QTest::addColumn<bool>("refused");
        QTest::newRow("the folder") << "<data>" << true;
        QTest::newRow("a folder in it") << "<data>/Pages/new" << true;
        QTest::newRow("through a link") << "<link>/Pages" << true;
        QTest::newRow("through ..") << "<data>/../<name>/Pages" << true;
        QTest::newRow("same start, other folder") << "<data>2/out" << false;
    }
    void refusedOutputPaths()
    {
        QFETCH(QString, path);
        QFETCH(bool, refused);
        const QString data = DataFolder::path();
        QDir().mkpath(data + "/Pages");
        const QString link = newPath("link to data");
        QVERIFY(QFile::link(data, link));
        path.replace("<data>", data).replace("<link>", link).replace("<name>", QFileInfo(data).fileName());
        cabinetWithPages("Cab", 1);
        FakePrompt prompt;
        prompt.answers3 = {Prompt::Answer::No};
        frmExport dialog;
        QVERIFY(showActive(&dialog));
        box(&dialog, "txtOutputPath")->setText("  " + path + "  ");
        click(&dialog, "cmdOK");
        QVERIFY(dialog.isVisible());
        QCOMPARE(prompt.messages.contains(ExchangeRules::insideProgramMessage(DataFolder::path())), refused);
        QCOMPARE(prompt.questions.size(), refused ? 0 : 1);
        QCOMPARE(box(&dialog, "txtOutputPath")->text(), path);
        QVERIFY(box(&dialog, "txtOutputPath")->hasFocus());
    }

    // A missing output folder: only Yes goes on, and the export makes it;
    // the folder is offered the next time.
    void missingOutputFolder_data()
    {
        QTest::addColumn<Prompt::Answer>("answer");
        QTest::newRow("Yes") << Prompt::Answer::Yes;
        QTest::newRow("No") << Prompt::Answer::No;
        QTest::newRow("Cancel") << Prompt::Answer::Cancel;
    }
    void missingOutputFolder()
    {
        QFETCH(Prompt::Answer, answer);
        cabinetWithPages("Cab", 2);
        const QString path = newPath("new.out");
        FakePrompt prompt;
        prompt.answers3 = {answer};
        {
            frmExport dialog;
            QVERIFY(showActive(&dialog));
            box(&dialog, "txtOutputPath")->setText(path);
            click(&dialog, "cmdOK");
            const bool yes = answer == Prompt::Answer::Yes;
            QCOMPARE(prompt.questions.value(0), QStringLiteral("'%1' does not exist.  Do you want to create it?").arg(path));
            QCOMPARE(dialog.isVisible(), !yes);
            QCOMPARE(QFileInfo::exists(path + "/Cab/Cab drawer/F/G/Page 2.jpg"), yes);
            QCOMPARE(prompt.messages, yes ? QStringList{"Export complete. 2 pages copied."} : QStringList());
            if (!yes)
                return;
        }
        frmExport again;
        QCOMPARE(box(&again, "txtOutputPath")->text(), path);
    }

    // A locked cabinet is never offered, not even through an open one of
    // the same name: the choice is by id. Its popup's preselection leaves
    // the list on its first entry; an open one's locks the list.
    void cabinetsById()
    {
        const int locked = cabinetWithPages("Same", 1, "secret");
        const int open = cabinetWithPages("Same", 3);
        cabinetWithPages("Other", 1);
        FakePrompt prompt;
        {
            frmExport dialog;
            QCOMPARE(cabinets(&dialog)->count(), 2);
            dialog.selectCabinet(locked);
            QVERIFY(cabinets(&dialog)->isEnabled());
            QCOMPARE(cabinets(&dialog)->currentText(), QString("Other"));
            dialog.selectCabinet(open);
            QVERIFY(!cabinets(&dialog)->isEnabled());
            QCOMPARE(cabinets(&dialog)->currentData().toInt(), open);
            const QString path = newPath("out");
            QDir().mkpath(path);
            box(&dialog, "txtOutputPath")->setText(path);
            QVERIFY(showActive(&dialog));
            click(&dialog, "cmdOK");
            QCOMPARE(prompt.messages, QStringList{"Export complete. 3 pages copied."});
        }
        QCOMPARE(prompt.passwordPrompts, 0);
    }

    // Cabinets exist, none open: the placeholder, and OK cannot be pressed;
    // both dialogs.
    void noOpenCabinet()
    {
        cabinetWithPages("Locked", 1, "secret");
        frmExport exporter;
        frmImport importer;
        for (QDialog *dialog : {static_cast<QDialog *>(&exporter), static_cast<QDialog *>(&importer)}) {
            QCOMPARE(cabinets(dialog)->count(), 1);
            QCOMPARE(cabinets(dialog)->currentText(), ExchangeRules::NoCabinetsEntry);
            QVERIFY(!cabinets(dialog)->isEnabled());
            QVERIFY(!child<QPushButton>(dialog, "cmdOK")->isEnabled());
        }
    }

    // An export into a folder that holds an earlier one of the cabinet:
    // Cancel at the question writes nothing, says nothing and leaves the
    // dialog open on its inputs, the path box focused, for another folder;
    // Yes exports and closes.
    void exportAgainCancelled()
    {
        cabinetWithPages("Cab", 2);
        const QString path = newPath("out");
        TestFiles::writeFile(path + "/Cab/VLM.txt", "marker");
        TestFiles::writeFile(path + "/Cab/Cab drawer/F/G/Page 9.jpg", "old page");
        FakePrompt prompt;
        prompt.answers3 = {Prompt::Answer::Cancel, Prompt::Answer::Yes};
        frmExport dialog;
        QVERIFY(showActive(&dialog));
        box(&dialog, "txtOutputPath")->setText(path);
        click(&dialog, "cmdOK");
        QCOMPARE(prompt.questions.size(), 1);
        QVERIFY2(prompt.questions.first().startsWith(QStringLiteral("'%1/Cab' already holds an export").arg(path)),
                 qPrintable(prompt.questions.first()));
        QVERIFY(prompt.messages.isEmpty());
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.running());
        QVERIFY(box(&dialog, "txtOutputPath")->isVisible());
        QVERIFY(box(&dialog, "txtOutputPath")->hasFocus());
        QVERIFY(QFileInfo::exists(path + "/Cab/Cab drawer/F/G/Page 9.jpg"));
        QVERIFY(!QFileInfo::exists(path + "/Cab/Cab drawer/F/G/Page 1.jpg"));
        click(&dialog, "cmdOK");
        QCOMPARE(prompt.messages, QStringList{"Export complete. 2 pages copied."});
        QVERIFY(!dialog.isVisible());
        QVERIFY(!QFileInfo::exists(path + "/Cab/Cab drawer/F/G/Page 9.jpg"));
        QVERIFY(QFileInfo::exists(path + "/Cab/Cab drawer/F/G/Page 2.jpg"));
    }

    // While the export runs, Cancel, Esc and the close box only ask "Stop
    // the export?": No lets it finish, Yes ends it and says it was
    // cancelled; either way the dialog closes after its run.
    void stopWhileRunning_data()
    {
        QTest::addColumn<CancelWay>("how");
        QTest::addColumn<bool>("stop");
        for (const CancelWayRow &row : kCancelWays) {
            QTest::newRow(qPrintable(QString(row.name) + ", No")) << row.way << false;
            QTest::newRow(qPrintable(QString(row.name) + ", Yes")) << row.way << true;
        }
    }
    void stopWhileRunning()
    {
        QFETCH(CancelWay, how);
        QFETCH(bool, stop);
        cabinetWithPages("Cab", 3);
        const QString path = newPath("out");
        QDir().mkpath(path);
        FakePrompt prompt;
        prompt.answers = {stop};
        frmExport dialog;
        QVERIFY(showActive(&dialog));
        box(&dialog, "txtOutputPath")->setText(path);
        bool wasRunning = false;
        QTimer::singleShot(0, &dialog, [&] {
            wasRunning = dialog.running();
            cancel(&dialog, how, &dialog);
        });
        click(&dialog, "cmdOK");
        QVERIFY(wasRunning);
        QCOMPARE(prompt.questions, QStringList{"Stop the export?"});
        QCOMPARE(prompt.messages.constLast(),
                 stop ? QString("Export cancelled. 0 pages copied.") : QString("Export complete. 3 pages copied."));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    // The import's checks, in their order, each leaving the dialog open;
    // and what passes them.
    void importChecks_data()
    {
        QTest::addColumn<QString>("path");   // "<tree>" is a tree with its marker
        QTest::addColumn<QString>("disks");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QString>("said");   // the message or question, "" for none
        QTest::addColumn<QString>("diskBox");
        QTest::addColumn<bool>("runs");
        const QString noMarker = QStringLiteral("Missing VLM.TXT. This file designates the starting point of a "
                                                "previously exported file cabinet.");
        const QString less = QStringLiteral("You have entered a disk count less than 1.");
        const QString over = QStringLiteral("You have designated over 10 disks to import.  Continue?");
        QTest::newRow("missing path") << "<missing>" << "1" << QList<bool>{} << "'<missing>' does not exist." << "1"
                                      << false;
        QTest::newRow("no marker") << "<empty>" << "1" << QList<bool>{} << noMarker << "1" << false;
        QTest::newRow("zero disks") << "<tree>" << "0" << QList<bool>{} << less << "0" << false;
        QTest::newRow("no number") << "<tree>" << "abc" << QList<bool>{} << less << "0" << false;
        QTest::newRow("11 declined") << "<tree>" << "11" << QList<bool>{false} << over << "11" << false;
        QTest::newRow("10 asks nothing") << "<tree>" << "10" << QList<bool>{} << "" << "10" << true;
        QTest::newRow("2.7 is 2") << "<tree>" << "2.7" << QList<bool>{} << "" << "2" << true;
        QTest::newRow("marker in other case") << "<tree vlm.TXT>" << "1" << QList<bool>{} << "" << "1" << true;
        QTest::newRow("the marker file itself") << "<tree>/VLM.txt" << "1" << QList<bool>{} << "" << "1" << true;
        QTest::newRow("with trailing slash") << "<tree>/" << "1" << QList<bool>{} << "" << "1" << true;
    }
    void importChecks()
    {
        QFETCH(QString, path);
        QFETCH(QString, disks);
        QFETCH(QList<bool>, answers);
        QFETCH(QString, said);
        QFETCH(bool, runs);
        const QString root = newPath("tree");
        if (path.startsWith("<tree vlm.TXT>"))
            treeAt(root, "vlm.TXT");
        else if (path.startsWith("<tree>"))
            treeAt(root);
        else
            QDir().mkpath(root);
        path.replace("<tree vlm.TXT>", root).replace("<tree>", root).replace("<empty>", root);
        path.replace("<missing>", root + "/missing");
        said.replace("<missing>", root + "/missing");
        RecordFixture::cabinet("Target");
        FakePrompt prompt;
        prompt.answers = answers;
        frmImport dialog;
        QVERIFY(showActive(&dialog));
        box(&dialog, "txtImportPath")->setText(path);
        box(&dialog, "txtDiskCount")->setText(disks);
        click(&dialog, "cmdOK");
        QTEST(box(&dialog, "txtDiskCount")->text(), "diskBox");
        QCOMPARE(dialog.isVisible(), !runs);
        QStringList saidAll = prompt.questions + prompt.messages;
        if (!said.isEmpty())
            QCOMPARE(saidAll.value(0), said);
        if (runs) {
            QCOMPARE(prompt.messages.constLast(), QString("1 files imported.\r\n0 shortcuts created."));
            QCOMPARE(RecordFixture::rowCount("Page"), 1);
            QCOMPARE(Settings::value("LastImportPath"), path);
        } else {
            QCOMPARE(RecordFixture::rowCount("Page"), 0);
        }
    }

    // Stopping the import from the close box: the counts, and the note.
    void stopImport()
    {
        const QString root = treeAt(newPath("tree"));
        const int target = RecordFixture::cabinet("Target");
        FakePrompt prompt;
        prompt.answers = {true};
        frmImport dialog;
        dialog.selectCabinet(target);
        QVERIFY(!cabinets(&dialog)->isEnabled());
        QVERIFY(showActive(&dialog));
        box(&dialog, "txtImportPath")->setText(root);
        QTimer::singleShot(0, &dialog, [&] { dialog.close(); });
        click(&dialog, "cmdOK");
        QCOMPARE(prompt.questions, QStringList{"Stop the import?"});
        QCOMPARE(prompt.messages.constLast(),
                 QString("0 files imported.\r\n0 shortcuts created.\r\nImport stopped by user."));
        QVERIFY(!dialog.isVisible());
    }

    // The next-disk question as the running program asks it: OK, Cancel,
    // "Choose folder…", and Esc for Cancel.
    void nextDiskQuestion_data()
    {
        QTest::addColumn<QString>("button");   // "" presses Esc
        QTest::addColumn<Prompt::DiskAnswer>("answer");
        QTest::newRow("OK") << "OK" << Prompt::DiskAnswer::Ok;
        QTest::newRow("Cancel") << "Cancel" << Prompt::DiskAnswer::Cancel;
        QTest::newRow("Choose folder") << QString::fromUtf8("Choose folder…") << Prompt::DiskAnswer::ChooseFolder;
        QTest::newRow("Esc") << "" << Prompt::DiskAnswer::Cancel;
    }
    void nextDiskQuestion()
    {
        QFETCH(QString, button);
        StorePrompt prompt;
        QString shown;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            shown = box->text();
            if (button.isEmpty()) {
                QTest::keyClick(box, Qt::Key_Escape);
                return;
            }
            for (QAbstractButton *b : box->buttons()) {
                if (b->text().remove('&') == button)
                    b->click();
            }
        });
        QTEST(prompt.insertDisk("Please insert disk #2"), "answer");
        QCOMPARE(shown, QString("Please insert disk #2"));
    }

    // The dialog's bar is a progress sink like the progress window: a
    // start shows its text and draws the bar at 0, a stop fills it and the
    // dialog stays.
    void barAsProgressSink_data()
    {
        QTest::addColumn<int>("steps");
        QTest::newRow("no step") << 0;
        QTest::newRow("one of two steps") << 1;
    }
    void barAsProgressSink()
    {
        QFETCH(int, steps);
        frmExport dialog;
        QVERIFY(showActive(&dialog));
        auto *bar = child<QProgressBar>(&dialog, "shpForeground");
        auto *status = child<QLabel>(&dialog, "lblStatus");
        ProgressView &sink = dialog;
        sink.start("Count pages", 1, 2, false);
        QCOMPARE(status->text(), QString("Count pages"));
        QCOMPARE(bar->value(), 0);
        QCOMPARE(dialog.Max(), 2);
        for (int step = 1; step <= steps; ++step)
            sink.IncrementProgress("Counting pages");
        QCOMPARE(dialog.Value(), steps);
        sink.StopProgress();
        QCOMPARE(dialog.Value(), 2);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(dialog.isVisible());
    }

    // The bar of Min 1 and Max 4: quarters, then a fifth step only writes
    // the status line. A long detail is shown by its tail.
    void barAndStatus()
    {
        frmImport dialog;
        QVERIFY(showActive(&dialog));
        auto *bar = child<QProgressBar>(&dialog, "shpForeground");
        auto *status = child<QLabel>(&dialog, "lblStatus");
        dialog.Reset(1, 4);
        QCOMPARE(bar->value(), 0);
        for (int step = 1; step <= 5; ++step) {
            dialog.IncrementProgress(QStringLiteral("step %1").arg(step));
            QCOMPARE(double(bar->value()) / bar->maximum(), qMin(step, 4) / 4.0);
            QCOMPARE(status->text(), QStringLiteral("step %1").arg(step));
        }
        const QString detail = QString("/media/user/STICK/") + QString(200, 'x') + "/the end.jpg";
        dialog.showStatus("Import", detail);
        QVERIFY(status->text().startsWith("Import ..."));
        QVERIFY(status->text().endsWith("/the end.jpg"));
        QVERIFY(QFontMetrics(status->font()).horizontalAdvance(status->text()) <= status->width());
        dialog.showStatus("Import", "a.jpg");
        QCOMPARE(status->text(), QString("Import a.jpg"));
    }
};

VLM_TEST_MAIN(CabinetDialogsTest)
#include "CabinetDialogsTest.moc"

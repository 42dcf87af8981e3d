#include "imaging/SaveAs.h"

#include "platform/DataFolder.h"
#include "platform/Settings.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestImages.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QtTest>

using namespace SaveAs;

class SaveAsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }

    void insideDataFolder_data()
    {
        QTest::addColumn<QString>("name");  // "$DATA" is the data folder, "$ROOT" the test root
        QTest::addColumn<bool>("refused");
        QTest::newRow("in the data folder") << "$DATA/out/x.jpg" << true;
        QTest::newRow("other letter case") << "$DATA_UPPER/x.jpg" << true;
        QTest::newRow("through a symbolic link") << "$ROOT/link/Pages/x.jpg" << true;
        QTest::newRow("through ..") << "$ROOT/elsewhere/../$DATANAME/x.jpg" << true;
        QTest::newRow("through a link to a file not there yet") << "$ROOT/dangling.jpg" << true;
        QTest::newRow("the folder's text in a longer name") << "$DATA2/x.jpg" << true;
        QTest::newRow("beside it") << "$ROOT/elsewhere/x.jpg" << false;
        QTest::newRow("home") << "/tmp/vlm-save-as/x.jpg" << false;
    }
    // Nothing is exported into the program's own files, however the name
    // gets there.
    void insideDataFolder()
    {
        QFETCH(QString, name);
        QFETCH(bool, refused);
        const QString data = QDir::cleanPath(DataFolder::path());
        QDir().mkpath(TestEnvironment::root() + "/elsewhere");
        const QString link = TestEnvironment::root() + "/link-" + QFileInfo(data).fileName();
        QFile::link(data, link);
        QFile::remove(TestEnvironment::root() + "/dangling.jpg");
        QFile::link(data + "/Pages/new.jpg", TestEnvironment::root() + "/dangling.jpg");
        name.replace("$DATA_UPPER", data.toUpper())
            .replace("$DATANAME", QFileInfo(data).fileName())
            .replace("$DATA", data)
            .replace("$ROOT/link", link)
            .replace("$ROOT", TestEnvironment::root());
        QCOMPARE(isInsideDataFolder(name), refused);
    }

    // The first offer is the last export's folder with the page id; at
    // first the home folder.
    void proposedName()
    {
        QCOMPARE(SaveAs::proposedName(1234), QDir::homePath() + "/1234.jpg");
        Settings::setValue("LastSaveAsPath", "/srv/scans/");
        QCOMPARE(SaveAs::proposedName(7), QStringLiteral("/srv/scans/7.jpg"));
        QCOMPARE(withDefaultExtension("/srv/a"), QStringLiteral("/srv/a.jpg"));
        QCOMPARE(withDefaultExtension("/srv/a.jpeg"), QStringLiteral("/srv/a.jpeg"));
    }

    // An export writes the JPEG with its resolution and remembers its
    // folder; a failed one remembers nothing and says why.
    void exportRemembersFolder()
    {
        const QString name = TestEnvironment::root() + "/exports/new/page.jpg";
        QVERIFY(!exportImage(TestImages::filled(QSize(40, 30), Qt::red, 600), name, 30));
        QImageReader reader(name);
        QCOMPARE(reader.size(), QSize(40, 30));
        QCOMPARE(qRound(reader.read().dotsPerMeterX() * 0.0254), 600);
        QCOMPARE(Settings::value("LastSaveAsPath"), TestEnvironment::root() + "/exports/new/");

        const QString blocked = TestFiles::pathUnderFile("blocker") + "/page.jpg";
        const std::optional<AppError> error = exportImage(TestImages::filled(QSize(4, 4), Qt::red), blocked, 30);
        QVERIFY(error);
        QVERIFY(!error->text.isEmpty());
        QCOMPARE(Settings::value("LastSaveAsPath"), TestEnvironment::root() + "/exports/new/");
    }
};

VLM_TEST_GUI_MAIN(SaveAsTest)
#include "SaveAsTest.moc"

#include "platform/PathFacts.h"

#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using PathFacts::Kind;

Q_DECLARE_METATYPE(PathFacts::Kind)

namespace {

// The layout the tables name, below $T:
//   box/file.txt, box/sub/, box2/, out/other.txt, a fifo box/pipe
//   box/hard.txt      a hard link of box/file.txt
//   box/sym.txt       -> file.txt (relative)
//   box/linkOut       -> $T/out
//   box/dangling      -> $T/out/nothing-yet
//   linkIn            -> $T/box
//   danglingIn        -> $T/box/new.txt
//   far/linkSub       -> $T/box/sub
//   loop              -> $T/loop
QString g_root;

QString at(const QString &path)
{
    return QString(path).replace(QStringLiteral("$T"), g_root);
}

void symlinkAt(const QString &target, const QString &name)
{
    QVERIFY2(::symlink(QFile::encodeName(at(target)).constData(), QFile::encodeName(at(name)).constData()) == 0,
             qPrintable(name));
}

} // namespace

class PathFactsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(TestEnvironment::root() + "/paths"));
        g_root = QFileInfo(TestEnvironment::root() + "/paths").canonicalFilePath();
        for (const char *folder : {"box/sub", "box2", "out", "far"})
            QVERIFY(QDir().mkpath(at("$T/") + folder));
        TestFiles::write(at("$T/box/file.txt"), "page");
        TestFiles::write(at("$T/out/other.txt"), "other");
        QCOMPARE(::link(QFile::encodeName(at("$T/box/file.txt")).constData(),
                        QFile::encodeName(at("$T/box/hard.txt")).constData()),
                 0);
        QCOMPARE(::mkfifo(QFile::encodeName(at("$T/box/pipe")).constData(), 0600), 0);
        symlinkAt("file.txt", "$T/box/sym.txt");
        symlinkAt("$T/out", "$T/box/linkOut");
        symlinkAt("$T/out/nothing-yet", "$T/box/dangling");
        symlinkAt("$T/box", "$T/linkIn");
        symlinkAt("$T/box/new.txt", "$T/danglingIn");
        symlinkAt("$T/box/sub", "$T/far/linkSub");
        symlinkAt("$T/loop", "$T/loop");
    }

    void kindOf_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<Kind>("kind");
        QTest::newRow("file") << "$T/box/file.txt" << Kind::File;
        QTest::newRow("folder") << "$T/box" << Kind::Folder;
        QTest::newRow("link to a file") << "$T/box/sym.txt" << Kind::Link;
        QTest::newRow("link to a folder") << "$T/linkIn" << Kind::Link;
        QTest::newRow("dangling link") << "$T/box/dangling" << Kind::Link;
        QTest::newRow("fifo") << "$T/box/pipe" << Kind::Other;
        QTest::newRow("missing") << "$T/box/missing.txt" << Kind::Missing;
        QTest::newRow("below a file") << "$T/box/file.txt/x" << Kind::Missing;
        QTest::newRow("empty") << "" << Kind::Missing;
    }
    // What stands at a path itself: a link is a link, whatever it names.
    void kindOf()
    {
        QFETCH(QString, path);
        QTEST(PathFacts::kindOf(at(path)), "kind");
    }

    void resolvedPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("resolved");
        QTest::newRow("existing file") << "$T/box/file.txt" << "$T/box/file.txt";
        QTest::newRow("missing part as written") << "$T/box/new/deeper.txt" << "$T/box/new/deeper.txt";
        QTest::newRow("doubled and trailing slashes") << "$T//box/./sub/" << "$T/box/sub";
        QTest::newRow("relative link") << "$T/box/sym.txt" << "$T/box/file.txt";
        QTest::newRow("link on the way") << "$T/linkIn/new.txt" << "$T/box/new.txt";
        QTest::newRow("dangling link followed") << "$T/box/dangling" << "$T/out/nothing-yet";
        QTest::newRow("dot-dot from a link's target") << "$T/far/linkSub/../file.txt" << "$T/box/file.txt";
        QTest::newRow("dot-dot out of a missing name") << "$T/box/new/../linkOut/x" << "$T/out/x";
        QTest::newRow("link loop taken as a name") << "$T/loop/x" << "$T/loop/x";
    }
    // Where a path leads, as opening or making it would go.
    void resolvedPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, resolved);
        QCOMPARE(PathFacts::resolvedPath(at(path)), at(resolved));
    }

    void isInsideFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("inside");
        QTest::newRow("the folder itself") << "$T/box" << "$T/box" << true;
        QTest::newRow("a file in it") << "$T/box/file.txt" << "$T/box" << true;
        QTest::newRow("a missing file in it") << "$T/box/missing/deeper.txt" << "$T/box" << true;
        QTest::newRow("a sibling with a longer name") << "$T/box2/x" << "$T/box" << false;
        QTest::newRow("outside") << "$T/out/other.txt" << "$T/box" << false;
        QTest::newRow("a link inside leading out") << "$T/box/linkOut/other.txt" << "$T/box" << false;
        QTest::newRow("a link outside leading in") << "$T/linkIn/file.txt" << "$T/box" << true;
        QTest::newRow("the folder named through a link") << "$T/box/file.txt" << "$T/linkIn" << true;
        QTest::newRow("a dangling link leading out") << "$T/box/dangling" << "$T/box" << false;
        QTest::newRow("a dangling link leading in") << "$T/danglingIn" << "$T/box" << true;
        QTest::newRow("dot-dot after a link leading in") << "$T/far/linkSub/../file.txt" << "$T/box" << true;
        QTest::newRow("dot-dot after a link leading out") << "$T/box/linkOut/../box2/x" << "$T/box" << false;
        QTest::newRow("the root holds all") << "$T/out/other.txt" << "/" << true;
        QTest::newRow("no path") << "" << "$T/box" << false;
        QTest::newRow("no folder") << "$T/box/file.txt" << "" << false;
    }
    // Whether a path lands in a folder, links and ".." taken as the
    // system takes them.
    void isInsideFolder()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QTEST(PathFacts::isInsideFolder(at(path), at(folder)), "inside");
    }

    void isInside_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("inside");
        QTest::newRow("below") << "/opt/vlm/x" << "/opt/vlm" << true;
        QTest::newRow("longer name beside") << "/opt/vlm2" << "/opt/vlm" << false;
        QTest::newRow("the folder itself") << "/opt/vlm" << "/opt/vlm" << false;
        QTest::newRow("below the root") << "/x" << "/" << true;
        QTest::newRow("the root itself") << "/" << "/" << false;
        QTest::newRow("no folder") << "/x" << "" << false;
    }
    // The comparison of resolved texts: whole components, strictly below.
    void isInside()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QTEST(PathFacts::isInside(path, folder), "inside");
    }

    void realPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("real");
        QTest::newRow("file") << "$T/box/file.txt" << "$T/box/file.txt";
        QTest::newRow("through links") << "$T/linkIn/sym.txt" << "$T/box/file.txt";
        QTest::newRow("dangling link") << "$T/box/dangling" << "";
        QTest::newRow("missing") << "$T/box/missing.txt" << "";
    }
    // The real path of an existing file; nothing for one that is not there.
    void realPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, real);
        QCOMPARE(PathFacts::realPath(at(path)), real.isEmpty() ? QString() : at(real));
    }

    void sameFile_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("same path") << "$T/box/file.txt" << "$T/box/file.txt" << true;
        QTest::newRow("same path spelled otherwise") << "$T/box/sub/../file.txt" << "$T/box/file.txt" << true;
        QTest::newRow("hard link") << "$T/box/hard.txt" << "$T/box/file.txt" << true;
        QTest::newRow("symbolic link") << "$T/box/sym.txt" << "$T/box/file.txt" << true;
        QTest::newRow("through a linked folder") << "$T/linkIn/file.txt" << "$T/box/file.txt" << true;
        QTest::newRow("two files") << "$T/out/other.txt" << "$T/box/file.txt" << false;
        QTest::newRow("a missing file is itself") << "$T/box/missing.txt" << "$T/box/missing.txt" << true;
        QTest::newRow("two missing files") << "$T/box/missing.txt" << "$T/box/gone.txt" << false;
        QTest::newRow("a missing file and an existing one") << "$T/box/missing.txt" << "$T/box/file.txt" << false;
        // Nothing stands at either yet, so they are no one file.
        QTest::newRow("a dangling link and what it names") << "$T/danglingIn" << "$T/box/new.txt" << false;
    }
    // Two paths name one file by device and inode, whichever way they
    // reach it.
    void sameFile()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(PathFacts::sameFile(at(a), at(b)), same);
        QCOMPARE(PathFacts::sameFile(at(b), at(a)), same);
    }
};

VLM_TEST_GUILESS_MAIN(PathFactsTest)
#include "PathFactsTest.moc"

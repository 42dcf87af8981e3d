#include "platform/FileSync.h"

#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <cerrno>

namespace {

enum class Way { Write, Copy, Rename };

std::optional<AppError> place(Way way, const QString &source, const QString &target)
{
    switch (way) {
    case Way::Write:
        return FileSync::writeNew(target, TestFiles::read(source));
    case Way::Copy:
        return FileSync::copyNew(source, target);
    case Way::Rename:
        return FileSync::renameNew(source, target);
    }
    return std::nullopt;
}

} // namespace

Q_DECLARE_METATYPE(Way)

class FileSyncTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Files of several folders are synced together, then their folders,
    // each reported; one that cannot be (gone since it was written) fails
    // the call with its errno and name, so the rows naming them never
    // commit.
    void syncsFilesThenFolders_data()
    {
        QTest::addColumn<bool>("oneGone");
        QTest::newRow("all there") << false;
        QTest::newRow("one gone") << true;
    }
    void syncsFilesThenFolders()
    {
        QFETCH(bool, oneGone);
        const QString base = TestEnvironment::root() + (oneGone ? "/gone" : "/there");
        QStringList files;
        QStringList folders;
        for (int folder = 0; folder < 3; ++folder) {
            folders.append(QStringLiteral("%1/%2").arg(base).arg(folder));
            QDir().mkpath(folders.constLast());
            for (int n = 0; n < 20; ++n) {
                files.append(QStringLiteral("%1/%2.jpg").arg(folders.constLast()).arg(n));
                TestFiles::write(files.constLast(), QByteArray(100 + n, 'x'));
            }
        }
        if (oneGone)
            QVERIFY(QFile::remove(files.at(27)));
        QStringList synced;
        const std::optional<AppError> error =
            FileSync::syncAll(files, folders, 4, [&](const QString &path) { synced.append(path); });
        QCOMPARE(error.has_value(), oneGone);
        if (oneGone) {
            QCOMPARE(error->code, ENOENT);
            QVERIFY2(error->text.contains(files.at(27)), qPrintable(error->text));
            // No folder entry goes to the disk before the files it names.
            for (const QString &folder : folders)
                QVERIFY(!synced.contains(folder));
            return;
        }
        QCOMPARE(synced.size(), files.size() + folders.size());
        for (const QString &folder : folders)
            QVERIFY(synced.indexOf(folder) >= files.size());
    }

    // A new file goes only where nothing stands: a file there, or a link
    // (a dangling one too), is never written over or through, and the
    // caller hears EEXIST.
    void placesOnlyWhereNothingStands_data()
    {
        QTest::addColumn<Way>("way");
        QTest::addColumn<QString>("standing");
        for (const auto &[name, way] : {std::pair{"write", Way::Write}, std::pair{"copy", Way::Copy},
                                         std::pair{"rename", Way::Rename}}) {
            QTest::addRow("%s, nothing there", name) << way << "";
            QTest::addRow("%s, a file there", name) << way << "file";
            QTest::addRow("%s, a link to a file there", name) << way << "link";
            QTest::addRow("%s, a dangling link there", name) << way << "dangling";
        }
    }
    void placesOnlyWhereNothingStands()
    {
        QFETCH(Way, way);
        QFETCH(QString, standing);
        const QString dir = TestEnvironment::root() + QLatin1Char('/') + QTest::currentDataTag();
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        const QString source = dir + "/source.jpg";
        const QString target = dir + "/1.jpg";
        const QString elsewhere = dir + "/elsewhere.jpg";
        TestFiles::write(source, "new page");
        if (standing == QLatin1String("file"))
            TestFiles::write(target, "restored page");
        if (standing == QLatin1String("link")) {
            TestFiles::write(elsewhere, "restored page");
            QVERIFY(QFile::link(elsewhere, target));
        }
        if (standing == QLatin1String("dangling"))
            QVERIFY(QFile::link(elsewhere, target));

        const std::optional<AppError> error = place(way, source, target);
        if (standing.isEmpty()) {
            QVERIFY2(!error, error ? qPrintable(error->message()) : "");
            QCOMPARE(TestFiles::read(target), QByteArray("new page"));
            QCOMPARE(QFileInfo::exists(source), way != Way::Rename);
            return;
        }
        QVERIFY(error);
        QCOMPARE(error->code, EEXIST);
        QVERIFY(QFileInfo::exists(source));
        if (standing == QLatin1String("file"))
            QCOMPARE(TestFiles::read(target), QByteArray("restored page"));
        else
            QVERIFY(QFileInfo(target).isSymLink());
        QCOMPARE(QFileInfo::exists(elsewhere), standing == QLatin1String("link"));
        if (standing == QLatin1String("link"))
            QCOMPARE(TestFiles::read(elsewhere), QByteArray("restored page"));
    }
};

VLM_TEST_GUILESS_MAIN(FileSyncTest)
#include "FileSyncTest.moc"

#include "store/PageFileScope.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include "platform/DataFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

using Place = PageFileScope::Place;

namespace {

// "%" the data folder, "@" the test's root folder (which holds it), a
// leading "~" the home folder.
QString expand(QString path)
{
    if (path.startsWith(QLatin1Char('~')))
        path.replace(0, 1, QDir::homePath());
    return path.replace("%", DataFolder::path()).replace("@", TestEnvironment::root());
}

using TestFiles::writeFile;

} // namespace

class PageFileScopeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        TestEnvironment::freshDataFolder();
        QVERIFY(QDir().mkpath(DataFolder::filePath("Pages/0000000")));
        QVERIFY(QDir().mkpath(DataFolder::filePath("Store")));
        QFile::remove(TestEnvironment::root() + "/to data");
        QVERIFY(QFile::link(DataFolder::path(), TestEnvironment::root() + "/to data"));
        // "Thumbs" is not made yet: a link to it dangles.
        QFile::remove(TestEnvironment::root() + "/to thumbs");
        QVERIFY(QFile::link(DataFolder::filePath("Thumbs"), TestEnvironment::root() + "/to thumbs"));
        QFile::remove(TestEnvironment::root() + "/to a page folder");
        QVERIFY(QFile::link(DataFolder::filePath("Pages/0000000"), TestEnvironment::root() + "/to a page folder"));
    }

    // A storage path may not open the data folder's own files, its page
    // folders or the whole home folder to the pages, however it is
    // written; folders of their own, existing or not yet, may.
    void placeOf_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<Place>("place");
        QTest::newRow("data folder") << "%" << Place::DataFolder;
        QTest::newRow("data folder, trailing slash") << "%/" << Place::DataFolder;
        QTest::newRow("data folder through a link") << "@/to data" << Place::DataFolder;
        QTest::newRow("data folder by a parent step") << "%/Store/.." << Place::DataFolder;
        QTest::newRow("the root") << "/" << Place::HoldsDataFolder;
        QTest::newRow("holding the data folder") << "@" << Place::HoldsDataFolder;
        QTest::newRow("Pages") << "%/Pages" << Place::PagesFolder;
        QTest::newRow("in Pages through a link") << "@/to data/Pages/0000000" << Place::PagesFolder;
        QTest::newRow("Thumbs, not there yet") << "%/Thumbs" << Place::ThumbsFolder;
        QTest::newRow("in Thumbs, not there yet") << "%/Thumbs/new" << Place::ThumbsFolder;
        QTest::newRow("Thumbs through a dangling link") << "@/to thumbs" << Place::ThumbsFolder;
        // ".." steps out of where the link leads, not out of the link.
        QTest::newRow("parent step after a link into Pages") << "@/to a page folder/../new" << Place::PagesFolder;
        QTest::newRow("home folder") << "~" << Place::HomeFolder;
        QTest::newRow("home folder, trailing slash") << "~/" << Place::HomeFolder;
        QTest::newRow("folder in the data folder") << "%/Store" << Place::Allowed;
        QTest::newRow("folder beside it") << "@/scans" << Place::Allowed;
        // A name that merely begins like a page folder's is not inside it.
        QTest::newRow("folder beside Pages") << "%/Pages2" << Place::Allowed;
        QTest::newRow("folder beside Thumbs") << "%/Thumbs 2/new" << Place::Allowed;
        QTest::newRow("new folder in the home folder") << "~/Vellumark scans not made" << Place::Allowed;
    }
    void placeOf()
    {
        QFETCH(QString, folder);
        QTEST(PageFileScope().placeOf(expand(folder)), "place");
    }

    // Only a page's own files may be deleted or copied: in the page
    // folders, or a JPEG file in an allowed storage path; never a file of
    // the data folder, whatever the path or its links say.
    void refusal_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("storage");
        QTest::addColumn<QString>("link");  // when set, path is made a link to it
        QTest::addColumn<bool>("refused");
        QTest::newRow("page store image") << "%/Pages/0000000/1.jpg" << "" << "" << false;
        QTest::newRow("imported file copy") << "%/Pages/0000000/5.pdf" << "" << "" << false;
        QTest::newRow("storage path image") << "%/Store/a.jpg" << "%/Store" << "" << false;
        QTest::newRow("storage path thumbnail") << "%/Store/Thumbs/a.JPEG" << "%/Store" << "" << false;
        QTest::newRow("storage path, not an image") << "%/Store/a.odt" << "%/Store" << "" << true;
        QTest::newRow("relative") << "a.jpg" << "%/Store" << "" << true;
        QTest::newRow("parent step") << "%/Store/../Store/a.jpg" << "%/Store" << "" << true;
        QTest::newRow("missing") << "%/Store/none.jpg" << "%/Store" << "" << true;
        QTest::newRow("outside") << "@/a.jpg" << "%/Store" << "" << true;
        QTest::newRow("the database") << "%/vlm.mdb" << "%" << "" << true;
        QTest::newRow("the backup") << "%/vlm.bak" << "%" << "" << true;
        QTest::newRow("data folder as storage") << "%/a.jpg" << "%" << "" << true;
        QTest::newRow("storage holding the data folder") << "@/a.jpg" << "@" << "" << true;
        QTest::newRow("storage with a parent step") << "%/Store/a.jpg" << "%/Store/../Store" << "" << true;
        QTest::newRow("link out of the storage path") << "%/Store/l.jpg" << "%/Store" << "@/a.jpg" << true;
        QTest::newRow("link to the database") << "%/Store/db.jpg" << "%/Store" << "%/vlm.mdb" << true;
        QTest::newRow("link named as the database") << "%/vlm.mdb" << "%/Store" << "%/Store/a.jpg" << true;
        // "…/Store2" begins like "…/Store" but lies beside it, not inside.
        QTest::newRow("sibling of the storage path") << "%/Store2/a.jpg" << "%/Store" << "" << true;
    }
    void refusal()
    {
        QFETCH(QString, path);
        QFETCH(QString, storage);
        QFETCH(QString, link);
        QFETCH(bool, refused);
        for (const char *name : {"%/Pages/0000000/1.jpg", "%/Pages/0000000/5.pdf", "%/Store/a.jpg",
                                 "%/Store/Thumbs/a.JPEG", "%/Store/a.odt", "@/a.jpg", "%/vlm.mdb", "%/vlm.bak",
                                 "%/a.jpg", "%/Store2/a.jpg"})
            writeFile(expand(name));
        if (!link.isEmpty()) {
            QFile::remove(expand(path));
            QVERIFY(QFile::link(expand(link), expand(path)));
        }
        const QString why = PageFileScope().refusal(expand(path), expand(storage));
        QVERIFY2(why.isEmpty() != refused, qPrintable(why));
    }
};

VLM_TEST_GUILESS_MAIN(PageFileScopeTest)
#include "PageFileScopeTest.moc"

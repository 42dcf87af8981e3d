#include "store/Deletes.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <memory>

#include "core/RecordId.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/PagePaths.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingProgressView.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

using namespace Deletes;

namespace {

using TestFiles::writeFile;

bool exists(const QString &path)
{
    return QFileInfo(path).isFile();
}

const QStringList kFilingTables{"Cabinet", "Drawer", "Folder", "Document", "Page"};

// "Cabinet 1, Drawer 2, ...": the rows of every filing table.
QString rowCounts()
{
    QStringList counts;
    for (const QString &table : kFilingTables)
        counts << QStringLiteral("%1 %2").arg(table).arg(RecordFixture::rowCount(table));
    return counts.join(QLatin1String(", "));
}

// Every row of the filing tables and every file under the data folder, to
// compare a state before and after.
QStringList snapshot()
{
    QStringList out;
    for (const QString &name : kFilingTables) {
        const Recordset rs = DbConnection::OpenRecordset(QStringLiteral("SELECT * FROM ") + name);
        for (int row = 0; row < rs.recordCount(); ++row) {
            QStringList fields;
            for (int col = 0; col < rs.columnCount(); ++col)
                fields.append(rs.value(row, col).toString());
            out.append(name + QLatin1Char(' ') + fields.join(QLatin1Char('|')));
        }
    }
    QDirIterator it(DataFolder::path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.endsWith(QLatin1String(".mdb")) && !path.endsWith(QLatin1String("-journal")))
            out.append(path);
    }
    out.sort();
    return out;
}

} // namespace

class DeletesTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<RecordingProgressView> m_view;

    static RecordId addCabinet(const QString &storagePath = QString())
    {
        return RecordFixture::insert(QStringLiteral("INSERT INTO Cabinet (Name, [Password], Storage, StoragePath)"
                                                    " VALUES ('Cab', '', ?, ?)"),
                                     {storagePath.isEmpty() ? 0 : 1, storagePath});
    }
    static RecordId addDrawer(RecordId cabinetId) { return RecordFixture::drawer(cabinetId, QStringLiteral("Drw")); }
    static RecordId addFolder(RecordId drawerId) { return RecordFixture::folder(drawerId, QStringLiteral("Fld")); }
    static RecordId addDocument(RecordId folderId) { return RecordFixture::document(folderId, QStringLiteral("Doc")); }
    // A page in the default store, with its image and thumbnail.
    static RecordId addPage(RecordId documentId)
    {
        const RecordId id = RecordFixture::insert(
            QStringLiteral("INSERT INTO Page (DocumentId, PageNumber, Filetype) VALUES (?, 1, 'jpg')"),
            {documentId});
        writeFile(PagePaths::GetDefaultPageFilePath(id));
        writeFile(PagePaths::GetDefaultThumbFilePath(id));
        return id;
    }
    // A page that names its file: under a cabinet's storage path, or a
    // shortcut to the user's own file. The file and the thumbnail beside it
    // are written.
    static RecordId addNamedPage(RecordId documentId, const QString &filename, bool shortcut = false)
    {
        const RecordId id = RecordFixture::insert(
            QStringLiteral("INSERT INTO Page (DocumentId, PageNumber, Filename, Filetype, ShortcutYN)"
                           " VALUES (?, 1, ?, 'jpg', ?)"),
            {documentId, filename, shortcut ? QStringLiteral("Y") : QStringLiteral("N")});
        writeFile(filename);
        writeFile(PagePaths::GetThumbFilePath(id, filename));
        return id;
    }
    static QStringList pageFiles(RecordId pageId)
    {
        const QString filename = PagePaths::GetPageFilename(pageId);
        return {PagePaths::GetPageFilePath(pageId, filename), PagePaths::GetThumbFilePath(pageId, filename)};
    }
    static QString dataPath(const QString &name) { return DataFolder::filePath(name); }

    void verifyFiles(const QStringList &files, bool present)
    {
        for (const QString &f : files)
            QVERIFY2(exists(f) == present, qPrintable(f));
    }

private Q_SLOTS:
    void init()
    {
        TestEnvironment::openFreshDatabase();
        m_view = std::make_unique<RecordingProgressView>();
    }
    void cleanup()
    {
        DbConnection::failAfterStatements(0);
        m_view.reset();
        DbConnection::close();
    }

    // Counts at every level take only the pages below the item; an item
    // without pages (or without a row) counts 0.
    void countsAcrossLevels()
    {
        const RecordId cab = addCabinet();
        const RecordId drw = addDrawer(cab);
        const RecordId emptyDrw = addDrawer(cab);
        const RecordId fld1 = addFolder(drw);
        const RecordId fld2 = addFolder(drw);
        const RecordId docA = addDocument(fld1);
        const RecordId docB = addDocument(fld1);
        const RecordId docC = addDocument(fld2);
        addPage(docA);
        addPage(docA);
        addPage(docC);
        addPage(docC);
        addPage(docC);
        const RecordId otherCab = addCabinet();
        addPage(addDocument(addFolder(addDrawer(otherCab))));

        QCOMPARE(CountDocumentPages(docA), 2);
        QCOMPARE(CountDocumentPages(docB), 0);
        QCOMPARE(CountDocumentPages(docC), 3);
        QCOMPARE(CountFolderPages(fld1), 2);
        QCOMPARE(CountFolderPages(fld2), 3);
        QCOMPARE(CountDrawerPages(drw), 5);
        QCOMPARE(CountDrawerPages(emptyDrw), 0);
        QCOMPARE(CountCabinetPages(cab), 5);
        QCOMPARE(CountCabinetPages(otherCab), 1);
        QCOMPARE(CountDocumentPages(999), 0);
        QCOMPARE(CountFolderPages(999), 0);
        QCOMPARE(CountDrawerPages(999), 0);
        QCOMPARE(CountCabinetPages(999), 0);
    }

    // A document goes with its pages and their files; its sibling stays.
    void deleteDocument()
    {
        const RecordId fld = addFolder(addDrawer(addCabinet()));
        const RecordId doc = addDocument(fld);
        const RecordId sibling = addDocument(fld);
        QStringList gone;
        for (int i = 0; i < 3; ++i)
            gone += pageFiles(addPage(doc));
        const QStringList kept = pageFiles(addPage(sibling));

        Deletes::deleteDocument(doc);

        QCOMPARE(RecordFixture::rowCount(QStringLiteral("Document")), 1);
        QCOMPARE(CountDocumentPages(doc), 0);
        QCOMPARE(CountDocumentPages(sibling), 1);
        verifyFiles(gone, false);
        verifyFiles(kept, true);
        const QStringList expected{"start Delete document 1..5", "step Delete pages", "step Delete document",
                                   "step Delete page files", "step Delete page files", "step Delete page files",
                                   "stop"};
        QCOMPARE(m_view->events, expected);
    }

    // A crafted page row whose id lies past 32 bits: the next page counts on
    // from it, and deleting its document removes its own files only, never
    // those of page 1 in another cabinet that the id cut to 32 bits names.
    void pageIdPastThirtyTwoBits()
    {
        const RecordId pageOne = addPage(addDocument(addFolder(addDrawer(addCabinet()))));
        QCOMPARE(pageOne, RecordId(1));
        const RecordId doc = addDocument(addFolder(addDrawer(addCabinet())));
        const RecordId crafted = 4294967297LL;
        RecordFixture::insert(QStringLiteral("INSERT INTO Page (PageId, DocumentId, PageNumber, Filetype)"
                                             " VALUES (?, ?, 1, 'jpg')"),
                              {crafted, doc});
        const QStringList own{PagePaths::GetDefaultPageFilePath(crafted), PagePaths::GetDefaultThumbFilePath(crafted)};
        QCOMPARE(own.first(), dataPath(QStringLiteral("Pages/4294967/4294967297.jpg")));
        for (const QString &file : own)
            writeFile(file);
        const RecordId next = addPage(addDocument(addFolder(addDrawer(addCabinet()))));
        QCOMPARE(next, crafted + 1);
        QVERIFY(exists(dataPath(QStringLiteral("Pages/4294967/4294967298.jpg"))));
        const QStringList kept = pageFiles(pageOne) + pageFiles(next);

        Deletes::deleteDocument(doc);

        verifyFiles(own, false);
        verifyFiles(kept, true);
        QCOMPARE(CountDocumentPages(doc), 0);
        QCOMPARE(RecordFixture::rowCount(QStringLiteral("Page")), 2);
    }

    // A folder's default-store page, a storage-path page (file and the
    // thumbnail in Thumbs beside it) go; a shortcut page's row goes but the
    // user's file and its thumbnail stay.
    void deleteFolderWithStoragePathAndShortcut()
    {
        const QString store = dataPath(QStringLiteral("Storage 1.2"));
        const RecordId drw = addDrawer(addCabinet(store));
        const RecordId fld = addFolder(drw);
        const RecordId doc1 = addDocument(fld);
        const RecordId doc2 = addDocument(fld);
        const QStringList stored = pageFiles(addPage(doc1));
        const QStringList named = pageFiles(addNamedPage(doc1, store + QStringLiteral("/Invoice 7.jpg")));
        const QString userFile = dataPath(QStringLiteral("user/letter.pdf"));
        const QStringList shortcut = pageFiles(addNamedPage(doc2, userFile, true));
        QCOMPARE(named.at(1), store + QStringLiteral("/Thumbs/Invoice 7.jpg"));
        QCOMPARE(shortcut.at(1), dataPath(QStringLiteral("user/Thumbs/letter.pdf")));
        const RecordId otherFld = addFolder(drw);
        const RecordId otherDoc = addDocument(otherFld);
        const QStringList kept = pageFiles(addPage(otherDoc));

        deleteFolder(fld);

        QCOMPARE(rowCounts(), QStringLiteral("Cabinet 1, Drawer 1, Folder 1, Document 1, Page 1"));
        QCOMPARE(CountDocumentPages(otherDoc), 1);
        verifyFiles(stored + named, false);
        verifyFiles(shortcut + kept, true);
        QCOMPARE(m_view->events.first(), QStringLiteral("start Delete folder 1..5"));
        QCOMPARE(m_view->stepCount(QStringLiteral("Delete folder")), 2);
        QCOMPARE(m_view->stepCount(QStringLiteral("Delete page files")), 3);
        QCOMPARE(m_view->events.last(), QStringLiteral("stop"));
    }

    // A drawer takes its folders, documents, pages and files along.
    void deleteDrawer()
    {
        const RecordId cab = addCabinet();
        const RecordId drw = addDrawer(cab);
        const RecordId fld = addFolder(drw);
        QStringList gone = pageFiles(addPage(addDocument(fld)));
        gone += pageFiles(addPage(addDocument(addFolder(drw))));
        addDocument(fld);
        const RecordId keptDrw = addDrawer(cab);
        const QStringList kept = pageFiles(addPage(addDocument(addFolder(keptDrw))));

        Deletes::deleteDrawer(drw);

        QCOMPARE(rowCounts(), QStringLiteral("Cabinet 1, Drawer 1, Folder 1, Document 1, Page 1"));
        QCOMPARE(CountDrawerPages(keptDrw), 1);
        verifyFiles(gone, false);
        verifyFiles(kept, true);
        QCOMPARE(m_view->events.first(), QStringLiteral("start Delete drawer 1..5"));
        QCOMPARE(m_view->stepCount(QStringLiteral("Delete drawer")), 2);
        QCOMPARE(m_view->stepCount(QStringLiteral("Delete page files")), 2);
    }

    // An empty drawer: range 1..3 with its two steps.
    void deleteEmptyDrawer()
    {
        const RecordId drw = addDrawer(addCabinet());
        Deletes::deleteDrawer(drw);
        QCOMPARE(RecordFixture::rowCount(QStringLiteral("Drawer")), 0);
        const QStringList expected{"start Delete drawer 1..3", "step Delete drawer", "step Delete drawer", "stop"};
        QCOMPARE(m_view->events, expected);
    }

    // A cabinet goes with every drawer below it; another cabinet stays.
    void deleteCabinet()
    {
        const RecordId cab = addCabinet();
        const RecordId drw = addDrawer(cab);
        addDrawer(cab);
        QStringList gone = pageFiles(addPage(addDocument(addFolder(drw))));
        gone += pageFiles(addPage(addDocument(addFolder(drw))));
        const RecordId keptCab = addCabinet();
        const QStringList kept = pageFiles(addPage(addDocument(addFolder(addDrawer(keptCab)))));

        Deletes::deleteCabinet(cab);

        QCOMPARE(rowCounts(), QStringLiteral("Cabinet 1, Drawer 1, Folder 1, Document 1, Page 1"));
        QCOMPARE(CountCabinetPages(keptCab), 1);
        verifyFiles(gone, false);
        verifyFiles(kept, true);
        // Two drawers, two pages: steps for each drawer, the drawers, the
        // cabinet and each page, in a range one above them.
        const QStringList expected{"start Delete cabinet 1..7", "step Delete drawer", "step Delete drawer",
                                   "step Delete drawers in cabinet", "step Delete cabinet",
                                   "step Delete page files", "step Delete page files", "stop"};
        QCOMPARE(m_view->events, expected);
    }

    // A cabinet without drawers keeps the range 1..2 and its one step.
    void deleteCabinetWithoutDrawers()
    {
        const RecordId cab = addCabinet();
        Deletes::deleteCabinet(cab);
        QCOMPARE(RecordFixture::rowCount(QStringLiteral("Cabinet")), 0);
        const QStringList expected{"start Delete cabinet 1..2", "step Delete cabinet", "stop"};
        QCOMPARE(m_view->events, expected);
    }

    // The chosen pages go (a shortcut's user file stays); the document's
    // other pages stay.
    void deletePages()
    {
        const RecordId doc = addDocument(addFolder(addDrawer(addCabinet())));
        const int p1 = addPage(doc);
        const int p2 = addPage(doc);
        const int p3 = addPage(doc);
        const QString userFile = dataPath(QStringLiteral("user/scan.tif"));
        const int shortcut = addNamedPage(doc, userFile, true);
        const QStringList gone = pageFiles(p1) + pageFiles(p3);
        const QStringList kept = pageFiles(p2) + pageFiles(shortcut);

        Deletes::deletePages({p3, p1, shortcut, p1});

        QCOMPARE(RecordFixture::rowCount(QStringLiteral("Page")), 1);
        QCOMPARE(DbConnection::queryValue(QStringLiteral("SELECT PageId FROM Page")).toInt(), p2);
        verifyFiles(gone, false);
        verifyFiles(kept, true);
        QCOMPARE(m_view->events.first(), QStringLiteral("start Delete page 1..9"));
        QCOMPARE(m_view->stepCount(QStringLiteral("Delete page record")), 3);
        QCOMPARE(m_view->stepCount(QStringLiteral("Delete page file")), 3);
        QCOMPARE(m_view->events.last(), QStringLiteral("stop"));
    }

    // A page store whose files cannot be removed: the rows go, and the
    // result names each file kept with the system's reason.
    void unremovableFilesAreNamed()
    {
        const RecordId doc = addDocument(addFolder(addDrawer(addCabinet())));
        const int page = addPage(doc);
        const QString image = PagePaths::GetDefaultPageFilePath(page);
        DeleteResult result;
        {
            ReadOnlyFolder store(PagePaths::GetFolderPart(image));
            if (QFile(image).rename(image + ".probe"))
                QSKIP("This file system lets every file be removed.");
            result = Deletes::deletePages({page});
        }
        QCOMPARE(RecordFixture::rowCount(QStringLiteral("Page")), 0);
        QVERIFY(exists(image));
        QVERIFY(!exists(PagePaths::GetDefaultThumbFilePath(page)));
        QCOMPARE(result.unremovedFiles.size(), 1);
        QVERIFY2(result.unremovedFiles.first().startsWith(image + ": "), qPrintable(result.unremovedFiles.first()));
        QVERIFY(result.unremovedFiles.first().size() > image.size() + 2);
        QVERIFY(result.keptFiles.isEmpty());
    }

    void deleteNoPages()
    {
        Deletes::deletePages({});
        QVERIFY(m_view->events.isEmpty());
    }

    // The files of one page: the image and thumbnail of a stored page, none
    // of a shortcut page's.
    void deleteStoredPageFiles()
    {
        const RecordId doc = addDocument(addFolder(addDrawer(addCabinet(dataPath(QStringLiteral("Store"))))));
        const int page = addPage(doc);
        const int named = addNamedPage(doc, dataPath(QStringLiteral("Store/a.jpg")));
        const int shortcut = addNamedPage(doc, dataPath(QStringLiteral("user/a.doc")), true);
        const QStringList pageList = pageFiles(page) + pageFiles(named);
        const QStringList shortcutFiles = pageFiles(shortcut);

        DeleteStoredPageFiles(page);
        DeleteStoredPageFiles(named);
        DeleteStoredPageFiles(shortcut);

        verifyFiles(pageList, false);
        verifyFiles(shortcutFiles, true);
        QCOMPARE(RecordFixture::rowCount(QStringLiteral("Page")), 3);
    }

    // A shortcut to the copy a cabinet import made in the page store, named
    // after its page, takes the copy with it; one to a user's file there
    // under another name does not.
    void importedShortcutCopyGoes()
    {
        const RecordId doc = addDocument(addFolder(addDrawer(addCabinet())));
        const int copy = addNamedPage(doc, dataPath(QStringLiteral("user/offer.pdf")), true);
        const QString copyPath = PagePaths::GetDefaultPageFolder(copy) + QStringLiteral("/%1.pdf").arg(copy);
        DbConnection::execute(QStringLiteral("UPDATE Page SET Filename = ? WHERE PageId = ?"), {copyPath, copy});
        writeFile(copyPath);
        const QString other = PagePaths::GetDefaultPageFolder(copy) + QStringLiteral("/letter.pdf");
        addNamedPage(doc, other, true);

        DeleteStoredPageFiles(copy);

        verifyFiles({copyPath}, false);
        verifyFiles({other}, true);
    }

    // An image removed by hand is skipped quietly; its thumbnail still goes.
    void missingImageStillRemovesThumbnail()
    {
        const RecordId doc = addDocument(addFolder(addDrawer(addCabinet())));
        const int single = addPage(doc);
        const int inDoc = addPage(doc);
        QVERIFY(QFile::remove(PagePaths::GetDefaultPageFilePath(single)));
        QVERIFY(QFile::remove(PagePaths::GetDefaultPageFilePath(inDoc)));

        DeleteStoredPageFiles(single);
        QVERIFY(!exists(PagePaths::GetDefaultThumbFilePath(single)));
        Deletes::deleteDocument(doc);
        QVERIFY(!exists(PagePaths::GetDefaultThumbFilePath(inDoc)));
        QCOMPARE(RecordFixture::rowCount(QStringLiteral("Page")), 0);
    }

    // A file that another remaining page names is kept, until its last page
    // goes too.
    void sharedFileKeptWhileNamed()
    {
        const QString shared = dataPath(QStringLiteral("Store/shared.jpg"));
        const RecordId fld = addFolder(addDrawer(addCabinet(dataPath(QStringLiteral("Store")))));
        const RecordId doc1 = addDocument(fld);
        const RecordId doc2 = addDocument(fld);
        const int p1 = addNamedPage(doc1, shared);
        addNamedPage(doc2, shared);
        const QStringList files = pageFiles(p1);

        DeleteStoredPageFiles(p1);
        verifyFiles(files, true);
        Deletes::deleteDocument(doc1);
        verifyFiles(files, true);
        QCOMPARE(RecordFixture::rowCount(QStringLiteral("Page")), 1);
        Deletes::deleteDocument(doc2);
        verifyFiles(files, false);
    }

    // Two pages of the deleted set that name one file: it goes with them.
    void sharedFileWithinDeletedSetRemoved()
    {
        const QString shared = dataPath(QStringLiteral("Store/twice.jpg"));
        const RecordId fld = addFolder(addDrawer(addCabinet(dataPath(QStringLiteral("Store")))));
        const RecordId p1 = addNamedPage(addDocument(fld), shared);
        addNamedPage(addDocument(fld), shared);
        const QStringList files = pageFiles(p1);
        deleteFolder(fld);
        verifyFiles(files, false);
        QCOMPARE(RecordFixture::rowCount(QStringLiteral("Page")), 0);
    }

    // A shortcut to a stored page's file keeps that file alive.
    void shortcutNamingStoredFileKeepsIt()
    {
        const QString file = dataPath(QStringLiteral("Store/b.jpg"));
        const RecordId fld = addFolder(addDrawer(addCabinet(dataPath(QStringLiteral("Store")))));
        const RecordId doc = addDocument(fld);
        const int stored = addNamedPage(doc, file);
        addNamedPage(addDocument(fld), file, true);
        const QStringList files = pageFiles(stored);
        Deletes::deleteDocument(doc);
        verifyFiles(files, true);
    }

    // A stored Filename is not trusted: a crafted row must not make a delete
    // remove a file outside the page folders or the cabinet's storage path,
    // the database, or another page's file. Such files stay and are listed.
    void untrustedFilenameKept_data()
    {
        QTest::addColumn<QString>("storage");   // the cabinet's storage path: "%" for the data folder
        QTest::addColumn<QString>("filename");  // the Filename, "@" for the test root
        QTest::addColumn<QString>("file");      // the file it reaches
        QTest::addColumn<bool>("kept");
        QTest::newRow("own file in storage path") << "%/Store" << "%/Store/own.jpg" << "%/Store/own.jpg" << false;
        QTest::newRow("outside the data folder") << "%/Store" << "@/outside/x.jpg" << "@/outside/x.jpg" << true;
        QTest::newRow("relative to the working folder") << "%/Store" << "x.jpg" << "@/cwd/x.jpg" << true;
        QTest::newRow("parent step") << "%/Store" << "%/Store/../loose.jpg" << "%/loose.jpg" << true;
        QTest::newRow("the database") << "%" << "%/vlm.mdb" << "%/vlm.mdb" << true;
        QTest::newRow("another page's image") << "%/Store" << "%/Pages/0000000/1.jpg" << "%/Pages/0000000/1.jpg"
                                              << true;
        QTest::newRow("link out of the storage path") << "%/Store" << "%/Store/link.jpg" << "@/outside/x.jpg" << true;
        // A crafted storage path: the data folder itself, one holding it, or
        // a folder of the user's own files.
        QTest::newRow("backup, data folder as storage") << "%" << "%/vlm.bak" << "%/vlm.bak" << true;
        QTest::newRow("templates, data folder as storage") << "%" << "%/Drawer.txt" << "%/Drawer.txt" << true;
        QTest::newRow("outline, data folder as storage") << "%" << "%/Sample.txt" << "%/Sample.txt" << true;
        QTest::newRow("image, data folder as storage") << "%" << "%/scan.jpg" << "%/scan.jpg" << true;
        QTest::newRow("storage holding the data folder") << "@" << "@/photo.jpg" << "@/photo.jpg" << true;
        QTest::newRow("user's document in storage") << "@/Documents" << "@/Documents/thesis.odt"
                                                   << "@/Documents/thesis.odt" << true;
        QTest::newRow("link to the backup in storage") << "%/Store" << "%/Store/link.jpg" << "%/vlm.bak" << true;
    }
    void untrustedFilenameKept()
    {
        QFETCH(QString, storage);
        QFETCH(QString, filename);
        QFETCH(QString, file);
        QFETCH(bool, kept);
        const auto expand = [](QString path) {
            return path.replace("%", DataFolder::path()).replace("@", TestEnvironment::root());
        };
        QVERIFY(QDir().mkpath(TestEnvironment::root() + "/cwd"));
        QVERIFY(QDir().mkpath(expand(storage)));
        const QString oldCwd = QDir::currentPath();
        QDir::setCurrent(TestEnvironment::root() + "/cwd");
        const RecordId cab = addCabinet(expand(storage));
        const RecordId fld = addFolder(addDrawer(cab));
        const RecordId other = addPage(addDocument(fld)); // page 1, which stays
        QCOMPARE(other, 1);
        const QString target = expand(file);
        if (!QFileInfo::exists(target))
            writeFile(target);
        if (filename.endsWith("link.jpg"))
            QVERIFY(QFile::link(target, expand(filename)));
        const RecordId doc = addDocument(fld);
        RecordFixture::insert("INSERT INTO Page (DocumentId, PageNumber, Filename, ShortcutYN) VALUES (?, 1, ?, 'N')",
                              {doc, expand(filename)});
        const DeleteResult result = Deletes::deleteDocument(doc);
        QDir::setCurrent(oldCwd);
        QCOMPARE(exists(target), kept);
        QCOMPARE(result.keptFiles.contains(QFileInfo(expand(filename)).filePath()), kept);
        QVERIFY(exists(PagePaths::GetDefaultPageFilePath(other)));
        QVERIFY(DbConnection::isOpen() && RecordFixture::rowCount("Page") == 1);
    }

    void injectedFailureChangesNothing_data()
    {
        QTest::addColumn<QString>("level");
        QTest::newRow("cabinet") << "cabinet";
        QTest::newRow("drawer") << "drawer";
        QTest::newRow("folder") << "folder";
        QTest::newRow("document") << "document";
        QTest::newRow("pages") << "pages";
    }
    // A failure at any statement keeps every row and every file, closes the
    // progress window and reaches the caller; a later attempt succeeds.
    void injectedFailureChangesNothing()
    {
        QFETCH(QString, level);
        const QString store = dataPath(QStringLiteral("Store"));
        const RecordId cab = addCabinet(store);
        const RecordId drw = addDrawer(cab);
        const RecordId fld = addFolder(drw);
        const RecordId doc = addDocument(fld);
        const int p1 = addPage(doc);
        const int p2 = addNamedPage(doc, store + QStringLiteral("/x.jpg"));
        addPage(addDocument(addFolder(addDrawer(cab))));
        const QStringList before = snapshot();

        int failures = 0;
        bool done = false;
        for (int n = 1; n < 100 && !done; ++n) {
            m_view->events.clear();
            DbConnection::failAfterStatements(n);
            try {
                if (level == QLatin1String("cabinet"))
                    Deletes::deleteCabinet(cab);
                else if (level == QLatin1String("drawer"))
                    Deletes::deleteDrawer(drw);
                else if (level == QLatin1String("folder"))
                    deleteFolder(fld);
                else if (level == QLatin1String("document"))
                    Deletes::deleteDocument(doc);
                else
                    Deletes::deletePages({p1, p2});
                done = true;
            } catch (const AppError &e) {
                ++failures;
                QCOMPARE(e.code, int(ErrorCode::InjectedFailure));
            }
            DbConnection::failAfterStatements(0);
            if (!done) {
                QCOMPARE(snapshot(), before);
                QVERIFY2(m_view->closedOrNeverOpened(), qPrintable(m_view->events.join(QLatin1String(", "))));
            }
        }
        QVERIFY(done);
        QVERIFY2(failures >= 5, qPrintable(QString::number(failures)));
        QVERIFY(snapshot() != before);
        verifyFiles(pageFiles(p1), false);
        QVERIFY(!exists(store + QStringLiteral("/x.jpg")));
        QVERIFY(!exists(store + QStringLiteral("/Thumbs/x.jpg")));
    }

    // A folder of a thousand pages goes whole.
    void largeFolder()
    {
        const RecordId fld = addFolder(addDrawer(addCabinet()));
        const RecordId doc = addDocument(fld);
        DbConnection::Transaction tx;
        DbConnection::Statement insert(
            QStringLiteral("INSERT INTO Page (DocumentId, PageNumber) VALUES (?, ?)"));
        QList<RecordId> ids;
        for (int i = 1; i <= 1000; ++i) {
            insert.run({doc, i});
            ids.append(insert.lastInsertId());
        }
        tx.commit();
        for (RecordId id : ids)
            writeFile(PagePaths::GetDefaultPageFilePath(id));

        deleteFolder(fld);

        QCOMPARE(RecordFixture::rowCount(QStringLiteral("Page")), 0);
        QCOMPARE(m_view->events.first(), QStringLiteral("start Delete folder 1..1002"));
        QCOMPARE(m_view->stepCount(QStringLiteral("Delete page files")), 1000);
        for (RecordId id : ids)
            QVERIFY(!exists(PagePaths::GetDefaultPageFilePath(id)));
    }
};

VLM_TEST_GUILESS_MAIN(DeletesTest)
#include "DeletesTest.moc"

#include "store/Deletes.h"

#include <functional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QVector>

#include "core/Progress.h"
#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "platform/PathFacts.h"
#include "store/PageFileScope.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "store/StoreLog.h"

namespace {

const QString kPageFilesStep = QStringLiteral("Delete page files");

// The files of one page that the delete may remove, decided while its row
// still exists.
struct PageFiles
{
    RecordId pageId = 0;
    QString filename;    // the stored Filename, empty for the default store
    QString storagePath; // its cabinet's storage path
    QStringList files;   // image and thumbnail, when the page owns them
};

using PageFileList = QVector<PageFiles>;

PageFiles pageFilesOf(const Pages::PageFileRow &row)
{
    PageFiles files{row.pageId, row.filename, row.storagePath, {}};
    if (row.shortcut) {
        // The user's own file and thumbnail stay; only the copy a cabinet
        // import made in the page store, named after the page, is the page's.
        const QFileInfo file(row.filename);
        if (QDir::isAbsolutePath(row.filename)
            && QDir::cleanPath(file.absolutePath()) == QDir::cleanPath(PagePaths::GetDefaultPageFolder(row.pageId))
            && file.completeBaseName() == QString::number(row.pageId))
            files.files << row.filename;
        return files;
    }
    files.files << PagePaths::GetPageFilePath(row.pageId, row.filename);
    const QString thumb = PagePaths::GetThumbFilePath(row.pageId, row.filename);
    if (!thumb.isEmpty())
        files.files << thumb;
    return files;
}

void collect(const QList<Pages::PageFileRow> &rows, PageFileList *out)
{
    for (const Pages::PageFileRow &row : rows)
        out->append(pageFilesOf(row));
}

// Where page files may be deleted (PageFileScope), and what the remaining
// pages still own.
struct FileRules
{
    PageFileScope scope;
    QSet<QString> named;       // what the remaining rows name, cleaned and as stored
    QSet<RecordId> remainingIds; // pages whose default files a stored name reaches

    // Why the file stays, or an empty text when it may go.
    QString refusal(const PageFiles &page, const QString &file) const
    {
        // The default store's paths are made from the data folder and the
        // page id alone: they are the page's own files whatever another row
        // names (that row never owned them).
        if (page.filename.isEmpty())
            return {};
        const QString outside = scope.refusal(file, page.storagePath);
        if (!outside.isEmpty())
            return outside;
        const QString real = PathFacts::realPath(file);
        // A thumbnail stays with its image when another page names that.
        const QString image = page.files.first();
        const QString realImage = PathFacts::realPath(image);
        if (named.contains(real) || named.contains(QDir::cleanPath(file)) || named.contains(QDir::cleanPath(image))
            || (!realImage.isEmpty() && named.contains(realImage)))
            return QStringLiteral("named by another page");
        if (scope.inPageFolders(real) && remainingIds.contains(defaultId(real)))
            return QStringLiteral("another page's own file");
        return {};
    }

    // The page id a default-store file name stands for, 0 for none.
    static RecordId defaultId(const QString &path)
    {
        static const QRegularExpression idName(QStringLiteral("^([0-9]+)\\.jpg$"));
        const QRegularExpressionMatch m = idName.match(QFileInfo(path).fileName());
        return m.hasMatch() ? m.captured(1).toLongLong() : 0;
    }
};

// Reads, after the rows are gone (inside their transaction), what the
// remaining rows name, so that no file of a remaining page is deleted.
FileRules rulesAfterDelete(const PageFileList &files)
{
    FileRules rules;
    // Only a delete that holds stored file names reads what the remaining
    // rows name (a scan of the table): the default store's files need it not.
    bool anyStored = false;
    for (const PageFiles &page : files)
        anyStored = anyStored || (!page.filename.isEmpty() && !page.files.isEmpty());
    if (!anyStored)
        return rules;
    // As stored and cleaned; resolving each on disk would cost a look-up
    // per shortcut page of the archive at every delete.
    for (const QString &name : Pages::storedFilenames()) {
        rules.named.insert(name);
        rules.named.insert(QDir::cleanPath(name));
    }
    QList<RecordId> ids;
    for (const PageFiles &page : files) {
        if (page.filename.isEmpty())
            continue;
        for (const QString &file : page.files) {
            if (const RecordId id = FileRules::defaultId(file))
                ids.append(id);
        }
    }
    rules.remainingIds = Pages::existingPageIds(ids);
    return rules;
}

// A missing file is no error, and a file that cannot be removed stays as an
// orphan, named in the result: its row is already gone, so nothing points at
// it any more.
void removePageFiles(const PageFiles &page, const FileRules &rules, Deletes::DeleteResult *result)
{
    for (const QString &file : page.files) {
        if (!QFileInfo(file).isFile())
            continue;
        const QString why = rules.refusal(page, file);
        if (why.isEmpty()) {
            QFile victim(file);
            if (!victim.remove()) {
                qCWarning(lcStore) << "could not remove" << file << "of page" << page.pageId << ":"
                                     << victim.errorString();
                result->unremovedFiles.append(QStringLiteral("%1: %2").arg(file, victim.errorString()));
            }
        } else {
            qCWarning(lcStore) << "kept" << file << "of page" << page.pageId << ":" << why;
            result->keptFiles.append(file);
        }
    }
}

// The pages, documents and folders below a drawer, children first.
void deleteDrawerRows(RecordId drawerId)
{
    Pages::DeleteDrawerPages(drawerId);
    DbConnection::execute(
        QStringLiteral("DELETE FROM Document WHERE FolderId IN (SELECT FolderId FROM Folder WHERE DrawerId = ?)"),
        {drawerId});
    DbConnection::execute(QStringLiteral("DELETE FROM Folder WHERE DrawerId = ?"), {drawerId});
}

// The three phases of every delete: the rows (deleteRows also collects the
// page files, while the rows still name them) in one transaction, then the
// files, one progress step per page. The progress window is closed on the
// way out, a failure included.
Deletes::DeleteResult runDelete(const QString &caption, int rangeMax, const QString &fileStep,
                                const std::function<void(PageFileList *)> &deleteRows)
{
    const ProgressScope progress(caption, 1, rangeMax);
    PageFileList files;
    FileRules rules;
    {
        DbConnection::Transaction tx;
        deleteRows(&files);
        rules = rulesAfterDelete(files);
        tx.commit();
    }
    Deletes::DeleteResult result;
    for (const PageFiles &f : files) {
        progress.advance(fileStep);
        removePageFiles(f, rules, &result);
    }
    return result;
}

} // namespace

namespace Deletes {

DeleteResult DeleteStoredPageFiles(RecordId pageId)
{
    DeleteResult result;
    const std::optional<Pages::PageFileRow> row = Pages::pageFile(pageId);
    if (!row)
        return result;
    const PageFiles files = pageFilesOf(*row);
    // The row still exists here: leave it out of what remaining rows name.
    FileRules rules;
    {
        DbConnection::Transaction tx;
        Pages::deletePageRows({pageId});
        rules = rulesAfterDelete({files});
    }  // rolled back: the row stays
    removePageFiles(files, rules, &result);
    return result;
}

int CountDocumentPages(RecordId documentId)
{
    return Pages::CountDocumentPages(documentId);
}

int CountFolderPages(RecordId folderId)
{
    return Pages::CountFolderPages(folderId);
}

int CountDrawerPages(RecordId drawerId)
{
    return Pages::CountDrawerPages(drawerId);
}

int CountCabinetPages(RecordId cabinetId)
{
    return Pages::CountCabinetPages(cabinetId);
}

DeleteResult deleteCabinet(RecordId cabinetId)
{
    const Recordset drawers = DbConnection::OpenRecordset(
        QStringLiteral("SELECT DrawerId FROM Drawer WHERE CabinetId = ? ORDER BY DrawerId"), {cabinetId});
    const int drawerCount = drawers.recordCount();
    // Without drawers the range stays 1..2 with the single last step.
    const int rangeMax = drawerCount == 0 ? 2 : drawerCount + 3 + CountCabinetPages(cabinetId);
    return runDelete(QStringLiteral("Delete cabinet"), rangeMax, kPageFilesStep, [&](PageFileList *files) {
        for (int row = 0; row < drawerCount; ++row) {
            const RecordId drawerId = drawers.value(row, 0).toLongLong();
            Progress::AdvanceProgress(QStringLiteral("Delete drawer"));
            collect(Pages::drawerPageFiles(drawerId), files);
            deleteDrawerRows(drawerId);
        }
        if (drawerCount > 0) {
            Progress::AdvanceProgress(QStringLiteral("Delete drawers in cabinet"));
            DbConnection::execute(QStringLiteral("DELETE FROM Drawer WHERE CabinetId = ?"), {cabinetId});
        }
        Progress::AdvanceProgress(QStringLiteral("Delete cabinet"));
        DbConnection::execute(QStringLiteral("DELETE FROM Cabinet WHERE CabinetId = ?"), {cabinetId});
    });
}

DeleteResult deleteDrawer(RecordId drawerId)
{
    const int pages = CountDrawerPages(drawerId);
    return runDelete(QStringLiteral("Delete drawer"), pages + 3, kPageFilesStep, [&](PageFileList *files) {
        collect(Pages::drawerPageFiles(drawerId), files);
        Progress::AdvanceProgress(QStringLiteral("Delete drawer"));
        deleteDrawerRows(drawerId);
        Progress::AdvanceProgress(QStringLiteral("Delete drawer"));
        DbConnection::execute(QStringLiteral("DELETE FROM Drawer WHERE DrawerId = ?"), {drawerId});
    });
}

DeleteResult deleteFolder(RecordId folderId)
{
    const int pages = CountFolderPages(folderId);
    return runDelete(QStringLiteral("Delete folder"), pages + 2, kPageFilesStep, [&](PageFileList *files) {
        collect(Pages::folderPageFiles(folderId), files);
        Progress::AdvanceProgress(QStringLiteral("Delete folder"));
        Pages::DeleteFolderPages(folderId);
        DbConnection::execute(QStringLiteral("DELETE FROM Document WHERE FolderId = ?"), {folderId});
        Progress::AdvanceProgress(QStringLiteral("Delete folder"));
        DbConnection::execute(QStringLiteral("DELETE FROM Folder WHERE FolderId = ?"), {folderId});
    });
}

DeleteResult deleteDocument(RecordId documentId)
{
    const int pages = CountDocumentPages(documentId);
    return runDelete(QStringLiteral("Delete document"), pages + 2, kPageFilesStep, [&](PageFileList *files) {
        collect(Pages::documentPageFiles(documentId), files);
        Progress::AdvanceProgress(QStringLiteral("Delete pages"));
        Pages::deleteDocumentPages(documentId);
        Progress::AdvanceProgress(QStringLiteral("Delete document"));
        DbConnection::execute(QStringLiteral("DELETE FROM Document WHERE DocumentId = ?"), {documentId});
    });
}

DeleteResult deletePages(const QList<RecordId> &pageIds)
{
    QList<RecordId> ids;
    QSet<RecordId> seen;
    for (RecordId id : pageIds) {
        if (!seen.contains(id)) {
            seen.insert(id);
            ids.append(id);
        }
    }
    if (ids.isEmpty())
        return {};
    return runDelete(QStringLiteral("Delete page"), 3 * ids.size(), QStringLiteral("Delete page file"),
                     [&](PageFileList *files) {
        collect(Pages::pageFiles(ids), files);
        Pages::deletePageRows(ids);
        for (int i = 0; i < ids.size(); ++i)
            Progress::AdvanceProgress(QStringLiteral("Delete page record"));
    });
}

} // namespace Deletes

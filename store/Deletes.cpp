#include "Deletes.h"

#include <functional>

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <QVector>

#include "DbConnection.h"
#include "PagePaths.h"
#include "Progress.h"

namespace {

// The documents below a folder, a drawer and a cabinet, for "IN (...)".
const QString kFolderDocuments =
    QStringLiteral("SELECT DocumentId FROM Document WHERE FolderId = ?");
const QString kDrawerDocuments = QStringLiteral(
    "SELECT DocumentId FROM Document WHERE FolderId IN"
    " (SELECT FolderId FROM Folder WHERE DrawerId = ?)");
const QString kCabinetDocuments = QStringLiteral(
    "SELECT DocumentId FROM Document WHERE FolderId IN"
    " (SELECT FolderId FROM Folder WHERE DrawerId IN"
    " (SELECT DrawerId FROM Drawer WHERE CabinetId = ?))");

// Bound values per statement for page-id lists, well below SQLite's limit.
constexpr int kChunk = 500;

const QString kPageFilesStep = QStringLiteral("Delete page files");

// The files of one page, read while its row still exists.
struct PageFiles
{
    QString filename;   // the stored Filename, empty for the default store
    QString image;
    QString thumb;
    bool owned = false; // false for a shortcut page: the user's own file
};

using PageFileList = QVector<PageFiles>;

struct ProgressCloser
{
    ~ProgressCloser() { Progress::StopProgress(); }
};

PageFiles pageFilesOf(int pageId, const QVariant &filename, const QVariant &shortcut)
{
    PageFiles files;
    files.filename = NullToEmpty(filename);
    files.owned = NullToEmpty(shortcut) != QLatin1String("Y");
    if (files.owned) {
        files.image = PagePaths::GetPageFilePath(pageId, files.filename);
        files.thumb = PagePaths::GetThumbFilePath(pageId, files.filename);
    }
    return files;
}

void collectPageFiles(const QString &where, const QVariantList &binds, PageFileList *out)
{
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT PageId, Filename, ShortcutYN FROM Page WHERE ") + where
            + QStringLiteral(" ORDER BY PageId"),
        binds);
    for (int row = 0; row < rs.recordCount(); ++row)
        out->append(pageFilesOf(rs.value(row, 0).toInt(), rs.value(row, 1), rs.value(row, 2)));
}

QString placeholders(int count)
{
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks.append(QStringLiteral("?"));
    return marks.join(QLatin1Char(','));
}

// Stored files that pages outside the deleted set still name must stay. Runs
// after the rows are deleted, so every row that still names a file is one
// that remains.
void keepSharedFiles(PageFileList *files)
{
    QSet<QString> candidates;
    for (const PageFiles &f : *files) {
        if (f.owned && !f.filename.isEmpty())
            candidates.insert(f.filename);
    }
    const QStringList names(candidates.cbegin(), candidates.cend());
    QSet<QString> shared;
    for (int start = 0; start < names.size(); start += kChunk) {
        const QStringList part = names.mid(start, kChunk);
        const Recordset rs = DbConnection::OpenRecordset(
            QStringLiteral("SELECT DISTINCT Filename FROM Page WHERE Filename IN (%1)")
                .arg(placeholders(part.size())),
            QVariantList(part.cbegin(), part.cend()));
        for (int row = 0; row < rs.recordCount(); ++row)
            shared.insert(rs.value(row, 0).toString());
    }
    for (PageFiles &f : *files) {
        if (shared.contains(f.filename))
            f.owned = false;
    }
}

// A missing file is no error, and a file that cannot be removed stays as an
// orphan: its row is already gone, so nothing points at it any more.
void removeFileQuietly(const QString &path)
{
    if (!path.isEmpty() && QFileInfo(path).isFile())
        QFile::remove(path);
}

void removePageFiles(const PageFiles &files)
{
    if (!files.owned)
        return;
    removeFileQuietly(files.image);
    removeFileQuietly(files.thumb);
}

int countPages(const QString &documents, int id)
{
    return DbConnection::QueryValue(
               QStringLiteral("SELECT COUNT(*) FROM Page WHERE DocumentId IN (") + documents
                   + QLatin1Char(')'),
               {id})
        .toInt();
}

// The pages, documents and folders below a drawer, children first.
void deleteDrawerRows(int drawerId)
{
    DbConnection::Execute(
        QStringLiteral("DELETE FROM Page WHERE DocumentId IN (") + kDrawerDocuments + QLatin1Char(')'),
        {drawerId});
    DbConnection::Execute(
        QStringLiteral("DELETE FROM Document WHERE FolderId IN"
                       " (SELECT FolderId FROM Folder WHERE DrawerId = ?)"),
        {drawerId});
    DbConnection::Execute(QStringLiteral("DELETE FROM Folder WHERE DrawerId = ?"), {drawerId});
}

// The three phases of every delete: the rows (deleteRows also collects the
// page files, while the rows still name them) in one transaction, then the
// files, one progress step per page. The progress window is closed on the
// way out, a failure included.
void runDelete(const QString &caption, int rangeMax, const QString &fileStep,
               const std::function<void(PageFileList *)> &deleteRows)
{
    Progress::StartProgress(caption, 1, rangeMax);
    ProgressCloser closer;
    PageFileList files;
    {
        DbConnection::Transaction tx;
        deleteRows(&files);
        keepSharedFiles(&files);
        tx.commit();
    }
    for (const PageFiles &f : files) {
        Progress::AdvanceProgress(fileStep);
        removePageFiles(f);
    }
}

} // namespace

namespace Deletes {

void DeleteStoredPageFiles(int pageId)
{
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT Filename, ShortcutYN FROM Page WHERE PageId = ?"), {pageId});
    PageFiles files = pageFilesOf(pageId, rs.field(0), rs.field(1));
    if (files.owned && !files.filename.isEmpty()) {
        const int others = DbConnection::QueryValue(
            QStringLiteral("SELECT COUNT(*) FROM Page WHERE Filename = ? AND PageId <> ?"),
            {files.filename, pageId}).toInt();
        files.owned = others == 0;
    }
    removePageFiles(files);
}

int CountDocumentPages(int documentId)
{
    return DbConnection::QueryValue(
        QStringLiteral("SELECT COUNT(*) FROM Page WHERE DocumentId = ?"), {documentId}).toInt();
}

int CountFolderPages(int folderId)
{
    return countPages(kFolderDocuments, folderId);
}

int CountDrawerPages(int drawerId)
{
    return countPages(kDrawerDocuments, drawerId);
}

int CountCabinetPages(int cabinetId)
{
    return countPages(kCabinetDocuments, cabinetId);
}

void DeleteCabinet(int cabinetId)
{
    const Recordset drawers = DbConnection::OpenRecordset(
        QStringLiteral("SELECT DrawerId FROM Drawer WHERE CabinetId = ? ORDER BY DrawerId"),
        {cabinetId});
    const int drawerCount = drawers.recordCount();
    // Without drawers the range stays 1..2 with the single last step.
    const int rangeMax = drawerCount == 0 ? 2 : drawerCount + 3 + CountCabinetPages(cabinetId);
    runDelete(QStringLiteral("Delete cabinet"), rangeMax, kPageFilesStep, [&](PageFileList *files) {
        for (int row = 0; row < drawerCount; ++row) {
            const int drawerId = drawers.value(row, 0).toInt();
            Progress::AdvanceProgress(QStringLiteral("Delete drawer"));
            collectPageFiles(QStringLiteral("DocumentId IN (") + kDrawerDocuments + QLatin1Char(')'),
                             {drawerId}, files);
            deleteDrawerRows(drawerId);
        }
        if (drawerCount > 0) {
            Progress::AdvanceProgress(QStringLiteral("Delete drawers in cabinet"));
            DbConnection::Execute(QStringLiteral("DELETE FROM Drawer WHERE CabinetId = ?"), {cabinetId});
        }
        Progress::AdvanceProgress(QStringLiteral("Delete cabinet"));
        DbConnection::Execute(QStringLiteral("DELETE FROM Cabinet WHERE CabinetId = ?"), {cabinetId});
    });
}

void DeleteDrawer(int drawerId)
{
    const int pages = CountDrawerPages(drawerId);
    runDelete(QStringLiteral("Delete drawer"), pages + 3, kPageFilesStep, [&](PageFileList *files) {
        collectPageFiles(QStringLiteral("DocumentId IN (") + kDrawerDocuments + QLatin1Char(')'),
                         {drawerId}, files);
        Progress::AdvanceProgress(QStringLiteral("Delete drawer"));
        deleteDrawerRows(drawerId);
        Progress::AdvanceProgress(QStringLiteral("Delete drawer"));
        DbConnection::Execute(QStringLiteral("DELETE FROM Drawer WHERE DrawerId = ?"), {drawerId});
    });
}

void DeleteFolder(int folderId)
{
    const int pages = CountFolderPages(folderId);
    runDelete(QStringLiteral("Delete folder"), pages + 2, kPageFilesStep, [&](PageFileList *files) {
        collectPageFiles(QStringLiteral("DocumentId IN (") + kFolderDocuments + QLatin1Char(')'),
                         {folderId}, files);
        Progress::AdvanceProgress(QStringLiteral("Delete folder"));
        DbConnection::Execute(
            QStringLiteral("DELETE FROM Page WHERE DocumentId IN (") + kFolderDocuments + QLatin1Char(')'),
            {folderId});
        DbConnection::Execute(QStringLiteral("DELETE FROM Document WHERE FolderId = ?"), {folderId});
        Progress::AdvanceProgress(QStringLiteral("Delete folder"));
        DbConnection::Execute(QStringLiteral("DELETE FROM Folder WHERE FolderId = ?"), {folderId});
    });
}

void DeleteDocument(int documentId)
{
    const int pages = CountDocumentPages(documentId);
    runDelete(QStringLiteral("Delete document"), pages + 2, kPageFilesStep, [&](PageFileList *files) {
        collectPageFiles(QStringLiteral("DocumentId = ?"), {documentId}, files);
        Progress::AdvanceProgress(QStringLiteral("Delete pages"));
        DbConnection::Execute(QStringLiteral("DELETE FROM Page WHERE DocumentId = ?"), {documentId});
        Progress::AdvanceProgress(QStringLiteral("Delete document"));
        DbConnection::Execute(QStringLiteral("DELETE FROM Document WHERE DocumentId = ?"), {documentId});
    });
}

void DeletePages(const QList<int> &pageIds)
{
    QList<int> ids;
    QSet<int> seen;
    for (int id : pageIds) {
        if (!seen.contains(id)) {
            seen.insert(id);
            ids.append(id);
        }
    }
    if (ids.isEmpty())
        return;
    runDelete(QStringLiteral("Delete page"), 3 * ids.size(), QStringLiteral("Delete page file"),
              [&](PageFileList *files) {
        for (int start = 0; start < ids.size(); start += kChunk) {
            const QList<int> part = ids.mid(start, kChunk);
            const QString in = QStringLiteral("PageId IN (%1)").arg(placeholders(part.size()));
            QVariantList binds;
            for (int id : part)
                binds.append(id);
            collectPageFiles(in, binds, files);
            DbConnection::Execute(QStringLiteral("DELETE FROM Page WHERE ") + in, binds);
            for (int i = 0; i < part.size(); ++i)
                Progress::AdvanceProgress(QStringLiteral("Delete page record"));
        }
    });
}

} // namespace Deletes

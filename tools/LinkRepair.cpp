#include "LinkRepair.h"

#include "DataFolder.h"
#include "Database.h"
#include "DbConnection.h"
#include "PageFileScope.h"
#include "PagePaths.h"
#include "Passwords.h"
#include "Progress.h"
#include "RecordId.h"
#include "ToolsFiles.h"
#include "ToolsLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QVector>

#include <cerrno>
#include <unistd.h>

namespace {

// One level of the hierarchy and the level above it.
struct Level
{
    const char *table;
    const char *idColumn;
    const char *parentTable;
    const char *parentColumn;
    const char *stepText;
};

const Level kLevels[] = {
    {"Page", "PageId", "Document", "DocumentId", "Checking links to pages"},
    {"Document", "DocumentId", "Folder", "FolderId", "Checking links to documents"},
    {"Folder", "FolderId", "Drawer", "DrawerId", "Checking links to folders"},
    {"Drawer", "DrawerId", "Cabinet", "CabinetId", "Checking links to drawers"},
};

struct Chain
{
    qint64 cabinet = 0, drawer = 0, folder = 0, document = 0;
};

qint64 count(const char *table)
{
    return DbConnection::QueryValue(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))).toLongLong();
}

// The chain row of a table below parentId, made when missing. The ids are
// looked up afresh each run: rows cached from an earlier run may have been
// deleted in the main program since.
qint64 chainRow(const QString &table, const QString &parentColumn, const QVariant &parentId)
{
    const QString idColumn = table + QStringLiteral("Id");
    QString where = QStringLiteral("Name = ?");
    QVariantList binds{LinkRepair::RepairedDataName};
    if (!parentColumn.isEmpty()) {
        where += QStringLiteral(" AND %1 = ?").arg(parentColumn);
        binds.append(parentId);
    }
    const QVariant found = DbConnection::QueryValue(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %1").arg(idColumn, table, where), binds);
    if (!found.isNull())
        return found.toLongLong();
    if (parentColumn.isEmpty()) {
        DbConnection::Execute(QStringLiteral("INSERT INTO Cabinet (Name, [Password]) VALUES (?, ?)"),
                              {LinkRepair::RepairedDataName, Passwords::ScramblePassword(QString())});
    } else {
        DbConnection::Execute(QStringLiteral("INSERT INTO %1 (Name, %2) VALUES (?, ?)").arg(table, parentColumn),
                              {LinkRepair::RepairedDataName, parentId});
    }
    return DbConnection::LastInsertId();
}

Chain repairedDataChain()
{
    Chain c;
    c.cabinet = chainRow(QStringLiteral("Cabinet"), QString(), {});
    c.drawer = chainRow(QStringLiteral("Drawer"), QStringLiteral("CabinetId"), c.cabinet);
    c.folder = chainRow(QStringLiteral("Folder"), QStringLiteral("DrawerId"), c.drawer);
    c.document = chainRow(QStringLiteral("Document"), QStringLiteral("FolderId"), c.folder);
    return c;
}

qint64 chainParent(const Chain &c, const QString &parentTable)
{
    if (parentTable == QLatin1String("Document"))
        return c.document;
    if (parentTable == QLatin1String("Folder"))
        return c.folder;
    if (parentTable == QLatin1String("Drawer"))
        return c.drawer;
    return c.cabinet;
}

// The default store's thumbnail is made from the page id and is the
// page's own; one a stored Filename names must pass the containment rule.
bool ownThumbnail(const PageFileScope &scope, const QString &thumb, const QString &filename,
                  const QString &storagePath)
{
    if (filename.isEmpty())
        return true;
    const QString why = scope.refusal(thumb, storagePath);
    if (!why.isEmpty() && QFileInfo::exists(thumb))
        qCWarning(lcTools) << "kept" << thumb << ":" << why;
    return why.isEmpty();
}

class Run
{
public:
    int repairs = 0;
    int skipped = 0;
    int orphanFiles = 0;

    // False when stopped.
    bool missingFiles();
    bool orphans(const Level &level);

private:
    bool stopped() const { return Progress::ProgressCancelled(); }
};

bool Run::missingFiles()
{
    // The tools never upgrade the database: a file of an older version may
    // lack the later columns, whose pages then all lie in the page store.
    const auto column = [](const char *name) {
        const QString c = QLatin1String(name);
        return Database::HasColumn(QStringLiteral("Page"), c) ? QStringLiteral("p.") + c : QStringLiteral("NULL");
    };
    // A thumbnail may go only where its cabinet's pages may lie, so each
    // page comes with its cabinet's storage path (the column came with
    // Filename; a page without its parents has none).
    const QString filenameColumn = column("Filename");
    const QString storageColumn =
        filenameColumn == QLatin1String("NULL") ? filenameColumn : QStringLiteral("c.StoragePath");
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT p.PageId, %1, %2, %3 FROM Page p"
                       " LEFT JOIN Document d ON d.DocumentId = p.DocumentId"
                       " LEFT JOIN Folder f ON f.FolderId = d.FolderId"
                       " LEFT JOIN Drawer w ON w.DrawerId = f.DrawerId"
                       " LEFT JOIN Cabinet c ON c.CabinetId = w.CabinetId ORDER BY p.PageId")
            .arg(filenameColumn, column("ShortcutYN"), storageColumn));
    const PageFileScope scope;
    const bool pageStoreThere = QFileInfo(DataFolder::filePath(QStringLiteral("Pages"))).isDir();
    QVector<RecordId> gone;
    QStringList thumbs;
    bool completed = true;
    for (int row = 0; row < rs.recordCount(); ++row) {
        if (stopped()) {
            completed = false;
            break;
        }
        Progress::AdvanceProgress(QStringLiteral("Scanning for missing files"));
        const RecordId pageId = rs.value(row, 0).toLongLong();
        const QString filename = NullToEmpty(rs.value(row, 1));
        const QString path = PagePaths::GetPageFilePath(pageId, filename);
        if (QFileInfo::exists(path))
            continue;
        // A missing folder is most likely a disk or share that is not
        // mounted now: its files are not gone, so neither is the row.
        const bool placeThere = filename.isEmpty() ? pageStoreThere : QFileInfo(QFileInfo(path).absolutePath()).isDir();
        if (!placeThere) {
            ++skipped;
            continue;
        }
        gone.append(pageId);
        // Shortcut pages point at the user's own files and have no thumbnail.
        if (rs.value(row, 2).toString() != QLatin1String("Y")) {
            const QString thumb = PagePaths::GetThumbFilePath(pageId, filename);
            if (!thumb.isEmpty() && ownThumbnail(scope, thumb, filename, NullToEmpty(rs.value(row, 3))))
                thumbs.append(thumb);
        }
    }
    if (!gone.isEmpty()) {
        DbConnection::Transaction transaction;
        DbConnection::Statement del(QStringLiteral("DELETE FROM Page WHERE PageId = ?"));
        for (RecordId pageId : gone)
            del.run({pageId});
        transaction.commit();
        repairs += gone.size();
    }
    for (const QString &thumb : thumbs)
        QFile::remove(thumb);
    return completed;
}

bool Run::orphans(const Level &level)
{
    const QString table = QLatin1String(level.table);
    const QString parentTable = QLatin1String(level.parentTable);
    const QString parentColumn = QLatin1String(level.parentColumn);
    // The parent ids in memory: one lookup per row in SQL would cost a query
    // for each of a million pages.
    QSet<qint64> parents;
    {
        const Recordset ids = DbConnection::OpenRecordset(QStringLiteral("SELECT %1 FROM %2").arg(parentColumn, parentTable));
        parents.reserve(ids.recordCount());
        for (int row = 0; row < ids.recordCount(); ++row)
            parents.insert(ids.value(row, 0).toLongLong());
    }
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT %1, %2 FROM %3").arg(QLatin1String(level.idColumn), parentColumn, table));
    QVector<qint64> orphanIds;
    bool completed = true;
    for (int row = 0; row < rs.recordCount(); ++row) {
        if (stopped()) {
            completed = false;
            break;
        }
        Progress::AdvanceProgress(QLatin1String(level.stepText));
        const QVariant parent = rs.value(row, 1);
        if (parent.isNull() || !parents.contains(parent.toLongLong()))
            orphanIds.append(rs.value(row, 0).toLongLong());
    }
    if (!orphanIds.isEmpty()) {
        DbConnection::Transaction transaction;
        const Chain chain = repairedDataChain();
        DbConnection::Statement update(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                                           .arg(table, parentColumn, QLatin1String(level.idColumn)));
        const qint64 target = chainParent(chain, parentTable);
        for (qint64 id : orphanIds)
            update.run({target, id});
        transaction.commit();
        repairs += orphanIds.size();
    }
    return completed;
}

// The page id a file of a bucket folder is named by ("<id>.<extension>"),
// when it lies in its id's own bucket; 0 for any other file.
qint64 pageIdOfFile(const QString &bucket, const QString &fileName)
{
    const int dot = fileName.indexOf(QLatin1Char('.'));
    if (dot <= 0)
        return 0;
    const QStringView digits = QStringView(fileName).left(dot);
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    }
    bool ok = false;
    const qint64 id = digits.toLongLong(&ok);
    return ok && id > 0 && PagePaths::Bucket(id) == bucket ? id : 0;
}

// The files of the page store ("Pages" and "Thumbs") named by a page id
// that has no Page row.
QStringList orphanPageFiles(const QSet<qint64> &pageIds)
{
    QStringList orphans;
    for (const QString &store : {QStringLiteral("Pages"), QStringLiteral("Thumbs")}) {
        const QDir base(DataFolder::filePath(store));
        const QStringList buckets = base.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
        for (const QString &bucket : buckets) {
            const QDir folder(base.filePath(bucket));
            for (const QString &name : folder.entryList(QDir::Files | QDir::System | QDir::Hidden)) {
                const qint64 id = pageIdOfFile(bucket, name);
                if (id != 0 && !pageIds.contains(id))
                    orphans.append(folder.filePath(name));
            }
        }
    }
    return orphans;
}

// Removes the page files whose page has no row: the leftovers of an
// import, scan or save killed before its rows committed, whose id the
// next page gets again, and the files of pages deleted while their files
// could not be. Only files named by a page id inside their id's bucket
// folder of the page store count; links are removed, never followed. How
// many went; a file that cannot be removed throws.
int removeOrphanPageFiles()
{
    QSet<qint64> pageIds;
    const Recordset rs = DbConnection::OpenRecordset(QStringLiteral("SELECT PageId FROM Page"));
    pageIds.reserve(rs.recordCount());
    for (int row = 0; row < rs.recordCount(); ++row)
        pageIds.insert(rs.value(row, 0).toLongLong());
    int removed = 0;
    for (const QString &path : orphanPageFiles(pageIds)) {
        if (::unlink(QFile::encodeName(path).constData()) != 0) {
            if (errno != ENOENT)
                throw errnoError(errno, path);
            continue;
        }
        ++removed;
    }
    return removed;
}

QString completion(const Run &run)
{
    QString text = QStringLiteral("Repair broken links completed.\n%1 repairs made.").arg(run.repairs);
    if (run.skipped == 1)
        text += QStringLiteral("\n1 page skipped (location not available).");
    else if (run.skipped > 1)
        text += QStringLiteral("\n%1 pages skipped (location not available).").arg(run.skipped);
    if (run.orphanFiles > 0)
        text += QStringLiteral("\n%1 page files without a page removed.").arg(run.orphanFiles);
    return text;
}

} // namespace

namespace LinkRepair {

ToolResult FixBrokenLinks()
{
    ToolResult result;
    ToolsFiles::ToolsLock lock;
    if (!lock.acquire()) {
        result.add(ToolResult::Kind::Warning, ToolsFiles::VlmRunningText);
        return result;
    }
    Run run;
    bool progressShown = false;
    try {
        QString message;
        if (!ToolsFiles::OpenToolsDatabase(&message)) {
            result.add(ToolResult::Kind::Warning, message);
            return result;
        }
        const qint64 pages = count("Page");
        const qint64 total = pages + count("Document") + count("Folder") + count("Drawer");
        bool completed = true;
        if (total > 0) {
            Progress::StartProgressPositioned(QStringLiteral("Repair broken links"), 1, int(qMin<qint64>(total + pages, INT_MAX)));
            progressShown = true;
            // Each pass re-reads its table, so rows moved by one pass are
            // checked again by the next.
            completed = run.missingFiles();
            for (const Level &level : kLevels) {
                if (!completed)
                    break;
                completed = run.orphans(level);
            }
        }
        // Also with no rows at all: a first import killed before it
        // committed leaves files and an empty database.
        if (completed)
            run.orphanFiles = removeOrphanPageFiles();
        result.add(ToolResult::Kind::Message, completion(run));
    } catch (const DbError &e) {
        result.add(ToolResult::Kind::Error,
                   QStringLiteral("Error # %1 occurred in FixBrokenLinks: %2").arg(e.code).arg(e.text));
    }
    DbConnection::close();
    if (progressShown)
        Progress::StopProgress();
    return result;
}

} // namespace LinkRepair

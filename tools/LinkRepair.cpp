#include "LinkRepair.h"

#include "DataFolder.h"
#include "Database.h"
#include "DbConnection.h"
#include "PagePaths.h"
#include "Passwords.h"
#include "Progress.h"
#include "RecordId.h"
#include "ToolsFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QVector>

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

class Run
{
public:
    int repairs = 0;
    int skipped = 0;

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
        return Database::HasColumn(QStringLiteral("Page"), c) ? c : QStringLiteral("NULL");
    };
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT PageId, %1, %2 FROM Page ORDER BY PageId").arg(column("Filename"), column("ShortcutYN")));
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
            if (!thumb.isEmpty())
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

QString completion(const Run &run)
{
    QString text = QStringLiteral("Repair broken links completed.\n%1 repairs made.").arg(run.repairs);
    if (run.skipped > 0)
        text += QStringLiteral("\n%1 pages skipped (location not available).").arg(run.skipped);
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
        if (total > 0) {
            Progress::StartProgressPositioned(QStringLiteral("Repair broken links"), 1, int(qMin<qint64>(total + pages, INT_MAX)));
            progressShown = true;
            // Each pass re-reads its table, so rows moved by one pass are
            // checked again by the next.
            if (run.missingFiles()) {
                for (const Level &level : kLevels) {
                    if (!run.orphans(level))
                        break;
                }
            }
        }
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

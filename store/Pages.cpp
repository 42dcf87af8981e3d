#include "store/Pages.h"

#include <algorithm>
#include <climits>

#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <QVariantList>

#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "store/Database.h"

namespace {


// ---- What the deletes and the path look-ups need of Page rows ----

// Bound values per statement for id lists, well below SQLite's limit.
constexpr int kChunk = 500;

const QString kFolderDocuments = QStringLiteral("SELECT DocumentId FROM Document WHERE FolderId = ?");
const QString kDrawerDocuments = QStringLiteral(
    "SELECT DocumentId FROM Document WHERE FolderId IN (SELECT FolderId FROM Folder WHERE DrawerId = ?)");
const QString kCabinetDocuments = QStringLiteral(
    "SELECT DocumentId FROM Document WHERE FolderId IN (SELECT FolderId FROM Folder WHERE DrawerId IN"
    " (SELECT DrawerId FROM Drawer WHERE CabinetId = ?))");

// The page's row with its cabinet's storage path, found through the chain
// of parents (a row whose parents are gone has none).
const QString kPageFiles = QStringLiteral(
    "SELECT p.PageId, p.Filename, p.ShortcutYN, c.StoragePath FROM Page p"
    " LEFT JOIN Document d ON d.DocumentId = p.DocumentId"
    " LEFT JOIN Folder f ON f.FolderId = d.FolderId"
    " LEFT JOIN Drawer w ON w.DrawerId = f.DrawerId"
    " LEFT JOIN Cabinet c ON c.CabinetId = w.CabinetId WHERE ");

QList<Pages::PageFileRow> pageFilesWhere(const QString &where, const QVariantList &binds)
{
    QList<Pages::PageFileRow> rows;
    const Recordset rs = DbConnection::OpenRecordset(kPageFiles + where + QStringLiteral(" ORDER BY p.PageId"), binds);
    for (int row = 0; row < rs.recordCount(); ++row) {
        rows.append({rs.value(row, 0).toLongLong(), NullToEmpty(rs.value(row, 1)),
                     NullToEmpty(rs.value(row, 2)) == QLatin1String("Y"), NullToEmpty(rs.value(row, 3))});
    }
    return rows;
}

QString placeholders(int count)
{
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks.append(QStringLiteral("?"));
    return marks.join(QLatin1Char(','));
}

QVariantList bindsOf(const QList<RecordId> &ids)
{
    QVariantList binds;
    for (RecordId id : ids)
        binds.append(id);
    return binds;
}

int countPages(const QString &documents, RecordId id)
{
    return DbConnection::queryValue(
               QStringLiteral("SELECT COUNT(*) FROM Page WHERE DocumentId IN (") + documents + QLatin1Char(')'), {id})
        .toInt();
}



QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

void updatePage(const QString &sql, const QVariantList &binds, RecordId pageId)
{
    const QVariant exists = DbConnection::queryValue(
        QStringLiteral("SELECT PageId FROM Page WHERE PageId = ?"), {pageId});
    if (exists.isNull())
        throw AppError(ErrorCode::RecordMissing, QStringLiteral("Page %1 does not exist").arg(pageId));
    DbConnection::execute(sql, binds);
}

} // namespace

namespace Pages {


std::optional<PageFileRow> pageFile(RecordId pageId)
{
    const QList<PageFileRow> rows = pageFilesWhere(QStringLiteral("p.PageId = ?"), {pageId});
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first();
}

QString storedFilename(RecordId pageId)
{
    return NullToEmpty(
        DbConnection::queryValue(QStringLiteral("SELECT Filename FROM Page WHERE PageId = ?"), {pageId}));
}

bool isShortcut(RecordId pageId)
{
    const QVariant v =
        DbConnection::queryValue(QStringLiteral("SELECT ShortcutYN FROM Page WHERE PageId = ?"), {pageId});
    return !v.isNull() && v.toString() == QLatin1String("Y");
}

QList<PageFileRow> documentPageFiles(RecordId documentId)
{
    return pageFilesWhere(QStringLiteral("p.DocumentId = ?"), {documentId});
}

QList<PageFileRow> folderPageFiles(RecordId folderId)
{
    return pageFilesWhere(QStringLiteral("p.DocumentId IN (") + kFolderDocuments + QLatin1Char(')'), {folderId});
}

QList<PageFileRow> drawerPageFiles(RecordId drawerId)
{
    return pageFilesWhere(QStringLiteral("p.DocumentId IN (") + kDrawerDocuments + QLatin1Char(')'), {drawerId});
}

QList<PageFileRow> pageFiles(const QList<RecordId> &pageIds)
{
    QList<PageFileRow> rows;
    for (int start = 0; start < pageIds.size(); start += kChunk) {
        const QList<RecordId> part = pageIds.mid(start, kChunk);
        rows += pageFilesWhere(QStringLiteral("p.PageId IN (%1)").arg(placeholders(part.size())), bindsOf(part));
    }
    return rows;
}

int CountDocumentPages(RecordId documentId)
{
    return DbConnection::queryValue(QStringLiteral("SELECT COUNT(*) FROM Page WHERE DocumentId = ?"), {documentId})
        .toInt();
}

int CountFolderPages(RecordId folderId)
{
    return countPages(kFolderDocuments, folderId);
}

int CountDrawerPages(RecordId drawerId)
{
    return countPages(kDrawerDocuments, drawerId);
}

int CountCabinetPages(RecordId cabinetId)
{
    return countPages(kCabinetDocuments, cabinetId);
}

void deleteDocumentPages(RecordId documentId)
{
    DbConnection::execute(QStringLiteral("DELETE FROM Page WHERE DocumentId = ?"), {documentId});
}

void DeleteFolderPages(RecordId folderId)
{
    DbConnection::execute(QStringLiteral("DELETE FROM Page WHERE DocumentId IN (") + kFolderDocuments
                              + QLatin1Char(')'),
                          {folderId});
}

void DeleteDrawerPages(RecordId drawerId)
{
    DbConnection::execute(QStringLiteral("DELETE FROM Page WHERE DocumentId IN (") + kDrawerDocuments
                              + QLatin1Char(')'),
                          {drawerId});
}

void deletePageRows(const QList<RecordId> &pageIds)
{
    for (int start = 0; start < pageIds.size(); start += kChunk) {
        const QList<RecordId> part = pageIds.mid(start, kChunk);
        DbConnection::execute(QStringLiteral("DELETE FROM Page WHERE PageId IN (%1)").arg(placeholders(part.size())),
                              bindsOf(part));
    }
}

QSet<QString> storedFilenames()
{
    QSet<QString> names;
    const Recordset rs =
        DbConnection::OpenRecordset(QStringLiteral("SELECT DISTINCT Filename FROM Page WHERE Filename <> ''"));
    for (int row = 0; row < rs.recordCount(); ++row)
        names.insert(rs.value(row, 0).toString());
    return names;
}

QSet<RecordId> existingPageIds(const QList<RecordId> &pageIds)
{
    QSet<RecordId> found;
    for (int start = 0; start < pageIds.size(); start += kChunk) {
        const QList<RecordId> part = pageIds.mid(start, kChunk);
        const Recordset rs = DbConnection::OpenRecordset(
            QStringLiteral("SELECT PageId FROM Page WHERE PageId IN (%1)").arg(placeholders(part.size())),
            bindsOf(part));
        for (int row = 0; row < rs.recordCount(); ++row)
            found.insert(rs.value(row, 0).toLongLong());
    }
    return found;
}


// ---- Page rows written by the paste, the drops and the moves ----

QVector<PageRow> readDocumentPages(RecordId documentId, const QString &condition,
                                   const QVariantList &binds)
{
    QString sql = QStringLiteral(
        "SELECT PageId, PageNumber, Filename, ScanDate, FileSize, Filetype, ShortcutYN, Name"
        " FROM Page WHERE DocumentId = ?");
    QVariantList values{documentId};
    if (!condition.isEmpty()) {
        sql += QStringLiteral(" AND (") + condition + QLatin1Char(')');
        values += binds;
    }
    sql += QStringLiteral(" ORDER BY PageNumber, PageId");
    const Recordset rs = DbConnection::OpenRecordset(sql, values);
    QVector<PageRow> rows;
    rows.reserve(rs.recordCount());
    for (int row = 0; row < rs.recordCount(); ++row) {
        PageRow page;
        page.pageId = rs.value(row, 0).toLongLong();
        page.pageNumber = rs.value(row, 1).toInt();
        page.filename = NullToEmpty(rs.value(row, 2));
        page.scanDate = NullToEmpty(rs.value(row, 3));
        page.fileSize = NullToEmpty(rs.value(row, 4));
        page.filetype = NullToEmpty(rs.value(row, 5));
        page.shortcutYN = NullToEmpty(rs.value(row, 6));
        page.name = NullToEmpty(rs.value(row, 7));
        rows.append(page);
    }
    return rows;
}

QVector<PageRow> readDocumentPageRange(RecordId documentId, int fromPage, int thruPage)
{
    return readDocumentPages(documentId, QStringLiteral("PageNumber >= ? AND PageNumber <= ?"),
                             {fromPage, thruPage});
}

int nextPageNumber(RecordId documentId)
{
    const QVariant highest = DbConnection::queryValue(
        QStringLiteral("SELECT MAX(PageNumber) FROM Page WHERE DocumentId = ?"), {documentId});
    if (highest.isNull())
        return 1;
    // Held at the highest number a page can carry: one past it would wrap
    // round to a negative number.
    return int(qBound(qint64(0), qint64(highest.toLongLong()), qint64(INT_MAX - 1)) + 1);
}

bool documentExists(RecordId documentId)
{
    return !DbConnection::queryValue(
                QStringLiteral("SELECT DocumentId FROM Document WHERE DocumentId = ?"), {documentId})
                .isNull();
}

namespace {

const QString kInsertColumns = QStringLiteral(
    "DocumentId, Name, PageNumber, ScanDate, FileSize, Filetype, Filename, ShortcutYN");

QVariantList insertValues(const NewPage &page)
{
    const QDateTime when = page.scanDate.isValid() ? page.scanDate : QDateTime::currentDateTime();
    const QVariant filename = page.filename.isEmpty() && page.emptyFilenameAsText ? QVariant(QString(""))
                                                                                   : textOrNull(page.filename);
    return {page.documentId, textOrNull(page.name), page.pageNumber, when.toString(ScanDateFormat), page.fileSize,
            textOrNull(page.filetype), filename,
            textOrNull(page.shortcut ? QStringLiteral("Y") : page.markedStored ? QStringLiteral("N") : QString())};
}

} // namespace

RecordId insertPage(const NewPage &page)
{
    DbConnection::execute(
        QStringLiteral("INSERT INTO Page (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?)").arg(kInsertColumns),
        insertValues(page));
    return DbConnection::lastInsertId();
}

void insertPageWithId(RecordId pageId, const NewPage &page)
{
    DbConnection::execute(
        QStringLiteral("INSERT INTO Page (PageId, %1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)").arg(kInsertColumns),
        QVariantList{pageId} + insertValues(page));
}

RecordId NextPageId()
{
    // sqlite_sequence holds the highest id AUTOINCREMENT gave; a table
    // that never had a row has no entry there yet.
    const bool hasSequence = !DbConnection::queryValue(
                                  QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'sqlite_sequence'"))
                                  .isNull();
    const QVariant sequence = hasSequence ? DbConnection::queryValue(QStringLiteral(
                                                "SELECT seq FROM sqlite_sequence WHERE name = 'Page'"))
                                          : QVariant();
    const QVariant highest = DbConnection::queryValue(QStringLiteral("SELECT MAX(PageId) FROM Page"));
    return std::max(sequence.toLongLong(), highest.toLongLong()) + 1;
}

bool pageExists(RecordId pageId)
{
    return !DbConnection::queryValue(QStringLiteral("SELECT PageId FROM Page WHERE PageId = ?"), {pageId}).isNull();
}

QStringList filesUnder(const QString &folder, RecordId cabinetId)
{
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    const QString ofCabinet = cabinetId == 0
        ? QString()
        : QStringLiteral(" JOIN Document d ON d.DocumentId = p.DocumentId JOIN Folder f ON f.FolderId = d.FolderId"
                         " JOIN Drawer w ON w.DrawerId = f.DrawerId AND w.CabinetId = ?");
    QVariantList binds;
    if (cabinetId != 0)
        binds << cabinetId;
    binds << prefix << prefix;
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT p.Filename FROM Page p%1 WHERE COALESCE(p.ShortcutYN, '') <> 'Y'"
                       " AND substr(p.Filename, 1, length(?)) = ? ORDER BY p.PageId")
            .arg(ofCabinet),
        binds);
    QStringList files;
    files.reserve(rs.recordCount());
    for (int row = 0; row < rs.recordCount(); ++row)
        files.append(rs.value(row, 0).toString());
    return files;
}

RecordId findPageByName(RecordId documentId, const QString &name)
{
    const QVariant id = DbConnection::queryValue(
        QStringLiteral("SELECT PageId FROM Page WHERE DocumentId = ? AND Name = ? ORDER BY PageId"),
        {documentId, name});
    return id.isNull() ? 0 : id.toLongLong();
}

void setPageFileSize(RecordId pageId, qint64 fileSize)
{
    updatePage(QStringLiteral("UPDATE Page SET FileSize = ? WHERE PageId = ?"), {fileSize, pageId},
               pageId);
}

void refreshPageFileSize(RecordId pageId, const QString &path)
{
    const QFileInfo file(path);
    if (!file.isFile())
        return;
    const QVariant stored =
        DbConnection::queryValue(QStringLiteral("SELECT FileSize FROM Page WHERE PageId = ?"), {pageId});
    // Read first: viewing a page whose size is right writes nothing.
    if (stored.isNull() || stored.toLongLong() == file.size())
        return;
    DbConnection::execute(QStringLiteral("UPDATE Page SET FileSize = ? WHERE PageId = ?"), {file.size(), pageId});
}

void setPageFilename(RecordId pageId, const QString &filename)
{
    // The empty text, not Null, for a page in the page store: the save
    // writes the text of its file-name box as it is.
    updatePage(QStringLiteral("UPDATE Page SET Filename = ? WHERE PageId = ?"),
               {filename.isNull() ? QString(QLatin1String("")) : filename, pageId}, pageId);
}

void setPageFiletype(RecordId pageId, const QString &filetype)
{
    updatePage(QStringLiteral("UPDATE Page SET Filetype = ? WHERE PageId = ?"),
               {textOrNull(filetype), pageId}, pageId);
}

void setPageNumber(RecordId pageId, int pageNumber)
{
    updatePage(QStringLiteral("UPDATE Page SET PageNumber = ? WHERE PageId = ?"), {pageNumber, pageId}, pageId);
}

int movePagesToDocument(const QList<RecordId> &pageIds, RecordId documentId)
{
    DbConnection::Transaction tx;
    QSet<RecordId> moved;
    DbConnection::Statement update(QStringLiteral("UPDATE Page SET DocumentId = ? WHERE PageId = ?"));
    for (RecordId pageId : pageIds) {
        const QVariant source = DbConnection::queryValue(
            QStringLiteral("SELECT DocumentId FROM Page WHERE PageId = ?"), {pageId});
        // A page deleted since it was cut, one listed twice, or one that is
        // already in the target stays where it is.
        if (source.isNull() || source.toLongLong() == documentId || moved.contains(pageId))
            continue;
        update.run({documentId, pageId});
        moved.insert(pageId);
    }
    tx.commit();
    return moved.size();
}

int MovePageToDocument(RecordId pageId, RecordId documentId)
{
    DbConnection::Transaction tx;
    if (!documentExists(documentId))
        throw AppError(ErrorCode::RecordMissing, QStringLiteral("The document no longer exists."));
    const QVariant source =
        DbConnection::queryValue(QStringLiteral("SELECT DocumentId FROM Page WHERE PageId = ?"), {pageId});
    if (source.isNull() || source.toLongLong() == documentId)
        return 0;
    const int number = nextPageNumber(documentId);
    DbConnection::execute(QStringLiteral("UPDATE Page SET DocumentId = ?, PageNumber = ? WHERE PageId = ?"),
                          {documentId, number, pageId});
    tx.commit();
    return number;
}

} // namespace Pages

// ---- Page reads of the exchange: export walk, new-page notices ----

namespace {

const QString kNamedPages = QStringLiteral("SELECT PageId, Name, PageNumber, Filename, ShortcutYN FROM Page WHERE ");

QList<Pages::NamedPage> namedPagesWhere(const QString &where, const QVariantList &binds)
{
    const Recordset rs = DbConnection::OpenRecordset(kNamedPages + where, binds);
    QList<Pages::NamedPage> pages;
    pages.reserve(rs.recordCount());
    for (int row = 0; row < rs.recordCount(); ++row) {
        pages.append({rs.value(row, 0).toLongLong(), NullToEmpty(rs.value(row, 1)), rs.value(row, 2),
                      NullToEmpty(rs.value(row, 3)), NullToEmpty(rs.value(row, 4)) == QLatin1String("Y")});
    }
    return pages;
}

} // namespace

namespace Pages {

QList<NamedPage> namedDocumentPages(RecordId documentId)
{
    return namedPagesWhere(QStringLiteral("DocumentId = ? ORDER BY Name, PageId"), {documentId});
}

std::optional<NamedPage> namedPageOf(RecordId pageId)
{
    const QList<NamedPage> pages = namedPagesWhere(QStringLiteral("PageId = ?"), {pageId});
    if (pages.isEmpty())
        return std::nullopt;
    return pages.first();
}

} // namespace Pages

// ---- Page rows as the viewer, the printer, the save and the repair read them ----

namespace {

// "p.<column>" when the Page table has the column, else NULL: the tools
// read databases of older versions without upgrading them.
QString pageColumnOrNull(const char *name)
{
    const QString column = QLatin1String(name);
    return Database::tableHasColumn(QStringLiteral("Page"), column) ? QStringLiteral("p.") + column
                                                               : QStringLiteral("NULL");
}

} // namespace

namespace Pages {

std::optional<PageFacts> readPage(RecordId pageId)
{
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT DocumentId, PageNumber, Filename, ShortcutYN, ScanDate, FileSize, Filetype"
                       " FROM Page WHERE PageId = ?"),
        {pageId});
    if (rs.isEmpty())
        return std::nullopt;
    PageFacts facts;
    facts.documentId = rs.field(0).toLongLong();
    if (!rs.field(1).isNull())
        facts.pageNumber = rs.field(1).toInt();
    facts.filename = NullToEmpty(rs.field(2));
    facts.shortcut = NullToEmpty(rs.field(3)) == QLatin1String("Y");
    facts.scanDate = NullToEmpty(rs.field(4));
    if (!rs.field(5).isNull())
        facts.fileSize = rs.field(5).toLongLong();
    facts.filetype = NullToEmpty(rs.field(6));
    return facts;
}

RecordId GetDocumentIdOfPage(RecordId pageId)
{
    const QVariant v =
        DbConnection::queryValue(QStringLiteral("SELECT DocumentId FROM Page WHERE PageId = ?"), {pageId});
    return v.isNull() ? 0 : v.toLongLong();
}

RecordId neighbourPage(RecordId documentId, int pageNumber, RecordId pageId, bool next)
{
    const QString sql = next
        ? QStringLiteral("SELECT PageId FROM Page WHERE DocumentId = ? AND PageId <> ?"
                         " AND (PageNumber > ? OR (PageNumber = ? AND PageId > ?))"
                         " ORDER BY PageNumber, PageId LIMIT 1")
        : QStringLiteral("SELECT PageId FROM Page WHERE DocumentId = ? AND PageId <> ?"
                         " AND (PageNumber < ? OR (PageNumber = ? AND PageId < ?))"
                         " ORDER BY PageNumber DESC, PageId DESC LIMIT 1");
    return DbConnection::queryValue(sql, {documentId, pageId, pageNumber, pageNumber, pageId}).toLongLong();
}

std::pair<int, int> pageNumberRange(RecordId documentId)
{
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT Min(PageNumber), Max(PageNumber) FROM Page WHERE DocumentId = ?"), {documentId});
    if (rs.isEmpty())
        return {0, 0};
    return {rs.value(0, 0).toInt(), rs.value(0, 1).toInt()};
}

QStringList filenamesNamed(const QString &fileName, RecordId exceptPageId)
{
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT Filename FROM Page WHERE PageId <> ? AND Filename LIKE ?"),
        {exceptPageId, QStringLiteral("%/") + fileName});
    QStringList names;
    for (int row = 0; row < rs.recordCount(); ++row)
        names.append(rs.value(row, 0).toString());
    return names;
}

QSet<RecordId> allPageIds()
{
    QSet<RecordId> ids;
    const Recordset rs = DbConnection::OpenRecordset(QStringLiteral("SELECT PageId FROM Page"));
    ids.reserve(rs.recordCount());
    for (int row = 0; row < rs.recordCount(); ++row)
        ids.insert(rs.value(row, 0).toLongLong());
    return ids;
}

QList<PageFileRow> allPageFiles()
{
    // A thumbnail may go only where its cabinet's pages may lie, so each
    // page comes with its cabinet's storage path (the column came with
    // Filename; a page without its parents has none).
    const QString filenameColumn = pageColumnOrNull("Filename");
    const QString storageColumn =
        filenameColumn == QLatin1String("NULL") ? filenameColumn : QStringLiteral("c.StoragePath");
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT p.PageId, %1, %2, %3 FROM Page p"
                       " LEFT JOIN Document d ON d.DocumentId = p.DocumentId"
                       " LEFT JOIN Folder f ON f.FolderId = d.FolderId"
                       " LEFT JOIN Drawer w ON w.DrawerId = f.DrawerId"
                       " LEFT JOIN Cabinet c ON c.CabinetId = w.CabinetId ORDER BY p.PageId")
            .arg(filenameColumn, pageColumnOrNull("ShortcutYN"), storageColumn));
    QList<PageFileRow> rows;
    rows.reserve(rs.recordCount());
    for (int row = 0; row < rs.recordCount(); ++row) {
        rows.append({rs.value(row, 0).toLongLong(), NullToEmpty(rs.value(row, 1)),
                     rs.value(row, 2).toString() == QLatin1String("Y"), NullToEmpty(rs.value(row, 3))});
    }
    return rows;
}

QVector<RecordId> storePagesBelow(RecordId below, int limit)
{
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT p.PageId FROM Page p WHERE p.PageId < ? AND COALESCE(%1, '') = ''"
                       " ORDER BY p.PageId DESC LIMIT ?")
            .arg(pageColumnOrNull("Filename")),
        {below, limit});
    QVector<RecordId> ids;
    ids.reserve(rs.recordCount());
    for (int row = 0; row < rs.recordCount(); ++row)
        ids.append(rs.value(row, 0).toLongLong());
    return ids;
}

qint64 countStorePages()
{
    return DbConnection::queryValue(
               QStringLiteral("SELECT COUNT(*) FROM Page p WHERE COALESCE(%1, '') = ''").arg(pageColumnOrNull("Filename")))
        .toLongLong();
}

} // namespace Pages

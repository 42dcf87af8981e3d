#include "Pages.h"

#include <QSet>

#include "DbConnection.h"

namespace {

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

void updatePage(const QString &sql, const QVariantList &binds, int pageId)
{
    const QVariant exists = DbConnection::QueryValue(
        QStringLiteral("SELECT PageId FROM Page WHERE PageId = ?"), {pageId});
    if (exists.isNull())
        throw DbError(ErrorCode::RecordMissing, QStringLiteral("Page %1 does not exist").arg(pageId));
    DbConnection::Execute(sql, binds);
}

// Numbers the numbered pages of a document 1..n in page order; pages with
// number 0 or none keep it, so shortcut pages still list first.
void closeGaps(int documentId)
{
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT PageId FROM Page WHERE DocumentId = ? AND PageNumber > 0"
                       " ORDER BY PageNumber, PageId"),
        {documentId});
    DbConnection::Statement update(QStringLiteral("UPDATE Page SET PageNumber = ? WHERE PageId = ?"));
    for (int row = 0; row < rs.recordCount(); ++row)
        update.run({row + 1, rs.value(row, 0).toInt()});
}

} // namespace

namespace Pages {

// ---- Page rows written by the paste, the drops and the moves ----

QVector<PageRow> ReadDocumentPages(int documentId, const QString &condition,
                                   const QVariantList &binds)
{
    QString sql = QStringLiteral(
        "SELECT PageId, PageNumber, Filename, ScanDate, FileSize, Filetype, ShortcutYN"
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
        page.pageId = rs.value(row, 0).toInt();
        page.pageNumber = rs.value(row, 1).toInt();
        page.filename = NullToEmpty(rs.value(row, 2));
        page.scanDate = NullToEmpty(rs.value(row, 3));
        page.fileSize = NullToEmpty(rs.value(row, 4));
        page.filetype = NullToEmpty(rs.value(row, 5));
        page.shortcutYN = NullToEmpty(rs.value(row, 6));
        rows.append(page);
    }
    return rows;
}

int NextPageNumber(int documentId)
{
    const QVariant highest = DbConnection::QueryValue(
        QStringLiteral("SELECT MAX(PageNumber) FROM Page WHERE DocumentId = ?"), {documentId});
    return highest.isNull() ? 1 : qMax(0, highest.toInt()) + 1;
}

bool DocumentExists(int documentId)
{
    return !DbConnection::QueryValue(
                QStringLiteral("SELECT DocumentId FROM Document WHERE DocumentId = ?"), {documentId})
                .isNull();
}

int InsertPage(const NewPage &page)
{
    const QDateTime when = page.scanDate.isValid() ? page.scanDate : QDateTime::currentDateTime();
    DbConnection::Execute(
        QStringLiteral("INSERT INTO Page (DocumentId, Name, PageNumber, ScanDate, FileSize, Filetype,"
                       " Filename, ShortcutYN) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        {page.documentId, textOrNull(page.name), page.pageNumber, when.toString(ScanDateFormat), page.fileSize,
         textOrNull(page.filetype), textOrNull(page.filename),
         textOrNull(page.shortcut ? QStringLiteral("Y") : QString())});
    return int(DbConnection::LastInsertId());
}

int FindPageByName(int documentId, const QString &name)
{
    const QVariant id = DbConnection::QueryValue(
        QStringLiteral("SELECT PageId FROM Page WHERE DocumentId = ? AND Name = ? ORDER BY PageId"),
        {documentId, name});
    return id.isNull() ? 0 : id.toInt();
}

void SetPageFileSize(int pageId, qint64 fileSize)
{
    updatePage(QStringLiteral("UPDATE Page SET FileSize = ? WHERE PageId = ?"), {fileSize, pageId},
               pageId);
}

void SetPageFilename(int pageId, const QString &filename)
{
    updatePage(QStringLiteral("UPDATE Page SET Filename = ? WHERE PageId = ?"),
               {textOrNull(filename), pageId}, pageId);
}

void SetPageFiletype(int pageId, const QString &filetype)
{
    updatePage(QStringLiteral("UPDATE Page SET Filetype = ? WHERE PageId = ?"),
               {textOrNull(filetype), pageId}, pageId);
}

int MovePagesToDocument(const QList<int> &pageIds, int documentId)
{
    DbConnection::Transaction tx;
    int number = NextPageNumber(documentId);
    QSet<int> sources;
    QSet<int> moved;
    DbConnection::Statement update(
        QStringLiteral("UPDATE Page SET DocumentId = ?, PageNumber = ? WHERE PageId = ?"));
    for (int pageId : pageIds) {
        const QVariant source = DbConnection::QueryValue(
            QStringLiteral("SELECT DocumentId FROM Page WHERE PageId = ?"), {pageId});
        // A page deleted since it was cut, one listed twice, or one that is
        // already in the target stays where it is.
        if (source.isNull() || source.toInt() == documentId || moved.contains(pageId))
            continue;
        update.run({documentId, number++, pageId});
        sources.insert(source.toInt());
        moved.insert(pageId);
    }
    for (int source : std::as_const(sources))
        closeGaps(source);
    tx.commit();
    return moved.size();
}

} // namespace Pages

#include "navigation/PageRecords.h"

#include "core/RecordId.h"
#include "navigation/FindCriteria.h"
#include "store/NodeKeys.h"
#include "store/PagePaths.h"
#include "store/Pages.h"

namespace {

PageRecord toRecord(const Pages::PageRow &row)
{
    PageRecord record;
    record.PageId = row.pageId;
    record.PageNumber = row.pageNumber;
    record.Filename = PagePaths::GetPageFilePath(row.pageId, row.filename);
    record.ScanDate = row.scanDate;
    record.FileSize = row.fileSize;
    record.Filetype = row.filetype;
    record.ShortcutYN = row.shortcutYN;
    record.Name = row.name;
    return record;
}

// The found-document conditions; the document-date and amount ones concern
// documents, not pages.
void addClause(const FindClause &clause, QStringList &sql, QVariantList &binds)
{
    if (clause.isEmpty())
        return;
    sql.append(clause.sql);
    binds += clause.binds;
}

} // namespace

QString PageRecord::key() const
{
    return NodeKeys::NavNodeKey(NodeKeys::Page, PageId);
}

PageRecords::PageRecords()
{
    m_paging.setDisplayCount(Paging::displayCountSetting());
}

void PageRecords::load(RecordId documentId, bool found, const FindCriteria &criteria)
{
    read(documentId, found, criteria, false);
}

void PageRecords::load(RecordId documentId, bool found)
{
    load(documentId, found, FindCriteria::instance());
}

void PageRecords::reload()
{
    if (m_documentId >= 0)
        read(m_documentId, m_found, FindCriteria::instance(), true);
}

void PageRecords::clear()
{
    m_documentId = -1;
    m_found = false;
    m_records.clear();
    m_paging.reset(0);
}

void PageRecords::read(RecordId documentId, bool found, const FindCriteria &criteria, bool keepScreen)
{
    QStringList conditions;
    QVariantList binds;
    if (found) {
        addClause(criteria.FindScanDateClause, conditions, binds);
        addClause(criteria.FindFileSizeClause, conditions, binds);
    }
    const QVector<Pages::PageRow> rows =
        Pages::readDocumentPages(documentId, conditions.join(QStringLiteral(" AND ")), binds);
    QVector<PageRecord> records;
    records.reserve(rows.size());
    for (const Pages::PageRow &row : rows)
        records.append(toRecord(row));
    m_records = records;
    m_documentId = documentId;
    m_found = found;
    if (keepScreen)
        m_paging.setRecordCount(m_records.size());
    else
        m_paging.reset(m_records.size());
}

QVector<PageRecord> PageRecords::screen() const
{
    if (m_records.isEmpty())
        return {};
    const int start = m_paging.PagePaneStart();
    return m_records.mid(start - 1, m_paging.PagePaneEnd() - start + 1);
}

const PageRecord *PageRecords::find(RecordId pageId) const
{
    for (const PageRecord &record : m_records) {
        if (record.PageId == pageId)
            return &record;
    }
    return nullptr;
}

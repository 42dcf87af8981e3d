#pragma once

#include <QString>
#include <QVector>

#include "core/RecordId.h"
#include "navigation/Paging.h"

struct FindCriteria;

// One page of the shown document.
struct PageRecord
{
    RecordId PageId = 0;
    int PageNumber = 0;
    // Never empty: the stored Filename (a cabinet's own storage path or a
    // shortcut page's file), else the page's default path in the store.
    QString Filename;
    QString ScanDate;     // as stored, "" when none
    QString FileSize;     // bytes as text, "" when none
    QString Filetype;
    QString ShortcutYN;   // "Y" for a shortcut page
    QString Name;         // the page's Name, "" when none

    bool isShortcut() const { return ShortcutYN == QLatin1String("Y"); }
    // "PAG" & PageId, the key of the page's item.
    QString key() const;
};

// The pages of the document the page pane shows, read in page order, with
// the paging state over them. The pane remembers the document here, so
// drops, pastes and the view switch act on it and not on whatever the tree
// has selected meanwhile.
class PageRecords
{
public:
    PageRecords();

    // Reads the document's pages and shows the first screen. A found
    // document (reached through the search results) lists only the pages
    // that match the last search's scan-date and file-size conditions.
    // Throws AppError; the previous records stay then.
    void load(RecordId documentId, bool found, const FindCriteria &criteria);
    void load(RecordId documentId, bool found = false);
    // Reads the same document again after a change (delete, renumber,
    // paste), keeping the screen where it can, so paging never shows a page
    // that is gone or an old number. Nothing happens without a document.
    void reload();
    // Forgets the document (it was deleted, or another list is shown).
    void clear();

    // -1 when no document is shown.
    RecordId documentId() const { return m_documentId; }
    bool isFound() const { return m_found; }

    const QVector<PageRecord> &records() const { return m_records; }
    int count() const { return m_records.size(); }
    // The records on the current screen.
    QVector<PageRecord> screen() const;
    // The record with the page id; nullptr when it is not listed.
    const PageRecord *find(RecordId pageId) const;

    Paging &paging() { return m_paging; }
    const Paging &paging() const { return m_paging; }

private:
    void read(RecordId documentId, bool found, const FindCriteria &criteria, bool keepScreen);

    RecordId m_documentId = -1;
    bool m_found = false;
    QVector<PageRecord> m_records;
    Paging m_paging;
};

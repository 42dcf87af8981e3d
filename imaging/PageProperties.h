#pragma once

#include <QList>
#include <QString>

#include "core/RecordId.h"

// What the page properties dialog shows of one page, or of several pages
// selected together. Reads the database; throws AppError.
namespace PageProperties {

struct Shown
{
    QString pageIdCaption = QStringLiteral("Page ID:");
    QString pageId;
    QString fileSize;
    QString scanDate;
    QString fileType;
    QString shortcut = QStringLiteral("(not a shortcut)");
};

// One page: its id, "MM/dd/yyyy" scan date and "1,234 bytes" size ("Not
// known" for either when it is not stored), its file type as stored and,
// for a shortcut page, the file it points to. A page without a row shows
// its id and "Not known".
Shown describe(RecordId pageId);

// Several pages, in the order given: "<n> pages", their common scan day
// ("Various" when they were scanned on different days, "Not known" when
// none has a date), the total of their sizes ("Not known" for a total of
// 0; the total is 64-bit, so pages past 2 GiB add up right).
Shown describeSeveral(const QList<RecordId> &pageIds);

// "1,234,567 bytes", grouped with the locale's separator.
QString formatBytes(qint64 bytes);

} // namespace PageProperties

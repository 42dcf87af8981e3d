#include "imaging/PageProperties.h"

#include "core/RecordId.h"
#include "store/Dates.h"
#include "store/Pages.h"

#include <QLocale>

#include <optional>

namespace {

const QString NotKnown = QStringLiteral("Not known");

struct Facts
{
    QDate scanDay;                 // invalid when none is stored
    std::optional<qint64> fileSize;
    QString fileType;
    bool shortcut = false;
    QString filename;
};

// Scan dates are stored as "yyyy-MM-dd HH:mm:ss"; the day is what shows.
QDate dayOf(const QString &stored)
{
    return QDate::fromString(stored.left(10), Qt::ISODate);
}

Facts read(RecordId pageId)
{
    const std::optional<Pages::PageFacts> row = Pages::readPage(pageId);
    Facts facts;
    if (!row)
        return facts;
    facts.scanDay = dayOf(row->scanDate);
    facts.fileSize = row->fileSize;
    facts.fileType = row->filetype;
    facts.shortcut = row->shortcut;
    facts.filename = row->filename;
    return facts;
}

QString dayText(const QDate &day)
{
    return day.isValid() ? Dates::formatDate(day) : NotKnown;
}

} // namespace

namespace PageProperties {

Shown describe(RecordId pageId)
{
    const Facts facts = read(pageId);
    Shown shown;
    shown.pageId = QString::number(pageId);
    shown.scanDate = dayText(facts.scanDay);
    shown.fileSize = facts.fileSize ? formatBytes(*facts.fileSize) : NotKnown;
    shown.fileType = facts.fileType;
    if (facts.shortcut)
        shown.shortcut = facts.filename;
    return shown;
}

Shown describeSeveral(const QList<RecordId> &pageIds)
{
    QDate first;
    bool various = false;
    qint64 total = 0;
    for (RecordId pageId : pageIds) {
        const Facts facts = read(pageId);
        if (facts.scanDay.isValid()) {
            if (!first.isValid())
                first = facts.scanDay;
            else if (facts.scanDay != first)
                various = true;
        }
        total += facts.fileSize.value_or(0);
    }
    Shown shown;
    shown.pageIdCaption = QStringLiteral("Pages:");
    shown.pageId = QStringLiteral("%1 pages").arg(pageIds.size());
    shown.scanDate = various ? QStringLiteral("Various") : dayText(first);
    shown.fileSize = total != 0 ? formatBytes(total) : NotKnown;
    shown.fileType = NotKnown;
    shown.shortcut = NotKnown;
    return shown;
}

QString formatBytes(qint64 bytes)
{
    QLocale locale;
    // The C locale leaves groups out unless told otherwise.
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(bytes) + QStringLiteral(" bytes");
}

} // namespace PageProperties

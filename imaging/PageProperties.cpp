#include "PageProperties.h"

#include "Common.h"
#include "DbConnection.h"
#include "RecordId.h"

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
QDate dayOf(const QVariant &stored)
{
    return QDate::fromString(NullToEmpty(stored).left(10), Qt::ISODate);
}

Facts read(RecordId pageId)
{
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT ScanDate, FileSize, Filetype, ShortcutYN, Filename FROM Page WHERE PageId = ?"),
        {pageId});
    Facts facts;
    if (rs.isEmpty())
        return facts;
    facts.scanDay = dayOf(rs.field(0));
    if (!rs.field(1).isNull())
        facts.fileSize = rs.field(1).toLongLong();
    facts.fileType = NullToEmpty(rs.field(2));
    facts.shortcut = NullToEmpty(rs.field(3)) == QLatin1String("Y");
    facts.filename = NullToEmpty(rs.field(4));
    return facts;
}

QString dayText(const QDate &day)
{
    return day.isValid() ? Common::FormatDate(day) : NotKnown;
}

} // namespace

namespace PageProperties {

Shown Describe(RecordId pageId)
{
    const Facts facts = read(pageId);
    Shown shown;
    shown.pageId = QString::number(pageId);
    shown.scanDate = dayText(facts.scanDay);
    shown.fileSize = facts.fileSize ? FormatBytes(*facts.fileSize) : NotKnown;
    shown.fileType = facts.fileType;
    if (facts.shortcut)
        shown.shortcut = facts.filename;
    return shown;
}

Shown DescribeSeveral(const QList<RecordId> &pageIds)
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
    shown.fileSize = total != 0 ? FormatBytes(total) : NotKnown;
    shown.fileType = NotKnown;
    shown.shortcut = NotKnown;
    return shown;
}

QString FormatBytes(qint64 bytes)
{
    QLocale locale;
    // The C locale leaves groups out unless told otherwise.
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(bytes) + QStringLiteral(" bytes");
}

} // namespace PageProperties

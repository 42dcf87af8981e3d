#include "navigation/NavQueries.h"

#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "store/Dates.h"
#include "store/NodeKeys.h"
#include "store/Passwords.h"

#include <QHash>

namespace {

QVector<NavQueries::Row> rows(const QString &sql, const QVariantList &binds, bool withDate = false)
{
    const Recordset rs = DbConnection::OpenRecordset(sql, binds);
    QVector<NavQueries::Row> out;
    out.reserve(rs.recordCount());
    for (int i = 0; i < rs.recordCount(); ++i) {
        NavQueries::Row r;
        r.id = rs.value(i, 0).toLongLong();
        r.parentId = rs.value(i, 1).toLongLong();
        r.name = NullToEmpty(rs.value(i, 2));
        if (withDate)
            r.date = dateFromValue(rs.value(i, 3));
        out.append(r);
    }
    return out;
}

} // namespace

namespace NavQueries {

QVector<Row> cabinets()
{
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT CabinetId, Name, [Password] FROM Cabinet ORDER BY Name"));
    QVector<Row> out;
    out.reserve(rs.recordCount());
    for (int i = 0; i < rs.recordCount(); ++i) {
        Row r;
        r.id = rs.value(i, 0).toLongLong();
        r.name = NullToEmpty(rs.value(i, 1));
        r.locked = !Passwords::UnscramblePassword(NullToEmpty(rs.value(i, 2))).isEmpty();
        out.append(r);
    }
    return out;
}

QVector<Row> drawersOfCabinet(RecordId cabinetId)
{
    return rows(QStringLiteral("SELECT DrawerId, CabinetId, Name FROM Drawer WHERE CabinetId = ? ORDER BY Name"),
                {cabinetId});
}

QVector<Row> foldersOfDrawer(RecordId drawerId)
{
    return rows(QStringLiteral("SELECT FolderId, DrawerId, Name FROM Folder WHERE DrawerId = ?"), {drawerId});
}

QVector<Row> documentsOfFolder(RecordId folderId)
{
    return rows(QStringLiteral("SELECT DocumentId, FolderId, Name, DateOnDocument FROM Document"
                               " WHERE FolderId = ?"),
                {folderId}, true);
}

QVector<Row> foldersOfCabinet(RecordId cabinetId)
{
    return rows(QStringLiteral("SELECT Folder.FolderId, Folder.DrawerId, Folder.Name FROM Drawer"
                               " INNER JOIN Folder ON Folder.DrawerId = Drawer.DrawerId"
                               " WHERE Drawer.CabinetId = ?"),
                {cabinetId});
}

QVector<Row> documentsOfDrawer(RecordId drawerId)
{
    return rows(QStringLiteral("SELECT Document.DocumentId, Document.FolderId, Document.Name,"
                               " Document.DateOnDocument FROM Folder"
                               " INNER JOIN Document ON Document.FolderId = Folder.FolderId"
                               " WHERE Folder.DrawerId = ?"),
                {drawerId}, true);
}

QString documentNodeText(const QString &name, const QDate &date)
{
    if (!date.isValid())
        return name;
    return name + QStringLiteral(" (") + Dates::formatDate(date) + QLatin1Char(')');
}

bool recordExists(const QString &key)
{
    const std::optional<NodeKeys::NodeKey> record = NodeKeys::parseKey(key);
    if (!record || !record->level || *record->level == RecordLevel::Page)
        return false;
    const RecordLevel level = *record->level;
    const QString sql = QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?")
                            .arg(Schema::tableName(level), Schema::idColumn(level));
    return DbConnection::queryValue(sql, {record->id}).isValid();
}

} // namespace NavQueries

#include "navigation/FindLocations.h"

#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "store/Passwords.h"

namespace {

FindLocations::Choices childChoices(const QString &sql, RecordId parentId)
{
    const Recordset rs = DbConnection::OpenRecordset(sql, {parentId});
    FindLocations::Choices c{{FindLocations::AllText}, rs.recordCount() > 0};
    for (int i = 0; i < rs.recordCount(); ++i)
        c.items.append(NullToEmpty(rs.value(i, 0)));
    return c;
}

RecordId idByName(const QString &sql, const QVariantList &binds, const QString &name)
{
    if (name.isEmpty() || name == FindLocations::AllText)
        return 0;
    // Two records of one name resolve to the first row.
    return DbConnection::queryValue(sql, binds + QVariantList{name}).toLongLong();
}

} // namespace

namespace FindLocations {

Choices cabinetChoices()
{
    const Recordset rs =
        DbConnection::OpenRecordset(QStringLiteral("SELECT CabinetId, Name FROM Cabinet ORDER BY Name"));
    if (rs.isEmpty())
        return {{NoCabinetsText}, false};
    Choices c{{AllText}, true};
    for (int i = 0; i < rs.recordCount(); ++i) {
        // A cabinet whose password was not given in this run is not offered.
        if (Passwords::IsCabinetOpen(rs.value(i, 0).toLongLong()))
            c.items.append(NullToEmpty(rs.value(i, 1)));
    }
    return c;
}

Choices drawerChoices(RecordId cabinetId)
{
    return childChoices(QStringLiteral("SELECT Name FROM Drawer WHERE CabinetId = ? ORDER BY Name"), cabinetId);
}

Choices folderChoices(RecordId drawerId)
{
    return childChoices(QStringLiteral("SELECT Name FROM Folder WHERE DrawerId = ? ORDER BY Name"), drawerId);
}

RecordId GetCabinetIdByName(const QString &name)
{
    return idByName(QStringLiteral("SELECT CabinetId FROM Cabinet WHERE Name = ?"), {}, name);
}

RecordId GetDrawerIdByName(RecordId cabinetId, const QString &name)
{
    return idByName(QStringLiteral("SELECT DrawerId FROM Drawer WHERE CabinetId = ? AND Name = ?"), {cabinetId},
                    name);
}

RecordId GetFolderIdByName(RecordId drawerId, const QString &name)
{
    return idByName(QStringLiteral("SELECT FolderId FROM Folder WHERE DrawerId = ? AND Name = ?"), {drawerId},
                    name);
}

} // namespace FindLocations

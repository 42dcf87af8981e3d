#include "PageContext.h"

#include "Common.h"
#include "DbConnection.h"
#include "NodeKeys.h"
#include "RecordId.h"

namespace {

// One neighbour in the order of number, then id. Pages that share a
// number are walked in id order before the next number, so none is
// passed over when a tie sits between other pages.
RecordId neighbour(RecordId documentId, const QVariant &number, RecordId pageId, bool next)
{
    const QString sql = next
        ? QStringLiteral("SELECT PageId FROM Page WHERE DocumentId = ? AND PageId <> ?"
                         " AND (PageNumber > ? OR (PageNumber = ? AND PageId > ?))"
                         " ORDER BY PageNumber, PageId LIMIT 1")
        : QStringLiteral("SELECT PageId FROM Page WHERE DocumentId = ? AND PageId <> ?"
                         " AND (PageNumber < ? OR (PageNumber = ? AND PageId < ?))"
                         " ORDER BY PageNumber DESC, PageId DESC LIMIT 1");
    return DbConnection::QueryValue(sql, {documentId, pageId, number, number, pageId}).toLongLong();
}

RecordId cabinetOfDocument(RecordId documentId)
{
    return Common::GetCabinetIdOfDrawer(Common::GetDrawerIdOfFolder(Common::GetFolderIdOfDocument(documentId)));
}

} // namespace

namespace PageContext {

PagePlace ResolvePageNeighbours(RecordId pageId)
{
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT DocumentId, PageNumber, Filename, ShortcutYN FROM Page WHERE PageId = ?"), {pageId});
    if (rs.isEmpty())
        throw DbError(ErrorCode::RecordMissing, QStringLiteral("Page %1 does not exist.").arg(pageId));
    PagePlace place;
    place.pageId = pageId;
    place.documentId = rs.field(0).toLongLong();
    const QVariant number = rs.field(1);
    if (!number.isNull())
        place.pageNumber = number.toInt();
    place.filename = NullToEmpty(rs.field(2));
    place.shortcut = NullToEmpty(rs.field(3)) == QLatin1String("Y");
    // A page without a number has no place in the order, and no neighbours.
    if (place.pageNumber) {
        place.prevPageId = neighbour(place.documentId, number, pageId, false);
        place.nextPageId = neighbour(place.documentId, number, pageId, true);
    }
    place.folderId = Common::GetFolderIdOfDocument(place.documentId);
    place.drawerId = Common::GetDrawerIdOfFolder(place.folderId);
    place.cabinetId = Common::GetCabinetIdOfDrawer(place.drawerId);
    place.storage = CabinetStorage(place.cabinetId);
    return place;
}

Storage CabinetStorage(RecordId cabinetId)
{
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT Storage, StoragePath FROM Cabinet WHERE CabinetId = ?"), {cabinetId});
    Storage storage;
    if (rs.isEmpty())
        return storage;
    storage.cabinetStoragePath = NullToEmpty(rs.field(1));
    storage.usesStoragePath = rs.field(0).toInt() == 1 && !storage.cabinetStoragePath.isEmpty();
    return storage;
}

RecordId CabinetOfKey(const QString &key)
{
    const std::optional<NodeKeys::RecordKey> record = NodeKeys::parseKey(key);
    if (!record)
        return 0;
    switch (record->level) {
    case RecordLevel::Folder:
        return Common::GetCabinetIdOfDrawer(Common::GetDrawerIdOfFolder(record->id));
    case RecordLevel::Document:
        return cabinetOfDocument(record->id);
    case RecordLevel::Page:
        // The number of a page key is a page, not a document: the page's
        // own cabinet decides where the new page is stored.
        return cabinetOfDocument(Common::GetDocumentIdOfPage(record->id));
    case RecordLevel::Cabinet:
    case RecordLevel::Drawer:
        break;
    }
    return 0;
}

QString Caption(const PagePlace &place)
{
    const QString number = place.pageNumber ? QString::number(*place.pageNumber) : QString();
    return QStringLiteral("Page # %1 (ID = %2)").arg(number).arg(place.pageId);
}

} // namespace PageContext

#include "PageContext.h"

#include "DbError.h"
#include "Pages.h"
#include "RecordId.h"
#include "Records.h"

namespace PageContext {

PagePlace ResolvePageNeighbours(RecordId pageId)
{
    const std::optional<Pages::PageFacts> row = Pages::ReadPage(pageId);
    if (!row)
        throw DbError(ErrorCode::RecordMissing, QStringLiteral("Page %1 does not exist.").arg(pageId));
    PagePlace place;
    place.pageId = pageId;
    place.documentId = row->documentId;
    place.pageNumber = row->pageNumber;
    place.filename = row->filename;
    place.shortcut = row->shortcut;
    // A page without a number has no place in the order, and no neighbours.
    if (place.pageNumber) {
        place.prevPageId = Pages::NeighbourPage(place.documentId, *place.pageNumber, pageId, false);
        place.nextPageId = Pages::NeighbourPage(place.documentId, *place.pageNumber, pageId, true);
    }
    place.folderId = Records::GetFolderIdOfDocument(place.documentId);
    place.drawerId = Records::GetDrawerIdOfFolder(place.folderId);
    place.cabinetId = Records::GetCabinetIdOfDrawer(place.drawerId);
    place.storage = CabinetStorage(place.cabinetId);
    return place;
}

Storage CabinetStorage(RecordId cabinetId)
{
    const std::optional<Records::CabinetValues> cabinet = Records::ReadCabinet(cabinetId);
    Storage storage;
    if (!cabinet)
        return storage;
    storage.cabinetStoragePath = cabinet->storagePath;
    storage.usesStoragePath = cabinet->ownStorage && !storage.cabinetStoragePath.isEmpty();
    return storage;
}

RecordId CabinetOfKey(const QString &key)
{
    const QString prefix = key.left(3).toUpper();
    const RecordId id = key.mid(3).toLongLong();
    if (prefix == QLatin1String("FLD"))
        return Records::GetCabinetIdOfDrawer(Records::GetDrawerIdOfFolder(id));
    if (prefix == QLatin1String("DOC"))
        return Records::GetCabinetIdOfDocument(id);
    // The number of a page key is a page, not a document: the page's own
    // cabinet decides where the new page is stored.
    if (prefix == QLatin1String("PAG"))
        return Records::GetCabinetIdOfDocument(Pages::GetDocumentIdOfPage(id));
    return 0;
}

QString Caption(const PagePlace &place)
{
    const QString number = place.pageNumber ? QString::number(*place.pageNumber) : QString();
    return QStringLiteral("Page # %1 (ID = %2)").arg(number).arg(place.pageId);
}

} // namespace PageContext

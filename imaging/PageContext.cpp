#include "imaging/PageContext.h"

#include "core/RecordId.h"
#include "platform/AppError.h"
#include "store/NodeKeys.h"
#include "store/Pages.h"
#include "store/Records.h"

namespace PageContext {

PagePlace ResolvePageNeighbours(RecordId pageId)
{
    const std::optional<Pages::PageFacts> row = Pages::readPage(pageId);
    if (!row)
        throw AppError(ErrorCode::RecordMissing, QStringLiteral("Page %1 does not exist.").arg(pageId));
    PagePlace place;
    place.pageId = pageId;
    place.documentId = row->documentId;
    place.pageNumber = row->pageNumber;
    place.filename = row->filename;
    place.shortcut = row->shortcut;
    // A page without a number has no place in the order, and no neighbours.
    if (place.pageNumber) {
        place.prevPageId = Pages::neighbourPage(place.documentId, *place.pageNumber, pageId, false);
        place.nextPageId = Pages::neighbourPage(place.documentId, *place.pageNumber, pageId, true);
    }
    place.folderId = Records::GetFolderIdOfDocument(place.documentId);
    place.drawerId = Records::GetDrawerIdOfFolder(place.folderId);
    place.cabinetId = Records::GetCabinetIdOfDrawer(place.drawerId);
    place.storage = cabinetStorage(place.cabinetId);
    return place;
}

Storage cabinetStorage(RecordId cabinetId)
{
    const std::optional<Records::CabinetValues> cabinet = Records::readCabinet(cabinetId);
    Storage storage;
    if (!cabinet)
        return storage;
    storage.cabinetStoragePath = cabinet->storagePath;
    storage.usesStoragePath = cabinet->ownStorage && !storage.cabinetStoragePath.isEmpty();
    return storage;
}

RecordId cabinetOfKey(const QString &key)
{
    const std::optional<NodeKeys::NodeKey> record = NodeKeys::parseKey(key);
    if (!record || !record->level)
        return 0;
    switch (*record->level) {
    case RecordLevel::Folder:
        return Records::GetCabinetIdOfDrawer(Records::GetDrawerIdOfFolder(record->id));
    case RecordLevel::Document:
        return Records::getCabinetIdOfDocument(record->id);
    case RecordLevel::Page:
        // The number of a page key is a page, not a document: the page's
        // own cabinet decides where the new page is stored.
        return Records::getCabinetIdOfDocument(Pages::GetDocumentIdOfPage(record->id));
    case RecordLevel::Cabinet:
    case RecordLevel::Drawer:
        break;
    }
    return 0;
}

QString caption(const PagePlace &place)
{
    const QString number = place.pageNumber ? QString::number(*place.pageNumber) : QString();
    return QStringLiteral("Page # %1 (ID = %2)").arg(number).arg(place.pageId);
}

} // namespace PageContext

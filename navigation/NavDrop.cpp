#include "navigation/NavDrop.h"

#include <algorithm>

#include <QCoreApplication>
#include <QMimeData>
#include <QUrl>

#include "core/Changes.h"
#include "core/RecordId.h"
#include "platform/AppError.h"
#include "store/FileKinds.h"
#include "store/NodeKeys.h"
#include "store/PageBirth.h"
#include "store/Pages.h"
#include "store/Passwords.h"
#include "store/RecordRules.h"
#include "store/Records.h"

using namespace NodeKeys;

namespace {

// The id of a filing record's key of the type; none for another key or a
// text that is no key.
std::optional<RecordId> recordIdOf(const QString &key, const QString &type)
{
    const std::optional<RecordId> id = idOfType(key, type);
    return id && *id > 0 ? id : std::nullopt;
}

bool isRecordKey(const QString &key, const QString &type)
{
    return recordIdOf(key, type).has_value();
}

// The type of what is dragged: a key's, or a bare type ("PAG" for a file
// from the file manager); empty for anything else.
QString draggedTypeOf(const QString &dragged)
{
    if (dragged == Drawer || dragged == Folder || dragged == Document || dragged == Page)
        return dragged;
    return typeOf(dragged);
}

NavDrop::MoveResult moved(const QString &oldParentKey)
{
    NavDrop::MoveResult r;
    r.outcome = NavDrop::MoveResult::Moved;
    r.oldParentKey = oldParentKey;
    return r;
}

NavDrop::MoveResult refused(const QString &message = QString())
{
    NavDrop::MoveResult r;
    r.outcome = NavDrop::MoveResult::Refused;
    r.message = message;
    return r;
}

} // namespace

namespace NavDrop {

bool CanDragNode(const QString &key)
{
    return isRecordKey(key, Drawer) || isRecordKey(key, Folder) || isRecordKey(key, Document)
           || isRecordKey(key, Page);
}

bool CanDropOnNode(const QString &draggedKey, const QString &targetKey)
{
    const std::optional<NodeKey> parsedTarget = parseKey(targetKey);
    if (!parsedTarget || parsedTarget->id <= 0)
        return false;
    const QString dragged = draggedTypeOf(draggedKey);
    const QString &target = parsedTarget->type;
    if (dragged == Drawer)
        return target == Cabinet;
    if (dragged == Folder)
        return target == Drawer;
    if (dragged == Document)
        return target == Folder;
    if (dragged == Page)
        return target == Folder || target == Document;
    return false;
}

QMimeData *dragData(const DraggedNode &node)
{
    auto *data = new QMimeData;
    // The process id keeps another running program's drag (other rows,
    // same ids) from being taken for one of ours.
    const QString text = QStringLiteral("%1\n%2\n%3").arg(QCoreApplication::applicationPid()).arg(node.source, node.key);
    data->setData(MimeType, text.toUtf8());
    return data;
}

std::optional<DraggedNode> draggedNode(const QMimeData *data)
{
    if (!data || !data->hasFormat(MimeType))
        return std::nullopt;
    const QStringList parts = QString::fromUtf8(data->data(MimeType)).split(QLatin1Char('\n'));
    if (parts.size() != 3 || parts[0] != QString::number(QCoreApplication::applicationPid()))
        return std::nullopt;
    return DraggedNode{parts[1], parts[2]};
}

QStringList droppedFiles(const QMimeData *data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    }
    return files;
}

bool offersPageFile(const QStringList &files)
{
    return std::any_of(files.cbegin(), files.cend(), [](const QString &f) { return FileKinds::IsImageFile(f); });
}

MoveResult MoveDrawerToCabinet(RecordId drawerId, RecordId cabinetId)
{
    // The parent is compared first: a drop where the drawer already lies
    // asks for nothing.
    const RecordId from = Records::GetCabinetIdOfDrawer(drawerId);
    if (from == 0 || from == cabinetId)
        return {};
    if (!Passwords::UnlockCabinet(cabinetId))
        return refused();
    const std::optional<Records::DrawerValues> row = Records::readDrawer(drawerId);
    if (!row)
        return {};
    if (Records::drawerNameExists(cabinetId, row->name, drawerId))
        return refused(RecordRules::duplicateNameMessage(RecordLevel::Drawer, row->name));
    Records::moveDrawer(drawerId, cabinetId);
    return moved(NavNodeKey(Cabinet, from));
}

MoveResult MoveFolderToDrawer(RecordId folderId, RecordId drawerId)
{
    const RecordId from = Records::GetDrawerIdOfFolder(folderId);
    if (from == 0 || from == drawerId)
        return {};
    // The drawer's cabinet must be open, as for a drawer moved into it. An
    // open one is not unlocked again: that would announce it to the window.
    const RecordId cabinetId = Records::GetCabinetIdOfDrawer(drawerId);
    if (!Passwords::IsCabinetOpen(cabinetId) && !Passwords::UnlockCabinet(cabinetId))
        return refused();
    const std::optional<Records::FolderValues> row = Records::readFolder(folderId);
    if (!row)
        return {};
    if (Records::folderNameExists(drawerId, row->name, folderId))
        return refused(RecordRules::duplicateNameMessage(RecordLevel::Folder, row->name));
    Records::moveFolder(folderId, drawerId);
    return moved(NavNodeKey(Drawer, from));
}

MoveResult MoveDocumentToFolder(RecordId documentId, RecordId folderId)
{
    const RecordId from = Records::GetFolderIdOfDocument(documentId);
    if (from == 0 || from == folderId)
        return {};
    Records::moveDocument(documentId, folderId);
    return moved(NavNodeKey(Folder, from));
}

MoveResult MovePageToDocument(RecordId pageId, RecordId documentId)
{
    const RecordId from = Pages::GetDocumentIdOfPage(pageId);
    const int number = from == 0 ? 0 : Pages::MovePageToDocument(pageId, documentId);
    if (number == 0)
        return {};
    Q_EMIT Changes::instance().pageAdded(pageId);
    MoveResult r = moved(NavNodeKey(Document, from));
    r.pageNumber = number;
    return r;
}

QString newDocumentName()
{
    return QStringLiteral("New document");
}

FileDrop addFileToNode(const QString &targetKey, const QString &path)
{
    FileDrop drop;
    const std::optional<RecordId> folder = recordIdOf(targetKey, Folder);
    const std::optional<RecordId> document = recordIdOf(targetKey, Document);
    if (!folder && !document)
        return drop;
    if ((drop.skipped = PageClipboard::checkPageFile(path)))
        return drop;
    if (folder)
        PageBirth::requireStorageOfFolder(*folder);
    else
        PageBirth::requireStorageOfDocument(*document);
    // The folder's new document and the page are one change.
    PageBirth birth;
    if (folder) {
        drop.documentId = Records::insertDocument(*folder, newDocumentName());
        drop.newDocument = true;
    } else {
        drop.documentId = *document;
        if (!Pages::documentExists(drop.documentId))
            throw AppError(ErrorCode::RecordMissing, QStringLiteral("The document no longer exists."));
    }
    PageClipboard::SkippedFile skipped;
    drop.page = PageClipboard::AddFileAsPage(path, drop.documentId, &skipped);
    if (drop.page.pageId == 0) {
        drop.skipped = skipped;
        drop.documentId = drop.newDocument ? 0 : drop.documentId;
        drop.newDocument = false;
        return drop;
    }
    birth.commit();
    return drop;
}

} // namespace NavDrop

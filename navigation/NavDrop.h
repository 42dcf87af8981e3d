#pragma once

#include "core/RecordId.h"
#include "navigation/PageClipboard.h"

#include <QString>
#include <QStringList>

#include <optional>

class QMimeData;

// Dragging and dropping in the navigation window, without the window: which
// node may be dragged and where it may go, the data a drag carries, the
// moves of drawers, folders, documents and pages, and files from the file
// manager filed as pages.
namespace NavDrop {

// Drawers, folders, documents and pages may be dragged; the roots,
// cabinets and every search result may not.
bool CanDragNode(const QString &key);
// A drawer onto a cabinet, a folder onto a drawer, a document onto a
// folder, a page onto a folder or a document; nothing else, and never onto
// a root or a search result.
bool CanDropOnNode(const QString &draggedKey, const QString &targetKey);

// The private type a drag inside the window carries: the control it came
// from ("T", "L", "L2") and the dragged key.
inline const QString MimeType = QStringLiteral("application/x-vellumark-node");
struct DraggedNode
{
    QString source;
    QString key;
};
QMimeData *dragData(const DraggedNode &node);
// What dragData wrote; nothing for other data, and for data that came from
// another running program (its ids name other rows).
std::optional<DraggedNode> draggedNode(const QMimeData *data);

// The local files of a drop from the file manager, in the order given.
QStringList droppedFiles(const QMimeData *data);
// Whether a drop offers a file the page rules take (FileKinds::IsImageFile).
bool offersPageFile(const QStringList &files);

// What became of a move.
struct MoveResult
{
    enum Outcome { Moved, Unchanged, Refused };
    Outcome outcome = Unchanged;
    QString oldParentKey;  // the parent the node left, when moved
    QString message;       // why it was refused; empty for a silent refusal
    int pageNumber = 0;    // a moved page's new number
};

// The container moves. A node already under the target, or a row that is
// gone, is left alone without a question. A drawer needs its new cabinet
// open, and a folder the cabinet of its new drawer: UnlockCabinet asks for
// a locked cabinet's password, and Cancel or a wrong password leaves it
// where it was. A drawer or folder whose name the
// new parent already holds is refused with the duplicate-name message.
// Throw AppError.
MoveResult MoveDrawerToCabinet(RecordId drawerId, RecordId cabinetId);
MoveResult MoveFolderToDrawer(RecordId folderId, RecordId drawerId);
MoveResult MoveDocumentToFolder(RecordId documentId, RecordId folderId);
// A page goes to the end of the document; the pages it leaves keep their
// numbers. The new-page notice (Changes::pageAdded) is announced once the
// page is moved. Throws AppError.
MoveResult MovePageToDocument(RecordId pageId, RecordId documentId);

// One file from the file manager dropped on a document or a folder. A
// folder first gets a document "New document", in the same change as the
// page: a file that cannot be a page leaves nothing.
struct FileDrop
{
    RecordId documentId = 0; // the document the file went to, 0 for none
    bool newDocument = false;
    PageClipboard::AddedPage page;
    std::optional<PageClipboard::SkippedFile> skipped;
};
// Throws AppError when the target cannot be read or written.
FileDrop addFileToNode(const QString &targetKey, const QString &path);
// The name of the document a file dropped on a folder makes.
QString newDocumentName();

} // namespace NavDrop

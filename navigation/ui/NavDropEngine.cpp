#include "navigation/ui/NavDropEngine.h"
#include "ui_frmNavTree.h"

#include <QCoreApplication>

#include "core/Changes.h"
#include "core/Guard.h"
#include "core/Progress.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "navigation/NavDrop.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/PageCommands.h"
#include "navigation/ui/PagePane.h"
#include "store/FileKinds.h"
#include "store/NodeKeys.h"

using namespace NodeKeys;

namespace {

const QString AddingFiles = QStringLiteral("Adding dropped files");

// Lets the views repaint between files, without taking clicks or keys in
// the middle of a drop.
void repaint()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

NavDropEngine::NavDropEngine(Ui::frmNavTree &ui, QObject *parent) : QObject(parent), m_ui(ui) {}

NavDropEngine::~NavDropEngine() = default;

QString NavDropEngine::paneKey() const
{
    const PagePane *pane = m_ui.pagePane;
    if (pane->documentId() < 0)
        return QString();
    return NavNodeKey(pane->isFound() ? FoundDocument : Document, pane->documentId());
}

bool NavDropEngine::DropOnNavNode(const QString &mode, const QString &draggedKey, QString &targetKey,
                                  const QString &path)
{
    if (!NavDrop::CanDropOnNode(draggedKey, targetKey))
        return true;
    if (mode == QLatin1String("W"))
        return addFile(targetKey, path);
    // Expanding loads what the node holds, so it all moves with it.
    m_ui.tvwMain->expandNode(draggedKey);
    const std::optional<NodeKey> dragged = parseKey(draggedKey);
    const std::optional<NodeKey> target = parseKey(targetKey);
    if (!dragged || !target)
        return true;  // CanDropOnNode took both; nothing to do otherwise
    if (dragged->type != Page)
        return moveContainer(*dragged, draggedKey, *target, targetKey);
    // A page dragged onto a folder is taken by the drop rule but changes
    // nothing: only a document receives pages from the pane.
    if (target->type == Document)
        return movePage(dragged->id, target->id);
    return true;
}

bool NavDropEngine::moveContainer(const NodeKey &dragged, const QString &draggedKey, const NodeKey &target,
                                  const QString &targetKey)
{
    const RecordId child = dragged.id;
    const RecordId parent = target.id;
    NavDrop::MoveResult r;
    const bool ok = guard([&] {
        const QString &prefix = dragged.type;
        if (prefix == Drawer)
            r = NavDrop::MoveDrawerToCabinet(child, parent);
        else if (prefix == Folder)
            r = NavDrop::MoveFolderToDrawer(child, parent);
        else
            r = NavDrop::MoveDocumentToFolder(child, parent);
    });
    if (!ok)
        return false;
    if (!r.message.isEmpty())
        Prompt::instance().warning(r.message);
    if (r.outcome != NavDrop::MoveResult::Moved)
        return true;
    m_ui.tvwMain->moveNode(draggedKey, targetKey);
    Q_EMIT contentsChanged(r.oldParentKey);
    Q_EMIT contentsChanged(targetKey);
    return true;
}

bool NavDropEngine::movePage(RecordId pageId, RecordId documentId)
{
    NavDrop::MoveResult r;
    if (!guard([&] { r = NavDrop::MovePageToDocument(pageId, documentId); }))
        return false;
    PagePane *pane = m_ui.pagePane;
    // The pane loses the page when it showed where it came from.
    if (r.outcome == NavDrop::MoveResult::Moved
        && (pane->documentId() == idOfType(r.oldParentKey, Document) || pane->documentId() == documentId))
        guard([pane] { pane->reload(); });
    return true;
}

bool NavDropEngine::addFile(QString &targetKey, const QString &path)
{
    NavDrop::FileDrop drop;
    if (!guard([&] {
            drop = NavDrop::addFileToNode(targetKey, path);
        }))
        return false;
    // A name the page rules refuse ("photojpg") is passed over silently.
    if (drop.skipped && drop.skipped->reason != PageClipboard::SkipReason::NotAccepted)
        m_skipped.append(drop.skipped->text);
    if (!drop.page.note.isEmpty())
        m_notes.append(drop.page.note);
    if (drop.page.pageId > 0)
        ++m_added;
    if (drop.newDocument) {
        const QString folderKey = targetKey;
        targetKey = NavNodeKey(Document, drop.documentId);
        // addFileToNode makes a new document only for a folder's key.
        if (const std::optional<RecordId> folder = idOfType(folderKey, Folder))
            m_ui.tvwMain->addDocumentNode(*folder, drop.documentId, NavDrop::newDocumentName());
        Q_EMIT contentsChanged(folderKey);
    }
    PagePane *pane = m_ui.pagePane;
    if (drop.page.pageId > 0 && pane->documentId() == drop.documentId)
        return guard([pane] { pane->reload(); });
    return true;
}

void NavDropEngine::dropFiles(const QStringList &files, const QString &key, bool sameTarget,
                              const std::function<void()> &afterEach)
{
    m_skipped.clear();
    m_notes.clear();
    m_added = 0;
    QStringList offered;
    for (const QString &file : files) {
        if (FileKinds::IsImageFile(file))
            offered.append(file);
    }
    if (offered.isEmpty())
        return;
    bool stopped = false;
    {
        QString target = key;
        const NoticeBatch notices;
        const ProgressScope progress(AddingFiles, 1, int(offered.size()), ProgressScope::Cancel::Shown);
        for (const QString &file : std::as_const(offered)) {
            progress.advance(AddingFiles);
            // Each page commits by itself: those added before a Cancel stay.
            if ((stopped = progress.cancelled()))
                break;
            if (!sameTarget)
                target = key;
            if (!NavDrop::CanDropOnNode(Page, target))
                continue;
            if (!DropOnNavNode(QStringLiteral("W"), Page, target, file))
                break;
            if (afterEach)
                afterEach();
        }
    }
    if (stopped)
        Prompt::instance().message(PageClipboard::stoppedText(m_added, int(offered.size())));
    reportSkipped();
}

void NavDropEngine::dropFilesOnTree(const QStringList &files, const QString &nodeKey)
{
    std::function<void()> show;
    if (typeOf(nodeKey) == Document)
        show = [this, nodeKey] {
            Q_EMIT documentFilled(nodeKey);
            repaint();
        };
    dropFiles(files, nodeKey, true, show);
}

void NavDropEngine::dropFilesOnList(const QStringList &files, const QString &itemKey)
{
    // Each file dropped on a folder item makes a document of its own.
    dropFiles(files, itemKey, false, {});
}

void NavDropEngine::dropFilesOnPane(const QStringList &files)
{
    dropFiles(files, paneKey(), false, &repaint);
}

void NavDropEngine::reportSkipped()
{
    if (!m_skipped.isEmpty())
        Prompt::instance().warning(
            QStringLiteral("These files were not added:\n\n%1").arg(m_skipped.join(QLatin1Char('\n'))));
    if (!m_notes.isEmpty())
        Prompt::instance().warning(
            QStringLiteral("These files were added with a warning:\n\n%1").arg(m_notes.join(QLatin1Char('\n'))));
    m_skipped.clear();
    m_notes.clear();
}

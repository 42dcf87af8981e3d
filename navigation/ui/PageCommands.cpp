#include "navigation/ui/PageCommands.h"

#include "core/Changes.h"
#include "core/Desktop.h"
#include "core/Guard.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "imaging/print/frmPrint.h"
#include "imaging/ui/frmPage.h"
#include "imaging/ui/frmPageView.h"
#include "navigation/ui/NavCommandHost.h"
#include "navigation/ui/PagePane.h"
#include "store/Deletes.h"
#include "store/NodeKeys.h"
#include "store/Pages.h"
#include "store/ui/frmPageNumber.h"

#include <QFileInfo>
#include <QSet>

namespace {

// The selected pages of the pane; tells the user when there are none.
QList<RecordId> selectedPages(NavCommandHost &host)
{
    const QList<RecordId> ids = host.pagePane()->selectedPageIds();
    if (ids.isEmpty())
        Prompt::instance().warning(QStringLiteral("Please click on a page."));
    return ids;
}

// "Delete 'Page 3'?", "Delete shortcut to 'notes.pdf'?" or "Delete 2 pages?".
QString deleteQuestion(const PagePane &pane, const QList<RecordId> &ids)
{
    if (ids.size() > 1)
        return QStringLiteral("Delete %1 pages?").arg(ids.size());
    const PageRecord *record = pane.records().find(ids.first());
    if (!record)
        return QStringLiteral("Delete this page?");
    // The item's text as the thumbnail view shows it: the list view leaves
    // a shortcut's blank.
    const QString text = PageListModel::itemText(*record, PageListModel::ViewMode::Thumbnail);
    if (record->isShortcut())
        return QStringLiteral("Delete shortcut to '%1'?").arg(text);
    return QStringLiteral("Delete '%1'?").arg(text);
}

// Tells the user of cut pages that were deleted before the paste.
void reportMissingCutPages(const PageClipboard::PasteResult &result)
{
    if (result.missingPages == 0)
        return;
    if (result.movedPages == 0)
        Prompt::instance().warning(QStringLiteral("The cut pages no longer exist; nothing was pasted."));
    else
        Prompt::instance().warning(QStringLiteral("%1 of the cut pages no longer exist and were not pasted.")
                                       .arg(result.missingPages));
}

} // namespace

namespace NavCommandSteps {

void pasteInto(NavCommandHost &host, RecordId documentId)
{
    PagePane *pane = host.pagePane();
    // The documents the cut pages leave change too: a pane showing one is
    // listed again.
    QSet<RecordId> touched{documentId};
    guard([&] {
        for (RecordId id : PageClipboard::cutList().CutPageIds)
            touched.insert(Pages::GetDocumentIdOfPage(id));
    });
    PageClipboard::PasteResult result;
    const NoticeBatch notices;
    const bool ok = guard([&] { result = PageClipboard::PasteIntoDocument(documentId); });
    if (ok)
        reportMissingCutPages(result);
    if (ok && result.stopped)
        Prompt::instance().message(PageClipboard::stoppedText(int(result.added.size()), result.offered));
    if (ok && !result.skipped.isEmpty()) {
        QStringList lines;
        for (const PageClipboard::SkippedFile &s : std::as_const(result.skipped))
            lines.append(s.text.isEmpty() ? s.path : s.text);
        Prompt::instance().warning(
            QStringLiteral("These files were not pasted:\n\n%1").arg(lines.join(QLatin1Char('\n'))));
    }
    QStringList notes;
    for (const PageClipboard::AddedPage &added : std::as_const(result.added)) {
        if (!added.note.isEmpty())
            notes.append(added.note);
    }
    if (ok && !notes.isEmpty())
        Prompt::instance().warning(
            QStringLiteral("These files were pasted with a warning:\n\n%1").arg(notes.join(QLatin1Char('\n'))));
    if (touched.contains(pane->documentId()))
        guard([&] { pane->reload(); });
}

} // namespace NavCommandSteps

void PageCommands::openPage(RecordId pageId)
{
    PagePane *pane = m_host.pagePane();
    const PageRecord *record = pane->records().find(pageId);
    if (!record)
        return;
    const QString path = record->Filename;
    if (record->isShortcut() && path.isEmpty()) {
        Prompt::instance().message(QStringLiteral("This shortcut has no filename."));
        return;
    }
    if (!QFileInfo::exists(path)) {
        Prompt::instance().message(QStringLiteral("Missing file '%1'.").arg(path));
        return;
    }
    if (record->isShortcut()) {
        if (!Desktop::instance().openFile(path))
            Prompt::instance().warning(QStringLiteral("'%1' could not be opened.").arg(path));
        return;
    }
    guard([&] {
        frmPageView::showPage(m_host.dialogParent(), QStringLiteral("Edit"),
                              NodeKeys::NavNodeKey(NodeKeys::Page, pageId));
        // The viewer may have saved, rotated or renumbered the page; the
        // page its save selected stays selected.
        const QList<RecordId> selected = pane->selectedPageIds();
        pane->reload();
        if (selected.size() == 1)
            pane->selectPage(selected.first());
    });
}

void PageCommands::mnuPopupPageOpen_Click()
{
    const QList<RecordId> ids = selectedPages(m_host);
    if (!ids.isEmpty())
        openPage(ids.first());
    m_host.returnFocus();
}

void PageCommands::mnuPopupPageRenumber_Click()
{
    const QList<RecordId> ids = selectedPages(m_host);
    if (ids.isEmpty())
        return;
    PagePane *pane = m_host.pagePane();
    const PageRecord *record = pane->records().find(ids.first());
    const int current = record ? record->PageNumber : 0;
    const int number = frmPageNumber::ask(m_host.dialogParent(), current);
    if (number < 0) {
        m_host.returnFocus();
        return;
    }
    guard([&] {
        Pages::setPageNumber(ids.first(), number);
        pane->reload();
    });
    m_host.returnFocus();
}

void PageCommands::mnuPopupPageDelete_Click()
{
    const QList<RecordId> ids = selectedPages(m_host);
    if (ids.isEmpty())
        return;
    PagePane *pane = m_host.pagePane();
    if (Prompt::instance().questionYesNoCancel(deleteQuestion(*pane, ids)) != Prompt::Answer::Yes) {
        m_host.returnFocus();
        return;
    }
    Deletes::DeleteResult result;
    guard([&] { result = Deletes::deletePages(ids); });
    // Whatever the delete reached, the pane lists what is left.
    guard([&] { pane->reload(); });
    NavCommandSteps::reportKeptFiles(result);
    m_host.returnFocus();
}

void PageCommands::mnuPopupPageCut_Click()
{
    const QList<RecordId> ids = selectedPages(m_host);
    if (!ids.isEmpty())
        PageClipboard::cutList().CutPageIds = ids;
}

void PageCommands::mnuPopupPageCopy_Click()
{
    // A Copy always ends a pending cut; with no page selected it leaves the
    // clipboard as it was, without a word.
    PageClipboard::cutList().clear();
    const QList<RecordId> ids = m_host.pagePane()->selectedPageIds();
    if (!ids.isEmpty())
        guard([&] { PageClipboard::CopyPagesToClipboard(ids); });
}

void PageCommands::mnuPopupPagePaste_Click()
{
    const RecordId documentId = m_host.pagePane()->documentId();
    if (documentId < 0) {
        Prompt::instance().warning(QStringLiteral("Please click on a document."));
        return;
    }
    // A found document shows only the pages the search matched: a page
    // pasted there would be hidden at once, so it takes nothing, as a drop.
    if (m_host.pagePane()->isFound())
        return;
    NavCommandSteps::pasteInto(m_host, documentId);
    m_host.returnFocus();
}

void PageCommands::mnuPopupPageProperties_Click()
{
    const QList<RecordId> ids = selectedPages(m_host);
    if (!ids.isEmpty())
        guard([&] { frmPage::showPageProperties(m_host.dialogParent(), ids); });
    m_host.returnFocus();
}

void PageCommands::mnuPopupPagePrint_Click()
{
    const QList<RecordId> ids = selectedPages(m_host);
    if (!ids.isEmpty())
        frmPrint::showForPage(m_host.dialogParent(), ids.constFirst());
    m_host.returnFocus();
}

#include "navigation/ui/DocumentCommands.h"

#include "core/Guard.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "imaging/print/frmPrintDocument.h"
#include "imaging/ui/Scanning.h"
#include "navigation/ui/NavCommandHost.h"
#include "navigation/ui/PageCommands.h"
#include "navigation/ui/PagePane.h"
#include "store/Deletes.h"
#include "store/NodeKeys.h"
#include "store/Records.h"
#include "store/Repagination.h"
#include "store/ui/frmDocument.h"

using namespace NodeKeys;

void DocumentCommands::mnuPopupDocumentNewDocument_Click()
{
    // A new document beside the target, in the target's folder.
    const CommandTarget target = m_host.commandTarget(Document, true);
    if (target.prefix() == Folder || NavCommandSteps::targetIsOfKind(target, Document)) {
        guard([&] {
            if (!NavCommandSteps::mayWorkIn(target.key, target.name))
                return;
            const RecordId folder = target.prefix() == Document ? Records::GetFolderIdOfDocument(target.id()) : target.id();
            frmDocument::addDocument(m_host.dialogParent(), folder);
        });
    }
    m_host.returnFocus();
}

void DocumentCommands::mnuPopupDocumentRepaginate_Click()
{
    const CommandTarget target = m_host.commandTarget(Document, false);
    if (!NavCommandSteps::targetIsOfKind(target, Document))
        return;
    guard([&] {
        if (!NavCommandSteps::mayWorkIn(target.key, target.name))
            return;
        // Renumbering replaces numbers a user chose: only a Yes does it.
        const QString question = QStringLiteral("Renumber all pages in '%1'?").arg(target.name);
        if (Prompt::instance().questionYesNoCancel(question) != Prompt::Answer::Yes)
            return;
        if (!Repagination::RepaginateDocument(target.id(), target.name)) {
            Prompt::instance().warning(QStringLiteral("The pages of '%1' could not be renumbered.").arg(target.name));
            return;
        }
        if (m_host.pagePane()->documentId() == target.id())
            m_host.pagePane()->reload();
    });
    m_host.returnFocus();
}

void DocumentCommands::mnuPopupDocumentRename_Click()
{
    const CommandTarget target = m_host.commandTarget(Document, false);
    if (NavCommandSteps::targetIsOfKind(target, Document))
        m_host.startRename(target);
}

void DocumentCommands::mnuPopupDocumentDelete_Click()
{
    const CommandTarget target = m_host.commandTarget(Document, false);
    if (!NavCommandSteps::targetIsOfKind(target, Document))
        return;
    if (NavCommandSteps::mayWorkOn(target) && NavCommandSteps::confirmDelete(target.name)) {
        // The rows stay as they were when this fails: one transaction.
        Deletes::DeleteResult result;
        if (guard([&] { result = Deletes::deleteDocument(target.id()); })) {
            if (m_host.pagePane()->documentId() == target.id())
                m_host.pagePane()->clear();
            m_host.removeDeleted(target.key, NavNodeKey(FoundDocument, target.id()));
            NavCommandSteps::reportKeptFiles(result);
        }
    }
    m_host.returnFocus();
}

void DocumentCommands::mnuPopupDocumentPaste_Click()
{
    const CommandTarget target = m_host.commandTarget(Document, false);
    if (!NavCommandSteps::targetIsOfKind(target, Document))
        return;
    if (NavCommandSteps::mayWorkOn(target))
        NavCommandSteps::pasteInto(m_host, target.id());
    m_host.returnFocus();
}

void DocumentCommands::mnuPopupDocumentProperties_Click()
{
    NavCommandSteps::openDialogOnTarget(m_host, Document, false, &frmDocument::editDocument);
}

void DocumentCommands::mnuPopupDocumentImportFiles_Click()
{
    NavCommandSteps::importFilesInto(m_host, Document);
}

void DocumentCommands::mnuPopupDocumentPrint_Click()
{
    const CommandTarget target = m_host.commandTarget(Document, false);
    if (!NavCommandSteps::targetIsOfKind(target, Document))
        return;
    if (NavCommandSteps::mayWorkOn(target))
        frmPrintDocument::showForDocument(m_host.dialogParent(), target.id());
    m_host.returnFocus();
}

void DocumentCommands::mnuPopupDocumentScanPage_Click()
{
    const CommandTarget target = m_host.commandTarget(Document, false);
    if (!NavCommandSteps::targetIsOfKind(target, Document))
        return;
    if (NavCommandSteps::mayWorkOn(target))
        Scanning::ScanIntoDocument(m_host.dialogParent(), target.key);
    m_host.returnFocus();
}

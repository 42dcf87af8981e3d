#include "navigation/PageClipboard.h"

#include <QFile>
#include <QFileInfo>

#include "core/ImageCheck.h"
#include "core/Progress.h"
#include "core/RecordId.h"
#include "core/RunState.h"
#include "platform/ClipboardFiles.h"
#include "platform/AppError.h"
#include "store/FileKinds.h"
#include "store/PageBirth.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "store/Passwords.h"
#include "store/Records.h"

namespace {

const QString PastingFiles = QStringLiteral("Pasting files");

PageClipboard::AddedPage skip(PageClipboard::SkippedFile *skipped, const QString &path, PageClipboard::SkipReason reason,
               const QString &text)
{
    if (skipped)
        *skipped = {path, reason, text};
    return {};
}

void ensureDocument(RecordId documentId)
{
    if (!Pages::documentExists(documentId))
        throw AppError(ErrorCode::RecordMissing,
                       QStringLiteral("Document %1 does not exist").arg(documentId));
}

} // namespace

namespace PageClipboard {

CutList &cutList()
{
    static CutList list;
    // A new data folder has none of the pages cut.
    [[maybe_unused]] static const bool registered = (RunState::addReset([] { list.clear(); }), true);
    return list;
}

QString stoppedText(int added, int offered)
{
    return QStringLiteral("Stopped by user: %1 of %2 files were added as pages.").arg(added).arg(offered);
}

std::optional<SkippedFile> checkPageFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return SkippedFile{path, SkipReason::NotFound, QStringLiteral("Missing file '%1'.").arg(path)};
    // A folder would otherwise become a shortcut page that opens nothing.
    if (!info.isFile())
        return SkippedFile{path, SkipReason::NotRegularFile, QStringLiteral("'%1' is not a file.").arg(path)};
    if (!FileKinds::IsImageFile(path))
        return SkippedFile{path, SkipReason::NotAccepted,
                           QStringLiteral("'%1' cannot be added as a page.").arg(path)};
    // An image by its name must also decode, or the page fails only when opened.
    if (!FileKinds::IsNonImageFile(path)) {
        if (const std::optional<QString> reason = ImageCheck::unreadableImage(path))
            return SkippedFile{path, SkipReason::NotAccepted,
                               QStringLiteral("'%1' cannot be read as an image (%2).").arg(path, *reason)};
    }
    return std::nullopt;
}

AddedPage AddFileAsPage(const QString &path, RecordId documentId, SkippedFile *skipped)
{
    if (const std::optional<SkippedFile> refused = checkPageFile(path))
        return skip(skipped, path, refused->reason, refused->text);
    const QFileInfo info(path);

    AddedPage added;
    added.path = path;
    added.shortcut = FileKinds::IsNonImageFile(path);
    if (!added.shortcut) {
        if (const std::optional<QString> tooLarge = ImageCheck::fileTooLargeToShow(path))
            added.note = QStringLiteral("'%1': %2").arg(path, *tooLarge);
    }
    PageBirth::NewPage page;
    page.documentId = documentId;
    page.fileSize = info.size();
    page.filetype = FileKinds::GetFileType(path);
    if (added.shortcut)
        page.shortcutTo = info.absoluteFilePath();
    else
        page.copyOf = path;
    PageBirth::Step step = PageBirth::Step::Checks;
    try {
        PageBirth birth;
        added.pageId = birth.add(page, &step).pageId;
        step = PageBirth::Step::Row;
        birth.commit();
    } catch (const AppError &e) {
        // A store folder that is not there takes no copy, as one that
        // refuses the bytes.
        const bool copy = step == PageBirth::Step::File || e.code == int(ErrorCode::StorageUnavailable);
        return skip(skipped, path, copy ? SkipReason::CopyFailed : SkipReason::StoreFailed, e.message());
    }
    return added;
}

PasteResult pasteFilesIntoDocument(const QStringList &paths, RecordId documentId)
{
    ensureDocument(documentId);
    // A cabinet whose disk is not connected takes no page, said once.
    PageBirth::requireStorageOfDocument(documentId);
    PasteResult result;
    result.documentId = documentId;
    if (paths.isEmpty())
        return result;
    result.offered = int(paths.size());
    const ProgressScope progress(PastingFiles, 0, int(paths.size()), ProgressScope::Cancel::Shown);
    for (const QString &path : paths) {
        progress.advance(PastingFiles);
        // Each page commits by itself: those added before a Cancel stay.
        if (progress.cancelled()) {
            result.stopped = true;
            break;
        }
        SkippedFile skipped;
        const AddedPage added = AddFileAsPage(path, documentId, &skipped);
        if (added.pageId > 0)
            result.added.append(added);
        else
            result.skipped.append(skipped);
    }
    return result;
}

PasteResult PasteIntoDocument(RecordId documentId)
{
    QStringList files;
    if (cutList().CutPageCount() == 0)
        ClipboardFiles::GetFilesFromClipboard(files);
    return PasteIntoDocument(documentId, files);
}

PasteResult PasteIntoDocument(RecordId documentId, const QStringList &files)
{
    // Nothing goes into a locked cabinet without its password.
    if (const RecordId cabinetId = Records::getCabinetIdOfDocument(documentId);
        !Passwords::IsCabinetOpen(cabinetId) && !Passwords::UnlockCabinet(cabinetId)) {
        PasteResult refused;
        refused.refused = true;
        return refused;
    }
    CutList &cut = cutList();
    if (cut.CutPageCount() == 0)
        return pasteFilesIntoDocument(files, documentId);
    ensureDocument(documentId);
    PasteResult result;
    result.documentId = documentId;
    {
        const ProgressScope progress(PastingFiles, 1, cut.CutPageCount());
        progress.advance(PastingFiles);
        result.movedPages = Pages::movePagesToDocument(cut.CutPageIds, documentId);
    }
    // A page deleted since the cut is not there to move; the user is told.
    const QSet<RecordId> existing = Pages::existingPageIds(cut.CutPageIds);
    for (RecordId pageId : std::as_const(cut.CutPageIds)) {
        if (!existing.contains(pageId))
            ++result.missingPages;
    }
    cut.clear();
    return result;
}

QStringList pageFilePaths(const QList<RecordId> &pageIds)
{
    QStringList paths;
    for (RecordId pageId : pageIds) {
        if (const std::optional<Pages::PageFileRow> row = Pages::pageFile(pageId))
            paths.append(PagePaths::GetPageFilePath(pageId, row->filename));
    }
    return paths;
}

bool CopyPagesToClipboard(const QList<RecordId> &pageIds)
{
    cutList().clear();
    const QStringList paths = pageFilePaths(pageIds);
    return !paths.isEmpty() && ClipboardFiles::CopyFilesToClipboard(paths);
}

} // namespace PageClipboard

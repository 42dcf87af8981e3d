#include "imaging/PageSave.h"

#include "core/AppSettings.h"
#include "core/Changes.h"
#include "core/NavigationSink.h"
#include "core/Progress.h"
#include "core/RecordId.h"
#include "imaging/ImageOps.h"
#include "imaging/ThumbnailMaker.h"
#include "platform/DataFolder.h"
#include "platform/PathFacts.h"
#include "store/Deletes.h"
#include "store/NodeKeys.h"
#include "store/PageBirth.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "store/Records.h"

#include <cerrno>
#include <utility>
#include <future>
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The caption of a save's four steps; however the save ends, closing its
// progress marks the run ended.
const QString SavingPage = QStringLiteral("Saving page");

// The document a new page goes into; makes the "New document" of a folder.
RecordId targetDocument(const QString &key, PageSave::SaveResult &result)
{
    // A key that is no record's is taken as a cabinet's, which no page goes
    // into: refused below.
    const std::optional<NodeKeys::NodeKey> record = NodeKeys::parseKey(key);
    const RecordLevel level = record && record->level ? *record->level : RecordLevel::Cabinet;
    const RecordId id = record && record->level ? record->id : 0;
    if (level == RecordLevel::Folder) {
        if (Records::GetDrawerIdOfFolder(id) == 0)
            throw AppError(ErrorCode::RecordMissing, QStringLiteral("Folder %1 does not exist.").arg(id));
        const RecordId documentId = Records::insertDocument(id, QStringLiteral("New document"));
        result.newDocument = true;
        result.folderId = id;
        return documentId;
    }
    const RecordId documentId = level == RecordLevel::Page ? Pages::GetDocumentIdOfPage(id) : id;
    if (!PageSave::isPageTarget(key) || !Pages::documentExists(documentId))
        throw AppError(ErrorCode::RecordMissing, QStringLiteral("There is no document for '%1'.").arg(key));
    return documentId;
}

void deleteUnlessSaved(const QString &path, const PageSave::SaveResult &saved)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    if (PathFacts::sameFile(path, saved.imagePath) || PathFacts::sameFile(path, saved.thumbPath))
        return;
    QFile::remove(path);
}

// The image and thumbnail of a new page as JPEG bytes: those the scan
// encoded already at this quality, else encoded now, the thumbnail on
// another core meanwhile.
PageSave::EncodedPage encodedFiles(const PageSave::SaveRequest &request)
{
    if (!request.encoded.isEmpty() && request.encoded.quality == request.quality)
        return request.encoded;
    std::future<QByteArray> thumbnail = std::async(std::launch::async, [image = request.image] {
        return ThumbnailMaker::encodeThumbnail(image);
    });
    PageSave::EncodedPage encoded;
    encoded.image = ImageOps::encodeJpeg(request.image, request.quality);
    encoded.thumbnail = thumbnail.get();
    encoded.quality = request.quality;
    if (encoded.image.isEmpty())
        throw AppError(ErrorCode::InvalidValue, QStringLiteral("The image could not be written as JPEG."));
    return encoded;
}

// An edited page for the store to write: its files encoded here, or, for
// an image not changed since it was loaded, the file it came from and a
// thumbnail encoded only when the store asks for one.
PageBirth::Rewrite editOf(const PageSave::SaveRequest &request)
{
    PageBirth::Rewrite edit;
    edit.pageId = request.pageId;
    edit.filename = request.filename;
    edit.defaultPath = request.autoAssignName;
    if (!request.unchangedFile.isEmpty()) {
        edit.unchangedFile = request.unchangedFile;
        edit.thumbnail = [image = request.image] { return ThumbnailMaker::encodeThumbnail(image); };
        return edit;
    }
    const PageSave::EncodedPage files = encodedFiles(request);
    edit.bytes = files.image;
    edit.thumbnail = [thumbnail = files.thumbnail] { return thumbnail; };
    return edit;
}

// A new page handed to the page store: in its own storage folder by id, at
// the name the user typed (and was asked about), or in the page store.
PageSave::SaveResult addPage(PageBirth &birth, const PageSave::SaveRequest &request, RecordId documentId,
                             const PageSave::EncodedPage &files)
{
    PageBirth::NewPage page;
    page.documentId = documentId;
    page.filetype = QStringLiteral("JPG");
    page.bytes = files.image;
    page.thumbnail = files.thumbnail;
    if (!request.nameByIdIn.isEmpty())
        page.nameByIdIn = request.nameByIdIn;
    else if (!request.autoAssignName && !request.filename.isEmpty())
        page.userNamedFile = request.filename;
    page.emptyFilenameAsText = true;
    const PageBirth::Born born = birth.add(page);
    PageSave::SaveResult result;
    result.pageId = born.pageId;
    result.documentId = documentId;
    result.imagePath = born.imagePath;
    result.thumbPath = born.thumbPath;
    return result;
}

// A new document's node (with "beforescan" the scan adds the document
// once it has its name).
void announceNewDocument(const PageSave::SaveResult &result)
{
    const QString docInfo = AppSettings::TwainGetDocInfo.read();
    if (result.newDocument && docInfo.toLower() != QLatin1String("beforescan"))
        NavigationSink::instance().AddDocumentToNavTree(result.folderId, result.documentId,
                                                        QStringLiteral("New document"), QDate());
}

} // namespace

namespace PageSave {

bool isPageTarget(const QString &key)
{
    const std::optional<RecordLevel> level = NodeKeys::levelOf(key);
    return level && (*level == RecordLevel::Folder || *level == RecordLevel::Document || *level == RecordLevel::Page);
}

bool isLevelAboveFolder(const QString &key)
{
    // Both roots, "ROOT" and "ROOTFOUND", lie above every folder.
    const QString type = NodeKeys::typeOf(key);
    if (type == NodeKeys::Root || type == NodeKeys::RootFound)
        return true;
    const std::optional<RecordLevel> level = NodeKeys::levelOf(key);
    return level && (*level == RecordLevel::Cabinet || *level == RecordLevel::Drawer);
}

SaveResult SavePage(const SaveRequest &request)
{
    if (request.image.isNull())
        throw AppError(ErrorCode::InvalidValue, QStringLiteral("There is no image to save."));
    const ProgressScope progress(SavingPage, 1, 4, ProgressScope::Cancel::Hidden, ProgressScope::OnClose::Set);
    SaveResult result;
    if (request.addMode) {
        const EncodedPage files = encodedFiles(request);
        PageBirth birth;
        SaveResult target;
        const RecordId documentId = targetDocument(request.key, target);
        Progress::AdvanceProgress(QStringLiteral("Save image"));
        result = addPage(birth, request, documentId, files);
        result.newDocument = target.newDocument;
        result.folderId = target.folderId;
        Progress::AdvanceProgress(QStringLiteral("Save thumbnail"));
        birth.commit();
        announceNewDocument(result);
    } else {
        Progress::AdvanceProgress(QStringLiteral("Save image"));
        PageBirth birth;
        const PageBirth::Born born = birth.rewrite(editOf(request));
        Progress::AdvanceProgress(QStringLiteral("Save thumbnail"));
        birth.commit();
        result.pageId = born.pageId;
        result.documentId = born.documentId;
        result.imagePath = born.imagePath;
        result.thumbPath = born.thumbPath;
    }
    Progress::AdvanceProgress(QStringLiteral("Update thumbnails"));
    NavigationSink::instance().ShowPagesInListView(result.documentId);
    Progress::AdvanceProgress(QStringLiteral("Save complete"));
    return result;
}

BatchResult saveScannedPages(const std::vector<SaveRequest> &requests)
{
    BatchResult out;
    if (requests.empty())
        return out;
    const ProgressScope progress(SavingPage, 1, 4, ProgressScope::Cancel::Hidden, ProgressScope::OnClose::Set);
    const NoticeBatch notices;
    std::vector<SaveResult> placed;
    try {
        PageBirth birth;
        // Each page is a savepoint of its own: one that cannot be stored
        // ends the batch, leaving nothing, and the pages before it stay.
        Progress::AdvanceProgress(QStringLiteral("Save image"));
        RecordId documentId = 0;
        SaveResult first;
        for (const SaveRequest &request : requests) {
            if (request.image.isNull()) {
                out.error = AppError(ErrorCode::InvalidValue, QStringLiteral("There is no image to save."));
                break;
            }
            try {
                if (documentId == 0)
                    documentId = targetDocument(requests.front().key, first);
                SaveResult result = addPage(birth, request, documentId, encodedFiles(request));
                if (placed.empty()) {
                    result.newDocument = first.newDocument;
                    result.folderId = first.folderId;
                }
                placed.push_back(result);
            } catch (const AppError &e) {
                out.error = e;
                break;
            }
        }
        Progress::AdvanceProgress(QStringLiteral("Save thumbnail"));
        // A batch that stored no page keeps no new document either.
        if (!placed.empty())
            birth.commit();
    } catch (const AppError &e) {
        // Nothing of the batch was stored.
        placed.clear();
        out.error = e;
    }

    for (const SaveResult &result : placed)
        announceNewDocument(result);
    Progress::AdvanceProgress(QStringLiteral("Update thumbnails"));
    if (!placed.empty())
        NavigationSink::instance().ShowPagesInListView(placed.front().documentId);
    Progress::AdvanceProgress(QStringLiteral("Save complete"));
    out.saved = std::move(placed);
    return out;
}

void deleteOldFiles(const QString &loadedFilename, const SaveResult &saved)
{
    if (loadedFilename.isEmpty())
        return;
    deleteUnlessSaved(loadedFilename, saved);
    deleteUnlessSaved(PagePaths::GetFolderPart(loadedFilename) + DataFolder::ThumbsFolderName + QLatin1Char('/')
                          + PagePaths::GetFileNamePart(loadedFilename),
                      saved);
    deleteUnlessSaved(PagePaths::GetDefaultThumbFilePath(saved.pageId), saved);
}

void deleteSavedPage(RecordId pageId)
{
    Deletes::deletePages({pageId});
}

} // namespace PageSave

#include "imaging/PageSave.h"

#include "core/AppSettings.h"
#include "core/Changes.h"
#include "core/NavigationSink.h"
#include "core/Progress.h"
#include "core/RecordId.h"
#include "imaging/ImageOps.h"
#include "imaging/ThumbnailMaker.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "platform/FileSync.h"
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

void throwIfFailed(const std::optional<AppError> &error)
{
    if (error)
        throw *error;
}

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

// The edited page's row, with its Filename, and the paths of its files,
// whose folder is made.
void placeEditedPage(const PageSave::SaveRequest &request, PageSave::SaveResult &result)
{
    result.pageId = request.pageId;
    result.documentId = Pages::GetDocumentIdOfPage(request.pageId);
    if (result.documentId == 0)
        throw AppError(ErrorCode::RecordMissing, QStringLiteral("Page %1 does not exist.").arg(request.pageId));
    if (PagePaths::IsPageShortcut(request.pageId))
        throw AppError(ErrorCode::InvalidValue,
                       QStringLiteral("Page %1 is a shortcut to a file of your own; it is not replaced.")
                          .arg(request.pageId));
    Pages::setPageFilename(result.pageId, request.filename);
    result.imagePath = request.autoAssignName ? PagePaths::GetDefaultPageFilePath(result.pageId)
                                              : PagePaths::GetPageFilePath(result.pageId, request.filename);
    result.thumbPath = PagePaths::GetThumbFilePath(result.pageId, request.filename);
    const QString folder = PagePaths::GetFolderPart(result.imagePath);
    if (!PagePaths::MakePath(folder)) {
        const int error = errno;
        throw errnoError(error ? error : EACCES, folder);
    }
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

// Writes the page's image, then its thumbnail (between the two, `between`
// runs); the error of the first that fails. A scanned page comes with its
// image and thumbnail already encoded. Otherwise the thumbnail picture is
// made on another core while the image is written; its file follows only
// once the image is safely stored, so a failed write never leaves a
// thumbnail of an image not saved.
// The files of an edited page whose image was not changed: the loaded
// file's bytes at the page's path (nothing to write when that is the same
// file), and the thumbnail only when it is missing.
std::optional<AppError> keepUnchanged(const PageSave::SaveRequest &request, const PageSave::SaveResult &result,
                                      const std::function<void()> &between)
{
    if (!PathFacts::sameFile(request.unchangedFile, result.imagePath)) {
        QFile source(request.unchangedFile);
        if (!source.open(QIODevice::ReadOnly))
            return fileError(source, request.unchangedFile);
        const QByteArray bytes = source.readAll();
        if (source.error() != QFileDevice::NoError)
            return fileError(source, request.unchangedFile);
        if (auto error = ImageOps::saveEncoded(bytes, result.imagePath))
            return error;
    }
    if (between)
        between();
    // Saved over another file, whose thumbnail shows that file: made anew.
    const bool sameFile = PathFacts::sameFile(request.unchangedFile, result.imagePath);
    if (sameFile && QFileInfo::exists(result.thumbPath))
        return std::nullopt;
    return ThumbnailMaker::writeThumbnail(ThumbnailMaker::thumbnailOf(request.image), result.thumbPath);
}

std::optional<AppError> writeFiles(const PageSave::SaveRequest &request, const PageSave::SaveResult &result,
                                   const std::function<void()> &between = {})
{
    if (!request.unchangedFile.isEmpty())
        return keepUnchanged(request, result, between);
    std::future<QImage> thumbnail = std::async(std::launch::async, [image = request.image] {
        return ThumbnailMaker::thumbnailOf(image);
    });
    const std::optional<AppError> imageError = ImageOps::saveJpeg(request.image, result.imagePath, request.quality);
    const QImage thumbnailPicture = thumbnail.get();
    if (imageError)
        return imageError;
    if (between)
        between();
    return ThumbnailMaker::writeThumbnail(thumbnailPicture, result.thumbPath);
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
        DbConnection::Transaction tx;
        placeEditedPage(request, result);
        Progress::AdvanceProgress(QStringLiteral("Save image"));
        throwIfFailed(writeFiles(request, result, [] { Progress::AdvanceProgress(QStringLiteral("Save thumbnail")); }));
        Pages::setPageFileSize(result.pageId, QFileInfo(result.imagePath).size());
        // A file written here replaced the image by a rename: its entry is
        // on the disk before its size commits. An unchanged page kept in
        // its own file wrote nothing.
        if (request.unchangedFile.isEmpty() || !PathFacts::sameFile(request.unchangedFile, result.imagePath))
            throwIfFailed(FileSync::syncFolder(PagePaths::GetFolderPart(result.imagePath)));
        tx.commit();
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

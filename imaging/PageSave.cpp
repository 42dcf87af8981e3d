#include "imaging/PageSave.h"

#include "imaging/ImageOps.h"
#include "imaging/PageFileNames.h"
#include "imaging/ThumbnailMaker.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "platform/Settings.h"
#include "store/Changes.h"
#include "store/Common.h"
#include "store/Deletes.h"
#include "store/NavigationSink.h"
#include "store/NodeKeys.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "store/Progress.h"
#include "store/RecordId.h"
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

void throwIfFailed(const std::optional<DbError> &error)
{
    if (error)
        throw *error;
}

// The document a new page goes into; makes the "New document" of a folder.
RecordId targetDocument(const QString &key, PageSave::SaveResult &result)
{
    const std::optional<NodeKeys::RecordKey> record = NodeKeys::parseKey(key);
    const RecordLevel level = record ? record->level : RecordLevel::Cabinet;
    const RecordId id = record ? record->id : 0;
    if (level == RecordLevel::Folder) {
        if (Records::GetDrawerIdOfFolder(id) == 0)
            throw DbError(ErrorCode::RecordMissing, QStringLiteral("Folder %1 does not exist.").arg(id));
        const RecordId documentId = Records::InsertDocument(id, QStringLiteral("New document"));
        result.newDocument = true;
        result.folderId = id;
        return documentId;
    }
    const RecordId documentId = level == RecordLevel::Page ? Pages::GetDocumentIdOfPage(id) : id;
    if (!PageSave::IsPageTarget(key) || !Pages::DocumentExists(documentId))
        throw DbError(ErrorCode::RecordMissing, QStringLiteral("There is no document for '%1'.").arg(key));
    return documentId;
}

void removeFile(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

// The files a new page's save wrote, where it got that far.
void removeFiles(const PageSave::SaveResult &result)
{
    removeFile(result.imagePath);
    removeFile(result.thumbPath);
}

void deleteUnlessSaved(const QString &path, const PageSave::SaveResult &saved)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    if (PageFileNames::SameFile(path, saved.imagePath) || PageFileNames::SameFile(path, saved.thumbPath))
        return;
    QFile::remove(path);
}

// The row of the page being saved (a new page's, after a "New document" of
// a folder key; or the edited page's) with its Filename, and the paths of
// its files, whose folder is made.
void placePage(const PageSave::SaveRequest &request, PageSave::SaveResult &result)
{
    if (request.addMode) {
        result.documentId = targetDocument(request.key, result);
        Pages::NewPage page;
        page.documentId = result.documentId;
        page.pageNumber = Pages::NextPageNumber(result.documentId);
        page.filetype = QStringLiteral("JPG");
        result.pageId = Pages::InsertPage(page);
    } else {
        result.pageId = request.pageId;
        result.documentId = Pages::GetDocumentIdOfPage(request.pageId);
        if (result.documentId == 0)
            throw DbError(ErrorCode::RecordMissing,
                          QStringLiteral("Page %1 does not exist.").arg(request.pageId));
        if (PagePaths::IsPageShortcut(request.pageId))
            throw DbError(ErrorCode::InvalidValue,
                          QStringLiteral("Page %1 is a shortcut to a file of your own; it is not replaced.")
                              .arg(request.pageId));
    }
    QString filename = request.filename;
    if (request.addMode && !request.nameByIdIn.isEmpty()) {
        // A file there that no other page names is the leftover of a save
        // killed before its rows committed, and is replaced.
        filename = PageFileNames::NameById(request.nameByIdIn, result.pageId);
        if (QFileInfo::exists(filename) && PageFileNames::NamedByAnotherPage(filename, result.pageId))
            throw errnoError(EEXIST, filename);
    }
    Pages::SetPageFilename(result.pageId, filename);

    result.imagePath = request.autoAssignName ? PagePaths::GetDefaultPageFilePath(result.pageId)
                                              : PagePaths::GetPageFilePath(result.pageId, filename);
    result.thumbPath = PagePaths::GetThumbFilePath(result.pageId, filename);
    const QString folder = PagePaths::GetFolderPart(result.imagePath);
    if (!PagePaths::MakePath(folder)) {
        const int error = errno;
        throw errnoError(error ? error : EACCES, folder);
    }
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
std::optional<DbError> keepUnchanged(const PageSave::SaveRequest &request, const PageSave::SaveResult &result,
                                     const std::function<void()> &between)
{
    if (!PageFileNames::SameFile(request.unchangedFile, result.imagePath)) {
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
    if (QFileInfo::exists(result.thumbPath))
        return std::nullopt;
    return ThumbnailMaker::writeThumbnail(ThumbnailMaker::thumbnailOf(request.image), result.thumbPath);
}

std::optional<DbError> writeFiles(const PageSave::SaveRequest &request, const PageSave::SaveResult &result,
                                  const std::function<void()> &between = {})
{
    if (!request.addMode && !request.unchangedFile.isEmpty())
        return keepUnchanged(request, result, between);
    const bool encoded = !request.encoded.isEmpty() && request.encoded.quality == request.quality;
    QImage thumbnailPicture;
    if (encoded) {
        if (auto error = ImageOps::saveEncoded(request.encoded.image, result.imagePath))
            return error;
    } else {
        std::future<QImage> thumbnail = std::async(std::launch::async, [image = request.image] {
            return ThumbnailMaker::thumbnailOf(image);
        });
        const std::optional<DbError> imageError = ImageOps::saveJpeg(request.image, result.imagePath, request.quality);
        thumbnailPicture = thumbnail.get();
        if (imageError)
            return imageError;
    }
    if (between)
        between();
    return encoded ? ThumbnailMaker::saveEncodedThumbnail(request.encoded.thumbnail, result.thumbPath)
                   : ThumbnailMaker::writeThumbnail(thumbnailPicture, result.thumbPath);
}

// Nested savepoints, ended newest first whatever ends them.
struct Savepoints : std::vector<std::unique_ptr<DbConnection::Transaction>>
{
    ~Savepoints()
    {
        while (!empty())
            pop_back();
    }
};

// A new page stored: its notice, and a new document's node (with
// "beforescan" the scan adds the document once it has its name).
void announceNewPage(const PageSave::SaveResult &result)
{
    PageSave::SendNewPageNotification(result.pageId);
    const QString docInfo = Settings::value(QStringLiteral("TwainGetDocInfo"), QStringLiteral("afterscan"));
    if (result.newDocument && docInfo.toLower() != QLatin1String("beforescan"))
        NavigationSink::instance().AddDocumentToNavTree(result.folderId, result.documentId,
                                                        QStringLiteral("New document"), QDate());
}

} // namespace

namespace PageSave {

bool IsPageTarget(const QString &key)
{
    const std::optional<RecordLevel> level = NodeKeys::levelOf(key);
    return level && (*level == RecordLevel::Folder || *level == RecordLevel::Document || *level == RecordLevel::Page);
}

bool IsLevelAboveFolder(const QString &key)
{
    // Both roots, "ROOT" and "ROOTFOUND", lie above every folder.
    if (key.startsWith(NodeKeys::Root, Qt::CaseInsensitive))
        return true;
    const std::optional<RecordLevel> level = NodeKeys::levelOf(key);
    return level && (*level == RecordLevel::Cabinet || *level == RecordLevel::Drawer);
}

SaveResult SavePage(const SaveRequest &request)
{
    if (request.image.isNull())
        throw DbError(ErrorCode::InvalidValue, QStringLiteral("There is no image to save."));
    const ProgressScope progress(SavingPage, 1, 4, ProgressScope::Cancel::Hidden, ProgressScope::OnClose::Set);
    SaveResult result;
    bool written = false;
    try {
        DbConnection::Transaction tx;
        placePage(request, result);
        Progress::AdvanceProgress(QStringLiteral("Save image"));
        written = true;
        throwIfFailed(writeFiles(request, result, [] { Progress::AdvanceProgress(QStringLiteral("Save thumbnail")); }));
        Pages::SetPageFileSize(result.pageId, QFileInfo(result.imagePath).size());
        tx.commit();
    } catch (...) {
        // A new page leaves nothing behind; an edited page keeps its row and
        // whatever file it has.
        if (request.addMode && written) {
            removeFiles(result);
        }
        throw;
    }

    if (request.addMode)
        announceNewPage(result);
    Progress::AdvanceProgress(QStringLiteral("Update thumbnails"));
    NavigationSink::instance().ShowPagesInListView(result.documentId);
    Progress::AdvanceProgress(QStringLiteral("Save complete"));
    return result;
}

BatchResult SaveScannedPages(const std::vector<SaveRequest> &requests)
{
    BatchResult out;
    if (requests.empty())
        return out;
    const ProgressScope progress(SavingPage, 1, 4, ProgressScope::Cancel::Hidden, ProgressScope::OnClose::Set);
    NoticeBatch notices;
    std::vector<SaveResult> placed;
    try {
        DbConnection::Transaction tx;
        // The rows first, each page's in a savepoint of its own, so that a
        // page failing later is undone with the pages after it.
        Savepoints savepoints;
        QString key = requests.front().key;
        for (const SaveRequest &request : requests) {
            SaveRequest page = request;
            page.key = key;
            page.addMode = true;
            if (page.image.isNull()) {
                out.error = DbError(ErrorCode::InvalidValue, QStringLiteral("There is no image to save."));
                break;
            }
            auto savepoint = std::make_unique<DbConnection::Transaction>();
            SaveResult result;
            try {
                placePage(page, result);
            } catch (const DbError &e) {
                out.error = e;
                break;
            }
            savepoints.push_back(std::move(savepoint));
            placed.push_back(result);
            key = NodeKeys::keyOf(RecordLevel::Document, result.documentId);
        }

        // Every page's files at once: their waits for the disk overlap.
        Progress::AdvanceProgress(QStringLiteral("Save image"));
        std::vector<std::future<std::optional<DbError>>> writes;
        for (size_t i = 0; i < placed.size(); ++i)
            writes.push_back(std::async(std::launch::async, [&requests, &placed, i] {
                return writeFiles(requests[i], placed[i]);
            }));
        size_t kept = placed.size();
        for (size_t i = 0; i < writes.size(); ++i) {
            std::optional<DbError> error = writes[i].get();
            if (error && i < kept) {
                kept = i;
                out.error = std::move(error);
            }
        }
        for (size_t i = kept; i < placed.size(); ++i)
            removeFiles(placed[i]);
        placed.resize(kept);
        // Newest first: the pages from the first that failed roll back, the
        // ones before it join the transaction.
        while (savepoints.size() > kept)
            savepoints.pop_back();
        while (!savepoints.empty()) {
            savepoints.back()->commit();
            savepoints.pop_back();
        }
        Progress::AdvanceProgress(QStringLiteral("Save thumbnail"));
        for (const SaveResult &result : placed)
            Pages::SetPageFileSize(result.pageId, QFileInfo(result.imagePath).size());
        tx.commit();
    } catch (const DbError &e) {
        // Nothing of the batch was stored.
        for (const SaveResult &result : placed)
            removeFiles(result);
        placed.clear();
        out.error = e;
    }

    for (const SaveResult &result : placed)
        announceNewPage(result);
    Progress::AdvanceProgress(QStringLiteral("Update thumbnails"));
    if (!placed.empty())
        NavigationSink::instance().ShowPagesInListView(placed.front().documentId);
    Progress::AdvanceProgress(QStringLiteral("Save complete"));
    out.saved = std::move(placed);
    return out;
}

void DeleteOldFiles(const QString &loadedFilename, const SaveResult &saved)
{
    if (loadedFilename.isEmpty())
        return;
    deleteUnlessSaved(loadedFilename, saved);
    deleteUnlessSaved(PagePaths::GetFolderPart(loadedFilename) + DataFolder::ThumbsFolderName + QLatin1Char('/')
                          + PagePaths::GetFileNamePart(loadedFilename),
                      saved);
    deleteUnlessSaved(PagePaths::GetDefaultThumbFilePath(saved.pageId), saved);
}

void DeleteSavedPage(RecordId pageId)
{
    Deletes::DeletePages({pageId});
}

void SendNewPageNotification(RecordId pageId)
{
    Q_EMIT Changes::instance().pageAdded(pageId);
}

NoticeBatch::NoticeBatch()
{
    Q_EMIT Changes::instance().noticeBatchBegun();
}

NoticeBatch::~NoticeBatch()
{
    Q_EMIT Changes::instance().noticeBatchEnded();
}

} // namespace PageSave

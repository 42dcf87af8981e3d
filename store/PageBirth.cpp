#include "store/PageBirth.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include "core/Changes.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "platform/FileSync.h"
#include "platform/PathFacts.h"
#include "platform/WorkerWait.h"
#include "store/FolderPresence.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "store/Records.h"
#include "store/StoreLog.h"

namespace {

// The innermost PageBirth open on the window's thread.
PageBirth *g_open = nullptr;
PageBirth::Trace g_trace;

void trace(const QString &event)
{
    if (g_trace)
        g_trace(event);
}

// Whether anything stands at path: a file, a folder, a link (dangling too).
// A folder that cannot be looked into throws, rather than be taken for free.
bool standsAt(const QString &path)
{
    if (path.isEmpty())
        return false;
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0)
        return true;
    if (errno == ENOENT || errno == ENOTDIR)
        return false;
    throw errnoError(errno, path);
}

bool isStoreImage(const QString &extension)
{
    return extension.compare(QLatin1String(".jpg"), Qt::CaseInsensitive) == 0;
}

// Where a new page's files go, by its id.
struct Paths
{
    QString image;     // "" for a shortcut to the user's file
    QString thumb;     // "" for none
    QString filename;  // the stored Filename: "" for the page store
};

Paths pathsOf(const PageBirth::NewPage &page, RecordId pageId)
{
    Paths paths;
    if (!page.shortcutTo.isEmpty()) {
        paths.filename = page.shortcutTo;
        return paths;
    }
    if (!page.userNamedFile.isEmpty()) {
        paths.image = paths.filename = page.userNamedFile;
    } else if (!page.nameByIdIn.isEmpty()) {
        paths.image = paths.filename =
            PathFacts::withoutTrailingSlash(page.nameByIdIn) + QLatin1Char('/') + QString::number(pageId) + QStringLiteral(".jpg");
    } else if (!isStoreImage(page.extension)) {
        // A copy of a file that is not an image lies beside the page images
        // under its id with its own extension; its shortcut row names it.
        paths.image = paths.filename =
            PagePaths::GetDefaultPageFolder(pageId) + QLatin1Char('/') + QString::number(pageId) + page.extension;
        return paths;
    } else {
        paths.image = PagePaths::GetDefaultPageFilePath(pageId);
    }
    paths.thumb = PagePaths::GetThumbFilePath(pageId, paths.filename);
    return paths;
}

qint64 sizeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? qint64(st.st_size) : 0;
}

void makeFolderOf(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    errno = 0;
    if (!PagePaths::MakePath(folder))
        throw errnoError(errno != 0 ? errno : EACCES, folder);
}

void throwIf(const std::optional<AppError> &error)
{
    if (error)
        throw *error;
}

} // namespace

PageBirth::PageBirth()
    : m_parent(g_open)
{
    m_tx = std::make_unique<DbConnection::Transaction>();
    g_open = this;
}

PageBirth::~PageBirth()
{
    if (!m_done) {
        m_tx.reset();
        removePlaced();
    }
    g_open = m_parent;
}

void PageBirth::setTrace(Trace trace)
{
    g_trace = std::move(trace);
}

std::optional<QString> PageBirth::storageRefusal(RecordId cabinetId)
{
    const std::optional<Records::CabinetValues> cabinet = Records::readCabinet(cabinetId);
    if (!cabinet || !cabinet->ownStorage || cabinet->storagePath.trimmed().isEmpty())
        return std::nullopt;
    return FolderPresence::writeRefusal(FolderPresence::Rows::Storage, cabinet->storagePath, cabinetId);
}

namespace {

// Dropped, pasted and imported pages go into the page store, whatever the
// cabinet: both must be there.
void requireStorage(RecordId cabinetId)
{
    std::optional<QString> refusal = PageBirth::storageRefusal(cabinetId);
    if (!refusal)
        refusal = FolderPresence::writeRefusal(FolderPresence::Rows::PageStore, DataFolder::pagesFolder());
    if (refusal)
        throw AppError(ErrorCode::StorageUnavailable, *refusal);
}

} // namespace

void PageBirth::requireStorageOfFolder(RecordId folderId)
{
    requireStorage(Records::GetCabinetIdOfDrawer(Records::GetDrawerIdOfFolder(folderId)));
}

void PageBirth::requireStorageOfDocument(RecordId documentId)
{
    requireStorage(Records::getCabinetIdOfDocument(documentId));
}

bool PageBirth::isTaken(RecordId pageId, const QString &ownImage, const QString &ownThumb)
{
    return standsAt(PagePaths::GetDefaultPageFilePath(pageId)) || standsAt(PagePaths::GetDefaultThumbFilePath(pageId))
        || standsAt(ownImage) || standsAt(ownThumb);
}

std::optional<QString> PageBirth::known(const QString &key, const std::function<std::optional<QString>()> &judge)
{
    // A parent's answer holds for its savepoints: look once a change.
    for (PageBirth *birth = this; birth; birth = birth->m_parent) {
        const auto found = birth->m_refusals.constFind(key);
        if (found != birth->m_refusals.constEnd())
            return *found;
    }
    const std::optional<QString> refusal = judge();
    m_refusals.insert(key, refusal);
    return refusal;
}

std::optional<QString> PageBirth::refusalFor(RecordId documentId)
{
    const RecordId cabinetId = Records::getCabinetIdOfDocument(documentId);
    return known(QLatin1Char('c') + QString::number(cabinetId), [&] { return storageRefusal(cabinetId); });
}

std::optional<QString> PageBirth::folderRefusal(const QString &imagePath, RecordId documentId)
{
    const QString pages = DataFolder::pagesFolder();
    if (PathFacts::isInside(imagePath, pages)) {
        return known(QStringLiteral("f") + pages,
                     [&] { return FolderPresence::writeRefusal(FolderPresence::Rows::PageStore, pages); });
    }
    const QString folder = QFileInfo(imagePath).absolutePath();
    return known(QStringLiteral("f") + folder, [&] {
        // The cabinet's own storage folder is judged by the cabinet's pages.
        const RecordId cabinetId = Records::getCabinetIdOfDocument(documentId);
        const std::optional<Records::CabinetValues> cabinet = Records::readCabinet(cabinetId);
        const bool storage = cabinet && cabinet->ownStorage
            && QDir::cleanPath(cabinet->storagePath) == QDir::cleanPath(folder);
        return FolderPresence::writeRefusal(storage ? FolderPresence::Rows::Storage : FolderPresence::Rows::Other,
                                            folder, cabinetId);
    });
}

namespace {

// Where a new page goes: its id and paths, and whether its file already
// lies there (a rescued file under its own id).
struct Place
{
    RecordId pageId = 0;
    Paths paths;
    bool inPlace = false;
};

// The file's own id where a rescued file lies at its id's path in the page
// store and that id has no row, else the next id whose paths are all free.
Place choosePlace(const PageBirth::NewPage &page)
{
    PageBirth::NewPage placed = page;
    if (!page.rescue.isEmpty()) {
        const QString suffix = QFileInfo(page.rescue).suffix();
        placed.extension = suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
    }
    Place place;
    if (!page.rescue.isEmpty() && page.rescueId > 0 && !Pages::pageExists(page.rescueId)) {
        place.pageId = page.rescueId;
        place.paths = pathsOf(placed, place.pageId);
        // Not where its id puts a page image (another letter case of its
        // extension): a shortcut page to the file where it lies.
        if (place.paths.image != page.rescue)
            place.paths = Paths{page.rescue, QString(), page.rescue};
        place.inPlace = true;
        return place;
    }
    // A name the user typed was asked about; every other path must be free.
    const bool own = page.userNamedFile.isEmpty();
    for (place.pageId = Pages::NextPageId();; ++place.pageId) {
        place.paths = pathsOf(placed, place.pageId);
        if (!PageBirth::isTaken(place.pageId, own ? place.paths.image : QString(), own ? place.paths.thumb : QString()))
            return place;
        qCWarning(lcStore) << "page id" << place.pageId << "passed over: a file stands at its paths";
    }
}

// Writes the thumbnail bytes the caller had; one that cannot be written
// leaves the page without one, which the page pane makes when it shows it.
bool writeThumbnail(const PageBirth::NewPage &page, const PageBirth::Born &born)
{
    try {
        makeFolderOf(born.thumbPath);
        const std::optional<AppError> error = page.userNamedFile.isEmpty()
            ? FileSync::writeNew(born.thumbPath, page.thumbnail)
            : FileSync::replaceWith(born.thumbPath, page.thumbnail);
        if (!error)
            return true;
        qCWarning(lcStore) << "thumbnail of page" << born.pageId << "not written:" << error->text;
    } catch (const AppError &e) {
        qCWarning(lcStore) << "thumbnail of page" << born.pageId << "not written:" << e.text;
    }
    return false;
}

// The bytes of the file an unchanged image was loaded from.
QByteArray bytesOf(const QString &path)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        throw fileError(source, path);
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        throw fileError(source, path);
    return bytes;
}

// An edited page's thumbnail; one that cannot be written is removed, so that
// the page pane makes it anew rather than show the old image.
bool replaceThumbnail(const PageBirth::Born &born, const QByteArray &bytes)
{
    std::optional<AppError> error;
    try {
        makeFolderOf(born.thumbPath);
        error = bytes.isEmpty() ? AppError(ErrorCode::InvalidValue, QStringLiteral("no thumbnail"))
                                : FileSync::replaceWith(born.thumbPath, bytes);
    } catch (const AppError &e) {
        error = e;
    }
    if (!error)
        return true;
    qCWarning(lcStore) << "thumbnail of page" << born.pageId << "not written:" << error->text;
    ::unlink(QFile::encodeName(born.thumbPath).constData());
    return false;
}

} // namespace

void PageBirth::placeImage(const NewPage &page, const QString &path)
{
    makeFolderOf(path);
    if (!page.rescue.isEmpty()) {
        throwIf(FileSync::renameNew(page.rescue, path));
        m_placedUndo.append({path, page.rescue});
        m_toSync << path << page.rescue;  // its old folder lost the entry
        return;
    }
    bool created = true;
    if (!page.userNamedFile.isEmpty()) {
        created = !standsAt(path);
        throwIf(FileSync::replaceWith(path, page.bytes));
    } else if (!page.bytes.isEmpty()) {
        throwIf(FileSync::writeNew(path, page.bytes));
    } else if (!page.copyOf.isEmpty()) {
        throwIf(FileSync::copyNew(page.copyOf, path));
    } else {
        throwIf(FileSync::renameNew(page.staged, path));
    }
    if (created)
        m_placedUndo.append({path, QString()});
    m_toSync.append(path);
}

PageBirth::Born PageBirth::add(const NewPage &page, Step *failedStep)
{
    Step ignored = Step::Checks;
    Step &step = failedStep ? *failedStep : ignored;
    step = Step::Checks;
    const int sources = int(!page.bytes.isEmpty()) + int(!page.copyOf.isEmpty()) + int(!page.staged.isEmpty())
        + int(!page.rescue.isEmpty()) + int(!page.shortcutTo.isEmpty());
    if (sources != 1)
        throw AppError(ErrorCode::InvalidValue, QStringLiteral("A new page needs one image or one file to point at."));

    Q_ASSERT(g_open == this);
    // The page's own savepoint: whatever fails below leaves nothing of it.
    PageBirth one;
    if (!Pages::documentExists(page.documentId))
        throw AppError(ErrorCode::RecordMissing, QStringLiteral("Document %1 does not exist.").arg(page.documentId));
    if (const std::optional<QString> refusal = refusalFor(page.documentId))
        throw AppError(ErrorCode::StorageUnavailable, *refusal);
    const Place place = choosePlace(page);
    const Paths &paths = place.paths;
    // A rescued file lies where it is filed, on a disk that is there.
    if (!paths.image.isEmpty() && page.rescue.isEmpty()) {
        if (const std::optional<QString> refusal = folderRefusal(paths.image, page.documentId))
            throw AppError(ErrorCode::StorageUnavailable, *refusal);
    }
    // A page whose file is not a page image of the store: the user's own
    // file, or the copy of one.
    const bool shortcut = !page.shortcutTo.isEmpty()
        || (!paths.filename.isEmpty() && page.userNamedFile.isEmpty() && page.nameByIdIn.isEmpty());

    step = Step::File;
    if (!paths.image.isEmpty() && !place.inPlace)
        one.placeImage(page, paths.image);
    // A rescued file filed where it lies may be what a killed run left
    // unsynced: it reaches the disk before its row does, like a new one.
    if (place.inPlace)
        one.m_toSync.append(paths.image);

    step = Step::Row;
    Pages::NewPage row;
    row.documentId = page.documentId;
    row.name = page.name;
    row.pageNumber = page.pageNumber ? *page.pageNumber : shortcut ? 0 : Pages::nextPageNumber(page.documentId);
    row.fileSize = page.fileSize >= 0 ? page.fileSize : sizeOf(page.shortcutTo.isEmpty() ? paths.image : page.shortcutTo);
    row.filetype = page.filetype;
    row.filename = paths.filename;
    row.shortcut = shortcut;
    row.markedStored = page.markedStored;
    row.scanDate = page.scanDate;
    row.emptyFilenameAsText = page.emptyFilenameAsText;
    Pages::insertPageWithId(place.pageId, row);

    Born born;
    born.pageId = place.pageId;
    born.documentId = page.documentId;
    born.pageNumber = row.pageNumber;
    born.imagePath = page.shortcutTo.isEmpty() ? paths.image : QString();
    born.thumbPath = shortcut ? QString() : paths.thumb;
    born.notice = page.notice;
    if (!place.inPlace && page.userNamedFile.isEmpty() && !born.thumbPath.isEmpty())
        one.m_freeThumbs.append(born.thumbPath);
    if (!page.thumbnail.isEmpty() && !born.thumbPath.isEmpty())
        born.thumbnailWritten = writeThumbnail(page, born);
    one.m_born.append(born);
    one.commit();
    return born;
}

PageBirth::Born PageBirth::rewrite(const Rewrite &page)
{
    if (page.bytes.isEmpty() == page.unchangedFile.isEmpty())
        throw AppError(ErrorCode::InvalidValue, QStringLiteral("An edited page needs one image."));
    Q_ASSERT(g_open == this);
    PageBirth one;
    Born born;
    born.pageId = page.pageId;
    born.documentId = Pages::GetDocumentIdOfPage(page.pageId);
    born.notice = false;
    if (born.documentId == 0)
        throw AppError(ErrorCode::RecordMissing, QStringLiteral("Page %1 does not exist.").arg(page.pageId));
    if (PagePaths::IsPageShortcut(page.pageId))
        throw AppError(ErrorCode::InvalidValue,
                       QStringLiteral("Page %1 is a shortcut to a file of your own; it is not replaced.")
                           .arg(page.pageId));
    born.imagePath = page.defaultPath ? PagePaths::GetDefaultPageFilePath(page.pageId)
                                      : PagePaths::GetPageFilePath(page.pageId, page.filename);
    born.thumbPath = PagePaths::GetThumbFilePath(page.pageId, page.filename);
    if (const std::optional<QString> refusal = one.folderRefusal(born.imagePath, born.documentId))
        throw AppError(ErrorCode::StorageUnavailable, *refusal);

    Pages::setPageFilename(page.pageId, page.filename);
    // An unchanged page kept in its own file writes nothing.
    const bool kept = !page.unchangedFile.isEmpty() && PathFacts::sameFile(page.unchangedFile, born.imagePath);
    if (!kept) {
        NewPage image;
        image.userNamedFile = born.imagePath;
        image.bytes = page.bytes.isEmpty() ? bytesOf(page.unchangedFile) : page.bytes;
        one.placeImage(image, born.imagePath);
    }
    // A thumbnail that shows another file, or none: made anew.
    if (page.thumbnail && !born.thumbPath.isEmpty() && (!kept || !QFileInfo::exists(born.thumbPath)))
        born.thumbnailWritten = replaceThumbnail(born, page.thumbnail());
    Pages::setPageFileSize(page.pageId, sizeOf(born.imagePath));
    one.commit();
    return born;
}

QString PageBirth::restoreImage(RecordId pageId, const QString &staged)
{
    const QString path = PagePaths::GetDefaultPageFilePath(pageId);
    if (standsAt(path)) {
        QFile::remove(staged);
        return QString();
    }
    if (const std::optional<QString> refusal = folderRefusal(path, 0)) {
        QFile::remove(staged);
        throw AppError(ErrorCode::StorageUnavailable, *refusal);
    }
    makeFolderOf(path);
    throwIf(FileSync::renameNew(staged, path));
    m_placedUndo.append({path, QString()});
    m_toSync.append(path);
    return path;
}

void PageBirth::takeOver(PageBirth &child)
{
    m_born += child.m_born;
    m_placedUndo += child.m_placedUndo;
    m_toSync += child.m_toSync;
    m_freeThumbs += child.m_freeThumbs;
    child.m_freeThumbs.clear();
    child.m_born.clear();
    child.m_placedUndo.clear();
    child.m_toSync.clear();
}

void PageBirth::removePlaced()
{
    // Newest first, so a rescued file renamed twice comes back in order.
    for (auto it = m_placedUndo.crbegin(); it != m_placedUndo.crend(); ++it) {
        const QByteArray path = QFile::encodeName(it->path);
        if (it->backTo.isEmpty())
            ::unlink(path.constData());
        else
            ::rename(path.constData(), QFile::encodeName(it->backTo).constData());
    }
    // These thumbnail paths were free when their pages were born: what
    // stands there now was written for those pages, here or by a worker since.
    for (const QString &thumb : std::as_const(m_freeThumbs))
        ::unlink(QFile::encodeName(thumb).constData());
    m_placedUndo.clear();
    m_freeThumbs.clear();
    m_born.clear();
}

void PageBirth::commit()
{
    if (m_done)
        return;
    if (m_parent) {
        m_tx->commit();
        m_done = true;
        m_parent->takeOver(*this);
        return;
    }
    // Every placed file, the folder it lies in and the folder above that
    // (which gained the entry of a bucket folder made for it).
    QStringList files;
    QStringList folders;
    QSet<QString> seenFiles;
    QSet<QString> seenFolders;
    for (const QString &file : std::as_const(m_toSync)) {
        const QFileInfo info(file);
        const QString folder = info.absolutePath();
        if (!seenFiles.contains(file) && info.isFile()) {
            seenFiles.insert(file);
            files.append(file);
        }
        for (const QString &f : {folder, QFileInfo(folder).absolutePath()}) {
            if (!seenFolders.contains(f)) {
                seenFolders.insert(f);
                folders.append(f);
            }
        }
    }
    std::optional<AppError> error;
    const auto syncEverything = [&] {
        error = FileSync::syncAll(files, folders, QThread::idealThreadCount(),
                                  [](const QString &path) { trace(QStringLiteral("sync ") + path); });
    };
    // A batch of an import waits off the window's thread, so the progress
    // window repaints; a page or two is quicker synced right here.
    if (files.size() > 4)
        WorkerWait::run(syncEverything);
    else
        syncEverything();
    throwIf(error);
    m_tx->commit();
    m_done = true;
    trace(QStringLiteral("commit"));

    int notices = 0;
    for (const Born &born : std::as_const(m_born))
        notices += born.notice ? 1 : 0;
    if (notices == 0)
        return;
    // Several notices are one batch: a mail server that fails is reported once.
    std::optional<NoticeBatch> batch;
    if (notices > 1)
        batch.emplace();
    for (const Born &born : std::as_const(m_born)) {
        if (born.notice)
            Q_EMIT Changes::instance().pageAdded(born.pageId);
    }
}

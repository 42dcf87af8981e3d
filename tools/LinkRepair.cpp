#include "tools/LinkRepair.h"

#include "core/Progress.h"
#include "core/RecordId.h"
#include "imaging/ThumbnailMaker.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "platform/PathFacts.h"
#include "store/Database.h"
#include "store/FileKinds.h"
#include "store/FolderPresence.h"
#include "store/PageBirth.h"
#include "store/PageFileScope.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "store/Records.h"
#include "store/Schema.h"
#include "tools/ToolsFiles.h"
#include "tools/ToolsLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QThread>
#include <QVector>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Kind = DataFolder::FolderEntry::Kind;

// One level of the hierarchy and the level above it.
struct Level
{
    const Schema::ParentLink &link;
    const char *stepText;
};

const Level kLevels[] = {
    {Schema::PageInDocument, "Checking links to pages"},
    {Schema::DocumentInFolder, "Checking links to documents"},
    {Schema::FolderInDrawer, "Checking links to folders"},
    {Schema::DrawerInCabinet, "Checking links to drawers"},
};

const QString kScanText = QStringLiteral("Scanning for missing files");
const QString kFilingText = QStringLiteral("Filing page files without a page");
const QString kThumbnailText = QStringLiteral("Making thumbnails");

// Files filed under one commit: a stop or a failure loses at most these.
constexpr int kFilingBatch = 2000;
// Folders named in the report when they hold none of their pages' files.
constexpr int kNotedFolders = 5;

// The first page id written with more than ten digits.
constexpr RecordId kElevenDigits = 10'000'000'000LL;

// The number a bucket folder's name spells for a page id: the first seven
// digits of the id written with at least ten.
qint64 bucketKey(RecordId id)
{
    if (id < kElevenDigits)
        return id / 1000;
    while (id >= 10'000'000)
        id /= 10;
    return id;
}

QString bucketName(qint64 key)
{
    return QStringLiteral("%1").arg(key, 7, 10, QLatin1Char('0'));
}

// The key of an entry of a store folder named as a bucket is (seven
// digits), or -1.
qint64 keyOfBucketName(const QString &name)
{
    if (name.size() != 7)
        return -1;
    qint64 key = 0;
    for (const QChar c : name) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        key = key * 10 + (c.unicode() - '0');
    }
    return key;
}

// The page id a file is named by: "<id>" or "<id>.<extension>", the id
// written as the program writes it (no leading zero). 0 for any other
// name: two dots (a temporary such as "<id>.jpg.AbC123"), a hidden file,
// words.
RecordId idOfName(const QString &name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const qsizetype digits = dot < 0 ? name.size() : dot;
    if (digits == 0 || name.at(0) == QLatin1Char('0'))
        return 0;
    if (dot >= 0 && (dot == name.size() - 1 || name.indexOf(QLatin1Char('.'), dot + 1) >= 0))
        return 0;
    RecordId id = 0;
    for (qsizetype i = 0; i < digits; ++i) {
        const QChar c = name.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        const int digit = c.unicode() - '0';
        if (id > (std::numeric_limits<RecordId>::max() - digit) / 10)
            return 0;
        id = id * 10 + digit;
    }
    return id;
}

// The same for a file of bucket key: 0 also for another bucket's id.
RecordId idOfFileName(const QString &name, qint64 key)
{
    const RecordId id = idOfName(name);
    return id != 0 && bucketKey(id) == key ? id : 0;
}

// "<id>.jpg" among the names idOfFileName accepts: a page image's own name.
bool isImageName(const QString &name)
{
    return name.endsWith(QLatin1String(".jpg"));
}

// The files of one bucket folder named by a page id of that bucket, as the
// folder lists them (links not followed), by id and then name.
struct BucketFiles
{
    struct File
    {
        RecordId id = 0;
        QString name;
        Kind kind = Kind::Other;
    };

    QString path;
    QVector<File> files;
    QString failure;  // why the folder could not be looked into; "" when it could

    bool failed() const { return !failure.isEmpty(); }
    QString pathOf(const File &file) const { return path + QLatin1Char('/') + file.name; }

    // The files named by id.
    std::pair<QVector<File>::const_iterator, QVector<File>::const_iterator> of(RecordId id) const
    {
        return std::equal_range(files.cbegin(), files.cend(), File{id, QString(), Kind::Other},
                                [](const File &a, const File &b) { return a.id < b.id; });
    }
};

BucketFiles readBucket(const QString &path, qint64 key)
{
    BucketFiles bucket;
    bucket.path = path;
    const DataFolder::FolderListing listing = DataFolder::listFolder(path);
    if (listing.failed()) {
        bucket.failure = listing.errorText();
        return bucket;
    }
    bucket.files.reserve(listing.entries.size());
    for (const DataFolder::FolderEntry &entry : listing.entries) {
        if (const RecordId id = idOfFileName(entry.name, key))
            bucket.files.append({id, entry.name, entry.kind});
    }
    // The listing comes by name: keep that order among the files of an id.
    std::stable_sort(bucket.files.begin(), bucket.files.end(),
                     [](const BucketFiles::File &a, const BucketFiles::File &b) { return a.id < b.id; });
    return bucket;
}

// What stands in a store folder under a bucket's name.
enum class Bucket { None, Folder, Link };

// A store folder of the data folder ("Pages" or "Thumbs"), its own link
// followed, and its bucket folders by key: folders, and links (which are
// never looked into).
struct StoreFolder
{
    explicit StoreFolder(const QString &name)
        : listing(DataFolder::listStoreFolder(name))
    {
        for (const DataFolder::FolderEntry &entry : listing.entries) {
            const qint64 key = keyOfBucketName(entry.name);
            if (key >= 0 && entry.kind != Kind::Other)
                buckets.insert(key, entry.kind == Kind::Folder ? Bucket::Folder : Bucket::Link);
        }
    }

    bool looked() const { return !listing.failed(); }
    QString bucketPath(qint64 key) const { return listing.path + QLatin1Char('/') + bucketName(key); }
    Bucket bucket(qint64 key) const { return buckets.value(key, Bucket::None); }

    DataFolder::FolderListing listing;
    QHash<qint64, Bucket> buckets;
};

// A regular file (not a link, folder or special file); its time of last
// change when it is.
std::optional<QDateTime> regularFile(const QString &path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec);
}

// The default store's thumbnail is made from the page id and is the
// page's own; one a stored Filename names must pass the containment rule.
bool ownThumbnail(const PageFileScope &scope, const QString &thumb, const QString &filename,
                  const QString &storagePath)
{
    if (filename.isEmpty())
        return true;
    const QString why = scope.refusal(thumb, storagePath);
    if (!why.isEmpty() && QFileInfo::exists(thumb))
        qCWarning(lcTools) << "kept" << thumb << ":" << why;
    return why.isEmpty();
}

// "1 <one>" or "<n> <many>".
QString counted(qint64 n, const QString &one, const QString &many)
{
    return n == 1 ? QStringLiteral("1 ") + one : QString::number(n) + QLatin1Char(' ') + many;
}

class Run
{
public:
    int repairs = 0;
    int skipped = 0;

    // False when stopped.
    bool missingFiles();
    bool orphans(const Level &level);
    bool fileUnnamed(std::optional<ProgressScope> &progress);
    void removeStaleThumbnails();

    QString completion() const;
    // What could not be looked into, one warning each.
    const QStringList &lookFailures() const { return m_lookFailures; }

private:
    // A file of the page store or of a storage folder that no row names.
    struct Unnamed
    {
        RecordId id = 0;
        QString path;
        QString name;
        QDateTime changed;
        QString storageFolder;  // "" for the page store
    };

    // A folder that pages outside the page store name files in: the
    // folder of a storage page's or a shortcut's file.
    struct NamedFolder
    {
        qint64 pages = 0;
        qint64 found = 0;
        qint64 storagePages = 0;  // of them not shortcuts
        QVector<int> missing;     // rows
    };

    using RowIt = QList<Pages::PageFileRow>::const_iterator;

    bool stopped() const { return Progress::ProgressCancelled(); }
    // The row of a page id, looked for among the rows of the bucket being
    // walked (for ids of ten digits or fewer, all of them lie there).
    const Pages::PageFileRow *row(RecordId id) const;
    void walkBucket(qint64 key);
    bool named(const BucketFiles &bucket, const BucketFiles::File &file) const;
    void lookFailed(const QString &what) { m_lookFailures.append(what); }
    RecordId newDocument() const;
    static PageBirth::NewPage pageOf(const Unnamed &file, RecordId documentId);
    bool makeThumbnails(const QVector<PageBirth::Born> &born);

    // The steps of missingFiles.
    void bucketRows();
    bool matchStore(const StoreFolder &pages, const StoreFolder &thumbs);
    bool matchBucketRows(qint64 key, const StoreFolder &pages, const BucketFiles &files);
    void collectUnnamed(const BucketFiles &files);
    void collectStaleThumbs(qint64 key, const BucketFiles &files, const StoreFolder &thumbs);
    bool matchElsewhere();
    void judgeFolders(const StoreFolder &pages);
    void collectStorageUnnamed();
    void removeGone();

    QList<Pages::PageFileRow> m_rows;  // every page, by id
    RowIt m_bucketBegin;               // the rows of the bucket walked
    RowIt m_bucketEnd;
    std::map<qint64, QVector<int>> m_storeRows;  // the page store's rows, by bucket
    QVector<int> m_elsewhere;                    // the other rows
    QSet<QString> m_filenames;         // every stored Filename, cleaned
    qint64 m_storeFound = 0;           // the page store's rows whose file is there
    QVector<int> m_storeMissing;       // and those whose file is not
    QHash<QString, NamedFolder> m_folders;
    QStringList m_folderOrder;
    QVector<int> m_gone;               // rows whose file is gone from a folder that is there
    QVector<Unnamed> m_unnamed;
    QStringList m_staleThumbs;         // thumbnails of "Thumbs" with neither row nor image
    bool m_pageStoreThere = true;      // looked into and holding some of its pages' files
    bool m_imagesKnown = true;         // the page store holds bucket folders to judge thumbnails by
    QStringList m_unavailable;         // places that hold none of their pages' files
    QStringList m_lookFailures;
    QStringList m_notRemoved;          // thumbnails that could not be removed, with why
    int m_filed = 0;
    int m_notFiled = 0;
    int m_oldSchema = 0;
    int m_thumbsRemoved = 0;
};

bool byId(const Pages::PageFileRow &row, RecordId id)
{
    return row.pageId < id;
}

const Pages::PageFileRow *Run::row(RecordId id) const
{
    const RowIt begin = id < kElevenDigits ? m_bucketBegin : m_rows.cbegin();
    const RowIt end = id < kElevenDigits ? m_bucketEnd : m_rows.cend();
    const RowIt it = std::lower_bound(begin, end, id, byId);
    return it != end && it->pageId == id ? &*it : nullptr;
}

void Run::walkBucket(qint64 key)
{
    m_bucketBegin = std::lower_bound(m_rows.cbegin(), m_rows.cend(), key * 1000, byId);
    m_bucketEnd = std::lower_bound(m_bucketBegin, m_rows.cend(), (key + 1) * 1000, byId);
}

// Whether a row names the file: the row of its id as a page image of the
// store or by its Filename, or another row's Filename as spelled.
bool Run::named(const BucketFiles &bucket, const BucketFiles::File &file) const
{
    const Pages::PageFileRow *owner = row(file.id);
    if (owner && owner->filename.isEmpty() && isImageName(file.name))
        return true;
    const QString path = bucket.pathOf(file);
    if (m_filenames.contains(path))
        return true;
    // Spelled otherwise, or reaching it by another way (a linked data
    // folder): the same file.
    return owner && !owner->filename.isEmpty() && PathFacts::sameFile(owner->filename, path);
}

// The page store's rows by bucket, the others by row, and every Filename.
void Run::bucketRows()
{
    qint64 lastKey = -1;
    QVector<int> *last = nullptr;
    for (int i = 0; i < m_rows.size(); ++i) {
        const Pages::PageFileRow &page = m_rows.at(i);
        if (!page.filename.isEmpty()) {
            m_elsewhere.append(i);
            m_filenames.insert(QDir::cleanPath(page.filename));
            continue;
        }
        const qint64 key = bucketKey(page.pageId);
        if (key != lastKey) {
            last = &m_storeRows[key];
            lastKey = key;
        }
        last->append(i);
    }
}

// The page store, one bucket at a time: its rows' files, the files no row
// names, and the thumbnails left without a page. False when stopped.
bool Run::matchStore(const StoreFolder &pages, const StoreFolder &thumbs)
{
    std::set<qint64> keys;
    for (const auto &entry : m_storeRows)
        keys.insert(entry.first);
    bool buckets = false;
    for (auto it = pages.buckets.cbegin(); it != pages.buckets.cend(); ++it) {
        keys.insert(it.key());
        buckets = buckets || it.value() == Bucket::Folder;
    }
    for (auto it = thumbs.buckets.cbegin(); it != thumbs.buckets.cend(); ++it)
        keys.insert(it.key());
    // A thumbnail's image is known to be gone only from a page store that
    // holds page folders: a missing or emptied one may be a disk that is
    // not connected.
    m_imagesKnown = pages.looked() && !pages.listing.missing && buckets;

    for (const qint64 key : keys) {
        walkBucket(key);
        BucketFiles files;
        files.path = pages.bucketPath(key);
        const Bucket bucket = pages.looked() ? pages.bucket(key) : Bucket::None;
        if (bucket == Bucket::Folder) {
            files = readBucket(files.path, key);
            if (files.failed())
                lookFailed(files.failure);
        }
        if (!matchBucketRows(key, pages, files))
            return false;
        if (bucket == Bucket::Folder && !files.failed())
            collectUnnamed(files);
        const bool imagesKnown = bucket == Bucket::None || (bucket == Bucket::Folder && !files.failed());
        if (m_imagesKnown && imagesKnown && thumbs.looked() && thumbs.bucket(key) == Bucket::Folder)
            collectStaleThumbs(key, files, thumbs);
    }
    return true;
}

// Whether each row of the bucket finds its image; false when stopped.
bool Run::matchBucketRows(qint64 key, const StoreFolder &pages, const BucketFiles &files)
{
    const auto rowsHere = m_storeRows.find(key);
    if (rowsHere == m_storeRows.end())
        return true;
    const Bucket bucket = pages.looked() ? pages.bucket(key) : Bucket::None;
    // A linked bucket is no place for new files, but its pages' files are
    // looked for through it, as a path is opened.
    const bool linked = bucket == Bucket::Link;
    const bool linkedThere = linked && QFileInfo(files.path).isDir();
    for (const int i : std::as_const(rowsHere->second)) {
        if (stopped())
            return false;
        Progress::AdvanceProgress(kScanText);
        const RecordId id = m_rows.at(i).pageId;
        // A store or bucket that could not be looked into is not empty.
        if (!pages.looked() || files.failed() || (linked && !linkedThere)) {
            ++skipped;
            continue;
        }
        bool found = false;
        if (linked) {
            found = QFileInfo::exists(PagePaths::GetDefaultPageFilePath(id));
        } else {
            const auto [first, end] = files.of(id);
            for (auto f = first; f != end && !found; ++f) {
                if (isImageName(f->name))
                    found = f->kind != Kind::Link || QFileInfo::exists(files.pathOf(*f));
            }
        }
        if (found)
            ++m_storeFound;
        else
            m_storeMissing.append(i);
    }
    return true;
}

void Run::collectUnnamed(const BucketFiles &files)
{
    for (const BucketFiles::File &file : files.files) {
        // Links are never followed nor filed.
        if (file.kind != Kind::Other || named(files, file))
            continue;
        const QString path = files.pathOf(file);
        if (const std::optional<QDateTime> changed = regularFile(path))
            m_unnamed.append({file.id, path, file.name, *changed, QString()});
    }
}

void Run::collectStaleThumbs(qint64 key, const BucketFiles &files, const StoreFolder &thumbs)
{
    const BucketFiles thumbFiles = readBucket(thumbs.bucketPath(key), key);
    if (thumbFiles.failed()) {
        lookFailed(thumbFiles.failure);
        return;
    }
    for (const BucketFiles::File &thumb : thumbFiles.files) {
        if (thumb.kind != Kind::Other || !isImageName(thumb.name) || row(thumb.id))
            continue;
        const auto [first, end] = files.of(thumb.id);
        if (first == end)
            m_staleThumbs.append(thumbFiles.pathOf(thumb));
    }
}

// The pages outside the page store, storage pages and shortcuts alike, by
// the folder of their file. False when stopped.
bool Run::matchElsewhere()
{
    FolderPresence::FileProbe probe;
    for (const int i : std::as_const(m_elsewhere)) {
        if (stopped())
            return false;
        Progress::AdvanceProgress(kScanText);
        const Pages::PageFileRow &page = m_rows.at(i);
        const QString path = PagePaths::GetPageFilePath(page.pageId, page.filename);
        const QString folder = QFileInfo(path).path();
        auto it = m_folders.find(folder);
        if (it == m_folders.end()) {
            it = m_folders.insert(folder, NamedFolder());
            m_folderOrder.append(folder);
        }
        ++it->pages;
        if (!page.shortcut)
            ++it->storagePages;
        if (probe.exists(path))
            ++it->found;
        else
            it->missing.append(i);
    }
    return true;
}

// Which missing files are gone: those of a folder that is there. The rows
// of a folder that is not (missing, not looked into, or holding none of
// the files its rows name) are kept and counted as skipped.
void Run::judgeFolders(const StoreFolder &pages)
{
    const qint64 storeNamed = m_storeFound + m_storeMissing.size();
    m_pageStoreThere = pages.looked() && FolderPresence::isThere(pages.listing.path, storeNamed, m_storeFound);
    if (m_pageStoreThere || m_storeMissing.isEmpty()) {
        m_gone = m_storeMissing;
    } else {
        skipped += m_storeMissing.size();
        if (pages.looked() && !pages.listing.missing)
            m_unavailable.append(FolderPresence::pageStoreMessage(pages.listing.path, m_storeMissing.size()));
    }
    for (const QString &folder : std::as_const(m_folderOrder)) {
        const NamedFolder &place = m_folders.value(folder);
        if (place.missing.isEmpty())
            continue;
        if (FolderPresence::isThere(folder, place.pages, place.found)) {
            m_gone += place.missing;
            continue;
        }
        skipped += place.missing.size();
        if (place.storagePages > 0 && QFileInfo(folder).isDir())
            m_unavailable.append(FolderPresence::storageMessage(folder, place.storagePages));
    }
}

// The files "<id>.jpg" of the cabinets' own storage folders that no row
// names, where the folder can be looked into.
void Run::collectStorageUnnamed()
{
    for (const QString &stored : Records::storageFolders()) {
        const QString folder = PathFacts::realPath(stored);
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            continue;
        const DataFolder::FolderListing listing = DataFolder::listFolder(folder);
        if (listing.failed()) {
            lookFailed(listing.errorText());
            continue;
        }
        const QString spelled = QDir::cleanPath(stored);
        for (const DataFolder::FolderEntry &entry : listing.entries) {
            const RecordId id = idOfName(entry.name);
            if (id == 0 || entry.kind != Kind::Other || !isImageName(entry.name))
                continue;
            const QString path = spelled + QLatin1Char('/') + entry.name;
            const QString real = folder + QLatin1Char('/') + entry.name;
            if (m_filenames.contains(path) || m_filenames.contains(real))
                continue;
            if (const std::optional<QDateTime> changed = regularFile(path))
                m_unnamed.append({id, path, entry.name, *changed, spelled});
        }
    }
}

// Deletes the rows whose files are gone, then their thumbnails.
void Run::removeGone()
{
    const PageFileScope scope;
    QVector<RecordId> goneIds;
    QStringList goneThumbs;
    for (const int i : std::as_const(m_gone)) {
        const Pages::PageFileRow &page = m_rows.at(i);
        goneIds.append(page.pageId);
        // Shortcut pages point at the user's own files and have no thumbnail.
        if (!page.shortcut) {
            const QString thumb = PagePaths::GetThumbFilePath(page.pageId, page.filename);
            if (!thumb.isEmpty() && ownThumbnail(scope, thumb, page.filename, page.storagePath))
                goneThumbs.append(thumb);
        }
    }
    if (goneIds.isEmpty())
        return;
    DbConnection::Transaction transaction;
    Pages::deletePageRows(QList<RecordId>(goneIds.cbegin(), goneIds.cend()));
    transaction.commit();
    repairs += goneIds.size();
    for (const QString &thumb : std::as_const(goneThumbs)) {
        if (::unlink(QFile::encodeName(thumb).constData()) != 0 && errno != ENOENT)
            m_notRemoved.append(thumb + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
    }
}

bool Run::missingFiles()
{
    // The tools never upgrade the database: a file of an older version may
    // lack the later columns, whose pages then all lie in the page store.
    m_rows = Pages::allPageFiles();
    bucketRows();
    const StoreFolder pages(DataFolder::PagesFolderName);
    const StoreFolder thumbs(DataFolder::ThumbsFolderName);
    if (!pages.looked())
        lookFailed(pages.listing.errorText());
    if (!thumbs.looked())
        lookFailed(thumbs.listing.errorText());
    // A stop still saves what was judged so far.
    const bool completed = matchStore(pages, thumbs) && matchElsewhere();
    judgeFolders(pages);
    if (completed)
        collectStorageUnnamed();
    removeGone();
    return completed;
}

bool Run::orphans(const Level &level)
{
    // The parent ids in memory: one lookup per row in SQL would cost a query
    // for each of a million pages.
    const QSet<RecordId> parents = Records::parentIds(level.link);
    const QVector<Records::ChildLink> rows = Records::childLinks(level.link);
    QVector<RecordId> orphanIds;
    bool completed = true;
    for (const Records::ChildLink &row : rows) {
        if (stopped()) {
            completed = false;
            break;
        }
        Progress::AdvanceProgress(QLatin1String(level.stepText));
        if (!row.parentId || !parents.contains(*row.parentId))
            orphanIds.append(row.id);
    }
    if (!orphanIds.isEmpty()) {
        Records::moveUnderChain(level.link, orphanIds, LinkRepair::RepairedDataName);
        repairs += orphanIds.size();
    }
    return completed;
}

// The run's own document in the "<Repaired Data>" folder. Named after the
// time of the run, so that runs stand apart and the chain's own document
// (which takes pages without a document) is never this one.
RecordId Run::newDocument() const
{
    const QDateTime now = QDateTime::currentDateTime();
    Records::DocumentValues document;
    document.folderId = Records::ensureChainParent(Schema::DocumentInFolder, LinkRepair::RepairedDataName);
    document.name = LinkRepair::FiledDocumentPrefix + now.toString(QStringLiteral("MM/dd/yyyy HH:mm"));
    document.description = QStringLiteral("Page files that no page named, filed by Repair Broken Links.");
    document.dateOnDocument = now.date();
    return Records::insertDocument(document);
}

// Makes the thumbnails the filed images lack, on every core, a few at a
// time so the progress window keeps up. Nothing is written through a
// bucket of "Thumbs" that is a link. False when stopped.
bool Run::makeThumbnails(const QVector<PageBirth::Born> &born)
{
    const int chunk = qMax(1, QThread::idealThreadCount()) * 4;
    for (qsizetype start = 0; start < born.size(); start += chunk) {
        if (stopped())
            return false;
        const qsizetype end = qMin(born.size(), start + chunk);
        QVector<ThumbnailMaker::Job> jobs;
        for (qsizetype i = start; i < end; ++i) {
            const PageBirth::Born &page = born.at(i);
            if (page.imagePath.isEmpty() || page.thumbPath.isEmpty())
                continue;
            // Whatever stands there, a link too, is kept.
            const QFileInfo thumb(page.thumbPath);
            if (thumb.exists() || thumb.isSymLink() || QFileInfo(thumb.path()).isSymLink())
                continue;
            jobs.append({page.imagePath, page.thumbPath});
        }
        const QVector<std::optional<AppError>> made = ThumbnailMaker::makeThumbnailFiles(jobs);
        for (qsizetype j = 0; j < made.size(); ++j) {
            // The page pane tries again when it shows the page.
            if (made.at(j))
                qCWarning(lcTools) << "no thumbnail for" << jobs.at(j).imagePath << ":" << made.at(j)->text;
        }
        for (qsizetype i = start; i < end; ++i)
            Progress::AdvanceProgress(kThumbnailText);
    }
    return true;
}

// The page a file no row names becomes, where it lies.
PageBirth::NewPage Run::pageOf(const Unnamed &file, RecordId documentId)
{
    PageBirth::NewPage page;
    page.documentId = documentId;
    page.name = file.name;
    page.scanDate = file.changed;
    page.notice = false;
    page.rescue = file.path;
    page.rescueId = file.id;
    // A storage folder's file stays on its disk, an image page there under
    // its own id, or renamed to a free one beside it.
    page.nameByIdIn = file.storageFolder;
    if (isImageName(file.name)) {
        page.filetype = QStringLiteral("JPG");
        page.markedStored = true;
    } else if (file.name.contains(QLatin1Char('.'))) {
        page.filetype = FileKinds::GetFileType(file.name);
    }
    return page;
}

bool Run::fileUnnamed(std::optional<ProgressScope> &progress)
{
    if (m_unnamed.isEmpty())
        return true;
    // A page row of an older version lacks the columns a filed page needs;
    // the tools never upgrade the database.
    for (const char *column : {"Filename", "Filetype", "ShortcutYN"}) {
        if (!Database::tableHasColumn(QStringLiteral("Page"), QLatin1String(column))) {
            m_oldSchema = m_unnamed.size();
            return true;
        }
    }
    std::sort(m_unnamed.begin(), m_unnamed.end(), [](const Unnamed &a, const Unnamed &b) {
        return a.id != b.id ? a.id < b.id : a.name < b.name;
    });
    progress.reset();
    progress.emplace(QStringLiteral("Repair broken links"), 1,
                     int(qMin<qint64>(2 * qint64(m_unnamed.size()), INT_MAX)), ProgressScope::Cancel::Shown);

    RecordId documentId = 0;
    for (qsizetype start = 0; start < m_unnamed.size(); start += kFilingBatch) {
        if (stopped())
            return false;
        bool completed = true;
        // The batch's rows commit together, after its files are synced;
        // when they do not, every file is where it was.
        PageBirth birth;
        const bool newHere = documentId == 0;
        if (newHere)
            documentId = newDocument();
        const qsizetype end = qMin(m_unnamed.size(), start + kFilingBatch);
        for (qsizetype i = start; i < end; ++i) {
            if (stopped()) {
                completed = false;
                break;
            }
            Progress::AdvanceProgress(kFilingText);
            const Unnamed &file = m_unnamed.at(i);
            const PageBirth::NewPage page = pageOf(file, documentId);
            PageBirth::Step step = PageBirth::Step::Checks;
            try {
                birth.add(page, &step);
            } catch (const AppError &e) {
                // A file that cannot be moved to a free id stays where it
                // is, for a later run; a failing database ends the run.
                if (step != PageBirth::Step::File)
                    throw;
                qCWarning(lcTools) << "not filed:" << file.path << ":" << e.text;
                ++m_notFiled;
            }
        }
        // A document that would stay empty is not kept.
        if (birth.born().isEmpty()) {
            if (newHere)
                documentId = 0;
            if (!completed)
                return false;
            continue;
        }
        birth.commit();
        m_filed += birth.born().size();
        if (!makeThumbnails(birth.born()) || !completed)
            return false;
    }
    return true;
}

void Run::removeStaleThumbnails()
{
    // Whether an image is gone is known only where the page store could be
    // looked into and holds its pages.
    if (!m_pageStoreThere)
        return;
    for (const QString &thumb : std::as_const(m_staleThumbs)) {
        if (::unlink(QFile::encodeName(thumb).constData()) == 0)
            ++m_thumbsRemoved;
        else if (errno != ENOENT)
            m_notRemoved.append(thumb + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
    }
}

QString Run::completion() const
{
    QString text = QStringLiteral("Repair broken links completed.\n%1 repairs made.").arg(repairs);
    if (skipped == 1)
        text += QStringLiteral("\n1 page skipped (location not available).");
    else if (skipped > 1)
        text += QStringLiteral("\n%1 pages skipped (location not available).").arg(skipped);
    const QString &chain = LinkRepair::RepairedDataName;
    if (m_filed > 0)
        text += QLatin1Char('\n')
            + counted(m_filed, QStringLiteral("page file without a page was filed under %1.").arg(chain),
                      QStringLiteral("page files without a page were filed under %1.").arg(chain));
    if (m_notFiled > 0)
        text += QLatin1Char('\n')
            + counted(m_notFiled,
                      QStringLiteral("page file without a page could not be filed and was left where it is."),
                      QStringLiteral("page files without a page could not be filed and were left where they are."));
    if (m_oldSchema > 0)
        text += QLatin1Char('\n')
            + counted(m_oldSchema, QStringLiteral("page file without a page was not filed"),
                      QStringLiteral("page files without a page were not filed"))
            + QStringLiteral(": the database is of an older version. Start Vellumark once to bring it up to date,"
                             " then repair again.");
    if (m_thumbsRemoved > 0)
        text += QLatin1Char('\n')
            + counted(m_thumbsRemoved, QStringLiteral("thumbnail without a page image was removed."),
                      QStringLiteral("thumbnails without a page image were removed."));
    if (!m_notRemoved.isEmpty())
        text += QLatin1Char('\n')
            + counted(m_notRemoved.size(), QStringLiteral("thumbnail could not be removed: "),
                      QStringLiteral("thumbnails could not be removed, the first: "))
            + m_notRemoved.first();
    for (int i = 0; i < m_unavailable.size() && i < kNotedFolders; ++i)
        text += QLatin1Char('\n') + m_unavailable.at(i);
    if (m_unavailable.size() > kNotedFolders)
        text += QLatin1Char('\n')
            + counted(m_unavailable.size() - kNotedFolders, QStringLiteral("more folder holds none of its pages."),
                      QStringLiteral("more folders hold none of their pages."));
    return text;
}

} // namespace

namespace LinkRepair {

ToolResult FixBrokenLinks()
{
    ToolResult result;
    ToolsFiles::ToolsLock lock;
    if (!lock.acquire()) {
        result.add(ToolResult::Kind::Warning, lock.refusal());
        return result;
    }
    Run run;
    // Closed once the connection is, and on any other way out.
    std::optional<ProgressScope> progress;
    try {
        QString message;
        bool refusal = true;
        if (!ToolsFiles::OpenToolsDatabase(&message, &refusal)) {
            result.add(refusal ? ToolResult::Kind::Warning : ToolResult::Kind::Error, message);
            return result;
        }
        const qint64 pages = Records::countRows(Schema::PageInDocument);
        qint64 total = 0;
        for (const Level &level : kLevels)
            total += Records::countRows(level.link);
        if (total > 0)
            progress.emplace(QStringLiteral("Repair broken links"), 1, int(qMin<qint64>(total + pages, INT_MAX)),
                             ProgressScope::Cancel::Shown);
        // The page store is walked also with no rows at all: a new database
        // over an archive's files leaves every file to be filed.
        bool completed = run.missingFiles();
        // Each pass re-reads its table, so rows moved by one pass are
        // checked again by the next.
        for (const Level &level : kLevels) {
            if (!completed)
                break;
            completed = run.orphans(level);
        }
        if (completed)
            completed = run.fileUnnamed(progress);
        if (completed)
            run.removeStaleThumbnails();
        result.add(ToolResult::Kind::Message, run.completion());
        for (const QString &failure : run.lookFailures())
            result.add(ToolResult::Kind::Warning,
                       QStringLiteral("Could not look into %1. Nothing there was repaired, filed or removed.")
                           .arg(failure));
    } catch (const AppError &e) {
        result.add(ToolResult::Kind::Error,
                   QStringLiteral("Error # %1 occurred in FixBrokenLinks: %2").arg(e.code).arg(e.text));
    }
    DbConnection::close();
    progress.reset();
    return result;
}

} // namespace LinkRepair

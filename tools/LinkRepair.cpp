#include "tools/LinkRepair.h"

#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/PageFileScope.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "store/Progress.h"
#include "store/RecordId.h"
#include "store/Records.h"
#include "store/Schema.h"
#include "tools/ToolsFiles.h"
#include "tools/ToolsLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QVector>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

// Tells whether files exist as QFileInfo::exists does (links followed),
// opening each folder once: walking every page's path from the root costs
// more than the rest of the pass, and a page's neighbours share its folder.
class FileProbe
{
public:
    FileProbe() = default;
    FileProbe(const FileProbe &) = delete;
    FileProbe &operator=(const FileProbe &) = delete;
    ~FileProbe() { closeFolder(); }

    bool exists(const QString &path)
    {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0 || slash == path.size() - 1)
            return QFileInfo::exists(path);
        const QStringView folder = QStringView(path).left(slash);
        if (folder != m_folder) {
            closeFolder();
            m_folder = folder.toString();
            m_fd = ::open(QFile::encodeName(m_folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        }
        if (m_fd < 0)
            return QFileInfo::exists(path);
        return ::faccessat(m_fd, QFile::encodeName(path.mid(slash + 1)).constData(), F_OK, 0) == 0;
    }

private:
    void closeFolder()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    QString m_folder;
    int m_fd = -1;
};

class Run
{
public:
    int repairs = 0;
    int skipped = 0;
    int orphanFiles = 0;

    // False when stopped.
    bool missingFiles();
    bool orphans(const Level &level);

private:
    bool stopped() const { return Progress::ProgressCancelled(); }
};

bool Run::missingFiles()
{
    // The tools never upgrade the database: a file of an older version may
    // lack the later columns, whose pages then all lie in the page store.
    const QList<Pages::PageFileRow> pages = Pages::AllPageFiles();
    const PageFileScope scope;
    const bool pageStoreThere = QFileInfo(DataFolder::pagesFolder()).isDir();
    QVector<RecordId> gone;
    QStringList thumbs;
    FileProbe probe;
    bool completed = true;
    for (const Pages::PageFileRow &page : pages) {
        if (stopped()) {
            completed = false;
            break;
        }
        Progress::AdvanceProgress(QStringLiteral("Scanning for missing files"));
        const QString path = PagePaths::GetPageFilePath(page.pageId, page.filename);
        if (probe.exists(path))
            continue;
        // A missing folder is most likely a disk or share that is not
        // mounted now: its files are not gone, so neither is the row.
        const bool placeThere =
            page.filename.isEmpty() ? pageStoreThere : QFileInfo(QFileInfo(path).absolutePath()).isDir();
        if (!placeThere) {
            ++skipped;
            continue;
        }
        gone.append(page.pageId);
        // Shortcut pages point at the user's own files and have no thumbnail.
        if (!page.shortcut) {
            const QString thumb = PagePaths::GetThumbFilePath(page.pageId, page.filename);
            if (!thumb.isEmpty() && ownThumbnail(scope, thumb, page.filename, page.storagePath))
                thumbs.append(thumb);
        }
    }
    if (!gone.isEmpty()) {
        DbConnection::Transaction transaction;
        Pages::DeletePageRows(gone);
        transaction.commit();
        repairs += gone.size();
    }
    for (const QString &thumb : thumbs)
        QFile::remove(thumb);
    return completed;
}

bool Run::orphans(const Level &level)
{
    // The parent ids in memory: one lookup per row in SQL would cost a query
    // for each of a million pages.
    const QSet<RecordId> parents = Records::ParentIds(level.link);
    const QVector<Records::ChildLink> rows = Records::ChildLinks(level.link);
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
        Records::MoveUnderChain(level.link, orphanIds, LinkRepair::RepairedDataName);
        repairs += orphanIds.size();
    }
    return completed;
}

// The page id a file of a bucket folder is named by ("<id>.<extension>"),
// when it lies in its id's own bucket; 0 for any other file.
RecordId pageIdOfFile(const QString &bucket, const QString &fileName)
{
    const int dot = fileName.indexOf(QLatin1Char('.'));
    if (dot <= 0)
        return 0;
    const QStringView digits = QStringView(fileName).left(dot);
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    }
    bool ok = false;
    const qint64 id = digits.toLongLong(&ok);
    return ok && id > 0 && PagePaths::Bucket(id) == bucket ? id : 0;
}

// Whether an entry of a folder is a folder, or a link to one.
bool isFolderEntry(int folder, const struct dirent *entry)
{
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st;
    return ::fstatat(folder, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

// The names in a folder other than its folders and links to them: files,
// links to files, broken links and special files, hidden ones too. Read as
// they come, without sorting them or asking after each one, as a bucket
// holds thousands.
QStringList namesOfFiles(const QString &path)
{
    QStringList names;
    DIR *folder = ::opendir(QFile::encodeName(path).constData());
    if (!folder)
        return names;
    while (const struct dirent *entry = ::readdir(folder)) {
        if (!isFolderEntry(::dirfd(folder), entry))
            names.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(folder);
    return names;
}

// The files of the page store ("Pages" and "Thumbs") named by a page id
// that has no Page row.
QStringList orphanPageFiles(const QSet<RecordId> &pageIds)
{
    QStringList orphans;
    for (const QString &store : {DataFolder::PagesFolderName, DataFolder::ThumbsFolderName}) {
        const QDir base(DataFolder::filePath(store));
        const QStringList buckets = base.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
        for (const QString &bucket : buckets) {
            const QString folder = base.filePath(bucket);
            for (const QString &name : namesOfFiles(folder)) {
                const qint64 id = pageIdOfFile(bucket, name);
                if (id != 0 && !pageIds.contains(id))
                    orphans.append(folder + QLatin1Char('/') + name);
            }
        }
    }
    return orphans;
}

// Removes the page files whose page has no row: the leftovers of an
// import, scan or save killed before its rows committed, whose id the
// next page gets again, and the files of pages deleted while their files
// could not be. Only files named by a page id inside their id's bucket
// folder of the page store count; links are removed, never followed. How
// many went; a file that cannot be removed throws.
int removeOrphanPageFiles()
{
    int removed = 0;
    for (const QString &path : orphanPageFiles(Pages::AllPageIds())) {
        if (::unlink(QFile::encodeName(path).constData()) != 0) {
            if (errno != ENOENT)
                throw errnoError(errno, path);
            continue;
        }
        ++removed;
    }
    return removed;
}

QString completion(const Run &run)
{
    QString text = QStringLiteral("Repair broken links completed.\n%1 repairs made.").arg(run.repairs);
    if (run.skipped == 1)
        text += QStringLiteral("\n1 page skipped (location not available).");
    else if (run.skipped > 1)
        text += QStringLiteral("\n%1 pages skipped (location not available).").arg(run.skipped);
    if (run.orphanFiles > 0)
        text += QStringLiteral("\n%1 page files without a page removed.").arg(run.orphanFiles);
    return text;
}

} // namespace

namespace LinkRepair {

ToolResult FixBrokenLinks()
{
    ToolResult result;
    ToolsFiles::ToolsLock lock;
    if (!lock.acquire()) {
        result.add(ToolResult::Kind::Warning, ToolsFiles::VlmRunningText);
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
        const qint64 pages = Records::CountRows(Schema::PageInDocument);
        qint64 total = 0;
        for (const Level &level : kLevels)
            total += Records::CountRows(level.link);
        bool completed = true;
        if (total > 0) {
            progress.emplace(QStringLiteral("Repair broken links"), 1, int(qMin<qint64>(total + pages, INT_MAX)),
                             ProgressScope::Cancel::Shown);
            // Each pass re-reads its table, so rows moved by one pass are
            // checked again by the next.
            completed = run.missingFiles();
            for (const Level &level : kLevels) {
                if (!completed)
                    break;
                completed = run.orphans(level);
            }
        }
        // Also with no rows at all: a first import killed before it
        // committed leaves files and an empty database.
        if (completed)
            run.orphanFiles = removeOrphanPageFiles();
        result.add(ToolResult::Kind::Message, completion(run));
    } catch (const DbError &e) {
        result.add(ToolResult::Kind::Error,
                   QStringLiteral("Error # %1 occurred in FixBrokenLinks: %2").arg(e.code).arg(e.text));
    }
    DbConnection::close();
    progress.reset();
    return result;
}

} // namespace LinkRepair

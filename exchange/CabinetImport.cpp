#include "exchange/CabinetImport.h"

#include <algorithm>
#include <functional>
#include <optional>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>

#include "core/Changes.h"
#include "core/Guard.h"
#include "core/Progress.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "exchange/CabinetTree.h"
#include "exchange/DiskPrompt.h"
#include "exchange/ExchangeProgress.h"
#include "exchange/ImportListing.h"
#include "exchange/ImportNames.h"
#include "exchange/ImportWorkers.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/Amounts.h"
#include "store/PageBirth.h"
#include "store/TextFile.h"

namespace {

const QString kUnfiledDrawer = QStringLiteral("Unfiled drawer");
const QString kUnfiledFolder = QStringLiteral("Unfiled folder");

// Rows are committed in batches of about this long: one transaction per
// file would wait for the disk after every file, while one for the whole
// import would lose everything to a late failure.
constexpr qint64 kBatchMs = 250;
// On a slow or busy disk, where a commit (its copies made durable, then
// its rows) takes long, a batch lasts this many times as long as the last
// commit took, so that the import does not spend most of its time waiting
// for commits.
constexpr qint64 kBatchPerCommit = 4;

QString withSlash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

// Sub-directories in name order (the file system's order is arbitrary),
// those inside the tree at root only.
ImportListing::Directories subdirectories(const QString &dir, const QString &root)
{
    return ImportListing::directories(dir, root);
}

// A description cut to the longest one a record takes; *note says so.
QString boundedDescription(const QString &description, QString *note)
{
    if (description.size() <= Records::MaxDescriptionLength)
        return description;
    if (note)
        *note = QStringLiteral("The description was cut to %1 characters.").arg(Records::MaxDescriptionLength);
    return description.left(Records::MaxDescriptionLength);
}

// The name of the details file of dir (Drawer.txt and the like) as it is
// spelled there, found without regard to case or surrounding spaces; ""
// when there is none. Every entry counts, a link that leads nowhere too,
// so that the import names what it cannot read rather than pass it over.
QString detailsFile(const QString &dir, const QString &name)
{
    for (const QString &file : ImportListing::files(dir)) {
        if (file.trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return file;
    }
    return QString();
}

int filesOf(const QString &dir)
{
    return int(ImportNames::filesToImport(dir, QString()).size());
}

bool cancelled()
{
    return Progress::ProgressCancelled();
}

void notify(RecordLevel table, RecordId parentId, RecordId id, const QString &name, const QDate &date = QDate())
{
    Q_EMIT Changes::instance().recordAdded(table, parentId, id, name, date);
}

// The status caption, the look-up and the insert of each level's record.
struct LevelRule
{
    const char *caption;
    RecordId (*find)(RecordId parentId, const QString &name);
    RecordId (*insert)(RecordId parentId, const QString &name);
};

const LevelRule kDrawerRule{"Create drawer", &Records::drawerNamed, &Records::insertDrawer};
const LevelRule kFolderRule{"Create folder", &Records::folderNamed, &Records::insertFolder};
const LevelRule kDocumentRule{"Create document", &Records::findDocumentByName, &Records::insertDocument};

RecordId findOrCreateRow(const LevelRule &rule, RecordId parentId, const QString &name, bool *created)
{
    *created = false;
    if (const RecordId found = rule.find(parentId, name))
        return found;
    *created = true;
    return rule.insert(parentId, name);
}

// The sink of an import run without a dialog: the files' steps show
// nowhere, as the tree's own do not.
class NoBar final : public ProgressView
{
public:
    void start(const QString &, int, int, bool) override {}
    void IncrementProgress(const QString &) override {}
    void StopProgress() override {}
};

class TreeImporter
{
public:
    TreeImporter(RecordId cabinetId, ExchangeProgress *progress) : m_cabinetId(cabinetId), m_progress(progress) {}

    void run(QString root, int diskCount);
    void abandonBatch();
    // Waits for the thumbnails still being made.
    void finishThumbnails()
    {
        m_workers.waitForDone();
        m_thumbnails.waitForDone();
    }
    CabinetImport::TreeImportResult result() const { return m_result; }
    // The failure that ended the import because the page store could not
    // take its files; it is reported with the files left out.
    const std::optional<AppError> &stoppedBy() const { return m_stoppedBy; }

private:
    RecordId findOrCreate(const LevelRule &rule, RecordId parentId, const QString &name, bool *created);
    void importDisk(const QString &root);
    void importDrawer(const QString &dir, const QString &name);
    void importFolder(RecordId drawerId, const QString &dir, const QString &name);
    void importDocument(RecordId folderId, const QString &dir, const QString &name, const QString &next);
    // Called with a sub-directory's path (ending in "/") and name, and the
    // path of the one visited after it ("" for none).
    using Visit = std::function<void(const QString &path, const QString &name, const QString &next)>;
    // The drawer or folder of that name, made and announced when new.
    RecordId record(const LevelRule &rule, RecordLevel table, RecordId parentId, const QString &name);
    void description(const QString &dir, const QString &fileName, RecordLevel table, RecordId id);
    void documentInfo(const QString &path, RecordId documentId);
    void eachSubdirectory(const QString &dir, const Visit &import);
    // next: the directory whose files are imported after these, if known.
    void importFiles(RecordId targetId, const QString &dir, FileImport::TargetKind kind,
                     const QString &next = QString());
    // A file of a failure or note as the report names it: its path inside
    // the tree. FileImport names a file by its name alone: dir is where it lies.
    QString treeName(const QString &path, const QString &dir = QString()) const;
    void leftOut(const QString &path, const AppError &error);
    void noted(const QString &path, const QString &note);
    [[noreturn]] void stop(const AppError &error);
    void commit();
    void commitIfDue();

    RecordId m_cabinetId;
    ExchangeProgress *m_progress;
    NoBar m_noBar;
    CabinetImport::TreeImportResult m_result;
    std::optional<AppError> m_stoppedBy;
    QString m_root;   // the tree being read, no file is taken from outside it
    // The open batch: the records and pages since the last commit, whose
    // copies reach the disk when it commits and go when it fails.
    std::optional<PageBirth> m_batch;
    QElapsedTimer m_sinceCommit;
    qint64 m_lastCommitMs = 0;   // how long the last commit took
    // The copies and thumbnails of every directory, one set of threads for
    // the whole tree.
    ImportWorkers m_workers;
    // Thumbnails are made here while the walk goes on to the next folders.
    QThreadPool m_thumbnails;
};

void TreeImporter::commit()
{
    if (m_batch) {
        QElapsedTimer took;
        took.start();
        m_batch->commit();
        m_lastCommitMs = took.elapsed();
    }
    m_batch.reset();
    m_batch.emplace();
    m_sinceCommit.start();
}

void TreeImporter::commitIfDue()
{
    if (m_sinceCommit.elapsed() >= std::max(kBatchMs, kBatchPerCommit * m_lastCommitMs))
        commit();
}

void TreeImporter::abandonBatch()
{
    // The thumbnails being written belong to pages about to go: they are
    // removed with them once written.
    finishThumbnails();
    m_batch.reset();
}

QString TreeImporter::treeName(const QString &path, const QString &dir) const
{
    QString name = dir.isEmpty() || QDir::isAbsolutePath(path) ? path : dir + path;
    if (name.startsWith(m_root))
        name.remove(0, m_root.size());
    if (name.size() > 1 && name.endsWith(QLatin1Char('/')))
        name.chop(1);
    return name;
}

void TreeImporter::leftOut(const QString &path, const AppError &error)
{
    // The reason of a file error starts with the file's full path, which the
    // report gives already.
    const QString prefix = path + QStringLiteral(": ");
    const QString reason = error.text.startsWith(prefix) ? error.text.mid(prefix.size()) : error.text;
    m_result.failures.append({treeName(path), reason});
}

void TreeImporter::noted(const QString &path, const QString &note)
{
    if (!note.isEmpty())
        m_result.notes.append({treeName(path), note});
}

void TreeImporter::stop(const AppError &error)
{
    m_stoppedBy = error;
    throw error;
}

RecordId TreeImporter::findOrCreate(const LevelRule &rule, RecordId parentId, const QString &name, bool *created)
{
    if (m_progress)
        m_progress->showStatus(QLatin1String(rule.caption), name);
    return findOrCreateRow(rule, parentId, name, created);
}

void TreeImporter::importFiles(RecordId targetId, const QString &dir, FileImport::TargetKind kind,
                               const QString &next)
{
    FileImport::ImportOptions options;
    options.copyNonImages = true;
    options.reportFailures = false;
    options.root = m_root;
    // The dialog's bar counts the whole tree: the import only advances it.
    options.progress = m_progress ? static_cast<ProgressView *>(m_progress) : &m_noBar;
    options.workers = &m_workers;
    options.aheadDirectory = next;
    options.thumbnails = [this](const QVector<ThumbnailMaker::Job> &jobs) {
        for (const ThumbnailMaker::Job &job : jobs) {
            // A thumbnail that cannot be made leaves the page without one;
            // the page pane makes it when it shows the page.
            m_thumbnails.start([job] { (void)ThumbnailMaker::makeThumbnailFile(job.imagePath, job.thumbPath); });
        }
    };
    const FileImport::ImportResult r = FileImport::ImportFiles(targetId, dir, kind, QString(), options);
    for (const FileImport::ImportFailure &failure : r.failures)
        m_result.failures.append({treeName(failure.fileName, dir), failure.reason});
    for (const FileImport::ImportFailure &note : r.notes)
        m_result.notes.append({treeName(note.fileName, dir), note.reason});
    // The page store cannot take the files: the import ends here, once,
    // and the report says why even when no file got as far as failing.
    if (r.fatal) {
        if (r.failures.isEmpty())
            m_result.failures.append({treeName(dir), r.fatal->text});
        stop(*r.fatal);
    }
}

RecordId TreeImporter::record(const LevelRule &rule, RecordLevel table, RecordId parentId, const QString &name)
{
    bool created = false;
    const RecordId id = findOrCreate(rule, parentId, name, &created);
    if (created)
        notify(table, parentId, id, name);
    return id;
}

void TreeImporter::description(const QString &dir, const QString &fileName, RecordLevel table, RecordId id)
{
    const QString file = detailsFile(dir, fileName);
    if (file.isEmpty())
        return;
    QString note;
    try {
        CabinetImport::importDescription(table, dir + file, id, &note, m_root);
    } catch (const AppError &e) {
        // A file that may not be read (too large, not a regular file, a
        // link out of the tree) is named; the record keeps its description.
        if (e.code != int(ErrorCode::InvalidValue))
            throw;
        leftOut(dir + file, e);
    }
    noted(dir + file, note);
}

void TreeImporter::documentInfo(const QString &path, RecordId documentId)
{
    QString note;
    try {
        CabinetImport::ImportDocumentInfo(path, documentId, &note, m_root);
    } catch (const AppError &e) {
        if (e.code != int(ErrorCode::InvalidValue))
            throw;
        leftOut(path, e);
    }
    noted(path, note);
}

void TreeImporter::eachSubdirectory(const QString &dir, const Visit &import)
{
    const ImportListing::Directories listed = subdirectories(dir, m_root);
    for (const ImportListing::Refusal &refused : listed.refused)
        m_result.failures.append({treeName(refused.name), refused.reason});
    for (qsizetype i = 0; i < listed.names.size(); ++i) {
        if (cancelled())
            return;
        const QString &name = listed.names.at(i);
        const QString next = i + 1 < listed.names.size() ? withSlash(dir + listed.names.at(i + 1)) : QString();
        // A name the database refuses (too long) leaves that directory out.
        try {
            import(withSlash(dir + name), name, next);
        } catch (const AppError &e) {
            if (e.code != int(ErrorCode::InvalidValue))
                throw;
            leftOut(dir + name, e);
        }
    }
}

void TreeImporter::importDocument(RecordId folderId, const QString &dir, const QString &name, const QString &next)
{
    bool created = false;
    const RecordId documentId = findOrCreate(kDocumentRule, folderId, name, &created);
    const QString info = detailsFile(dir, CabinetTree::DocumentFileName);
    if (!info.isEmpty())
        documentInfo(dir + info, documentId);
    // Announced once its date is known, which the tree shows.
    if (created) {
        const std::optional<Records::DocumentValues> values = Records::readDocument(documentId);
        notify(RecordLevel::Document, folderId, documentId, name, values ? values->dateOnDocument : QDate());
    }
    if (filesOf(dir) > 0)
        importFiles(documentId, dir, FileImport::TargetKind::Document, next);
    commitIfDue();
}

void TreeImporter::importFolder(RecordId drawerId, const QString &dir, const QString &name)
{
    const RecordId folderId = record(kFolderRule, RecordLevel::Folder, drawerId, name);
    description(dir, CabinetTree::FolderFileName, RecordLevel::Folder, folderId);
    if (filesOf(dir) > 0)
        importFiles(folderId, dir, FileImport::TargetKind::Folder);
    eachSubdirectory(dir, [&](const QString &path, const QString &document, const QString &next) {
        importDocument(folderId, path, document, next);
    });
}

void TreeImporter::importDrawer(const QString &dir, const QString &name)
{
    const RecordId drawerId = record(kDrawerRule, RecordLevel::Drawer, m_cabinetId, name);
    description(dir, CabinetTree::DrawerFileName, RecordLevel::Drawer, drawerId);
    if (filesOf(dir) > 0)
        importFiles(record(kFolderRule, RecordLevel::Folder, drawerId, kUnfiledFolder), dir, FileImport::TargetKind::Folder);
    eachSubdirectory(dir, [&](const QString &path, const QString &folder, const QString &) {
        importFolder(drawerId, path, folder);
    });
}

void TreeImporter::importDisk(const QString &root)
{
    if (filesOf(root) > 0) {
        const RecordId drawerId = record(kDrawerRule, RecordLevel::Drawer, m_cabinetId, kUnfiledDrawer);
        importFiles(record(kFolderRule, RecordLevel::Folder, drawerId, kUnfiledFolder), root,
                    FileImport::TargetKind::Folder);
    }
    description(root, CabinetTree::CabinetFileName, RecordLevel::Cabinet, m_cabinetId);
    eachSubdirectory(root, [&](const QString &path, const QString &drawer, const QString &) {
        importDrawer(path, drawer);
    });
}

void TreeImporter::run(QString root, int diskCount)
{
    root = withSlash(root);
    m_root = root;
    // A page store that cannot take a copy is found before any record is
    // made.
    try {
        (void)m_workers.staging();
    } catch (const AppError &e) {
        m_result.failures.append({DataFolder::pagesFolder(), e.text});
        stop(e);
    }
    commit();
    for (int disk = 1;; ++disk) {
        if (m_progress)
            m_progress->setBusy(true);
        const int count = CabinetImport::CountImportableFiles(root, m_progress);
        if (m_progress)
            m_progress->setBusy(false);
        if (cancelled()) {
            m_result.cancelled = true;
            return;
        }
        if (count == 0
            && Prompt::instance().questionYesNoCancel(QStringLiteral(
                   "There are no image files to import.  Import the file cabinet's structure?"))
                != Prompt::Answer::Yes) {
            m_result.cancelled = true;
            return;
        }
        if (m_progress)
            m_progress->Reset(1, qMax(count, 1));
        importDisk(root);
        ++m_result.disksRead;
        commit();
        if (cancelled() || disk >= diskCount) {
            m_result.cancelled = cancelled();
            return;
        }
        const std::optional<QString> next = DiskPrompt::askForDisk(
            QStringLiteral("Please insert disk # %1").arg(disk + 1), QDir::cleanPath(root), false);
        if (!next) {
            m_result.cancelled = true;
            return;
        }
        root = withSlash(*next);
        m_root = root;
    }
}

} // namespace

namespace CabinetImport {

RecordId FindOrCreateDrawer(RecordId cabinetId, const QString &name)
{
    bool created = false;
    return findOrCreateRow(kDrawerRule, cabinetId, name, &created);
}

RecordId FindOrCreateFolder(RecordId drawerId, const QString &name)
{
    bool created = false;
    return findOrCreateRow(kFolderRule, drawerId, name, &created);
}

RecordId FindOrCreateDocument(RecordId folderId, const QString &name)
{
    bool created = false;
    return findOrCreateRow(kDocumentRule, folderId, name, &created);
}

void importDescription(RecordLevel table, const QString &path, RecordId id, QString *note, const QString &root)
{
    QString text;
    if (TextFile::read(path, &text, MaxTextFileBytes, root))
        Records::updateDescription(table, id, boundedDescription(CabinetTree::readDescription(text), note));
}

void ImportDocumentInfo(const QString &path, RecordId documentId, QString *note, const QString &root)
{
    QString text;
    if (!TextFile::read(path, &text, MaxTextFileBytes, root))
        return;
    const CabinetTree::DocumentInfo info = CabinetTree::readDocumentInfo(text);
    // An unreadable date leaves the stored one, as no date does.
    const std::optional<QDate> date =
        info.dateText.isEmpty() ? std::nullopt : CabinetTree::parseDate(info.dateText);
    Records::updateDocumentDetails(documentId, date, boundedDescription(info.description, note),
                                   Amounts::leadingNumber(info.amountText));
}

int CountImportableFiles(const QString &root, ExchangeProgress *progress)
{
    const QString caption = QStringLiteral("Scan files");
    int total = 0;
    // The root, its drawers, their folders and the folders' documents.
    QStringList level{withSlash(root)};
    for (int depth = 0; depth < 4 && !level.isEmpty(); ++depth) {
        QStringList below;
        for (const QString &dir : std::as_const(level)) {
            if (cancelled())
                return total;
            if (progress)
                progress->showStatus(caption, dir);
            total += filesOf(dir);
            if (depth < 3) {
                for (const QString &sub : subdirectories(dir, root).names)
                    below.append(dir + sub + QLatin1Char('/'));
            }
        }
        level = below;
    }
    return total;
}

TreeImportResult ImportCabinetTree(RecordId cabinetId, const QString &root, int diskCount, ExchangeProgress *progress)
{
    TreeImporter importer(cabinetId, progress);
    const bool ok = guard([&] {
        try {
            importer.run(root, diskCount);
            importer.finishThumbnails();
            importer.abandonBatch();  // the empty batch the last commit opened
        } catch (...) {
            importer.abandonBatch();
            // Said once, below, with the files it left out.
            if (!importer.stoppedBy())
                throw;
        }
    });
    TreeImportResult result = importer.result();
    if (!ok || importer.stoppedBy())
        result.cancelled = true;
    if (!result.failures.isEmpty() || !result.notes.isEmpty())
        Prompt::instance().warning(FileImport::failureMessage(result.failures, result.notes));
    return result;
}

} // namespace CabinetImport

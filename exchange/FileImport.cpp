#include "exchange/FileImport.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <memory>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QThreadPool>

#include "core/Changes.h"
#include "core/Guard.h"
#include "core/Progress.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "exchange/ExchangeState.h"
#include "exchange/FileCopier.h"
#include "exchange/FileImportStaging.h"
#include "exchange/ImportListing.h"
#include "exchange/ImportNames.h"
#include "exchange/ImportWorkers.h"
#include "exchange/MemoryBudget.h"
#include "imaging/DecodeCost.h"
#include "imaging/ThumbnailMaker.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/FileKinds.h"
#include "store/PageBirth.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "store/Records.h"

namespace {

using FileImportStaging::Batch;
using FileImportStaging::Item;

QString withSlash(const QString &directory)
{
    return directory.endsWith(QLatin1Char('/')) ? directory : directory + QLatin1Char('/');
}

// One step on the caller's bar, else on the progress window.
void advance(ProgressView *bar, const QString &text)
{
    if (bar)
        bar->IncrementProgress(text);
    else
        Progress::AdvanceProgress(text);
}

// A document made for a file; it carries no date.
void announceDocument(RecordId folderId, RecordId documentId, const QString &name)
{
    Q_EMIT Changes::instance().recordAdded(RecordLevel::Document, folderId, documentId, name, QDate());
}

// The number an imported image gets: the one its name gives ("Page 3.jpg"),
// else the one after the document's last page; *note warns of a number out
// of range or held at the highest one.
int pageNumberFor(RecordId documentId, const QString &name, QString *note)
{
    const std::optional<int> number = ImportNames::pageNumberOfName(name);
    const int pageNumber = number ? *number : Pages::nextPageNumber(documentId);
    *note = ImportNames::pageNumberNote(name);
    // The next number is held at the highest one a page can carry.
    if (!number && pageNumber == INT_MAX)
        *note = QStringLiteral("No higher page number is possible; the page was numbered %1.").arg(INT_MAX);
    return pageNumber;
}

// The new page of a file: an image's staged copy in the page store; a
// file that is not an image as a shortcut page, to its staged copy (a tree
// import) or to the file where it lies.
PageBirth::NewPage newPageOf(RecordId documentId, const Item &item, const QDateTime &scanDate, QString *note)
{
    PageBirth::NewPage page;
    page.documentId = documentId;
    page.name = item.name;
    page.fileSize = item.size;
    page.scanDate = scanDate;
    page.notice = false;
    if (item.image) {
        page.filetype = QStringLiteral("JPG");
        page.markedStored = true;
        page.pageNumber = pageNumberFor(documentId, item.name, note);
        page.staged = item.staged;
        return page;
    }
    page.filetype = FileKinds::GetFileType(item.source);
    if (item.staged.isEmpty()) {
        page.shortcutTo = item.source;
    } else {
        const int dot = item.name.lastIndexOf(QLatin1Char('.'));
        page.staged = item.staged;
        page.extension = dot > 0 ? item.name.mid(dot) : QString();
    }
    return page;
}

// Writes the rows of one file and puts its copy in place, as one change
// (a page birth within the batch's). Sets the item's page id, new document
// and placed copy; a failure leaves nothing of it. A document already
// holding a page of that name keeps it, and the image it has: a re-import
// adds nothing, but puts back an image that went missing.
void importItem(RecordId targetId, FileImport::TargetKind kind, Item &item, const QDateTime &scanDate,
                PageBirth::Step *step)
{
    PageBirth birth;
    RecordId documentId = targetId;
    item.createdDocument = 0;
    if (kind == FileImport::TargetKind::Folder) {
        documentId = Records::findDocumentByName(targetId, item.name);
        if (documentId == 0) {
            documentId = Records::insertDocument(targetId, item.name);
            item.createdDocument = documentId;
        }
    }
    item.placedPath.clear();
    item.placed = false;
    if (const RecordId existing = Pages::findPageByName(documentId, item.name)) {
        item.pageId = existing;
        if (item.image && !item.staged.isEmpty())
            item.placedPath = birth.restoreImage(existing, item.staged);
        else if (!item.staged.isEmpty())
            QFile::remove(item.staged);
        item.placed = !item.placedPath.isEmpty();
        birth.commit();
        return;
    }
    // A page's name obeys the length of every other name.
    if (item.name.size() > Records::MaxNameLength)
        throw AppError(ErrorCode::InvalidValue, Records::nameTooLongMessage(item.name));
    QString numberNote;
    const PageBirth::Born born = birth.add(newPageOf(documentId, item, scanDate, &numberNote), step);
    birth.commit();
    if (!numberNote.isEmpty())
        item.note = item.note.isEmpty() ? numberNote : item.note + QLatin1Char(' ') + numberNote;
    if (!item.image)
        ++ExchangeState::instance().ImportedShortcutCount;
    item.pageId = born.pageId;
    item.placedPath = item.staged.isEmpty() ? QString() : born.imagePath;
    item.placed = item.image;
}

// The files of names from start on (at most count), checked and their
// copies started on the workers; a file that may not be read carries its
// reason. The copy of names[i] is staged as number firstNumber + i.
std::unique_ptr<Batch> stageBatch(const QStringList &names, int start, int count, int firstNumber,
                                  const QString &dir, const QString &root, bool copyNonImages,
                                  ImportWorkers &workers)
{
    QVector<Item> items;
    for (int i = start; i < names.size() && i < start + count; ++i) {
        Item item;
        item.name = names.at(i);
        if (const std::optional<QString> reason =
                FileImportStaging::prepare(item, dir, root, workers.staging(), firstNumber + i, copyNonImages))
            item.copyError = AppError(ErrorCode::InvalidValue, *reason);
        items.append(item);
    }
    auto batch = std::make_unique<Batch>(std::move(items));
    batch->startStaging(workers.pool(), workers.budget());
    return batch;
}

// Lists the directory a run imports next and starts staging its first
// batch, which its import then takes over.
void stageAhead(const QString &directory, const QString &extensionList, const FileImport::ImportOptions &options,
                int batchSize)
{
    ImportWorkers &workers = *options.workers;
    ImportWorkers::Ahead ahead;
    ahead.directory = withSlash(directory);
    ahead.extensionList = extensionList;
    ahead.names = ImportNames::filesToImport(ahead.directory, extensionList);
    ahead.firstNumber = workers.reserveStagingNumbers(int(ahead.names.size()));
    if (!ahead.names.isEmpty())
        ahead.batch = stageBatch(ahead.names, 0, batchSize, ahead.firstNumber, ahead.directory,
                                 options.root.isEmpty() ? ahead.directory : options.root, options.copyNonImages,
                                 workers);
    workers.keepAhead(std::move(ahead));
}

// Files the rows of batch after batch on the calling thread and hands
// their thumbnails to the pool.
struct BatchFiler
{
    RecordId targetId;
    FileImport::TargetKind kind;
    QDateTime scanDate;
    QThreadPool &pool;
    MemoryBudget &budget;
    FileImport::ImportResult &result;
    const FileImport::ImportOptions &options;
    ImportWorkers &workers;

    // The rows of the batch's files, each file its own savepoint, in one
    // change (PageBirth): its copies are on the disk before its rows commit,
    // now, or with the run's change that it is part of. A failing file is
    // named and the others go on; when the change itself fails, none of the
    // batch's rows and copies stay and its files are named. Stops at Cancel,
    // keeping the files before. In a run (a tree import), a file the page
    // store cannot take ends the run: every other file would fail alike.
    void file(Batch &batch)
    {
        ExchangeState &state = ExchangeState::instance();
        const qint64 shortcutsBefore = state.ImportedShortcutCount;
        std::vector<Item *> filed;
        std::optional<PageBirth> birth;
        try {
            birth.emplace();
            for (Item &item : batch.items()) {
                if (Progress::ProgressCancelled()) {
                    result.cancelled = true;
                    break;
                }
                // The step lets events run now and then, inside the
                // transaction: the progress window is application-modal, so
                // no command can write meanwhile.
                advance(options.progress, QStringLiteral("Import ") + item.name);
                fileOne(item, &filed);
            }
            birth->commit();
        } catch (const AppError &e) {
            const bool began = birth.has_value();
            birth.reset();
            state.ImportedShortcutCount = shortcutsBefore;
            for (Item &item : batch.items()) {
                if (!item.staged.isEmpty())
                    QFile::remove(item.staged);
                // No transaction: no file of the batch was tried.
                if (!began)
                    result.failures.append({item.name, item.copyError ? item.copyError->text : e.message()});
            }
            for (Item *item : filed)
                result.failures.append({item->name, e.message()});
            if (options.workers)
                throw;
            return;
        }
        QVector<ThumbnailMaker::Job> handed;
        QVector<Picture> pictures;
        for (Item *item : filed)
            announce(*item, &handed, &pictures);
        if (options.thumbnails && !handed.isEmpty())
            options.thumbnails(handed);
        writePictures(std::move(pictures));
    }

    // A thumbnail picture made while copying, and the thumbnail file it
    // becomes.
    struct Picture
    {
        QImage thumbnail;
        QString path;
    };

    // The pictures of a batch are written by one piece of work: each takes
    // well under a millisecond, less than handing it to a thread. A
    // thumbnail that cannot be written leaves the page without one; the
    // page pane makes it when it shows the page.
    void writePictures(QVector<Picture> pictures)
    {
        if (pictures.isEmpty())
            return;
        pool.start([pictures = std::move(pictures)] {
            for (const Picture &picture : pictures) {
                (void)FileImportStaging::onWorker(picture.path, [&] {
                    return ThumbnailMaker::writeThumbnail(picture.thumbnail, picture.path);
                });
            }
        });
    }

    void fileOne(Item &item, std::vector<Item *> *filed)
    {
        if (item.copyError) {
            // A file refused before it was staged has no staged copy.
            result.failures.append({item.name, item.copyError->text});
            if (!item.staged.isEmpty())
                QFile::remove(item.staged);
            return;
        }
        PageBirth::Step step = PageBirth::Step::Checks;
        try {
            importItem(targetId, kind, item, scanDate, &step);
            filed->push_back(&item);
        } catch (const AppError &e) {
            if (!item.staged.isEmpty())
                QFile::remove(item.staged);
            result.failures.append({item.name, e.message()});
            // The page store refused the copy, or the cabinet's storage
            // folder is gone: the other files would fare no better.
            if (options.workers
                && (step == PageBirth::Step::File || e.code == int(ErrorCode::StorageUnavailable)))
                throw;
        }
    }

    // A filed file counts once its batch has committed: its document is
    // announced and its thumbnail written on a worker thread, from the
    // picture made while copying when its copy was put in place, else
    // (a page that kept its stored image) from the stored image.
    void announce(const Item &item, QVector<ThumbnailMaker::Job> *handed, QVector<Picture> *pictures)
    {
        ++result.imported;
        if (!item.note.isEmpty())
            result.notes.append({item.name, item.note});
        if (item.placed)
            ++ExchangeState::instance().ImportedFileCount;
        if (item.createdDocument)
            announceDocument(targetId, item.createdDocument, item.name);
        if (!item.image)
            return;
        const QString thumbPath = PagePaths::GetDefaultThumbFilePath(item.pageId);
        // The picture made while copying is written here; a page without
        // one goes to the caller's own thumbnail maker when it has one.
        if (options.thumbnails && (!item.placed || item.thumbnail.isNull())) {
            handed->append({PagePaths::GetDefaultPageFilePath(item.pageId), thumbPath});
            return;
        }
        if (item.placed && !item.thumbnail.isNull()) {
            pictures->append({item.thumbnail, thumbPath});
            return;
        }
        // A thumbnail that cannot be made leaves the page without one; the
        // page pane makes it when it shows the page.
        pool.start([thumbnail = item.placed ? item.thumbnail : QImage(),
                    image = PagePaths::GetDefaultPageFilePath(item.pageId),
                    thumb = PagePaths::GetDefaultThumbFilePath(item.pageId), &budget = budget] {
            (void)FileImportStaging::onWorker(image, [&] {
                if (!thumbnail.isNull())
                    return ThumbnailMaker::writeThumbnail(thumbnail, thumb);
                // Decoded from the stored image: its bytes count like a copy's.
                const MemoryBudget::Held held(budget, DecodeCost::ofThumbnailFile(image));
                return ThumbnailMaker::makeThumbnailFile(image, thumb);
            });
        });
    }
};

} // namespace

namespace FileImport {

namespace {

// The heading and the first names of a list of files with their reasons.
QString namedFiles(const QString &heading, const QVector<ImportFailure> &files)
{
    QString text = heading;
    constexpr int kNamed = 10;
    for (int i = 0; i < files.size() && i < kNamed; ++i)
        text += QStringLiteral("\n%1: %2").arg(files.at(i).fileName, files.at(i).reason);
    if (files.size() > kNamed)
        text += QStringLiteral("\n...");
    return text;
}

} // namespace

QString failureMessage(const QVector<ImportFailure> &failures, const QVector<ImportFailure> &notes)
{
    QStringList parts;
    if (!failures.isEmpty())
        parts.append(namedFiles(failures.size() == 1
                                    ? QStringLiteral("1 file could not be imported:")
                                    : QStringLiteral("%1 files could not be imported:").arg(failures.size()),
                                failures));
    if (!notes.isEmpty())
        parts.append(namedFiles(notes.size() == 1
                                    ? QStringLiteral("1 file was imported with a warning:")
                                    : QStringLiteral("%1 files were imported with a warning:").arg(notes.size()),
                                notes));
    return parts.join(QStringLiteral("\n\n"));
}

ImportResult ImportFiles(RecordId targetId, const QString &directory, TargetKind kind, const QString &extensionList,
                         const ImportOptions &options)
{
    ImportResult result;
    const bool window = !options.progress;
    std::optional<ProgressScope> shown;
    const auto run = [&] {
        // The command passes the document its menu was opened for; one that
        // is gone by now ends the import as a non-document selection would.
        if (kind == TargetKind::Document && !Pages::documentExists(targetId))
            return;
        // A cabinet whose disk is not connected takes no page, said once.
        if (kind == TargetKind::Folder)
            PageBirth::requireStorageOfFolder(targetId);
        else
            PageBirth::requireStorageOfDocument(targetId);
        const QString dir = withSlash(directory);
        if (window) {
            shown.emplace(QStringLiteral("Count files to import"), 1, 2, ProgressScope::Cancel::Shown);
            shown->advance(QStringLiteral("Counting files to import"));
        }
        std::optional<ImportWorkers::Ahead> ahead;
        if (options.workers)
            ahead = options.workers->takeAhead(dir, extensionList);
        const QStringList names = ahead ? ahead->names : ImportNames::filesToImport(dir, extensionList);
        shown.reset();
        if (names.isEmpty())
            return;
        if (window)
            shown.emplace(QStringLiteral("Import files"), 1, int(names.size()), ProgressScope::Cancel::Shown);
        const QDateTime scanDate(QDate::currentDate(), QTime(0, 0));
        const QString root = options.root.isEmpty() ? dir : options.root;
        // The reads and decodes in flight are bounded by bytes, not by
        // threads: a progressive scan's decoder holds the coefficients of
        // its whole page even for a thumbnail, on any number of cores.
        // Workers of its own end every copy and thumbnail, then remove
        // their staging folder, before the import returns.
        std::optional<ImportWorkers> own;
        ImportWorkers &workers =
            options.workers ? *options.workers : own.emplace(options.threads, options.memoryBudget);
        // The copies wait in the data folder, on the page store's file
        // system, so that putting one in place is a rename.
        (void)workers.staging();
        QThreadPool &pool = workers.pool();
        MemoryBudget &budget = workers.budget();
        // Files whose copies run side by side, and whose rows are one
        // transaction. The next batch is copied while the rows of one are
        // written.
        const int batchSize = 4 * workers.threads();
        const int firstNumber = ahead ? ahead->firstNumber : workers.reserveStagingNumbers(int(names.size()));
        BatchFiler filer{targetId, kind, scanDate, pool, budget, result, options, workers};
        const auto batchAt = [&](int start) {
            return stageBatch(names, start, batchSize, firstNumber, dir, root, options.copyNonImages, workers);
        };
        std::unique_ptr<Batch> current = ahead && ahead->batch ? std::move(ahead->batch) : batchAt(0);
        // The next directory is copied while the rows of this one are written.
        if (options.workers && !options.aheadDirectory.isEmpty())
            stageAhead(options.aheadDirectory, extensionList, options, batchSize);
        for (int start = 0; current && !result.cancelled; start += batchSize) {
            current->waitStaged();
            std::unique_ptr<Batch> next;
            if (start + batchSize < names.size())
                next = batchAt(start + batchSize);
            filer.file(*current);
            current = std::move(next);
        }
        // A batch copied ahead of a Cancel is not filed: its copies go with
        // the staging folder.
        current.reset();
    };
    if (options.workers) {
        // A run's failure is its caller's to report, once.
        try {
            run();
        } catch (const AppError &e) {
            result.fatal = e;
        }
    } else {
        guard(run);
    }
    // Also after a failure, so no progress window stays up.
    shown.reset();
    if ((!result.failures.isEmpty() || !result.notes.isEmpty()) && options.reportFailures)
        Prompt::instance().warning(failureMessage(result.failures, result.notes));
    return result;
}

} // namespace FileImport

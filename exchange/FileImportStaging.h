#pragma once

#include <QImage>
#include <QSemaphore>
#include <QString>
#include <QVector>

#include <exception>
#include <optional>

#include "core/RecordId.h"
#include "platform/AppError.h"

class MemoryBudget;
class QTemporaryDir;
class QThreadPool;

// The first half of Import Files, on worker threads: each image of a batch
// is copied to a staging name beside the page store and gets its thumbnail
// picture from the same bytes, while the rows of the batch before are
// written on the calling thread. The second half (the rows, putting the
// copies in place, writing the thumbnails) is FileImport's.
namespace FileImportStaging {

// One file of a batch on its way in.
struct Item
{
    QString name;
    QString source;
    qint64 size = 0;
    bool image = false;
    QString staged;            // the copy waiting for its row
    std::optional<AppError> copyError;
    QImage thumbnail;          // the copy's thumbnail picture, when it could be made
    QString note;              // filed with this warning (an image that ends early)
    // Set once its rows are written.
    RecordId pageId = 0;
    RecordId createdDocument = 0;
    bool placed = false;       // the image's copy was put in the page store
    QString placedPath;        // the copy put in the page store ("" for none)
};

// The staging folder's subfolders, which its copies are spread over: the
// workers write several copies at once, and files made in one folder wait
// for each other on its lock.
constexpr int kStagingFolders = 16;
// Where copy number index goes within the staging folder.
QString stagedName(int index);

// Reads what an item needs before its copy: the file must lie inside the
// tree at root once links are resolved and open for reading as a regular
// file, whose size then bounds every read of it. An image gets its staging
// name (stagedName(index) within staging), and so does any other file
// when copyNonImages. The reason when it may not or cannot be read.
std::optional<QString> prepare(Item &item, const QString &directory, const QString &root,
                               const QTemporaryDir &staging, int index, bool copyNonImages);

// Runs work (returning an optional AppError) on a worker thread, where
// nothing may escape; the program's own calls never throw, so only an
// allocation failure can get here.
template<typename Work>
std::optional<AppError> onWorker(const QString &name, Work work)
{
    try {
        return work();
    } catch (const std::exception &e) {
        return AppError(ErrorCode::Unexpected, QStringLiteral("%1: %2").arg(name, QString::fromLocal8Bit(e.what())));
    }
}

// The files of one batch, staged on the worker threads: their copies and
// thumbnail pictures. Destroyed only once every copy of it has ended.
class Batch
{
public:
    explicit Batch(QVector<Item> items) : m_items(std::move(items)) {}
    ~Batch() { waitStaged(); }
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;

    QVector<Item> &items() { return m_items; }

    // Starts the copies of the images that have a staging name on the
    // pool; a copy that fails, and an image that cannot be decoded, set
    // its item's copyError. Each whole read and thumbnail decode first
    // takes its bytes from budget, which must outlive the copies.
    void startStaging(QThreadPool &pool, MemoryBudget &budget);
    // Returns when every copy started has ended.
    void waitStaged();

private:
    QVector<Item> m_items;
    QSemaphore m_staged;
    int m_pending = 0;
};

} // namespace FileImportStaging

#include "FileImportStaging.h"

#include <algorithm>

#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>

#include "Common.h"
#include "FileCopier.h"
#include "FileImport.h"
#include "ThumbnailMaker.h"

namespace {

using FileImportStaging::Item;

// An image up to this size is read into memory once for both its copy and
// its thumbnail; a larger one is copied in chunks and its thumbnail read
// back from the copy.
constexpr qint64 kReadWholeLimit = 64 * 1024 * 1024;

// The whole content of a file, or why it could not be read.
std::optional<DbError> readWhole(const QString &path, qint64 sizeHint, QByteArray *bytes)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return fileError(in, path);
    bytes->resize(std::max<qint64>(sizeHint, 0));
    qint64 have = 0;
    for (;;) {
        // A file that grew since it was listed is read to its end.
        if (have == bytes->size())
            bytes->resize(std::max<qint64>(2 * have, 1 << 16));
        const qint64 got = in.read(bytes->data() + have, bytes->size() - have);
        if (got < 0)
            return fileError(in, path);
        if (got == 0)
            break;
        have += got;
    }
    bytes->truncate(have);
    return std::nullopt;
}

// Copies an image to its staging name and makes its thumbnail picture from
// the same bytes, so the file is read once. A thumbnail that cannot be
// made is not a failure of the copy.
std::optional<DbError> stage(Item &item)
{
    if (item.size > kReadWholeLimit) {
        if (auto error = FileImport::CopyFile(item.source, item.staged))
            return error;
        // On the disk before its row can commit, flushed here on the worker.
        if (auto error = FileCopier::syncFile(item.staged))
            return error;
        if (item.image)
            item.thumbnail = ThumbnailMaker::readThumbnail(item.staged).image;
        return std::nullopt;
    }
    QByteArray bytes;
    if (auto error = readWhole(item.source, item.size, &bytes))
        return error;
    // A failed write leaves no partial file.
    const FileCopier::Result written = FileCopier::system().writeFile(item.staged, bytes);
    if (!written.ok())
        return written.error;
    if (auto error = FileCopier::syncFile(item.staged))
        return error;
    if (item.image)
        item.thumbnail = ThumbnailMaker::readThumbnail(bytes, item.source).image;
    return std::nullopt;
}

} // namespace

namespace FileImportStaging {

std::optional<QString> prepare(Item &item, const QString &directory, const QTemporaryDir &staging, int index,
                               bool copyNonImages)
{
    item.source = directory + item.name;
    QFile file(item.source);
    if (!file.open(QIODevice::ReadOnly))
        return fileError(file, item.source).text;
    item.size = file.size();
    file.close();
    item.image = !Common::IsNonImageFile(item.source);
    if (item.image || copyNonImages)
        item.staged = staging.filePath(QString::number(index));
    return std::nullopt;
}

void Batch::startStaging(QThreadPool &pool)
{
    for (Item &item : m_items) {
        if (item.staged.isEmpty() || item.copyError)
            continue;
        ++m_pending;
        Item *one = &item;
        pool.start([one, this] {
            one->copyError = onWorker(one->source, [one] { return stage(*one); });
            m_staged.release();
        });
    }
}

void Batch::waitStaged()
{
    m_staged.acquire(m_pending);
    m_pending = 0;
}

} // namespace FileImportStaging

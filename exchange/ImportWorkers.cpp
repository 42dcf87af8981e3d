#include "exchange/ImportWorkers.h"

#include <algorithm>
#include <malloc.h>
#include <optional>
#include <utility>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "exchange/FileImport.h"
#include "exchange/FileImportStaging.h"
#include "platform/DataFolder.h"

ImportWorkers::ImportWorkers(int threads, qint64 memoryBudget)
    : m_budget(memoryBudget > 0 ? memoryBudget : FileImport::DefaultMemoryBudget)
{
    m_pool.setMaxThreadCount(std::max(1, threads > 0 ? threads : QThread::idealThreadCount()));
    // Blocks of a MB and more (whole-file reads, a decoder's coefficient
    // rows) are mapped and unmapped on their own. Otherwise glibc raises its
    // threshold after the first such block is freed and serves the next ones
    // from each worker thread's heap, where freed blocks stay resident: more
    // threads would then hold more memory than the budget admits.
#ifdef __GLIBC__
    ::mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
#endif
}

ImportWorkers::~ImportWorkers()
{
    dropAhead();
    m_pool.waitForDone();
    // The whole-file reads of a few MB each raise glibc's mmap threshold,
    // so later ones come from the heaps of the worker threads, which keep
    // them after they are freed: without this the program would stay
    // hundreds of MB larger.
#ifdef __GLIBC__
    ::malloc_trim(0);
#endif
}

const QTemporaryDir &ImportWorkers::staging()
{
    if (m_staging)
        return *m_staging;
    const QString pages = DataFolder::pagesFolder();
    QDir().mkpath(pages);
    auto staging = std::make_unique<QTemporaryDir>(pages + QLatin1Char('/') + DataFolder::ImportStagingPrefix
                                                   + QStringLiteral("XXXXXX"));
    if (!staging->isValid())
        throw AppError(ErrorCode::DataFolderUnwritable, QStringLiteral("%1: %2").arg(pages, staging->errorString()));
    for (int i = 0; i < FileImportStaging::kStagingFolders; ++i) {
        const QString folder = staging->filePath(QString::number(i));
        if (!QDir().mkdir(folder))
            throw AppError(ErrorCode::DataFolderUnwritable, QStringLiteral("%1: The folder cannot be made.").arg(folder));
    }
    m_staging = std::move(staging);
    return *m_staging;
}

int ImportWorkers::reserveStagingNumbers(int count)
{
    const int first = m_stagingNumbers;
    m_stagingNumbers += count;
    return first;
}

void ImportWorkers::keepAhead(Ahead ahead)
{
    dropAhead();
    m_ahead = std::move(ahead);
}

std::optional<ImportWorkers::Ahead> ImportWorkers::takeAhead(const QString &directory, const QString &extensionList)
{
    if (!m_ahead || m_ahead->directory != directory || m_ahead->extensionList != extensionList)
        return std::nullopt;
    return std::exchange(m_ahead, std::nullopt);
}

void ImportWorkers::dropAhead()
{
    if (m_ahead && m_ahead->batch) {
        m_ahead->batch->waitStaged();
        for (const FileImportStaging::Item &item : m_ahead->batch->items()) {
            if (!item.staged.isEmpty())
                QFile::remove(item.staged);
        }
    }
    m_ahead.reset();
}

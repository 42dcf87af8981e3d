#pragma once

#include <QStringList>
#include <QThreadPool>

#include <memory>
#include <optional>

#include "exchange/FileImportStaging.h"
#include "exchange/MemoryBudget.h"

class QTemporaryDir;

// The worker threads, the memory budget and the staging folder of Import
// Files. A run of imports (the cabinet tree import, one directory after
// another) shares one: no import starts and ends threads of its own, and
// the thumbnails of one directory are written while the next one is
// copied.
class ImportWorkers
{
public:
    // threads 0: one per core; memoryBudget 0: FileImport's default.
    explicit ImportWorkers(int threads = 0, qint64 memoryBudget = 0);
    // Waits for the work still running and hands the heap it freed back.
    ~ImportWorkers();
    ImportWorkers(const ImportWorkers &) = delete;
    ImportWorkers &operator=(const ImportWorkers &) = delete;

    QThreadPool &pool() { return m_pool; }
    MemoryBudget &budget() { return m_budget; }
    int threads() const { return m_pool.maxThreadCount(); }
    // Returns once every piece of work started has ended.
    void waitForDone() { m_pool.waitForDone(); }

    // The folder the copies wait in for their rows, in the page store (so
    // that putting one in place is a rename), made on first use and
    // removed with whatever is left in it when the workers go. Throws
    // AppError.
    const QTemporaryDir &staging();
    // The first of count numbers that name staged copies, none of them
    // handed out before.
    int reserveStagingNumbers(int count);

    // A directory listed and its first files staged ahead, while the rows
    // of the directory before it are written.
    struct Ahead
    {
        QString directory;
        QString extensionList;
        QStringList names;
        int firstNumber = 0;
        std::unique_ptr<FileImportStaging::Batch> batch;   // none for no files
    };
    // Keeps ahead, dropping the one kept before and its copies.
    void keepAhead(Ahead ahead);
    // What was staged ahead for the directory and list, when anything was.
    std::optional<Ahead> takeAhead(const QString &directory, const QString &extensionList);

private:
    void dropAhead();

    // Declared before the pool, whose work takes from it: the pool goes
    // first, waiting for that work; the copies staged ahead end before the
    // pool and their folder go.
    MemoryBudget m_budget;
    QThreadPool m_pool;
    std::unique_ptr<QTemporaryDir> m_staging;
    std::optional<Ahead> m_ahead;
    int m_stagingNumbers = 0;
};

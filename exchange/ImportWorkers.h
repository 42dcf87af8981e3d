#pragma once

#include <QStringList>
#include <QThreadPool>

#include <memory>
#include <optional>

#include "exchange/FileImportStaging.h"
#include "exchange/MemoryBudget.h"

class QTemporaryDir;

// The worker threads and the memory budget of Import Files, and the copies
// it placed in the page store whose rows have not committed yet. A run of
// imports (the cabinet tree import, one directory after another) shares
// one: no import starts and ends threads of its own, the thumbnails of one
// directory are written while the next one is copied, and the copies of
// many directories reach the disk together, right before the rows naming
// them commit, instead of one file at a time.
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

    // Copies moved into the page store whose rows are about to commit.
    void placed(const QStringList &paths) { m_placed += paths; }
    // Makes the placed copies durable, so that a power cut after their rows
    // commit cannot lose them: each file's bytes (fdatasync; their writing
    // began when they were staged, so this mostly waits for one commit of
    // the file system's journal), then the entries of the folders they
    // were moved into. Only these files wait, never the other writes of
    // the disk. Runs off the calling thread, whose events go on meanwhile.
    // Forgets them either way; throws DbError for the first that fails.
    void makeDurable();
    // Forgets the placed copies: their rows rolled back.
    void forget() { m_placed.clear(); }

    // The folder the copies wait in for their rows, in the page store (so
    // that putting one in place is a rename), made on first use and
    // removed with whatever is left in it when the workers go. Throws
    // DbError.
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
    QStringList m_placed;
};

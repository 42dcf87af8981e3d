#pragma once

#include <memory>

#include <QString>
#include <QVariantList>

#include "core/RecordId.h"

class PageFileWriter;
namespace DbConnection {
class Statement;
}

// Fills the open database with a large archive for measuring: cabinets,
// drawers, folders, documents and pages, each level spread evenly over the
// one above it, inserted through prepared statements in large transactions.
// Only counters are kept while it runs, so memory stays flat whatever the
// size. Every function throws AppError on a database failure.
class ArchiveGenerator
{
public:
    struct Counts
    {
        qint64 cabinets = 10;
        qint64 drawers = 1000;
        qint64 folders = 10000;
        qint64 documents = 100000;
        qint64 pages = 1000000;
    };

    struct Result
    {
        qint64 pageRows = 0;
        qint64 otherRows = 0;
        double seconds = 0;
        double pageRowsPerSecond() const { return seconds > 0 ? pageRows / seconds : 0; }
    };

    // Names of the benchmark's own branch: one cabinet, drawer and folder
    // holding one document of BenchmarkDocumentPages pages.
    static const QString BenchmarkName;
    static const QString BenchmarkDocumentName;
    static constexpr int BenchmarkDocumentPages = 1000;

    // Prepares the statements on the open database.
    ArchiveGenerator();
    ~ArchiveGenerator();

    // Also writes a page image and a thumbnail for every page inserted.
    void setWriteFiles(bool writeFiles) { m_writeFiles = writeFiles; }
    bool writesFiles() const { return m_writeFiles; }

    // Empty when the counts can be generated, else why not: no count may be
    // negative, and a level with rows needs rows in the level above.
    static QString checkCounts(const Counts &counts);

    // Inserts the whole archive, plus the benchmark branch when asked.
    // Commits every few tens of thousands of rows.
    Result generate(const Counts &counts, bool withBenchmarkDocument);

    // Single inserts, for fixtures; the caller holds the transaction.
    RecordId addCabinet(const QString &name);
    RecordId addDrawer(RecordId cabinetId, const QString &name);
    RecordId addFolder(RecordId drawerId, const QString &name);
    RecordId addDocument(RecordId folderId, const QString &name, qint64 serial);
    // Pages 1..count of a document; serial spreads the scan dates.
    void addPages(RecordId documentId, qint64 count, qint64 serial);

    // The benchmark document and the drawer above it; false when the
    // archive has none.
    static bool findBenchmarkDocument(RecordId *documentId, RecordId *drawerId);

private:
    RecordId insert(DbConnection::Statement &statement, const QVariantList &binds);

    std::unique_ptr<DbConnection::Statement> m_cabinet;
    std::unique_ptr<DbConnection::Statement> m_drawer;
    std::unique_ptr<DbConnection::Statement> m_folder;
    std::unique_ptr<DbConnection::Statement> m_document;
    std::unique_ptr<DbConnection::Statement> m_page;
    std::unique_ptr<PageFileWriter> m_files;
    bool m_writeFiles = false;
    qint64 m_rows = 0;
};

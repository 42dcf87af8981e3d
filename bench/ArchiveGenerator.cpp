#include "bench/ArchiveGenerator.h"

#include <optional>

#include <QDateTime>
#include <QElapsedTimer>

#include "bench/PageFileWriter.h"
#include "core/RecordId.h"
#include "platform/DbConnection.h"

namespace {

// Rows per transaction: large enough that commits (each one a sync to
// disk) cost nothing against the inserts, small enough that the rollback
// journal stays small.
constexpr qint64 kRowsPerCommit = 50000;

// The i-th of `parents` parents gets this many of `total` children; the
// remainder goes one each to the first parents.
qint64 share(qint64 i, qint64 total, qint64 parents)
{
    return total / parents + (i < total % parents ? 1 : 0);
}

QString numbered(const char *what, qint64 n)
{
    return QLatin1String(what) + QLatin1Char(' ') + QString::number(n);
}

// UTC: the stored text is a wall-clock time anyway, and local time would
// look up the time zone for every page, which costs more than its insert.
const QDateTime &firstScan()
{
    static const QDateTime first(QDate(2015, 1, 5), QTime(8, 0), Qt::UTC);
    return first;
}

} // namespace

const QString ArchiveGenerator::BenchmarkName = QStringLiteral("Benchmark");
const QString ArchiveGenerator::BenchmarkDocumentName = QStringLiteral("1000 pages");

ArchiveGenerator::ArchiveGenerator()
    : m_cabinet(new DbConnection::Statement(QStringLiteral(
          "INSERT INTO Cabinet (Name, [Password], Description, Storage, StoragePath)"
          " VALUES (?, '', '', 0, '')")))
    , m_drawer(new DbConnection::Statement(QStringLiteral(
          "INSERT INTO Drawer (CabinetId, Name, Description) VALUES (?, ?, '')")))
    , m_folder(new DbConnection::Statement(QStringLiteral(
          "INSERT INTO Folder (DrawerId, Name, Description, Email) VALUES (?, ?, '', '')")))
    , m_document(new DbConnection::Statement(QStringLiteral(
          "INSERT INTO Document (FolderId, Name, Description, DateOnDocument, Amount)"
          " VALUES (?, ?, '', ?, ?)")))
    , m_page(new DbConnection::Statement(QStringLiteral(
          "INSERT INTO Page (DocumentId, PageNumber, ScanDate, FileSize, Filetype, ShortcutYN)"
          " VALUES (?, ?, ?, ?, 'jpg', 'N')")))
    , m_files(new PageFileWriter)
{
}

ArchiveGenerator::~ArchiveGenerator() = default;

QString ArchiveGenerator::checkCounts(const Counts &c)
{
    if (c.cabinets < 0 || c.drawers < 0 || c.folders < 0 || c.documents < 0 || c.pages < 0)
        return QStringLiteral("A count cannot be negative.");
    if ((c.drawers > 0 && c.cabinets == 0) || (c.folders > 0 && c.drawers == 0)
        || (c.documents > 0 && c.folders == 0) || (c.pages > 0 && c.documents == 0))
        return QStringLiteral("Rows of one level need at least one row in the level above.");
    if (c.pages > 2000000000 || c.documents > 2000000000)
        return QStringLiteral("Ids are 32-bit here: at most 2,000,000,000 rows a level.");
    return {};
}

ArchiveGenerator::Result ArchiveGenerator::generate(const Counts &c, bool withBenchmarkDocument)
{
    QElapsedTimer timer;
    timer.start();
    m_rows = 0;
    qint64 pages = 0;
    qint64 drawer = 0, folder = 0, document = 0;
    qint64 committedAt = 0;
    std::optional<DbConnection::Transaction> tx;
    tx.emplace();
    for (qint64 ci = 0; ci < c.cabinets; ++ci) {
        const RecordId cabinetId = addCabinet(numbered("Cabinet", ci + 1));
        const qint64 drawers = share(ci, c.drawers, c.cabinets);
        for (qint64 di = 0; di < drawers; ++di, ++drawer) {
            const RecordId drawerId = addDrawer(cabinetId, numbered("Drawer", di + 1));
            const qint64 folders = share(drawer, c.folders, c.drawers);
            for (qint64 fi = 0; fi < folders; ++fi, ++folder) {
                const RecordId folderId = addFolder(drawerId, numbered("Folder", fi + 1));
                const qint64 documents = share(folder, c.documents, c.folders);
                for (qint64 ni = 0; ni < documents; ++ni, ++document) {
                    const RecordId documentId = addDocument(folderId, numbered("Document", ni + 1), document);
                    const qint64 count = share(document, c.pages, c.documents);
                    addPages(documentId, count, document);
                    pages += count;
                    if (m_rows - committedAt >= kRowsPerCommit) {
                        tx->commit();
                        tx.emplace();
                        committedAt = m_rows;
                    }
                }
            }
        }
    }
    if (withBenchmarkDocument) {
        const RecordId cabinetId = addCabinet(BenchmarkName);
        const RecordId drawerId = addDrawer(cabinetId, BenchmarkName);
        const RecordId folderId = addFolder(drawerId, BenchmarkName);
        const RecordId documentId = addDocument(folderId, BenchmarkDocumentName, document);
        addPages(documentId, BenchmarkDocumentPages, document);
        pages += BenchmarkDocumentPages;
    }
    tx->commit();
    return Result{pages, m_rows - pages, timer.nsecsElapsed() / 1e9};
}

RecordId ArchiveGenerator::addCabinet(const QString &name)
{
    return insert(*m_cabinet, {name});
}

RecordId ArchiveGenerator::addDrawer(RecordId cabinetId, const QString &name)
{
    return insert(*m_drawer, {cabinetId, name});
}

RecordId ArchiveGenerator::addFolder(RecordId drawerId, const QString &name)
{
    return insert(*m_folder, {drawerId, name});
}

RecordId ArchiveGenerator::addDocument(RecordId folderId, const QString &name, qint64 serial)
{
    const QDate date = firstScan().date().addDays(serial / 200);
    const double amount = double(serial % 4000) * 1.25;
    return insert(*m_document, {folderId, name, date.toString(Qt::ISODate), amount});
}

void ArchiveGenerator::addPages(RecordId documentId, qint64 count, qint64 serial)
{
    // One document is scanned every quarter of an hour, a page every 7 s.
    const QDateTime scanned = firstScan().addSecs(serial * 900);
    for (qint64 n = 1; n <= count; ++n) {
        const QString scanDate = scanned.addSecs(n * 7).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        // Without files the size is made up: 60-300 kB, like scanned pages.
        const qint64 size = m_writeFiles ? m_files->pageFileSize()
                                         : 60000 + (serial * 7919 + n * 104729) % 240000;
        const RecordId pageId = insert(*m_page, {documentId, n, scanDate, size});
        QString error;
        if (m_writeFiles && !m_files->writePage(pageId, &error))
            throw AppError(-1, error);
    }
}

bool ArchiveGenerator::findBenchmarkDocument(RecordId *documentId, RecordId *drawerId)
{
    const Recordset rs = DbConnection::OpenRecordset(QStringLiteral(
        "SELECT d.DocumentId, f.DrawerId FROM Cabinet c"
        " JOIN Drawer r ON r.CabinetId = c.CabinetId AND r.Name = ?"
        " JOIN Folder f ON f.DrawerId = r.DrawerId AND f.Name = ?"
        " JOIN Document d ON d.FolderId = f.FolderId AND d.Name = ?"
        " WHERE c.Name = ? ORDER BY d.DocumentId LIMIT 1"),
        {BenchmarkName, BenchmarkName, BenchmarkDocumentName, BenchmarkName});
    if (rs.isEmpty())
        return false;
    *documentId = rs.value(0, 0).toLongLong();
    *drawerId = rs.value(0, 1).toLongLong();
    return true;
}

RecordId ArchiveGenerator::insert(DbConnection::Statement &statement, const QVariantList &binds)
{
    statement.run(binds);
    ++m_rows;
    // run() has just read the id; asking the statement again costs a second call.
    return DbConnection::lastInsertId();
}

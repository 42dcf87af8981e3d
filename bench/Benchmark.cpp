// vlm_bench: times the store's hot paths on an archive made by
// vlm_bench_generate and prints one line per figure with its target.
// Every change it makes to the archive is undone or left equivalent, so it
// can run again and again on the same folder.

#include <cstdio>
#include <vector>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "bench/ArchiveGenerator.h"
#include "bench/BenchTiming.h"
#include "bench/DeleteBenchmark.h"
#include "core/RecordId.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/Database.h"
#include "store/Repagination.h"

using namespace BenchTiming;

namespace {

constexpr int kPages = ArchiveGenerator::BenchmarkDocumentPages;

// Opening the program's connection and checking the schema version, as
// every start of vlm does. The first run also loads Qt's SQLite driver.
void benchOpen(int runs)
{
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const Stopwatch watch;
        Database::OpenDatabase();
        Database::UpdateDatabase();
        samples.push_back(watch.elapsedMs());
        if (i + 1 < runs)
            DbConnection::close();
    }
    const double m = median(samples);
    printLine(QStringLiteral("open+upgrade-check: %1 median of %2 (first, with driver load: %3)"
                             " (target < 50 ms)%4")
                  .arg(ms(m)).arg(runs).arg(ms(samples.front())).arg(verdict(m < 50)));
}

// The page list of a document, read as the page pane reads it.
void benchRead(RecordId documentId, int runs)
{
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const Stopwatch watch;
        const Recordset rs = DbConnection::OpenRecordset(
            QStringLiteral("SELECT * FROM Page WHERE DocumentId=? ORDER BY PageNumber, PageId"), {documentId});
        samples.push_back(watch.elapsedMs());
        if (rs.recordCount() != kPages)
            throw AppError(-1, QStringLiteral("The benchmark document has %1 pages, not %2.")
                                  .arg(rs.recordCount()).arg(kPages));
    }
    const double m = median(samples);
    printLine(QStringLiteral("read %1 page rows: %2 median of %3 (target < 5 ms)%4")
                  .arg(count(kPages), ms(m)).arg(runs).arg(verdict(m < 5)));
}

// Before each run the pages get even numbers in reverse order, so every
// row must be renumbered and the order really changes; afterwards the
// document is back to 1..n, as a repaginated document is.
void benchRepaginate(RecordId documentId, int runs)
{
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        DbConnection::execute(QStringLiteral("UPDATE Page SET PageNumber = 2 * (? + 1 - PageNumber)"
                                             " WHERE DocumentId = ?"), {kPages, documentId});
        const Stopwatch watch;
        const bool done = Repagination::RepaginateDocument(documentId, ArchiveGenerator::BenchmarkDocumentName);
        samples.push_back(watch.elapsedMs());
        const Recordset rs = DbConnection::OpenRecordset(QStringLiteral(
            "SELECT count(DISTINCT PageNumber), min(PageNumber), max(PageNumber) FROM Page WHERE DocumentId = ?"),
            {documentId});
        if (!done || rs.value(0, 0).toInt() != kPages || rs.value(0, 1).toInt() != 1
            || rs.value(0, 2).toInt() != kPages)
            throw AppError(-1, QStringLiteral("Repagination did not number the pages 1..%1.").arg(kPages));
    }
    const double m = median(samples);
    printLine(QStringLiteral("repaginate %1-page document: %2 median of %3 (target < 30 ms)%4")
                  .arg(count(kPages), ms(m)).arg(runs).arg(verdict(m < 30)));
}

// Runs work on a fresh database in a scratch data folder beside the
// archive, with the main connection closed for it and left closed.
template<typename Work>
void inScratchArchive(const QString &pattern, Work work)
{
    DbConnection::close();
    QTemporaryDir scratch(DataFolder::filePath(pattern));
    if (!scratch.isValid())
        throw AppError(-1, QStringLiteral("Cannot make a scratch folder: %1").arg(scratch.errorString()));
    const QByteArray archive = qgetenv("VLM_DATA_DIR");
    qputenv("VLM_DATA_DIR", scratch.path().toLocal8Bit());
    try {
        Database::OpenDatabase();
        Database::UpdateDatabase();
        work();
    } catch (...) {
        DbConnection::close();
        qputenv("VLM_DATA_DIR", archive);
        throw;
    }
    DbConnection::close();
    qputenv("VLM_DATA_DIR", archive);
}

constexpr int kRenumberPages = 5000;

// The renumbering statement as the sqlite3 program runs it, with the
// document's id written in.
QString renumberStatement(RecordId documentId)
{
    return QStringLiteral("UPDATE Page SET PageNumber = ordered.n"
                          " FROM (SELECT PageId, ROW_NUMBER() OVER (ORDER BY PageNumber, PageId) AS n"
                          " FROM Page WHERE DocumentId = %1) AS ordered"
                          " WHERE Page.PageId = ordered.PageId AND Page.PageNumber IS NOT ordered.n")
        .arg(documentId);
}

// Even numbers in reverse order: every page must move.
void shufflePages(RecordId documentId)
{
    DbConnection::execute(QStringLiteral("UPDATE Page SET PageNumber = 2 * (? + 1 - PageNumber) WHERE DocumentId = ?"),
                          {kRenumberPages, documentId});
}

void checkNumbered(RecordId documentId, const QString &who)
{
    const Recordset rs = DbConnection::OpenRecordset(QStringLiteral(
        "SELECT count(DISTINCT PageNumber), min(PageNumber), max(PageNumber) FROM Page WHERE DocumentId = ?"),
        {documentId});
    if (rs.value(0, 0).toInt() != kRenumberPages || rs.value(0, 1).toInt() != 1
        || rs.value(0, 2).toInt() != kRenumberPages)
        throw AppError(-1, QStringLiteral("%1 did not number the pages 1..%2.").arg(who).arg(kRenumberPages));
}

double timeSqlite3Renumber(RecordId documentId)
{
    QProcess p;
    const Stopwatch watch;
    p.start(QStringLiteral("sqlite3"), {Database::databaseFile(), renumberStatement(documentId)});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw AppError(-1, QStringLiteral("sqlite3 failed: %1").arg(QString::fromLocal8Bit(p.readAllStandardError())));
    return watch.elapsedMs();
}

// Renumber Pages on a document of 5,000 pages against the same single
// statement in the sqlite3 program (its process start included), each
// run on the same shuffled numbers. In a scratch database, so the
// archive is never touched.
void benchRenumber(int runs)
{
    inScratchArchive(QStringLiteral("bench-renumber-XXXXXX"), [runs] {
        DbConnection::execute(QStringLiteral("INSERT INTO Document (FolderId, Name) VALUES (1, 'Renumber')"));
        const RecordId documentId = DbConnection::lastInsertId();
        {
            DbConnection::Transaction tx;
            DbConnection::Statement insert(QStringLiteral("INSERT INTO Page (DocumentId, PageNumber) VALUES (?, ?)"));
            for (int n = 1; n <= kRenumberPages; ++n)
                insert.run({documentId, n});
            tx.commit();
        }
        std::vector<double> tool, cli;
        for (int i = 0; i < runs; ++i) {
            shufflePages(documentId);
            cli.push_back(timeSqlite3Renumber(documentId));
            checkNumbered(documentId, QStringLiteral("sqlite3"));
            shufflePages(documentId);
            const Stopwatch watch;
            const bool done = Repagination::RepaginateDocument(documentId, QStringLiteral("Renumber"));
            tool.push_back(watch.elapsedMs());
            if (!done)
                throw AppError(-1, QStringLiteral("Renumber Pages failed."));
            checkNumbered(documentId, QStringLiteral("Renumber Pages"));
        }
        const double t = median(tool), c = median(cli);
        printLine(QStringLiteral("renumber %1-page document: %2 vs sqlite3 running the same statement %3 = %4x,"
                                 " medians of %5 (sqlite3 runs through QProcess) (target <= 2x)%6")
                      .arg(count(kRenumberPages), ms(t), ms(c)).arg(t / c, 0, 'f', 2).arg(runs)
                      .arg(verdict(t <= 2 * c)));
    });
}

void benchDelete(RecordId drawerId, int runs)
{
    QTemporaryDir scratch(DataFolder::filePath(QStringLiteral("bench-scratch-XXXXXX")));
    if (!scratch.isValid())
        throw AppError(-1, QStringLiteral("Cannot make a scratch folder: %1").arg(scratch.errorString()));
    DeleteBenchmark bench(drawerId, scratch.path());
    bench.removeLeftovers();
    std::vector<double> deletes, rms, removes;
    for (int i = 0; i < runs; ++i) {
        const DeleteBenchmark::Sample s = bench.runOnce();
        deletes.push_back(s.deleteFolderMs);
        rms.push_back(s.rmMs);
        removes.push_back(s.removeMs);
    }
    const double d = median(deletes), r = median(rms);
    const int pages = DeleteBenchmark::Documents * DeleteBenchmark::PagesPerDocument;
    printLine(QStringLiteral("delete folder of %1 pages + %2 files: %3 vs rm -f %4 = %5x, medians of %6"
                             " (rm -f is run through QProcess, its process start included;"
                             " std::filesystem::remove in-process: %7) (target within 2x rm)%8")
                  .arg(count(pages), count(2 * pages), ms(d), ms(r), QString::number(d / r, 'f', 2))
                  .arg(runs).arg(ms(median(removes))).arg(verdict(d <= 2 * r)));
}

// A tenth of the default archive generated in a scratch data folder: the
// main connection is closed for it, so this figure comes last (with the
// renumbering, which does the same).
void benchGenerator()
{
    ArchiveGenerator::Result r;
    inScratchArchive(QStringLiteral("bench-generate-XXXXXX"), [&r] {
        ArchiveGenerator generator;
        r = generator.generate({1, 100, 1000, 10000, 100000}, false);
    });
    const double rate = r.pageRowsPerSecond();
    printLine(QStringLiteral("generator: %1 page rows/s (%2 pages in %3, in-process) (target >= 100,000 rows/s)%4")
                  .arg(count(rate), count(r.pageRows), ms(r.seconds * 1000)).arg(verdict(rate >= 100000)));
}

int fail(const QString &message)
{
    std::fprintf(stderr, "vlm_bench: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the store on an archive made by vlm_bench_generate."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("The data folder (default: $VLM_DATA_DIR)."));
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        qputenv("VLM_DATA_DIR", QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("VLM_DATA_DIR"))
        return fail(QStringLiteral("Name the data folder, or set VLM_DATA_DIR."));
    // Opening a missing database would create an empty one and time that.
    if (!QFileInfo::exists(Database::databaseFile()))
        return fail(QStringLiteral("No archive at \"%1\"; run vlm_bench_generate first.")
                        .arg(Database::databaseFile()));

    try {
        benchOpen(15);
        RecordId documentId = 0, drawerId = 0;
        if (!ArchiveGenerator::findBenchmarkDocument(&documentId, &drawerId))
            return fail(QStringLiteral("The archive has no benchmark document; generate it without"
                                       " --no-benchmark-document."));
        printLine(QStringLiteral("archive: %1 page rows in %2")
                      .arg(count(DbConnection::queryValue(QStringLiteral("SELECT count(*) FROM Page")).toDouble()),
                           DataFolder::path()));
        benchRead(documentId, 25);
        benchRepaginate(documentId, 9);
        benchDelete(drawerId, 5);
        benchRenumber(9);
        benchGenerator();
    } catch (const AppError &e) {
        return fail(e.message());
    }
    return 0;
}

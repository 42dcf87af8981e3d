// vlm_bench_tools: times the maintenance tools on an archive made by
// vlm_bench_generate. Compaction runs on copies of the archive's database
// in a scratch folder beside it, against the sqlite3 program's own
// VACUUM INTO; the link repair runs on the archive itself, without a window
// and through the tools' progress window (offscreen). It leaves the archive
// unchanged: with every page's file there (vlm_bench_generate --files) it
// finds nothing to repair, and without them the page store holds none of
// its pages' files, is not available, and every row is kept. A run that
// changes the number of pages stops the benchmark.
//   vlm_bench_tools <archive> [--runs N]

#include <cerrno>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include "bench/BenchPrompt.h"
#include "bench/BenchTiming.h"
#include "core/Progress.h"
#include "core/Prompt.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "platform/Recordset.h"
#include "store/PagePaths.h"
#include "tools/Compaction.h"
#include "tools/LinkRepair.h"
#include "tools/ToolsFiles.h"
#include "tools/ui/frmMain.h"
#include "tools/ui/frmToolsProgress.h"

using namespace BenchTiming;

namespace {

// The archive's number of pages.
qint64 pageRows()
{
    DbConnection::open(ToolsFiles::GetDbPath());
    const qint64 n = DbConnection::queryValue(QStringLiteral("SELECT COUNT(*) FROM Page")).toLongLong();
    DbConnection::close();
    return n;
}

// Whether "Pages" holds no file at all (links not followed).
bool pageStoreEmpty()
{
    QDirIterator it(DataFolder::pagesFolder(), QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    return !it.hasNext();
}

// Whether 200 pages taken at random all have their image file.
bool pageFilesPresent()
{
    DbConnection::open(ToolsFiles::GetDbPath());
    const Recordset sample = DbConnection::OpenRecordset(
        QStringLiteral("SELECT PageId, Filename FROM Page ORDER BY random() LIMIT 200"));
    DbConnection::close();
    if (sample.recordCount() == 0)
        return false;
    for (int row = 0; row < sample.recordCount(); ++row) {
        const QString path = PagePaths::GetPageFilePath(sample.value(row, 0).toLongLong(),
                                                        sample.value(row, 1).toString());
        if (!QFileInfo::exists(path))
            return false;
    }
    return true;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return 1;
}

void syncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0)
        ::close(fd);
    if (!synced)
        throw AppError(error, QStringLiteral("Cannot sync %1").arg(path));
}

// The copy is on the disk before a run starts: writing it back is no
// part of the run that follows, whichever side that is.
void copyFresh(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        throw AppError(-1, QStringLiteral("Cannot copy %1 to %2").arg(from, to));
    syncFile(to);
}

double timeSqlite3(const QString &db, const QString &target)
{
    QFile::remove(target);
    QProcess p;
    const Stopwatch watch;
    p.start(QStringLiteral("sqlite3"), {db, QStringLiteral("VACUUM INTO '%1'").arg(target)});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        throw AppError(-1, QStringLiteral("sqlite3 failed: %1").arg(QString::fromLocal8Bit(p.readAllStandardError())));
    return watch.elapsedMs();
}

// A scratch folder beside the archive, the data folder while it lives; the
// archive's own folder is the data folder again afterwards, on every path.
struct ScratchDataFolder
{
    explicit ScratchDataFolder(const QString &archiveDb)
        : dir(QFileInfo(archiveDb).absolutePath() + QStringLiteral("-tools-XXXXXX")), archive(qgetenv("VLM_DATA_DIR"))
    {
        if (!dir.isValid())
            throw AppError(-1, QStringLiteral("Cannot make a scratch folder: %1").arg(dir.errorString()));
        qputenv("VLM_DATA_DIR", QFile::encodeName(dir.path()));
    }
    ~ScratchDataFolder() { qputenv("VLM_DATA_DIR", archive); }

    QTemporaryDir dir;
    QByteArray archive;
};

// Each run compacts a fresh copy of the archive's database, so every run
// has the archive's free space to reclaim; sqlite3 gets the same copy.
void benchCompaction(const QString &archiveDb, int runs)
{
    const ScratchDataFolder scratch(archiveDb);
    const QString db = ToolsFiles::GetDbPath();
    std::vector<double> tool, cli;
    for (int i = 0; i < runs; ++i) {
        copyFresh(archiveDb, db);
        cli.push_back(timeSqlite3(db, scratch.dir.filePath(QStringLiteral("cli.mdb"))));
        QFile::remove(scratch.dir.filePath(QStringLiteral("cli.mdb")));
        const Stopwatch watch;
        const ToolResult r = Compaction::CompactDb();
        tool.push_back(watch.elapsedMs());
        if (!r.succeeded())
            throw AppError(-1, r.texts().join(QLatin1Char(' ')));
    }
    const double t = median(tool), c = median(cli);
    printLine(QStringLiteral("compact %1 MB database: %2 vs sqlite3 VACUUM INTO %3 = %4x, medians of %5"
                             " (the tool also syncs the copy and the folder; sqlite3 runs through QProcess)"
                             " (target <= 1.1x)%6")
                  .arg(QFileInfo(archiveDb).size() / 1e6, 0, 'f', 0).arg(ms(t), ms(c))
                  .arg(t / c, 0, 'f', 2).arg(runs).arg(verdict(t <= 1.1 * c)));
}

// What any compaction must do: SQLite's VACUUM INTO in this process and an
// fsync of the copy.
double timeVacuumSynced(const QString &db, const QString &target)
{
    QFile::remove(target);
    const Stopwatch watch;
    DbConnection::open(ToolsFiles::existingFileUri(db));
    DbConnection::execute(QStringLiteral("VACUUM INTO ?"), {target});
    DbConnection::close();
    syncFile(target);
    const double elapsed = watch.elapsedMs();
    QFile::remove(target);
    return elapsed;
}

// The tools' window compacting: its button, the question answered Yes,
// the run and its closing message.
double timeWindowCompaction(frmMain &window, BenchPrompt &prompt)
{
    prompt.said.clear();
    const Stopwatch watch;
    window.findChild<QPushButton *>(QStringLiteral("cmdCompactDb"))->click();
    const double elapsed = watch.elapsedMs();
    if (prompt.said.size() != 1 || !prompt.said.constFirst().startsWith(QStringLiteral("Compact database complete.")))
        throw AppError(-1, QStringLiteral("Compaction through the window: %1").arg(prompt.said.join(QLatin1Char(' '))));
    return elapsed;
}

// Compaction through the tools' window against VACUUM INTO with an fsync
// of the copy, each on a fresh copy of the archive's database; the two
// alternate so that a change in the machine's load touches both.
void benchCompactionWindow(const QString &archiveDb, int runs)
{
    const ScratchDataFolder scratch(archiveDb);
    const QString db = ToolsFiles::GetDbPath();
    BenchPrompt prompt(true, false);
    Prompt::setInstance(&prompt);
    std::vector<double> window, vacuum;
    {
        frmMain tools;
        tools.show();
        QCoreApplication::processEvents();
        for (int i = 0; i < runs; ++i) {
            copyFresh(archiveDb, db);
            vacuum.push_back(timeVacuumSynced(db, scratch.dir.filePath(QStringLiteral("copy.mdb"))));
            copyFresh(archiveDb, db);
            window.push_back(timeWindowCompaction(tools, prompt));
        }
    }
    Prompt::setInstance(nullptr);
    Progress::setView(nullptr);
    const double w = median(window), v = median(vacuum);
    printLine(QStringLiteral("compact through the tools' window: %1 vs VACUUM INTO and an fsync of the copy %2 = %3x,"
                             " medians of %4 (target <= 1.2x)%5")
                  .arg(ms(w), ms(v)).arg(w / v, 0, 'f', 2).arg(runs).arg(verdict(w <= 1.2 * v)));
}

// One run of the repair, timed; its report with the lines joined. A run
// that fails, or changes the number of pages (the archive is left as it
// was), throws.
double timeLinkRepair(qint64 pages, QString *report)
{
    const Stopwatch watch;
    const ToolResult r = LinkRepair::FixBrokenLinks();
    const double elapsed = watch.elapsedMs();
    *report = r.texts().join(QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (!r.succeeded())
        throw AppError(-1, *report);
    const qint64 after = pageRows();
    if (after != pages)
        throw AppError(-1, QStringLiteral("The link repair changed the archive: %1 pages before, %2 after (\"%3\").")
                              .arg(pages).arg(after).arg(*report));
    return elapsed;
}

// The repair as the logic alone (no progress view) and through the tools'
// progress window, which repaints and takes Cancel while it runs; the two
// alternate so that a change in the machine's load touches both.
void benchLinkRepair(int runs, bool withFiles)
{
    const qint64 pages = pageRows();
    const QString files = withFiles ? QStringLiteral("with their files")
                                    : QStringLiteral("without their files (not available, every row kept)");
    frmToolsProgress window;
    std::vector<double> logic, shown;
    QString report;
    for (int i = 0; i < runs; ++i) {
        Progress::setView(nullptr);
        logic.push_back(timeLinkRepair(pages, &report));
        Progress::setView(&window);
        shown.push_back(timeLinkRepair(pages, &report));
        Progress::setView(nullptr);
    }
    const double m = median(logic), w = median(shown);
    printLine(QStringLiteral("link repair over %1 pages %2: %3 median of %4 (\"%5\") (target < 10 s)%6")
                  .arg(count(pages), files, ms(m)).arg(runs).arg(report).arg(verdict(m < 10000)));
    printLine(QStringLiteral("link repair through its window over %1 pages %2: %3 vs the logic alone %4 = %5x,"
                             " medians of %6 (target within 1.2x and < 10 s)%7")
                  .arg(count(pages), files, ms(w), ms(m)).arg(w / m, 0, 'f', 2).arg(runs)
                  .arg(verdict(w <= 1.2 * m && w < 10000)));
}

} // namespace

int main(int argc, char **argv)
{
    // The link repair's window is shown offscreen, never on the screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    dropPlatformNotices();
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times compaction and link repair on an archive."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("The data folder (default: $VLM_DATA_DIR)."));
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Runs of each figure."), QStringLiteral("N"), QStringLiteral("3")});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        qputenv("VLM_DATA_DIR", QFile::encodeName(QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath()));
    if (qEnvironmentVariableIsEmpty("VLM_DATA_DIR"))
        return fail(QStringLiteral("Name the data folder, or set VLM_DATA_DIR."));
    const int runs = qMax(1, parser.value(QStringLiteral("runs")).toInt());
    const QString db = ToolsFiles::GetDbPath();
    if (!QFileInfo(db).isFile())
        return fail(QStringLiteral("No archive in %1: run vlm_bench_generate first.").arg(db));
    try {
        benchCompaction(db, runs);
        benchCompactionWindow(db, runs);
        // Without the page files the page store holds none of its pages'
        // files, is not available and every row is kept. A store holding
        // some files (a benchmark killed half-way) would be a store whose
        // other files were lost, and the repair would delete their rows:
        // that archive is not timed.
        const bool withFiles = pageFilesPresent();
        if (withFiles || pageStoreEmpty())
            benchLinkRepair(runs, withFiles);
        else
            printLine(QStringLiteral("link repair: skipped, \"Pages\" holds files of some pages only"
                                     " (a new archive, or one made with vlm_bench_generate --files, is timed)"));
    } catch (const AppError &e) {
        return fail(e.message());
    }
    return 0;
}

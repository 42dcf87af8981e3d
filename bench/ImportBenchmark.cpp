// vlm_bench_import: Import Files of a directory of 300-dpi A4 scans
// (ScannedPage, as another program writes them) into a folder, against
// what the same work costs with the system's tools: `cp` of the files plus
// `vipsthumbnail -s 100` of them, each spread over every core (one process
// per core, each taking an equal share of the files). The import runs into
// a new data folder every time, with the program's progress window,
// offscreen; the runs alternate with the reference so that a change in the
// machine's load falls on both.
//
// A second figure imports a few of the scans while a `dd` writes 2 GB to
// the same file system, against the same import on a quiet disk: the
// import waits only for its own files to reach the disk, so another
// program's writes should barely slow it.
//
// A third figure imports 16 progressive 600-dpi A4 scans (about 6 MB each,
// whose general decoder keeps the whole page's coefficients even for a
// thumbnail)
// and reports the process's peak memory during the import and what it
// keeps after, on 8 threads and on 16 (a machine with more cores), and the
// time against the import without a memory budget (every thread decoding
// at once).
//
//   QT_QPA_PLATFORM=offscreen vlm_bench_import [--pages N] [--runs N] [--folder F]

#include <cstdio>
#include <limits>
#include <malloc.h>
#include <unistd.h>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>

#include "bench/BenchTiming.h"
#include "bench/ScannedPage.h"
#include "core/RecordId.h"
#include "core/ui/frmProgress.h"
#include "exchange/FileImport.h"
#include "platform/DbConnection.h"
#include "store/Database.h"
#include "store/PagePaths.h"
#include "store/Records.h"
#include "store/Startup.h"

using namespace BenchTiming;

namespace {

// Runs one process per share of the files at once, each as program with
// its arguments followed by its files; milliseconds until the last ends.
double timeSpread(const QString &program, const QStringList &arguments, const QStringList &files,
                  const QProcessEnvironment &env)
{
    const int processes = qMax(1, QThread::idealThreadCount());
    std::vector<std::unique_ptr<QProcess>> running;
    const Stopwatch watch;
    for (int p = 0; p < processes; ++p) {
        QStringList share;
        for (int i = p; i < files.size(); i += processes)
            share.append(files.at(i));
        if (share.isEmpty())
            continue;
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(program, arguments + share);
        running.push_back(std::move(process));
    }
    for (const std::unique_ptr<QProcess> &process : running) {
        if (!process->waitForFinished(-1) || process->exitStatus() != QProcess::NormalExit
            || process->exitCode() != 0)
            throw AppError(-1, QStringLiteral("%1 failed: %2").arg(program, process->errorString()));
    }
    return watch.elapsedMs();
}

struct Reference
{
    double copy = 0;
    double thumbnails = 0;
    double total() const { return copy + thumbnails; }
};

Reference timeReference(const QString &vips, const QStringList &files, const QString &scratch)
{
    const QString copies = scratch + QStringLiteral("/cp");
    const QString thumbs = scratch + QStringLiteral("/vips");
    QDir(copies).removeRecursively();
    QDir(thumbs).removeRecursively();
    QDir().mkpath(copies);
    QDir().mkpath(thumbs);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    Reference reference;
    reference.copy = timeSpread(QStringLiteral("cp"), {QStringLiteral("-t"), copies}, files, env);
    // One thread per process: the processes already fill every core.
    env.insert(QStringLiteral("VIPS_CONCURRENCY"), QStringLiteral("1"));
    reference.thumbnails = timeSpread(
        vips, {QStringLiteral("-s"), QStringLiteral("100"), QStringLiteral("-o"), thumbs + QStringLiteral("/%s.jpg")},
        files, env);
    QDir(copies).removeRecursively();
    QDir(thumbs).removeRecursively();
    return reference;
}

// The process's peak and current resident memory in MB, around one import.
struct Memory
{
    double before = 0;
    double peak = 0;
    double after = 0;
};

double statusMb(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

// Starts VmHWM afresh at the current resident size.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        throw AppError(-1, QStringLiteral("Cannot reset the peak memory: %1").arg(clear.errorString()));
}

// Imports the directory into a folder of a new data folder and checks
// that every file arrived with its thumbnail. memory (when given) gets the
// resident memory before, the peak during and what is left right after.
double timeImport(const QString &directory, int files, const QString &dataFolder,
                  const FileImport::ImportOptions &options = {}, Memory *memory = nullptr)
{
    DbConnection::close();
    QDir(dataFolder).removeRecursively();
    QDir().mkpath(dataFolder);
    qputenv("VLM_DATA_DIR", QFile::encodeName(dataFolder));
    Database::OpenDatabase();
    Database::UpdateDatabase();
    const RecordId cabinetId = Records::insertCabinet(QStringLiteral("Imports"));
    const RecordId folderId = Records::insertFolder(Records::insertDrawer(cabinetId, QStringLiteral("Drawer")),
                                               QStringLiteral("Folder"));
    if (memory) {
        ::malloc_trim(0);
        resetPeak();
        memory->before = statusMb("VmRSS");
    }
    const Stopwatch watch;
    const FileImport::ImportResult result =
        FileImport::ImportFiles(folderId, directory, FileImport::TargetKind::Folder, QString(), options);
    const double elapsed = watch.elapsedMs();
    if (memory) {
        memory->peak = statusMb("VmHWM");
        memory->after = statusMb("VmRSS");
    }
    if (result.imported != files || !result.failures.isEmpty())
        throw AppError(-1, QStringLiteral("%1 of %2 files imported").arg(result.imported).arg(files));
    const Recordset pages = DbConnection::OpenRecordset(QStringLiteral("SELECT PageId FROM Page"));
    for (int row = 0; row < pages.recordCount(); ++row) {
        const RecordId pageId = pages.value(row, 0).toLongLong();
        if (QImageReader(PagePaths::GetDefaultThumbFilePath(pageId)).size() != QSize(100, 100)
            || !QFileInfo::exists(PagePaths::GetDefaultPageFilePath(pageId)))
            throw AppError(-1, QStringLiteral("Page %1 lacks its image or thumbnail").arg(pageId));
    }
    DbConnection::close();
    QDir(dataFolder).removeRecursively();
    return elapsed;
}

// A writer of about 2 GB beside the import, on the same file system,
// started on construction and stopped (its file removed) on destruction.
class BusyDisk
{
public:
    explicit BusyDisk(const QString &folder) : m_file(folder + QStringLiteral("/busy-disk.bin"))
    {
        m_dd.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        m_dd.setStandardErrorFile(QProcess::nullDevice());
        m_dd.start(QStringLiteral("dd"), {QStringLiteral("if=/dev/zero"), QStringLiteral("of=") + m_file,
                                         QStringLiteral("bs=1M"), QStringLiteral("count=2048"),
                                         QStringLiteral("conv=fdatasync")});
        if (!m_dd.waitForStarted())
            throw AppError(-1, QStringLiteral("dd could not be started: %1").arg(m_dd.errorString()));
        // Let it build up dirty pages before the import starts.
        QThread::msleep(500);
    }
    ~BusyDisk()
    {
        m_dd.kill();
        m_dd.waitForFinished(-1);
        QFile::remove(m_file);
    }

private:
    QString m_file;
    QProcess m_dd;
};

// The same import of a few scans on a quiet disk and beside a 2 GB dd,
// alternating; prints the medians and their ratio.
void timeBusyDisk(const QStringList &files, int runs, const QString &scratch)
{
    const int count = int(qMin<qsizetype>(16, files.size()));
    const QString source = scratch + QStringLiteral("/busy-source");
    QDir().mkpath(source);
    for (int i = 0; i < count; ++i)
        QFile::copy(files.at(i), source + QLatin1Char('/') + QFileInfo(files.at(i)).fileName());
    const QString data = scratch + QStringLiteral("/busy-data");
    std::vector<double> quiet, busy;
    for (int i = 0; i < runs; ++i) {
        ::sync();  // the writes of the run before are not this run's
        quiet.push_back(timeImport(source, count, data));
        BusyDisk writer(scratch);
        busy.push_back(timeImport(source, count, data));
    }
    ::sync();
    const double ratio = median(busy) / median(quiet);
    printLine(QStringLiteral("Import Files of %1 scans beside a 2 GB dd on the same disk: %2, quiet disk: %3")
                  .arg(count).arg(ms(median(busy)), ms(median(quiet))));
    printLine(QStringLiteral("ratio: beside dd / quiet = %1x, medians of %2 alternating runs (target <= 1.5x)%3")
                  .arg(QString::number(ratio, 'f', 2)).arg(runs).arg(verdict(ratio <= 1.5)));
}

// 600-dpi A4 colour scans written as progressive JPEGs (the 300-dpi page
// doubled, quality 90: about 6 MB each), kept when already there.
QStringList writeProgressive(const QString &folder, int count)
{
    QDir().mkpath(folder);
    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths.append(QStringLiteral("%1/progressive%2.jpg").arg(folder).arg(i + 1, 4, 10, QLatin1Char('0')));
    QThreadPool pool;
    for (int i = 0; i < count; ++i) {
        if (QFileInfo::exists(paths.at(i)))
            continue;
        // Written beside the folder and moved in whole, so that the folder
        // never holds a part file an import would take.
        pool.start([i, path = paths.at(i), part = folder + QStringLiteral(".part%1").arg(i)] {
            const QImage page = ScannedPage::make(i).scaled(ScannedPage::A4 * 2, Qt::IgnoreAspectRatio,
                                                            Qt::SmoothTransformation);
            QImageWriter writer(part, "jpeg");
            writer.setQuality(90);
            writer.setProgressiveScanWrite(true);
            if (writer.write(page))
                QFile::rename(part, path);
        });
    }
    pool.waitForDone();
    for (const QString &path : paths) {
        if (!QFileInfo::exists(path))
            throw AppError(-1, QStringLiteral("Cannot write %1").arg(path));
    }
    return paths;
}

// Import Files of 16 progressive 600-dpi scans on 8 and on 16 threads:
// the peak memory during the import and what stays after, and the time
// against the same import without a memory budget on 8 threads.
void measureProgressive(const QString &scratch, int runs)
{
    constexpr int kFiles = 16;
    constexpr double kPeakTarget = 400;
    const QStringList files = writeProgressive(scratch + QStringLiteral("/progressive"), kFiles);
    qint64 bytes = 0;
    for (const QString &file : files)
        bytes += QFileInfo(file).size();
    printLine(QStringLiteral("files: %1 progressive A4 JPEGs of %2x%3 at 600 dpi, %4 MB in all")
                  .arg(kFiles).arg(ScannedPage::A4.width() * 2).arg(ScannedPage::A4.height() * 2)
                  .arg(bytes / (1024 * 1024)));
    const QString source = QFileInfo(files.constFirst()).absolutePath();
    const QString data = scratch + QStringLiteral("/progressive-data");
    FileImport::ImportOptions unbounded;
    unbounded.threads = 8;
    unbounded.memoryBudget = std::numeric_limits<qint64>::max();
    timeImport(source, kFiles, data, unbounded);  // reads the files into the cache
    for (const int threads : {8, 16}) {
        FileImport::ImportOptions budgeted;
        budgeted.threads = threads;
        std::vector<double> times, reference;
        Memory worst;
        for (int i = 0; i < runs; ++i) {
            Memory memory;
            times.push_back(timeImport(source, kFiles, data, budgeted, &memory));
            if (memory.peak >= worst.peak)
                worst = memory;
            Memory unboundedMemory;
            reference.push_back(timeImport(source, kFiles, data, unbounded, &unboundedMemory));
            if (i == 0 && threads == 8)
                printLine(QStringLiteral("without a memory budget, 8 threads: peak %1 MB (VmHWM, from %2 MB)")
                              .arg(qRound(unboundedMemory.peak)).arg(qRound(unboundedMemory.before)));
        }
        printLine(QStringLiteral("Import Files of %1 progressive scans, %2 threads: peak %3 MB (VmHWM, from %4 MB), "
                                 "RSS after %5 MB (target peak <= %6 MB)%7")
                      .arg(kFiles).arg(threads).arg(qRound(worst.peak)).arg(qRound(worst.before))
                      .arg(qRound(worst.after)).arg(kPeakTarget).arg(verdict(worst.peak <= kPeakTarget)));
        const double ratio = median(times) / median(reference);
        printLine(QStringLiteral("time: %1 against %2 without a memory budget on 8 threads = %3x, medians of %4 "
                                 "alternating runs (target <= 1.2x)%5")
                      .arg(ms(median(times)), ms(median(reference)), QString::number(ratio, 'f', 2))
                      .arg(runs).arg(verdict(ratio <= 1.2)));
    }
}

int fail(const QString &message)
{
    std::fprintf(stderr, "vlm_bench_import: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir scratch;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("config"))));
    QApplication app(argc, argv);
    dropPlatformNotices();
    Startup::initApplication();
    const Options options = parseOptions(app, QStringLiteral("Times Import Files against cp and vipsthumbnail."),
                                         1000, 3, QStringLiteral("Keep the scans in this folder and reuse them."));
    const int count = options.pages;
    const int runs = options.runs;
    const QString scans = !options.folder.isEmpty() ? options.folder : scratch.filePath(QStringLiteral("scans"));
    const QString vips = QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail"));
    if (vips.isEmpty())
        return fail(QStringLiteral("vipsthumbnail is not installed (libvips-tools, see scripts/deps)."));
    QDir().mkpath(scans);
    try {
        frmProgress::install();
        // First, while the process is still small.
        measureProgressive(scratch.path(), runs);
        // Only the scans of this run's count, in case the folder holds more.
        const QStringList files =
            ScannedPage::write(scans, count, ScannedPage::Writer::Foreign, QThread::idealThreadCount(), QStringLiteral("scan"));
        const QString source = scratch.filePath(QStringLiteral("source"));
        QDir().mkpath(source);
        // Hard links (copies across file systems): the import refuses a
        // symbolic link that leads out of the folder it imports.
        for (const QString &file : files) {
            const QString name = source + QLatin1Char('/') + QFileInfo(file).fileName();
            if (QFileInfo::exists(name))
                continue;
            if (::link(QFile::encodeName(file).constData(), QFile::encodeName(name).constData()) != 0
                && !QFile::copy(file, name))
                throw AppError(-1, QStringLiteral("Cannot place %1 in %2").arg(file, source));
        }
        qint64 bytes = 0;
        for (const QString &file : files)
            bytes += QFileInfo(file).size();
        printLine(QStringLiteral("files: %1 A4 JPEGs of %2x%3 at %4 dpi, %5 MB in all; %6 cores")
                      .arg(count).arg(ScannedPage::A4.width()).arg(ScannedPage::A4.height()).arg(ScannedPage::Dpi)
                      .arg(bytes / (1024 * 1024)).arg(QThread::idealThreadCount()));
        // A first pass of each reads the files into the cache and loads
        // the programs and libraries.
        const QString data = scratch.filePath(QStringLiteral("data"));
        timeReference(vips, files, scratch.path());
        timeImport(source, count, data);
        std::vector<double> copies, thumbnails, references, imports;
        for (int i = 0; i < runs; ++i) {
            const Reference reference = timeReference(vips, files, scratch.path());
            copies.push_back(reference.copy);
            thumbnails.push_back(reference.thumbnails);
            references.push_back(reference.total());
            imports.push_back(timeImport(source, count, data));
        }
        const double referenceMs = median(references);
        const double importMs = median(imports);
        printLine(QStringLiteral("reference: cp %1 + vipsthumbnail -s 100 %2 = %3, one process per core")
                      .arg(ms(median(copies)), ms(median(thumbnails)), ms(referenceMs)));
        printLine(QStringLiteral("Import Files into a folder: %1 (%2 per file)")
                      .arg(ms(importMs), ms(importMs / count)));
        const double ratio = importMs / referenceMs;
        printLine(QStringLiteral("ratio: import / reference = %1x, medians of %2 alternating runs (target <= 1.2x)%3")
                      .arg(QString::number(ratio, 'f', 2)).arg(runs).arg(verdict(ratio <= 1.2)));
        timeBusyDisk(files, runs, scratch.path());
    } catch (const AppError &e) {
        DbConnection::close();
        return fail(e.message());
    }
    DbConnection::close();
    return 0;
}

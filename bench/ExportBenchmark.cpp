// vlm_bench_export: the cabinet export and the cabinet tree import against
// `cp -r` of the same page files followed by a sync of the copies. It makes
// its own data folder in a scratch folder: one cabinet of 10 drawers, 100
// folders, 1,000 documents and 10,000 pages with small stand-in page files
// (and thumbnails), then times, run after run, the copy and its sync, the
// export of the cabinet and the import of the exported tree into a new
// cabinet. Not a test: timings belong on a developer's machine.
//   vlm_bench_export [scratch-folder] [--runs N]

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>

#include "bench/ArchiveGenerator.h"
#include "bench/BenchPrompt.h"
#include "bench/BenchTiming.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "exchange/CabinetExport.h"
#include "exchange/CabinetImport.h"
#include "exchange/FileCopier.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/Database.h"
#include "store/Deletes.h"
#include "store/Records.h"

using namespace BenchTiming;

namespace {

constexpr int kFanOut = 10;   // drawers, folders per drawer, documents per folder, pages per document

RecordId buildCabinet()
{
    ArchiveGenerator generator;
    generator.setWriteFiles(true);
    DbConnection::Transaction tx;
    const RecordId cabinet = generator.addCabinet(QStringLiteral("Export bench"));
    qint64 serial = 0;
    for (int d = 1; d <= kFanOut; ++d) {
        const RecordId drawer = generator.addDrawer(cabinet, QStringLiteral("Drawer %1").arg(d));
        for (int f = 1; f <= kFanOut; ++f) {
            const RecordId folder = generator.addFolder(drawer, QStringLiteral("Folder %1").arg(f));
            for (int g = 1; g <= kFanOut; ++g) {
                const RecordId document = generator.addDocument(folder, QStringLiteral("Document %1").arg(g), ++serial);
                generator.addPages(document, kFanOut, serial);
            }
        }
    }
    tx.commit();
    return cabinet;
}

// Starts every timing from clean caches of written data, so no run pays
// for the writeback of the one before.
void settle()
{
    ::sync();
}

// The anchor: `cp -r` of the page files, then a sync of every file and
// folder of the copy, as the export ends with. cp alone leaves its files to
// the kernel's writeback, and how much of that it has done when cp ends
// swings from run to run; the export syncs what it wrote and the import
// syncs every page before its commit, so the anchor's copy reaches the
// disk too.
double timeCopyAndSync(const QString &from, const QString &to)
{
    settle();
    QProcess p;
    const Stopwatch watch;
    p.start(QStringLiteral("cp"), {QStringLiteral("-r"), from, to});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        throw AppError(-1, QStringLiteral("cp failed: %1").arg(QString::fromLocal8Bit(p.readAllStandardError())));
    QStringList files;
    QStringList folders{to};
    for (QDirIterator it(to, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        it.next();
        (it.fileInfo().isDir() ? folders : files) << it.filePath();
    }
    if (const auto failed = FileCopier::system().sync(files, folders))
        throw *failed;
    return watch.elapsedMs();
}

int fail(const QString &message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return 1;
}

// "3230 ms (3127–3376)": the median and the spread of the runs.
QString medianAndSpread(const std::vector<double> &samples)
{
    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    return QStringLiteral("%1 (%2–%3)").arg(ms(median(samples))).arg(*low, 0, 'f', 0).arg(*high, 0, 'f', 0);
}

void report(const QString &what, const std::vector<double> &ours, const std::vector<double> &anchor, double target)
{
    const double ratio = median(ours) / median(anchor);
    printLine(QStringLiteral("%1 10,000 pages: %2 vs cp -r and sync %3 = %4x, medians (min–max) of %5 alternating"
                             " runs (target <= %6x)%7")
                  .arg(what, medianAndSpread(ours), medianAndSpread(anchor))
                  .arg(ratio, 0, 'f', 2)
                  .arg(ours.size())
                  .arg(target, 0, 'f', 1)
                  .arg(verdict(ratio <= target)));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the cabinet export and import against cp -r and a sync."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("Where the scratch folder goes (default /tmp)."));
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Runs of each figure."), QStringLiteral("N"), QStringLiteral("5")});
    parser.process(app);
    const QString base = parser.positionalArguments().value(0, QStringLiteral("/tmp"));
    const int runs = qMax(1, parser.value(QStringLiteral("runs")).toInt());
    QTemporaryDir scratch(base + QStringLiteral("/vellumark-export-XXXXXX"));
    if (!scratch.isValid())
        return fail(QStringLiteral("Cannot make a scratch folder in %1: %2").arg(base, scratch.errorString()));
    qputenv("VLM_DATA_DIR", QFile::encodeName(scratch.filePath(QStringLiteral("data"))));
    // Answers nothing; the end messages would only clutter the figures.
    BenchPrompt prompt(false, true);
    Prompt::setInstance(&prompt);
    try {
        QString error;
        if (!DataFolder::ensure(&error))
            return fail(error);
        Database::OpenDatabase();
        Database::UpdateDatabase();
        const RecordId cabinet = buildCabinet();
        std::vector<double> anchor, exported, imported;
        // The three alternate, so a slow spell of the disk falls on all of them.
        for (int run = 1; run <= runs; ++run) {
            anchor.push_back(timeCopyAndSync(DataFolder::pagesFolder(),
                                             scratch.filePath(QStringLiteral("cp%1").arg(run))));
            const QString dest = scratch.filePath(QStringLiteral("export%1").arg(run));
            settle();
            Stopwatch exportWatch;
            const CabinetExport::ExportResult result = CabinetExport::ExportCabinet(cabinet, dest);
            exported.push_back(exportWatch.elapsedMs());
            if (result.PagesCopied != kFanOut * kFanOut * kFanOut * kFanOut || result.failed)
                return fail(QStringLiteral("The export copied %1 pages.").arg(result.PagesCopied));
            const RecordId target = Records::insertCabinet(QStringLiteral("Imported %1").arg(run));
            settle();
            Stopwatch importWatch;
            CabinetImport::ImportCabinetTree(target, dest + QStringLiteral("/Export bench"), 1);
            imported.push_back(importWatch.elapsedMs());
            const int pages = Deletes::CountCabinetPages(target);
            if (pages != kFanOut * kFanOut * kFanOut * kFanOut)
                return fail(QStringLiteral("The import filed %1 pages.").arg(pages));
            // The imported cabinet stays until the scratch folder goes: a
            // new file on ext4 passes over the inodes freed in the last
            // minutes, so deleting its 20,000 files here made the next
            // run's cp -r slower by up to half.
        }
        report(QStringLiteral("export"), exported, anchor, 1.2);
        report(QStringLiteral("import"), imported, anchor, 1.5);
        printLine(QStringLiteral("(the export includes its final sync of what it wrote; the import syncs every page file, makes"
                                 " every page's thumbnail and commits its rows)"));
    } catch (const AppError &e) {
        return fail(e.message());
    }
    DbConnection::close();
    Prompt::setInstance(nullptr);
    return 0;
}

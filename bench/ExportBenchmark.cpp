// vlm_bench_export: the cabinet export and the cabinet tree import against
// `cp -r` of the same page files. It makes its own data folder in a
// scratch folder: one cabinet of 10 drawers, 100 folders, 1,000 documents
// and 10,000 pages with small stand-in page files (and thumbnails), then
// times, run after run, `cp -r` of its Pages folder, the export of the
// cabinet and the import of the exported tree into a new cabinet. Not a
// test: timings belong on a developer's machine.
//   vlm_bench_export [scratch-folder] [--runs N]

#include <cstdio>
#include <unistd.h>
#include <vector>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "bench/ArchiveGenerator.h"
#include "bench/BenchPrompt.h"
#include "bench/BenchTiming.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "exchange/CabinetExport.h"
#include "exchange/CabinetImport.h"
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

double timeCp(const QString &from, const QString &to)
{
    settle();
    QProcess p;
    const Stopwatch watch;
    p.start(QStringLiteral("cp"), {QStringLiteral("-r"), from, to});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        throw AppError(-1, QStringLiteral("cp failed: %1").arg(QString::fromLocal8Bit(p.readAllStandardError())));
    return watch.elapsedMs();
}

int fail(const QString &message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return 1;
}

void report(const QString &what, double ours, double cp, double target, int runs)
{
    printLine(QStringLiteral("%1 10,000 pages: %2 vs cp -r %3 = %4x, medians of %5 (target <= %6x)%7")
                  .arg(what, ms(ours), ms(cp))
                  .arg(ours / cp, 0, 'f', 2)
                  .arg(runs)
                  .arg(target, 0, 'f', 1)
                  .arg(verdict(ours <= target * cp)));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the cabinet export and import against cp -r."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("Where the scratch folder goes (default /tmp)."));
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Runs of each figure."), QStringLiteral("N"), QStringLiteral("3")});
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
        std::vector<double> cp, exported, imported;
        for (int run = 1; run <= runs; ++run) {
            cp.push_back(timeCp(DataFolder::pagesFolder(),
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
            Deletes::deleteCabinet(target);
        }
        report(QStringLiteral("export"), median(exported), median(cp), 1.2, runs);
        report(QStringLiteral("import"), median(imported), median(cp), 1.5, runs);
        printLine(QStringLiteral("(the export includes its final syncfs; the import makes every page's thumbnail"
                                 " and commits its rows)"));
    } catch (const AppError &e) {
        return fail(e.message());
    }
    DbConnection::close();
    Prompt::setInstance(nullptr);
    return 0;
}

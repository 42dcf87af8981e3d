// vlm_bench_scan: a 10-sheet feeder scan from SANE's "test" device at 300
// dpi in colour, stored as pages of a document the way the Scan Page command
// stores them (JPEG, thumbnail, rows), side by side with `scanimage` writing
// the same batch to files. It prints both times and their ratio. The device
// is configured in a folder of its own (SANE_CONFIG_DIR), the data folder
// and settings are temporary. Not a test: timings belong on a developer's
// machine.
//
//   vlm_bench_scan [--runs n]

#include <cstdio>
#include <vector>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "bench/BenchTiming.h"
#include "core/AppSettings.h"
#include "core/RecordId.h"
#include "imaging/ui/Scanning.h"
#include "platform/DbConnection.h"
#include "store/Database.h"
#include "store/NodeKeys.h"
#include "store/Records.h"

using namespace BenchTiming;

namespace {

constexpr int kDpi = 300;
constexpr int kSheets = 10;  // what the test device's feeder holds
const char *const kPicture = "Color pattern";

bool writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

// Only the test backend, with the picture the pages show.
bool configureDevice(const QString &folder)
{
    return QDir().mkpath(folder) && writeText(folder + QStringLiteral("/dll.conf"), "test\n")
        && writeText(folder + QStringLiteral("/test.conf"),
                     QByteArray("number_of_devices 1\ntest-picture \"") + kPicture + "\"\n");
}

// The scan settings of a user who feeds documents in colour at 300 dpi and
// goes straight back to the file cabinet.
void configureScan()
{
    AppSettings::SetupScanSettings.write(true);
    AppSettings::TWAINSource.write(QStringLiteral("test:0"));
    AppSettings::TWAINADF.write(true);
    AppSettings::AfterScan.write(QStringLiteral("RETURN"));
    AppSettings::TWAINImageType.write(QStringLiteral("document"));
    AppSettings::DocScanType.write(AppSettings::Color);
    AppSettings::DocDPIOverride.write(kDpi);
}

RecordId newDocument(int run)
{
    const RecordId cabinet = Records::insertCabinet(QStringLiteral("Scans %1").arg(run));
    const RecordId folder = Records::insertFolder(Records::insertDrawer(cabinet, QStringLiteral("Drawer")),
                                             QStringLiteral("Folder"));
    return Records::insertDocument(folder, QStringLiteral("Batch"));
}

int pagesOf(RecordId documentId)
{
    return DbConnection::queryValue(QStringLiteral("SELECT count(*) FROM Page WHERE DocumentId = ?"), {documentId})
        .toInt();
}

// Milliseconds for the program to scan the batch into a new document.
double timeProgram(int run)
{
    const RecordId documentId = newDocument(run);
    const Stopwatch watch;
    Scanning::ScanIntoDocument(nullptr, NodeKeys::keyOf(RecordLevel::Document, documentId));
    const double ms = watch.elapsedMs();
    if (pagesOf(documentId) != kSheets)
        throw AppError(ErrorCode::Unexpected,
                       QStringLiteral("the scan stored %1 pages, not %2").arg(pagesOf(documentId)).arg(kSheets));
    return ms;
}

// Milliseconds for scanimage to write the same batch as PNM files; its
// start is included, as the program's own start of the library is.
double timeScanimage(const QString &program, const QString &folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    QProcess scanimage;
    scanimage.setWorkingDirectory(folder);
    scanimage.setProcessChannelMode(QProcess::MergedChannels);
    const QStringList args{QStringLiteral("-d"), QStringLiteral("test:0"), QStringLiteral("--source"),
                           QStringLiteral("Automatic Document Feeder"), QStringLiteral("--mode"),
                           QStringLiteral("Color"), QStringLiteral("--depth"), QStringLiteral("8"),
                           QStringLiteral("--resolution"), QString::number(kDpi), QStringLiteral("--format=pnm"),
                           QStringLiteral("--batch=page%d.pnm")};
    const Stopwatch watch;
    scanimage.start(program, args);
    scanimage.waitForFinished(-1);
    const double ms = watch.elapsedMs();
    const int files = int(QDir(folder).entryList({QStringLiteral("page*.pnm")}, QDir::Files).size());
    if (scanimage.exitStatus() != QProcess::NormalExit || files != kSheets)
        throw AppError(ErrorCode::LaunchFailed, QStringLiteral("scanimage wrote %1 pages: %2")
                                                   .arg(files).arg(QString::fromLocal8Bit(scanimage.readAll())));
    return ms;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "vlm_bench_scan: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return fail(QStringLiteral("no temporary folder"));
    const QString root = scratch.path();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config")));
    qputenv("VLM_DATA_DIR", QFile::encodeName(root + QStringLiteral("/data")));
    qputenv("SANE_CONFIG_DIR", QFile::encodeName(root + QStringLiteral("/sane")));
    // The offscreen platform's notes on every progress window would be
    // timed too.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type != QtDebugMsg && type != QtWarningMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times a feeder scan against scanimage."));
    parser.addHelpOption();
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Runs of each (default 5)."),
                                        QStringLiteral("n"), QStringLiteral("5"));
    parser.addOption(runsOption);
    parser.process(app);
    const int runs = qMax(1, parser.value(runsOption).toInt());

    const QString scanimage = QStandardPaths::findExecutable(QStringLiteral("scanimage"));
    if (scanimage.isEmpty())
        return fail(QStringLiteral("scanimage is not installed (sane-utils, see scripts/deps)."));
    if (!configureDevice(root + QStringLiteral("/sane")) || !QDir().mkpath(root + QStringLiteral("/data")))
        return fail(QStringLiteral("cannot write in %1").arg(root));
    try {
        Database::OpenDatabase();
        Database::UpdateDatabase();
        configureScan();
        printLine(QStringLiteral("batch: %1 sheets from the feeder of SANE's test device, colour, %2 dpi, \"%3\"")
                      .arg(kSheets).arg(kDpi).arg(QLatin1String(kPicture)));
        // A first pass of each loads the libraries and warms the caches.
        timeProgram(0);
        timeScanimage(scanimage, root + QStringLiteral("/pnm"));
        // Alternating runs, so a change in the machine's load falls on both.
        std::vector<double> ours, theirs;
        for (int i = 1; i <= runs; ++i) {
            ours.push_back(timeProgram(i));
            theirs.push_back(timeScanimage(scanimage, root + QStringLiteral("/pnm")));
        }
        const double oursMs = median(ours), theirsMs = median(theirs);
        printLine(QStringLiteral("scan into a document (JPEG pages, thumbnails, rows): %1 (%2 a page)")
                      .arg(ms(oursMs), ms(oursMs / kSheets)));
        printLine(QStringLiteral("scanimage --batch to PNM files: %1 (%2 a page)")
                      .arg(ms(theirsMs), ms(theirsMs / kSheets)));
        const double ratio = oursMs / theirsMs;
        printLine(QStringLiteral("ratio: program / scanimage = %1x, medians of %2 alternating runs (target <= 1.2x)%3")
                      .arg(QString::number(ratio, 'f', 2)).arg(runs).arg(verdict(ratio <= 1.2)));
    } catch (const AppError &e) {
        return fail(e.message());
    }
    DbConnection::close();
    return 0;
}

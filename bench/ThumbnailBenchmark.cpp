// vlm_bench_thumbs: the thumbnail maker's speed on scanned A4 pages, side by
// side with libvips' vipsthumbnail on the same files. It writes its own
// pages (ScannedPage, stored as the program stores them) into a
// temporary folder, makes their thumbnails with one thread, then with one
// per core, runs `vipsthumbnail -s 100` over all of them in one process,
// and prints pages per second and the ratio. Not a test: timings belong
// on a developer's machine.

#include <cstdio>
#include <vector>

#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "bench/BenchTiming.h"
#include "bench/ScannedPage.h"
#include "imaging/ThumbnailMaker.h"

using namespace BenchTiming;

namespace {

// Seconds for the thumbnail maker to make every page's thumbnail.
double timeMaker(const QStringList &pages, const QString &out, int threads)
{
    QVector<ThumbnailMaker::Job> jobs;
    for (const QString &page : pages)
        jobs.append({page, out + QLatin1Char('/') + QFileInfo(page).fileName()});
    const Stopwatch watch;
    const QVector<std::optional<AppError>> results = ThumbnailMaker::makeThumbnailFiles(jobs, threads);
    const double seconds = watch.elapsedMs() / 1000;
    for (const std::optional<AppError> &error : results)
        if (error)
            throw *error;
    return seconds;
}

// Seconds for one vipsthumbnail process over every page; its start is
// included, as a caller of it would pay it too. concurrency 0 leaves
// libvips its default (one thread per core).
double timeVips(const QString &program, const QStringList &pages, const QString &out, int concurrency)
{
    QProcess vips;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (concurrency > 0)
        env.insert(QStringLiteral("VIPS_CONCURRENCY"), QString::number(concurrency));
    vips.setProcessEnvironment(env);
    vips.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{QStringLiteral("-s"), QStringLiteral("100"), QStringLiteral("-o"), out + QStringLiteral("/%s.jpg")};
    args += pages;
    const Stopwatch watch;
    vips.start(program, args);
    if (!vips.waitForFinished(-1) || vips.exitStatus() != QProcess::NormalExit || vips.exitCode() != 0)
        throw AppError(int(ErrorCode::LaunchFailed), QStringLiteral("%1 failed: %2").arg(program, vips.errorString()));
    return watch.elapsedMs() / 1000;
}

QString rate(int pages, double seconds)
{
    return QString::number(pages / seconds, 'f', 1) + QStringLiteral(" pages/s");
}

int fail(const QString &message)
{
    std::fprintf(stderr, "vlm_bench_thumbs: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const Options options = parseOptions(app, QStringLiteral("Times the thumbnail maker against vipsthumbnail."), 20,
                                         5, QStringLiteral("Keep the pages and thumbnails in this new folder."));
    const int count = options.pages;
    const int runs = options.runs;
    QImageReader::setAllocationLimit(1024);

    QTemporaryDir scratch;
    if (!options.folder.isEmpty())
        scratch.setAutoRemove(false);
    const QString folder = !options.folder.isEmpty() ? options.folder : scratch.path();
    if (!scratch.isValid() || (!options.folder.isEmpty() && QDir(folder).exists()))
        return fail(QStringLiteral("Cannot make the folder %1").arg(folder));
    if (!options.folder.isEmpty())
        QDir(scratch.path()).removeRecursively();
    const QString ours = folder + QStringLiteral("/ours");
    const QString theirs = folder + QStringLiteral("/vips");
    QDir().mkpath(ours);
    QDir().mkpath(theirs);
    try {
        const QStringList pages = ScannedPage::write(folder, count, ScannedPage::Writer::PageStore, 4);
        qint64 bytes = 0;
        for (const QString &page : pages)
            bytes += QFileInfo(page).size();
        printLine(QStringLiteral("pages: %1 A4 JPEGs of %2x%3 at %4 dpi, %5 KB each on average, in %6")
                      .arg(count).arg(ScannedPage::A4.width()).arg(ScannedPage::A4.height()).arg(ScannedPage::Dpi)
                      .arg(bytes / count / 1024).arg(folder));

        const QString vips = QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail"));
        if (vips.isEmpty())
            return fail(QStringLiteral("vipsthumbnail is not installed (libvips-tools, see scripts/deps)."));
        // A first pass of each warms the file cache and loads the libraries.
        timeMaker(pages, ours, 1);
        timeVips(vips, pages, theirs, 0);
        // The runs alternate, so a change in the machine's load falls on
        // both sides alike.
        std::vector<double> one, all, vipsAll, vipsOne;
        for (int i = 0; i < runs; ++i) {
            one.push_back(timeMaker(pages, ours, 1));
            vipsAll.push_back(timeVips(vips, pages, theirs, 0));
            all.push_back(timeMaker(pages, ours, 0));
            vipsOne.push_back(timeVips(vips, pages, theirs, 1));
        }
        const double oneS = median(one), allS = median(all), vipsAllS = median(vipsAll), vipsOneS = median(vipsOne);
        printLine(QStringLiteral("thumbnail maker, 1 thread: %1 (%2 per page)").arg(rate(count, oneS), ms(oneS * 1000 / count)));
        printLine(QStringLiteral("thumbnail maker, %1 threads: %2 (%3 per page)")
                      .arg(QThread::idealThreadCount()).arg(rate(count, allS), ms(allS * 1000 / count)));
        printLine(QStringLiteral("vipsthumbnail -s 100, one process, default threads: %1 (%2 per page)")
                      .arg(rate(count, vipsAllS), ms(vipsAllS * 1000 / count)));
        printLine(QStringLiteral("vipsthumbnail -s 100, one process, VIPS_CONCURRENCY=1: %1 (%2 per page)")
                      .arg(rate(count, vipsOneS), ms(vipsOneS * 1000 / count)));
        const double ratio = vipsAllS / oneS;
        printLine(QStringLiteral("ratio: thumbnail maker on 1 thread / vipsthumbnail = %1x"
                                 " (against VIPS_CONCURRENCY=1: %2x), medians of %3 alternating runs"
                                 " (target >= 2.5x)%4")
                      .arg(QString::number(ratio, 'f', 2), QString::number(vipsOneS / oneS, 'f', 2))
                      .arg(runs).arg(verdict(ratio >= 2.5)));
    } catch (const AppError &e) {
        return fail(e.message());
    }
    return 0;
}

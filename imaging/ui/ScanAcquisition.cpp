#include "imaging/ui/ScanAcquisition.h"

#include "core/ui/frmProgress.h"

#include <QEventLoop>

namespace {

QString scanningText(int page)
{
    return QStringLiteral("Scanning page %1").arg(page);
}

} // namespace

namespace ScanAcquisition {

ScanEnd run(QWidget *parent, const ScanRequest &request, int encodeQuality, const PagesHandler &onPages)
{
    ScanJob job(Scanner::instance(), request, encodeQuality);
    // A window of its own: the page saves show and end the program's
    // progress window for each page meanwhile.
    frmProgress window(parent);
    int page = 1;
    window.start(scanningText(page), 1, 1, true);
    QObject::connect(&window, &frmProgress::cancelClicked, &job, &ScanJob::cancel);

    bool stopped = false;
    QObject::connect(&job, &ScanJob::pagesScanned, &window, [&](const QList<PageSave::ScannedPage> &pages) {
        if (stopped)
            return;
        const int kept = onPages(pages);
        // A feeder holds an unknown number of sheets: the bar shows the
        // pages kept so far against one more to come.
        for (int i = 0; i < kept; ++i) {
            window.extendRange(page + 1);
            window.IncrementProgress(scanningText(++page));
        }
        if (kept < pages.size()) {
            stopped = true;
            job.cancel();
        }
    });
    QEventLoop loop;
    QObject::connect(&job, &ScanJob::finished, &loop, &QEventLoop::quit);
    job.start();
    if (!job.isFinished())
        loop.exec();
    window.StopProgress();
    return job.end();
}

} // namespace ScanAcquisition

#include "ScanAcquisition.h"

#include "frmProgress.h"

#include <QEventLoop>

namespace {

QString scanningText(int page)
{
    return QStringLiteral("Scanning page %1").arg(page);
}

} // namespace

namespace ScanAcquisition {

ScanEnd Run(QWidget *parent, const ScanRequest &request, int encodeQuality, const PageHandler &onPage)
{
    ScanJob job(Scanner::instance(), request, encodeQuality);
    // A window of its own: the page saves show and end the program's
    // progress window for each page meanwhile.
    frmProgress window(parent);
    int page = 1;
    window.start(scanningText(page), 1, 1, true);
    QObject::connect(&window, &frmProgress::cancelClicked, &job, &ScanJob::cancel);

    bool stopped = false;
    QObject::connect(&job, &ScanJob::pageScanned, &window, [&](const QImage &image, const PageSave::EncodedPage &encoded) {
        if (stopped)
            return;
        if (!onPage(image, encoded)) {
            stopped = true;
            job.cancel();
            return;
        }
        window.increment(scanningText(++page));
    });
    QEventLoop loop;
    QObject::connect(&job, &ScanJob::finished, &loop, &QEventLoop::quit);
    job.start();
    if (!job.isFinished())
        loop.exec();
    window.stop();
    return job.end();
}

} // namespace ScanAcquisition

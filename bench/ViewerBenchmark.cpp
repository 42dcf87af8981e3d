// vlm_bench_viewer: the page viewer on 300-dpi A4 scans (ScannedPage, as
// another program writes them). Times opening a page until it is painted
// fitted to the window (Fit Width and Fit Height), rotating it and saving
// it (image, thumbnail, size and rows) until the viewer closes, and a plain
// save of a page that was not changed. The peak memory of rotating and
// saving a 300-dpi and a 600-dpi page is measured against the decoded image
// (the process's peak resident size, reset before each page).
// The viewer's 50 ms start-up delay is left out: the page is loaded as that
// timer would load it. Runs offscreen in a 1920x1080 window, with the
// program's progress window, on a temporary data folder and settings.
//
//   QT_QPA_PLATFORM=offscreen vlm_bench_viewer [--runs N] [--folder F]

#include <cstdio>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPushButton>
#include <QTemporaryDir>

#include "bench/BenchTiming.h"
#include "bench/ScannedPage.h"
#include "core/RecordId.h"
#include "core/ui/frmProgress.h"
#include "imaging/ImagingState.h"
#include "imaging/ThumbnailMaker.h"
#include "imaging/ui/PageImageView.h"
#include "imaging/ui/frmPageView.h"
#include "platform/DbConnection.h"
#include "store/Database.h"
#include "store/NodeKeys.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "store/Records.h"
#include "store/Startup.h"

using namespace BenchTiming;

namespace {

const QSize kWindow(1920, 1080);

// Counts the paints of a widget.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// A document of count pages whose images are the scans.
QVector<RecordId> filePages(const QStringList &scans)
{
    const RecordId cabinetId = Records::insertCabinet(QStringLiteral("Viewer"));
    const RecordId documentId = Records::insertDocument(
        Records::insertFolder(Records::insertDrawer(cabinetId, QStringLiteral("Drawer")), QStringLiteral("Folder")),
        QStringLiteral("Scans"));
    QVector<RecordId> pages;
    for (int i = 0; i < scans.size(); ++i) {
        Pages::NewPage page;
        page.documentId = documentId;
        page.pageNumber = i + 1;
        page.filetype = QStringLiteral("JPG");
        const RecordId pageId = Pages::insertPage(page);
        const QString path = PagePaths::GetDefaultPageFilePath(pageId);
        QDir().mkpath(PagePaths::GetFolderPart(path));
        if (!QFile::copy(scans.at(i), path))
            throw AppError(-1, QStringLiteral("Cannot copy %1 to %2").arg(scans.at(i), path));
        pages.append(pageId);
    }
    return pages;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::unique_ptr<frmPageView> newViewer(RecordId pageId)
{
    auto viewer = std::make_unique<frmPageView>();
    viewer->Mode = QStringLiteral("Edit");
    viewer->Key = NodeKeys::keyOf(RecordLevel::Page, pageId);
    viewer->setWindowState(Qt::WindowNoState);
    viewer->resize(kWindow);
    return viewer;
}

PageImageView *display(frmPageView *viewer)
{
    return viewer->findChild<PageImageView *>(QStringLiteral("LEAD1"));
}

// Runs events until the display has painted since paints was read.
void untilPainted(const PaintCounter &counter, int paints)
{
    while (counter.paints == paints)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct OpenTimes
{
    double shown = 0; // painted fitted to the window
    double whole = 0; // the whole image in memory for editing
};

// Opens the page as the viewer's timer does, until the fitted page is on
// the screen; then until the whole image is in memory, so no work of this
// run is left for the next.
OpenTimes timeOpen(RecordId pageId)
{
    const Stopwatch watch;
    std::unique_ptr<frmPageView> viewer = newViewer(pageId);
    PaintCounter counter(display(viewer.get())->viewport());
    viewer->show();
    viewer->LoadImage();
    untilPainted(counter, 0);
    OpenTimes times;
    times.shown = watch.elapsedMs();
    if (viewer->LoadError || !display(viewer.get())->hasImage())
        throw AppError(-1, QStringLiteral("Page %1 did not load").arg(pageId));
    (void)display(viewer.get())->image();
    times.whole = watch.elapsedMs();
    return times;
}

// Rotates the open page and saves it, until the viewer has closed.
// A plain save (rotate false) finds the page's thumbnail in place, as a
// page filed by the program has it; its file must come out byte for byte.
double timeSave(RecordId pageId, bool rotate)
{
    std::unique_ptr<frmPageView> viewer = newViewer(pageId);
    PaintCounter counter(display(viewer.get())->viewport());
    viewer->show();
    viewer->LoadImage();
    untilPainted(counter, 0);
    const QString path = PagePaths::GetDefaultPageFilePath(pageId);
    const QByteArray bytesBefore = readAll(path);
    if (!rotate) {
        const QString thumb = PagePaths::GetDefaultThumbFilePath(pageId);
        QDir().mkpath(PagePaths::GetFolderPart(thumb));
        if (auto error = ThumbnailMaker::writeThumbnail(
                ThumbnailMaker::thumbnailOf(display(viewer.get())->image()), thumb))
            throw *error;
    }
    const QSize before = display(viewer.get())->image().size();
    const Stopwatch watch;
    if (rotate)
        viewer->findChild<QPushButton *>(QStringLiteral("cmdRotateClockwise"))->click();
    viewer->findChild<QPushButton *>(QStringLiteral("cmdSave"))->click();
    QCoreApplication::processEvents();
    const double elapsed = watch.elapsedMs();
    if (viewer->result() != QDialog::Accepted)
        throw AppError(-1, QStringLiteral("Page %1 was not saved").arg(pageId));
    const QSize after = QImageReader(path).size();
    if (after != (rotate ? before.transposed() : before))
        throw AppError(-1, QStringLiteral("Page %1 was saved at the wrong size").arg(pageId));
    if (!rotate && readAll(path) != bytesBefore)
        throw AppError(-1, QStringLiteral("Page %1 was encoded again by a plain save").arg(pageId));
    return elapsed;
}

// A "Vm...:" field of /proc/self/status in bytes; 0 when it cannot be read.
qint64 statusBytes(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').constFirst().toLongLong() * 1024;
    return 0;
}

// Starts the peak resident size (VmHWM) again from the present size.
void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (!refs.open(QIODevice::WriteOnly) || refs.write("5") != 1)
        throw AppError(-1, QStringLiteral("Cannot reset the peak memory: %1").arg(refs.errorString()));
}

// Opens, rotates and saves the page; returns the memory the process took
// at its peak above what it held before, over the decoded image's bytes.
double rotatePeakRatio(RecordId pageId)
{
    QCoreApplication::processEvents();
    const qint64 before = statusBytes("VmRSS:");
    resetPeak();
    qint64 imageBytes = 0;
    {
        std::unique_ptr<frmPageView> viewer = newViewer(pageId);
        PaintCounter counter(display(viewer.get())->viewport());
        viewer->show();
        viewer->LoadImage();
        untilPainted(counter, 0);
        imageBytes = display(viewer.get())->image().sizeInBytes();
        viewer->findChild<QPushButton *>(QStringLiteral("cmdRotateClockwise"))->click();
        viewer->findChild<QPushButton *>(QStringLiteral("cmdSave"))->click();
        QCoreApplication::processEvents();
        if (viewer->result() != QDialog::Accepted)
            throw AppError(-1, QStringLiteral("Page %1 was not saved").arg(pageId));
    }
    return double(statusBytes("VmHWM:") - before) / double(imageBytes);
}

// A 600-dpi A4 scan: the 300-dpi page of seed at twice the size, as
// another program writes it (Qt quality 90).
QString write600Dpi(const QString &folder, int seed)
{
    const QString path = folder + QStringLiteral("/page600-%1.jpg").arg(seed);
    if (QFileInfo::exists(path))
        return path;
    QImage page = ScannedPage::make(seed).scaled(ScannedPage::A4 * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    page.setDotsPerMeterX(qRound(600 / 0.0254));
    page.setDotsPerMeterY(qRound(600 / 0.0254));
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    if (!writer.write(page))
        throw AppError(-1, QStringLiteral("Cannot write %1: %2").arg(path, writer.errorString()));
    return path;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "vlm_bench_viewer: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir scratch;
    qputenv("VLM_DATA_DIR", QFile::encodeName(scratch.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("config"))));
    QApplication app(argc, argv);
    dropPlatformNotices();
    Startup::initApplication();
    const Options options = parseOptions(app, QStringLiteral("Times opening, rotating and saving a page in the viewer."),
                                         0, 9, QStringLiteral("Keep the scans in this folder and reuse them."));
    const int runs = options.runs;
    const QString scans = !options.folder.isEmpty() ? options.folder : scratch.filePath(QStringLiteral("scans"));
    QDir().mkpath(scans);
    QDir().mkpath(scratch.filePath(QStringLiteral("data")));
    try {
        Database::OpenDatabase();
        Database::UpdateDatabase();
        frmProgress::install();
        // Every run opens a page of its own, as paging through a document
        // does; the rotations need a page each too.
        QStringList files = ScannedPage::write(scans, 4 * runs + 2, ScannedPage::Writer::Foreign, 4);
        // Two more for the memory of a rotation: one at 300 dpi, one at 600.
        files += ScannedPage::write(scans, 1, ScannedPage::Writer::Foreign, 1, QStringLiteral("memory"));
        files += write600Dpi(scans, 1);
        const QVector<RecordId> pages = filePages(files);
        qint64 bytes = 0;
        for (const QString &file : files)
            bytes += QFileInfo(file).size();
        printLine(QStringLiteral("pages: %1 A4 JPEGs of %2x%3 at %4 dpi, %5 KB each on average; window %6x%7")
                      .arg(files.size()).arg(ScannedPage::A4.width()).arg(ScannedPage::A4.height())
                      .arg(ScannedPage::Dpi).arg(bytes / files.size() / 1024).arg(kWindow.width())
                      .arg(kWindow.height()));
        // A first opening loads the image plugin and warms the caches.
        ImagingState::instance().ZoomMode = QStringLiteral("FITWIDTH");
        timeOpen(pages.at(0));
        timeSave(pages.at(1), true);

        int next = 2;
        for (const char *mode : {"FITWIDTH", "FITHEIGHT"}) {
            ImagingState::instance().ZoomMode = QString::fromLatin1(mode);
            std::vector<double> shown, whole;
            for (int i = 0; i < runs; ++i) {
                const OpenTimes times = timeOpen(pages.at(next++));
                shown.push_back(times.shown);
                whole.push_back(times.whole);
            }
            const double open = median(shown);
            printLine(QStringLiteral("open and show fitted (%1): %2, whole image in memory after %3"
                                     " (median of %4, target < 150 ms)%5")
                          .arg(QString::fromLatin1(mode), ms(open), ms(median(whole))).arg(runs)
                          .arg(verdict(open < 150)));
        }
        ImagingState::instance().ZoomMode = QStringLiteral("FITHEIGHT");
        std::vector<double> saves;
        for (int i = 0; i < runs; ++i)
            saves.push_back(timeSave(pages.at(next++), true));
        const double save = median(saves);
        printLine(QStringLiteral("rotate and save (image, thumbnail, size, rows): %1 (median of %2, worst %3,"
                                 " target < 400 ms)%4")
                      .arg(ms(save)).arg(runs).arg(ms(*std::max_element(saves.begin(), saves.end())))
                      .arg(verdict(save < 400)));
        std::vector<double> plain;
        for (int i = 0; i < runs; ++i)
            plain.push_back(timeSave(pages.at(next++), false));
        const double kept = median(plain);
        printLine(QStringLiteral("plain save of an unchanged page (bytes kept, no new encoding): %1 (median of %2,"
                                 " worst %3, target < 20 ms)%4")
                      .arg(ms(kept)).arg(runs).arg(ms(*std::max_element(plain.begin(), plain.end())))
                      .arg(verdict(kept < 20)));
        ImagingState::instance().ZoomMode = QStringLiteral("FITHEIGHT");
        const double peak300 = rotatePeakRatio(pages.at(next++));
        const double peak600 = rotatePeakRatio(pages.at(next++));
        printLine(QStringLiteral("rotate and save, peak memory over the decoded image: 300 dpi %1x%2; 600 dpi %3x"
                                 " (target <= 1.3x)%4")
                      .arg(QString::number(peak300, 'f', 2)).arg(verdict(peak300 <= 1.3))
                      .arg(QString::number(peak600, 'f', 2)).arg(verdict(peak600 <= 1.3)));
    } catch (const AppError &e) {
        DbConnection::close();
        return fail(e.message());
    }
    DbConnection::close();
    return 0;
}

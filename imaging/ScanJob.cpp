#include "imaging/ScanJob.h"

#include <QMetaObject>
#include <QThread>

#include <cerrno>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "imaging/ImageOps.h"
#include "imaging/ThumbnailMaker.h"

namespace {

// Pages scanned but not yet saved: at least two, so the device reads on
// while a page is stored; more while they fit in this much memory, enough
// to keep the encoder threads busy (two 600-dpi colour pages already take
// 200 MB).
constexpr int kFewestWaiting = 2;
constexpr int kMostWaiting = 8;
constexpr qsizetype kWaitingBytes = 256 * 1024 * 1024;

int encoderCount()
{
    return qBound(1, QThread::idealThreadCount() - 2, 4);
}

// Encoders give way to the threads that read the device and save pages: a
// page the device cannot hand over holds the whole feeder back, while an
// encoding that waits a moment costs nothing.
void yieldToDevice()
{
    const auto thread = id_t(syscall(SYS_gettid));
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, thread);
    if (errno == 0)
        setpriority(PRIO_PROCESS, thread, qMin(nice + 5, 19));
}

} // namespace

ScanJob::ScanJob(Scanner &scanner, const ScanRequest &request, int encodeQuality, QObject *parent)
    : QObject(parent), m_scanner(scanner), m_request(request), m_quality(encodeQuality)
{
}

ScanJob::~ScanJob()
{
    cancel();
    joinThreads();
}

void ScanJob::joinThreads()
{
    if (m_device.joinable())
        m_device.join();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done = true;
    }
    m_changed.notify_all();
    for (std::thread &encoder : m_encoders)
        if (encoder.joinable())
            encoder.join();
    m_encoders.clear();
}

void ScanJob::start()
{
    // Started here and not by the device thread, which keeps to one core.
    if (m_quality > 0)
        for (int i = 0; i < encoderCount(); ++i)
            m_encoders.emplace_back([this] { encodeLoop(); });
    m_device = std::thread([this] {
        bool cancelled = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            cancelled = m_cancelled;
        }
        ScanEnd end;
        end.usedSource = m_request.source;
        if (cancelled)
            end.outcome = ScanEnd::Outcome::Cancelled;
        else
            end = m_scanner.acquire(m_request, [this](const QImage &image) { return handOver(image); });
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_end = end;
            m_done = true;
        }
        m_changed.notify_all();
        QMetaObject::invokeMethod(this, &ScanJob::drain, Qt::QueuedConnection);
    });
}

void ScanJob::cancel()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_cancelled || m_done)
            return;
        m_cancelled = true;
        m_pages.clear();
        m_work.clear();
    }
    m_changed.notify_all();
    m_scanner.cancel();
}

ScanEnd ScanJob::end() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ScanEnd end = m_end;
    if (m_cancelled)
        end.outcome = ScanEnd::Outcome::Cancelled;
    return end;
}

bool ScanJob::mayWait(qsizetype bytes) const
{
    if (m_pages.size() < size_t(kFewestWaiting))
        return true;
    if (m_pages.size() >= size_t(kMostWaiting))
        return false;
    qsizetype waiting = bytes;
    for (const std::shared_ptr<Page> &page : m_pages)
        waiting += page->scanned.image.sizeInBytes();
    return waiting <= kWaitingBytes;
}

bool ScanJob::handOver(const QImage &image)
{
    auto page = std::make_shared<Page>();
    page->scanned.image = image;
    const bool encode = m_quality > 0;
    page->partsLeft = encode ? 2 : 0;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_cancelled || mayWait(image.sizeInBytes()); });
        if (m_cancelled)
            return false;
        m_pages.push_back(page);
        if (encode) {
            m_work.push_back({page, Part::Image});
            m_work.push_back({page, Part::Thumbnail});
        }
    }
    m_changed.notify_all();
    if (!encode)
        QMetaObject::invokeMethod(this, &ScanJob::drain, Qt::QueuedConnection);
    return true;
}

void ScanJob::encodeLoop()
{
    yieldToDevice();
    for (;;) {
        Work work;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_work.empty() || m_done || m_cancelled; });
            if (m_work.empty())
                return;
            work = std::move(m_work.front());
            m_work.pop_front();
            ++m_encoding;
        }
        const QImage &image = work.page->scanned.image;
        const QByteArray bytes = work.part == Part::Image ? ImageOps::encodeJpeg(image, m_quality)
                                                          : ThumbnailMaker::encodeThumbnail(image);
        bool ready = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            PageSave::EncodedPage &encoded = work.page->scanned.encoded;
            (work.part == Part::Image ? encoded.image : encoded.thumbnail) = bytes;
            encoded.quality = m_quality;
            ready = --work.page->partsLeft == 0;
            --m_encoding;
        }
        m_changed.notify_all();
        if (ready)
            QMetaObject::invokeMethod(this, &ScanJob::drain, Qt::QueuedConnection);
    }
}

// Saving pages lets events run (the progress window), so a later call can
// arrive inside an earlier one's save: it returns at once and the outer
// loop takes the pages finished meanwhile in their turn.
void ScanJob::drain()
{
    if (m_draining || m_finishedEmitted)
        return;
    m_draining = true;
    for (;;) {
        QList<PageSave::ScannedPage> ready;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            while (!m_pages.empty() && m_pages.front()->partsLeft == 0) {
                ready.append(std::move(m_pages.front()->scanned));
                m_pages.pop_front();
            }
        }
        if (ready.isEmpty())
            break;
        m_changed.notify_all();
        Q_EMIT pagesScanned(ready);
    }
    m_draining = false;
    bool done = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        done = m_done && m_pages.empty() && m_encoding == 0;
    }
    if (done) {
        joinThreads();
        m_finishedEmitted = true;
        Q_EMIT finished();
    }
}

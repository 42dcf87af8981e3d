#include "ScanJob.h"

#include <QMetaObject>
#include <QThread>
#include <QThreadPool>

namespace {

// Pages scanned but not yet saved: enough to keep the cores encoding, few
// enough for 600-dpi colour pages (100 MB each) to fit.
size_t waitingPages()
{
    return size_t(qBound(2, QThread::idealThreadCount() / 2, 4));
}

} // namespace

ScanJob::ScanJob(Scanner &scanner, const ScanRequest &request, Encoder encoder, QObject *parent)
    : QObject(parent), m_scanner(scanner), m_request(request), m_encoder(std::move(encoder))
{
}

ScanJob::~ScanJob()
{
    cancel();
    if (m_thread.joinable())
        m_thread.join();
    // Encodings still running hold `this`.
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_encoding == 0; });
}

void ScanJob::start()
{
    m_thread = std::thread([this] {
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

bool ScanJob::handOver(const QImage &image)
{
    auto page = std::make_shared<Page>();
    page->image = image;
    page->ready = !m_encoder;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_cancelled || m_pages.size() < waitingPages(); });
        if (m_cancelled)
            return false;
        m_pages.push_back(page);
        if (m_encoder)
            ++m_encoding;
    }
    if (m_encoder)
        QThreadPool::globalInstance()->start([this, page] { encode(page); });
    else
        QMetaObject::invokeMethod(this, &ScanJob::drain, Qt::QueuedConnection);
    return true;
}

void ScanJob::encode(const std::shared_ptr<Page> &page)
{
    PageSave::EncodedPage encoded = m_encoder(page->image);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        page->encoded = std::move(encoded);
        page->ready = true;
        QMetaObject::invokeMethod(this, &ScanJob::drain, Qt::QueuedConnection);
        // The last use of `this`: the destructor waits for the count to end.
        --m_encoding;
        m_changed.notify_all();
    }
}

// Saving a page lets events run (its progress window), so a later page's
// call can arrive inside an earlier one's save: it returns at once and the
// outer loop takes that page in its turn.
void ScanJob::drain()
{
    if (m_draining || m_finishedEmitted)
        return;
    m_draining = true;
    for (;;) {
        std::shared_ptr<Page> page;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_pages.empty() || !m_pages.front()->ready)
                break;
            page = m_pages.front();
            m_pages.pop_front();
        }
        m_changed.notify_all();
        Q_EMIT pageScanned(page->image, page->encoded);
    }
    m_draining = false;
    bool done = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        done = m_done && m_pages.empty() && m_encoding == 0;
    }
    if (done) {
        if (m_thread.joinable())
            m_thread.join();
        m_finishedEmitted = true;
        Q_EMIT finished();
    }
}

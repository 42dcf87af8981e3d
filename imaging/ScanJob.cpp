#include "ScanJob.h"

#include <QMetaObject>

namespace {

// Pages scanned but not yet saved.
constexpr size_t kWaitingPages = 2;

} // namespace

ScanJob::ScanJob(Scanner &scanner, const ScanRequest &request, QObject *parent)
    : QObject(parent), m_scanner(scanner), m_request(request)
{
}

ScanJob::~ScanJob()
{
    cancel();
    if (m_thread.joinable())
        m_thread.join();
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
    m_room.notify_all();
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
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_room.wait(lock, [this] { return m_cancelled || m_pages.size() < kWaitingPages; });
        if (m_cancelled)
            return false;
        m_pages.push_back(image);
    }
    QMetaObject::invokeMethod(this, &ScanJob::drain, Qt::QueuedConnection);
    return true;
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
        QImage page;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_pages.empty())
                break;
            page = m_pages.front();
            m_pages.pop_front();
        }
        m_room.notify_all();
        Q_EMIT pageScanned(page);
    }
    m_draining = false;
    bool done = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        done = m_done && m_pages.empty();
    }
    if (done) {
        if (m_thread.joinable())
            m_thread.join();
        m_finishedEmitted = true;
        Q_EMIT finished();
    }
}

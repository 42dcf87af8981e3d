#pragma once

#include <QImage>
#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "PageSave.h"
#include "Scanner.h"

// One batch of a scanner run on a worker thread, so the window keeps
// repainting and its Cancel works while the device is slow. Finished pages
// reach the thread that made the job, one pageScanned at a time and in
// order, where they are saved; the device reads the next sheet meanwhile.
// With an encoder, each page's files are encoded on the thread pool before
// the page is handed over, several pages at once. Only a few pages wait, so
// a slow save holds the device back rather than filling the memory.
class ScanJob : public QObject
{
    Q_OBJECT

public:
    using Encoder = std::function<PageSave::EncodedPage(const QImage &)>;

    ScanJob(Scanner &scanner, const ScanRequest &request, Encoder encoder = {}, QObject *parent = nullptr);
    // Cancels a batch still running and waits for its threads.
    ~ScanJob() override;

    void start();
    // Stops the batch: the device is told to stop and no further page is
    // handed over.
    void cancel();

    bool isFinished() const { return m_finishedEmitted; }
    // How the batch ended; valid once finished() was emitted. A cancel()
    // from this side makes it Cancelled.
    ScanEnd end() const;

Q_SIGNALS:
    // encoded is empty without an encoder.
    void pageScanned(const QImage &image, const PageSave::EncodedPage &encoded);
    // After the last pageScanned.
    void finished();

private:
    struct Page
    {
        QImage image;
        PageSave::EncodedPage encoded;
        bool ready = false;
    };

    bool handOver(const QImage &image);  // worker thread
    void encode(const std::shared_ptr<Page> &page);  // thread pool
    void drain();                        // the job's thread

    Scanner &m_scanner;
    ScanRequest m_request;
    Encoder m_encoder;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Page>> m_pages;
    int m_encoding = 0;
    ScanEnd m_end;
    bool m_cancelled = false;
    bool m_done = false;
    bool m_draining = false;
    bool m_finishedEmitted = false;
};

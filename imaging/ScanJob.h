#pragma once

#include <QImage>
#include <QObject>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "Scanner.h"

// One batch of a scanner run on a worker thread, so the window keeps
// repainting and its Cancel works while the device is slow. Finished pages
// reach the thread that made the job, one pageScanned at a time and in
// order, where they are saved; the device reads the next sheet meanwhile.
// At most two pages wait, so a slow save holds the device back rather than
// filling the memory.
class ScanJob : public QObject
{
    Q_OBJECT

public:
    ScanJob(Scanner &scanner, const ScanRequest &request, QObject *parent = nullptr);
    // Cancels a batch still running and waits for its thread.
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
    void pageScanned(const QImage &image);
    // After the last pageScanned.
    void finished();

private:
    bool handOver(const QImage &image);  // worker thread
    void drain();                        // the job's thread

    Scanner &m_scanner;
    ScanRequest m_request;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_room;
    std::deque<QImage> m_pages;
    ScanEnd m_end;
    bool m_cancelled = false;
    bool m_done = false;
    bool m_draining = false;
    bool m_finishedEmitted = false;
};

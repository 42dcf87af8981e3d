#pragma once

#include <QImage>
#include <QObject>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "imaging/PageSave.h"
#include "platform/Scanner.h"

// One batch of a scanner run on a worker thread, so the window keeps
// repainting and its Cancel works while the device is slow. Finished pages
// reach the thread that made the job in order, where they are saved: every
// page finished since the last pagesScanned comes in the next, so pages
// that came while one was being saved are saved together. The device reads
// the next sheet meanwhile.
// With a quality to encode at, each page's image and thumbnail files are
// encoded by encoder threads of the job's own before the page is handed
// over, several pages (and both files of one page) at once. Only a few
// pages wait, so a slow save holds the device back rather than filling the
// memory.
class ScanJob : public QObject
{
    Q_OBJECT

public:
    // encodeQuality 0: the pages come without their files encoded.
    ScanJob(Scanner &scanner, const ScanRequest &request, int encodeQuality = 0, QObject *parent = nullptr);
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
    // The pages' files are not encoded without a quality to encode at.
    void pagesScanned(const QList<PageSave::ScannedPage> &pages);
    // After the last pagesScanned.
    void finished();

private:
    struct Page
    {
        PageSave::ScannedPage scanned;
        int partsLeft = 0;  // files still being encoded
    };
    enum class Part { Image, Thumbnail };
    struct Work
    {
        std::shared_ptr<Page> page;
        Part part;
    };

    bool handOver(const QImage &image);  // device thread
    void encodeLoop();                   // encoder threads
    void drain();                        // the job's thread
    bool mayWait(qsizetype bytes) const; // with m_mutex held
    void joinThreads();

    Scanner &m_scanner;
    ScanRequest m_request;
    int m_quality;
    std::thread m_device;
    std::vector<std::thread> m_encoders;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Page>> m_pages;  // in order, encoded or not
    std::deque<Work> m_work;                    // files to encode, in page order
    int m_encoding = 0;                         // files being encoded
    ScanEnd m_end;
    bool m_cancelled = false;
    bool m_done = false;                        // the device thread has ended
    bool m_draining = false;
    bool m_finishedEmitted = false;
};

#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/Scanner.h"

// The scanner of the running program: libsane. Each call starts the SANE
// library and ends it again, so devices plugged in meanwhile are seen and
// a changed configuration (SANE_CONFIG_DIR) is read. The library is used
// by one call at a time; cancel() alone may come from another thread.
class SaneScanner : public Scanner
{
public:
    SaneScanner();
    ~SaneScanner() override;

    std::optional<QList<ScanSource>> listSources(QString *reason) override;
    ScanEnd acquire(const ScanRequest &request, const std::function<bool(const QImage &)> &onPage) override;
    void cancel() override;

    // The program's one instance.
    static SaneScanner &instance();

private:
    struct Batch;
    ScanEnd scanPages(Batch &batch, const std::function<bool(const QImage &)> &onPage);
    // Reads every frame of the page the last sane_start began.
    bool readPage(Batch &batch, QImage *image, ScanEnd *end);
    void setHandle(void *handle);
    // Ends the device's frame on the scanning thread, under m_handleMutex.
    void endFrame(void *handle);
    void joinNudge();

    std::atomic<bool> m_cancelled{false};
    std::mutex m_handleMutex;  // guards m_handle and m_nudge against cancel() from another thread
    std::condition_variable m_handleChanged;
    void *m_handle = nullptr;
    // Tells a device that sends nothing for a while after cancel() to stop.
    std::thread m_nudge;
};

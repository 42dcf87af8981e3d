#include "platform/SaneScanner.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <sched.h>
#include <unistd.h>

#include <sane/sane.h>

#include "platform/SaneOptions.h"
#include "platform/SanePage.h"

namespace {

// What one sane_read may deliver at most.
constexpr int kReadChunk = 256 * 1024;

// SANE is one library state per process: one call at a time uses it.
std::mutex &libraryMutex()
{
    static std::mutex m;
    return m;
}

QString statusText(SANE_Status status)
{
    return QString::fromUtf8(sane_strstatus(status));
}

// The library from sane_init to sane_exit.
class SaneLibrary
{
public:
    SaneLibrary()
    {
        SANE_Int version = 0;
        status = sane_init(&version, nullptr);
    }
    ~SaneLibrary()
    {
        if (ok())
            sane_exit();
    }
    SaneLibrary(const SaneLibrary &) = delete;
    SaneLibrary &operator=(const SaneLibrary &) = delete;
    bool ok() const { return status == SANE_STATUS_GOOD; }

    SANE_Status status;
};

std::optional<QList<ScanSource>> devices(QString *reason)
{
    const SANE_Device **list = nullptr;
    const SANE_Status status = sane_get_devices(&list, SANE_FALSE);
    if (status != SANE_STATUS_GOOD) {
        *reason = statusText(status);
        return std::nullopt;
    }
    QList<ScanSource> sources;
    for (; list && *list; ++list)
        sources.append({QString::fromUtf8((*list)->name), QString::fromUtf8((*list)->vendor),
                        QString::fromUtf8((*list)->model)});
    return sources;
}

ScanEnd stopped(ScanEnd end, SANE_Status status)
{
    end.outcome = status == SANE_STATUS_CANCELLED ? ScanEnd::Outcome::Cancelled : ScanEnd::Outcome::Failed;
    end.reason = statusText(status);
    return end;
}

// The ids of this process's threads, sorted; empty where /proc cannot
// tell them.
std::vector<long> threadIds()
{
    std::vector<long> ids;
    DIR *dir = opendir("/proc/self/task");
    if (!dir)
        return ids;
    while (const dirent *entry = readdir(dir))
        if (entry->d_name[0] != '.')
            ids.push_back(std::strtol(entry->d_name, nullptr, 10));
    closedir(dir);
    std::sort(ids.begin(), ids.end());
    return ids;
}

// The threads a backend started for the frame being read; unknown
// without /proc.
struct Readers
{
    std::vector<long> ids;
    bool known = false;
};

// sane_start, noting the threads the backend starts for the frame.
SANE_Status startFrame(SANE_Handle handle, Readers *readers)
{
    const std::vector<long> before = threadIds();
    const SANE_Status status = sane_start(handle);
    const std::vector<long> after = threadIds();
    readers->known = !before.empty() && !after.empty();
    readers->ids.clear();
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(readers->ids));
    return status;
}

// Whether the thread has ended.
bool threadGone(long id)
{
    return access(("/proc/self/task/" + std::to_string(id)).c_str(), F_OK) != 0;
}

// Backends that read through a thread of their own stop it with an
// asynchronous cancel, in the read that takes the last bytes of a frame and
// in sane_cancel; a thread caught while it takes or releases memory leaves
// the process's allocator locked for ever (SANE's test backend does this).
// So the last bytes of a frame are read only once its reader has ended, and
// a scan that stops early gives its reader a moment to end first. The tail
// is well within what a pipe holds on Linux (64 KiB unless its owner made
// it smaller), so the reader writes it and ends without waiting for this
// side; the reads before it stop short of it.
constexpr qint64 kTailBytes = 16 * 1024;

// Whether the thread is at work, not waiting (for the device, for room in
// its pipe, for this side).
bool threadRunning(long id)
{
    std::ifstream stat("/proc/self/task/" + std::to_string(id) + "/stat");
    std::string text;
    if (!std::getline(stat, text))
        return false;
    // "id (name) state ...": the name may hold spaces and parentheses.
    const size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'R';
}

// Waits until the readers have ended, at most `most`; a reader that has
// been waiting for `idle` is not going to end by itself. Where the threads
// cannot be told, a moment stands in for the wait.
void letReadersEnd(const Readers &readers, std::chrono::milliseconds most, const std::atomic<bool> *stop = nullptr)
{
    using Clock = std::chrono::steady_clock;
    constexpr std::chrono::milliseconds idle(5);
    if (!readers.known) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return;
    }
    const Clock::time_point deadline = Clock::now() + most;
    for (const long id : readers.ids) {
        std::chrono::microseconds pause(20);
        Clock::time_point waitingSince = Clock::now();
        while (!threadGone(id) && !(stop && *stop)) {
            const Clock::time_point now = Clock::now();
            if (threadRunning(id))
                waitingSince = now;
            if (now >= deadline || now - waitingSince >= idle)
                break;
            std::this_thread::sleep_for(pause);
            pause = qMin(pause * 2, std::chrono::microseconds(1000));
        }
    }
}

// Keeps the calling thread, and the threads it starts, on the core it runs
// on until the end of the scope. A backend's reader thread hands every byte
// of a page to the reading thread through a pipe, a little at a time; on
// one core each hand-over is a switch between the two, across cores it is a
// wake-up of another core, which costs several times the copying.
class OneCore
{
public:
    OneCore()
    {
        const int cpu = sched_getcpu();
        if (cpu < 0 || sched_getaffinity(0, sizeof m_saved, &m_saved) != 0)
            return;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        m_pinned = sched_setaffinity(0, sizeof one, &one) == 0;
    }
    ~OneCore()
    {
        if (m_pinned)
            sched_setaffinity(0, sizeof m_saved, &m_saved);
    }
    OneCore(const OneCore &) = delete;
    OneCore &operator=(const OneCore &) = delete;

private:
    cpu_set_t m_saved;
    bool m_pinned = false;
};

} // namespace

struct SaneScanner::Batch
{
    SANE_Handle handle = nullptr;
    int dpi = 0;
    bool feeder = false;
    ScanEnd end;
    Readers readers;
};

SaneScanner::SaneScanner() = default;
SaneScanner::~SaneScanner()
{
    joinNudge();
}

SaneScanner &SaneScanner::instance()
{
    static SaneScanner scanner;
    return scanner;
}

std::optional<QList<ScanSource>> SaneScanner::listSources(QString *reason)
{
    std::lock_guard<std::mutex> library(libraryMutex());
    SaneLibrary sane;
    if (!sane.ok()) {
        *reason = statusText(sane.status);
        return std::nullopt;
    }
    return devices(reason);
}

ScanEnd SaneScanner::acquire(const ScanRequest &request, const std::function<bool(const QImage &)> &onPage)
{
    std::lock_guard<std::mutex> library(libraryMutex());
    m_cancelled = false;
    Batch batch;
    batch.end.usedSource = request.source;
    SaneLibrary sane;
    if (!sane.ok())
        return ScanEnd{ScanEnd::Outcome::NoDevice, statusText(sane.status), 0, request.source};

    SANE_Status status = sane_open(request.source.name.toUtf8().constData(), &batch.handle);
    if (status != SANE_STATUS_GOOD) {
        // A device of the same vendor and model under a new name (another
        // USB port, another address) is the one the user chose.
        QString why;
        const std::optional<QList<ScanSource>> list = devices(&why);
        const int found = list ? ScannerMatch::findSource(*list, request.source) : -1;
        if (found < 0)
            return ScanEnd{ScanEnd::Outcome::NoDevice, statusText(status), 0, request.source};
        if (list->at(found).name != request.source.name) {
            batch.end.usedSource = list->at(found);
            status = sane_open(list->at(found).name.toUtf8().constData(), &batch.handle);
        }
        if (status != SANE_STATUS_GOOD)
            return stopped(batch.end, status);
    }

    const SaneOptions::Applied applied = SaneOptions::apply(batch.handle, request);
    batch.dpi = applied.dpi > 0 ? applied.dpi : request.dpi;
    batch.feeder = applied.feeder;
    ScanEnd end = scanPages(batch, onPage);
    sane_close(batch.handle);
    return end;
}

ScanEnd SaneScanner::scanPages(Batch &batch, const std::function<bool(const QImage &)> &onPage)
{
    const OneCore core;
    setHandle(batch.handle);
    ScanEnd &end = batch.end;
    for (;;) {
        if (m_cancelled) {
            end.outcome = ScanEnd::Outcome::Cancelled;
            break;
        }
        const SANE_Status status = startFrame(batch.handle, &batch.readers);
        // The feeder has run out of sheets: the batch is complete.
        if (status == SANE_STATUS_NO_DOCS)
            break;
        if (status != SANE_STATUS_GOOD) {
            end = stopped(end, status);
            break;
        }
        QImage image;
        if (!readPage(batch, &image, &end))
            break;
        if (!onPage(image)) {
            end.outcome = ScanEnd::Outcome::Cancelled;
            break;
        }
        ++end.pages;
        if (!batch.feeder)
            break;
    }
    letReadersEnd(batch.readers, std::chrono::milliseconds(20));
    endFrame(batch.handle);
    joinNudge();
    return end;
}

bool SaneScanner::readPage(Batch &batch, QImage *image, ScanEnd *end)
{
    SanePage page;
    for (;;) {
        SANE_Parameters parameters;
        SANE_Status status = sane_get_parameters(batch.handle, &parameters);
        if (status != SANE_STATUS_GOOD) {
            *end = stopped(*end, status);
            return false;
        }
        QString reason;
        if (!page.beginFrame(parameters, &reason)) {
            end->outcome = ScanEnd::Outcome::Failed;
            end->reason = reason;
            return false;
        }
        bool tailReady = false;
        do {
            const qint64 left = page.bytesLeft();
            int size = page.readSize(kReadChunk);
            if (left > kTailBytes) {
                size = int(qMin<qint64>(size, left - kTailBytes));
            } else if (left >= 0 && !tailReady) {
                tailReady = true;
                letReadersEnd(batch.readers, std::chrono::seconds(2), &m_cancelled);
            }
            SANE_Int length = 0;
            status = sane_read(batch.handle, page.reserve(size), size, &length);
            if (status == SANE_STATUS_GOOD)
                page.commit(length);
            if (m_cancelled && status == SANE_STATUS_GOOD)
                status = SANE_STATUS_CANCELLED;
        } while (status == SANE_STATUS_GOOD);
        if (status != SANE_STATUS_EOF) {
            *end = stopped(*end, status);
            return false;
        }
        if (page.lastFrameBegun())
            break;
        // The next colour of a three-pass page.
        status = startFrame(batch.handle, &batch.readers);
        if (status != SANE_STATUS_GOOD) {
            *end = stopped(*end, status);
            return false;
        }
    }
    QString reason;
    *image = page.takeImage(batch.dpi, &reason);
    if (image->isNull()) {
        end->outcome = ScanEnd::Outcome::Failed;
        end->reason = reason;
        return false;
    }
    return true;
}

// The scanning thread stops at its next read and ends the frame itself,
// once the backend's reader has had its moment. A device that sends
// nothing meanwhile (a lamp warming up, a feeder waiting for paper) is told
// to stop from here after a short wait.
void SaneScanner::cancel()
{
    constexpr std::chrono::milliseconds kGrace(250);
    m_cancelled = true;
    std::lock_guard<std::mutex> lock(m_handleMutex);
    if (!m_handle || m_nudge.joinable())
        return;
    m_nudge = std::thread([this, kGrace] {
        std::unique_lock<std::mutex> lock(m_handleMutex);
        if (!m_handleChanged.wait_for(lock, kGrace, [this] { return m_handle == nullptr; }))
            sane_cancel(static_cast<SANE_Handle>(m_handle));
    });
}

void SaneScanner::setHandle(void *handle)
{
    std::lock_guard<std::mutex> lock(m_handleMutex);
    m_handle = handle;
}

void SaneScanner::endFrame(void *handle)
{
    {
        std::lock_guard<std::mutex> lock(m_handleMutex);
        sane_cancel(static_cast<SANE_Handle>(handle));
        m_handle = nullptr;
    }
    m_handleChanged.notify_all();
}

void SaneScanner::joinNudge()
{
    std::thread nudge;
    {
        std::lock_guard<std::mutex> lock(m_handleMutex);
        nudge = std::move(m_nudge);
    }
    if (nudge.joinable())
        nudge.join();
}

#include "platform/WorkerWait.h"

#include <atomic>
#include <exception>
#include <optional>
#include <thread>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace {

constexpr int kTickMs = 20;

bool onEventThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

namespace WorkerWait {

void run(const std::function<void()> &work, const std::function<void()> &tick)
{
    std::atomic<bool> done{false};
    std::exception_ptr failure;
    std::optional<QEventLoop> loop;
    if (onEventThread())
        loop.emplace();
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        // The wait ends as soon as the work does, not at the next tick: an
        // import waits like this once per batch.
        if (loop)
            QMetaObject::invokeMethod(&*loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (loop) {
        QTimer timer;
        timer.setInterval(kTickMs);
        QObject::connect(&timer, &QTimer::timeout, &*loop, [&] {
            if (tick)
                tick();
            if (done)
                loop->quit();
        });
        timer.start();
        if (!done)
            loop->exec();
    }
    // Joined before the loop goes, so the worker's quit never reaches a
    // loop that no longer exists.
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace WorkerWait

#include "WorkerWait.h"

#include <atomic>
#include <exception>
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
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
    });
    if (onEventThread()) {
        QEventLoop loop;
        QTimer timer;
        timer.setInterval(kTickMs);
        QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
            if (tick)
                tick();
            if (done)
                loop.quit();
        });
        timer.start();
        if (!done)
            loop.exec();
    }
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace WorkerWait

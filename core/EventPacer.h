#pragma once

#include <chrono>

#include <QElapsedTimer>

// Lets pending events run during a long operation that runs inside the
// event that started it, at most once per interval: often enough that the
// window repaints and Cancel arrives at once to the eye, rarely enough that
// a run of millions of steps does not spend its time in the event loop.
class EventPacer
{
public:
    // About two frames: below what a user notices, above the cost of one
    // event pass on a busy window.
    static constexpr std::chrono::milliseconds DefaultInterval{30};

    explicit EventPacer(std::chrono::milliseconds interval = DefaultInterval);

    // The next letThrough() runs events whatever the time: a new operation
    // shows its first step and sees a Cancel queued before it at once.
    void reset();
    // Runs the pending events when the interval has passed since the last
    // run, or after a reset; true when it ran them.
    bool letThrough();

    void setInterval(std::chrono::milliseconds interval) { m_interval = interval; }
    std::chrono::milliseconds interval() const { return m_interval; }

private:
    QElapsedTimer m_sinceLastRun;
    std::chrono::milliseconds m_interval;
};

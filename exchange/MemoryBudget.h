#pragma once

#include <QMutex>
#include <QWaitCondition>

// Bytes that work on several threads may hold at once, whatever the
// number of threads: each piece of work takes its estimated cost before it
// starts and gives it back when it is done, waiting while the rest held
// leaves no room. A cost above the whole budget is taken as the whole
// budget, so it runs alone once nothing else is held and no file is
// refused for its size. A thread holds one piece at a time; then nothing
// can wait for ever.
class MemoryBudget
{
public:
    explicit MemoryBudget(qint64 bytes);
    MemoryBudget(const MemoryBudget &) = delete;
    MemoryBudget &operator=(const MemoryBudget &) = delete;

    // Waits until bytes fit, then holds them.
    void acquire(qint64 bytes);
    // Holds bytes when they fit now; false (nothing held) when they do not.
    bool tryAcquire(qint64 bytes);
    // Gives back bytes taken by acquire or tryAcquire, or a part of them.
    void release(qint64 bytes);

    qint64 total() const { return m_total; }
    qint64 inUse() const;

    // Bytes held from construction until release() or destruction.
    class Held
    {
    public:
        Held(MemoryBudget &budget, qint64 bytes);
        ~Held() { release(); }
        Held(const Held &) = delete;
        Held &operator=(const Held &) = delete;
        // Gives back part of what is held (all of it by default).
        void release(qint64 bytes = -1);

    private:
        MemoryBudget &m_budget;
        qint64 m_bytes;
    };

private:
    qint64 charged(qint64 bytes) const;

    const qint64 m_total;
    qint64 m_used = 0;
    mutable QMutex m_mutex;
    QWaitCondition m_freed;
};

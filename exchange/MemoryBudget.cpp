#include "exchange/MemoryBudget.h"

#include <algorithm>

#include <QMutexLocker>

MemoryBudget::MemoryBudget(qint64 bytes) : m_total(std::max<qint64>(1, bytes))
{
}

qint64 MemoryBudget::charged(qint64 bytes) const
{
    return std::clamp<qint64>(bytes, 0, m_total);
}

void MemoryBudget::acquire(qint64 bytes)
{
    const qint64 cost = charged(bytes);
    QMutexLocker lock(&m_mutex);
    while (m_used + cost > m_total)
        m_freed.wait(&m_mutex);
    m_used += cost;
}

bool MemoryBudget::tryAcquire(qint64 bytes)
{
    const qint64 cost = charged(bytes);
    QMutexLocker lock(&m_mutex);
    if (m_used + cost > m_total)
        return false;
    m_used += cost;
    return true;
}

void MemoryBudget::release(qint64 bytes)
{
    const qint64 cost = charged(bytes);
    QMutexLocker lock(&m_mutex);
    m_used = std::max<qint64>(0, m_used - cost);
    m_freed.wakeAll();
}

qint64 MemoryBudget::inUse() const
{
    QMutexLocker lock(&m_mutex);
    return m_used;
}

MemoryBudget::Held::Held(MemoryBudget &budget, qint64 bytes) : m_budget(budget), m_bytes(budget.charged(bytes))
{
    m_budget.acquire(m_bytes);
}

void MemoryBudget::Held::release(qint64 bytes)
{
    const qint64 part = bytes < 0 ? m_bytes : std::min(bytes, m_bytes);
    if (part <= 0)
        return;
    m_bytes -= part;
    m_budget.release(part);
}

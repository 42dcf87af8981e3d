#include "core/EventPacer.h"

#include <QCoreApplication>

EventPacer::EventPacer(std::chrono::milliseconds interval) : m_interval(interval)
{
}

void EventPacer::reset()
{
    m_sinceLastRun.invalidate();
}

bool EventPacer::letThrough()
{
    if (m_sinceLastRun.isValid() && m_sinceLastRun.elapsed() < m_interval.count())
        return false;
    QCoreApplication::processEvents();
    // Timed from the end of the pass: a pass that waited in a question
    // (Cancel asking first) does not make the next step run events again.
    m_sinceLastRun.start();
    return true;
}

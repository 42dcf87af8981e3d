#include "core/Progress.h"

namespace {

struct ProgressState
{
    bool cancelled = false;
    ProgressView *view = nullptr;
};

ProgressState &state()
{
    static ProgressState s;
    return s;
}

} // namespace

namespace Progress {

bool ProgressCancelled()
{
    return state().cancelled;
}

void setProgressCancelled(bool cancelled)
{
    state().cancelled = cancelled;
}

void StartProgress(const QString &text, int rangeMin, int rangeMax)
{
    state().cancelled = false;
    if (state().view)
        state().view->start(text, rangeMin, rangeMax, false);
}

void StartProgressPositioned(const QString &text, int rangeMin, int rangeMax)
{
    state().cancelled = false;
    if (state().view)
        state().view->start(text, rangeMin, rangeMax, true);
}

void AdvanceProgress(const QString &text)
{
    if (state().view)
        state().view->IncrementProgress(text);
}

void showBusy()
{
    if (state().view)
        state().view->showBusy();
}

void EndProgress()
{
    StopProgress();
    state().cancelled = true;
}

void StopProgress()
{
    if (state().view)
        state().view->StopProgress();
}

void setView(ProgressView *view)
{
    state().view = view;
}

ProgressView *view()
{
    return state().view;
}

} // namespace Progress

ProgressScope::ProgressScope(const QString &text, int rangeMin, int rangeMax, Cancel cancel, OnClose onClose)
    : m_onClose(onClose), m_cancelledBefore(Progress::ProgressCancelled())
{
    if (cancel == Cancel::Shown)
        Progress::StartProgressPositioned(text, rangeMin, rangeMax);
    else
        Progress::StartProgress(text, rangeMin, rangeMax);
}

ProgressScope::~ProgressScope()
{
    close(m_onClose);
}

void ProgressScope::advance(const QString &text) const
{
    Progress::AdvanceProgress(text);
}

bool ProgressScope::cancelled() const
{
    return Progress::ProgressCancelled();
}

void ProgressScope::stop()
{
    close(OnClose::Keep);
}

void ProgressScope::end()
{
    close(OnClose::Set);
}

void ProgressScope::close(OnClose how)
{
    if (!m_open)
        return;
    m_open = false;
    switch (how) {
    case OnClose::Keep:
        Progress::StopProgress();
        break;
    case OnClose::Set:
        Progress::EndProgress();
        break;
    case OnClose::Restore:
        Progress::StopProgress();
        Progress::setProgressCancelled(m_cancelledBefore);
        break;
    }
}

#include "Progress.h"

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

void SetProgressCancelled(bool cancelled)
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
        state().view->increment(text);
}

void EndProgress()
{
    StopProgress();
    state().cancelled = true;
}

void StopProgress()
{
    if (state().view)
        state().view->stop();
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

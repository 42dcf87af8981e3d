#pragma once

#include "tests/support/RecordingProgressView.h"

// A progress recorder that presses Cancel when the given step arrives
// (1 = the first), as a user stopping a long tool would.
class CancellingProgressView : public RecordingProgressView
{
public:
    explicit CancellingProgressView(int cancelAtStep) : m_cancelAt(cancelAtStep) {}

    void IncrementProgress(const QString &text) override
    {
        RecordingProgressView::IncrementProgress(text);
        if (++m_steps == m_cancelAt)
            Progress::setProgressCancelled(true);
    }

private:
    int m_cancelAt;
    int m_steps = 0;
};

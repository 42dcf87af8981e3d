#pragma once

#include "exchange/ExchangeProgress.h"
#include "core/Progress.h"

#include <QStringList>

// Records what an export or import shows on its dialog's bar and status
// line (a start's text is a status line too), and presses the dialog's
// Cancel (answered Yes) when the given step arrives (1 = the first; 0
// never). Needs vlm_exchange.
class RecordingExchangeProgress : public ExchangeProgress
{
public:
    explicit RecordingExchangeProgress(int cancelAtStep = 0) : m_cancelAt(cancelAtStep) {}

    void Reset(int rangeMin, int rangeMax) override
    {
        ranges.append({rangeMin, rangeMax});
        value = 0;
    }
    void start(const QString &text, int rangeMin, int rangeMax, bool) override
    {
        statuses.append(text);
        Reset(rangeMin, rangeMax);
    }
    void IncrementProgress(const QString &text) override
    {
        steps.append(text);
        if (value < ranges.value(ranges.size() - 1).second)
            ++value;
        if (int(steps.size()) == m_cancelAt)
            Progress::setProgressCancelled(true);
    }
    void showStatus(const QString &caption, const QString &detail) override
    {
        statuses.append(caption + QLatin1Char(' ') + detail);
        if (!cancelAtCaption.isEmpty() && caption == cancelAtCaption)
            Progress::setProgressCancelled(true);
    }
    void setBusy(bool) override {}
    void StopProgress() override
    {
        value = ranges.value(ranges.size() - 1).second;
        ++stops;
    }

    QList<QPair<int, int>> ranges;  // each Reset's Min and Max
    QStringList steps;              // each IncrementProgress text
    QStringList statuses;           // each status line, unshortened
    int value = 0;
    int stops = 0;                  // each StopProgress
    QString cancelAtCaption;        // Cancel (answered Yes) at a status line of this caption too

private:
    int m_cancelAt;
};

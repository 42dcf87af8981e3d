#include "tests/support/RecordingProgressView.h"

RecordingProgressView::RecordingProgressView()
{
    Progress::setView(this);
}

RecordingProgressView::~RecordingProgressView()
{
    Progress::setView(nullptr);
}

void RecordingProgressView::start(const QString &text, int rangeMin, int rangeMax, bool withCancel)
{
    cancelShown = withCancel;
    events.append(QStringLiteral("start %1 %2..%3").arg(text).arg(rangeMin).arg(rangeMax));
}

void RecordingProgressView::IncrementProgress(const QString &text)
{
    events.append(QStringLiteral("step ") + text);
}

void RecordingProgressView::StopProgress()
{
    events.append(QStringLiteral("stop"));
}

void RecordingProgressView::showBusy()
{
    events.append(QStringLiteral("busy"));
}

int RecordingProgressView::stepCount(const QString &text) const
{
    return int(events.count(QStringLiteral("step ") + text));
}

bool RecordingProgressView::closedOrNeverOpened() const
{
    return events.isEmpty() || events.last() == QLatin1String("stop");
}

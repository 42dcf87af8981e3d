#pragma once

#include "core/Progress.h"

#include <QStringList>

// Records what the progress window would show, one line an event:
// "start <text> <min>..<max>", "step <text>", "busy" and "stop". Installs itself as
// the progress view for its lifetime.
class RecordingProgressView : public ProgressView
{
public:
    RecordingProgressView();
    ~RecordingProgressView() override;

    void start(const QString &text, int rangeMin, int rangeMax, bool withCancel) override;
    void IncrementProgress(const QString &text) override;
    void StopProgress() override;
    void showBusy() override;

    // How many steps showed this text.
    int stepCount(const QString &text) const;
    // True when no window was opened, or the last one was closed again: what
    // an operation must leave behind, also when it failed.
    bool closedOrNeverOpened() const;

    QStringList events;
    // Whether the last start showed the Cancel button.
    bool cancelShown = false;
};

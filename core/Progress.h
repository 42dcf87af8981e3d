#pragma once

#include <QString>

// Where the steps of a long operation show: the one progress sink. The
// program's progress window is one, which the logic drives through
// StartProgress / AdvanceProgress / EndProgress once it has registered itself
// as the view (a recorder in tests, nothing at all in a headless tool); the
// bar of the cabinet export and import dialogs is another, which the cabinet
// exchange and the file import it runs step directly.
class ProgressView
{
public:
    virtual ~ProgressView() = default;
    // Show (or reset in place) with a status text and a range of steps;
    // withCancel shows the Cancel button.
    virtual void start(const QString &text, int rangeMin, int rangeMax, bool withCancel) = 0;
    // Set the status text and advance one step (never past the maximum);
    // lets pending events run now and then (at the first step and then
    // every few tens of milliseconds) so the screen repaints and Cancel can
    // arrive.
    virtual void IncrementProgress(const QString &text) = 0;
    // Fill the bar; a window of its own closes.
    virtual void StopProgress() = 0;
    // For a wait of unknown length (a mail server's answer): the bar shows
    // that work goes on instead of standing still, until the next start.
    virtual void showBusy() {}
};

namespace Progress {

// The stop request of the running long operation: false after a start, true
// after Cancel or EndProgress.
bool ProgressCancelled();
void setProgressCancelled(bool cancelled);

void StartProgress(const QString &text, int rangeMin, int rangeMax);
// The same with the Cancel button showing (the cancellable file import).
void StartProgressPositioned(const QString &text, int rangeMin, int rangeMax);
void AdvanceProgress(const QString &text);
// The bar of the shown window goes busy (ProgressView::showBusy).
void showBusy();
// Closes the window and sets ProgressCancelled.
void EndProgress();
// Closes the window; ProgressCancelled keeps its value.
void StopProgress();

// The view that shows progress; nullptr for none. Not owned.
void setView(ProgressView *view);
ProgressView *view();

} // namespace Progress

// The progress of one long operation for as long as the scope lives: the
// view starts in the constructor and closes in the destructor on every way
// out, a thrown error included, so no caller pairs a start with a stop by
// hand nor keeps a flag of whether it started one.
class ProgressScope
{
public:
    enum class Cancel { Hidden, Shown };
    // What closing leaves in ProgressCancelled. Keep: the value the run
    // reached, so the caller still sees a Cancel after the scope (as
    // StopProgress). Set: true, the run is over for any loop still asking
    // (as EndProgress). Restore: the value before the scope began, for a
    // step inside an operation that keeps its own stop request.
    enum class OnClose { Keep, Set, Restore };

    ProgressScope(const QString &text, int rangeMin, int rangeMax, Cancel cancel = Cancel::Hidden,
                  OnClose onClose = OnClose::Keep);
    ~ProgressScope();
    ProgressScope(const ProgressScope &) = delete;
    ProgressScope &operator=(const ProgressScope &) = delete;

    // One step with its status text (AdvanceProgress).
    void advance(const QString &text) const;
    // Whether Cancel was clicked since the scope began.
    bool cancelled() const;
    // Close now rather than at the end of the scope, keeping or setting
    // the stop request whatever the scope was made with; the destructor
    // then does nothing.
    void stop();
    void end();

private:
    void close(OnClose how);

    OnClose m_onClose;
    bool m_cancelledBefore;
    bool m_open = true;
};

#pragma once

#include "core/EventPacer.h"
#include "core/Progress.h"

#include <QPointer>
#include <QWidget>

#include <chrono>
#include <memory>

namespace Ui {
class frmProgress;
}

// The small window that shows a long operation: a status line, a bar and,
// for a cancellable operation, a Cancel button. One instance serves the whole
// run and hides between operations. While any progress window is shown the
// other windows take no input (an InputHold), so no other command can start
// in the middle of an operation, yet the window never takes the activation
// or the keyboard from the window the user works in. It refuses to be
// closed by its frame until Cancel is clicked or the operation ends.
class frmProgress : public QWidget, public ProgressView
{
    Q_OBJECT

public:
    explicit frmProgress(QWidget *parent = nullptr);
    ~frmProgress() override;

    // Creates the program's progress window on the first call and registers
    // it as the progress view; later calls return the same window.
    static frmProgress *install();
    // The progress window shown last that is still up; nullptr for none.
    static frmProgress *shownWindow();
    // Keeps a dialog that opens over a progress window on top as that
    // window is, whatever the window manager makes of a transient window.
    // Nothing for a dialog with another parent.
    static void keepAbove(QWidget *dialog);

    void start(const QString &text, int rangeMin, int rangeMax, bool withCancel) override;
    void IncrementProgress(const QString &text) override;
    void StopProgress() override;
    void showBusy() override;
    // For a batch of unknown length (a feeder scan): a new end of the range,
    // the steps already made kept, so the bar moves with every step.
    void extendRange(int rangeMax);
    // How long the steps of an operation go without an event pass (the
    // first step after a start always has one). Tests set it to see which
    // steps let events through.
    void setEventInterval(std::chrono::milliseconds interval);

Q_SIGNALS:
    // Cancel was clicked: for an operation that runs apart from the event
    // that shows the window (a scan on its worker thread) and stops it.
    void cancelClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private Q_SLOTS:
    void cmdCancel_Click();

private:
    void showValue(int value);
    // Stands the window over the top modal window, or over none.
    void standOver(QWidget *modal);
    // Whether the event is a plain Esc (its key press or the shortcut check
    // before it) to a window the hold keeps.
    bool isHeldEscape(QObject *watched, QEvent *event) const;
    // Gives the activation back to the window that had it before the
    // window showed, when the window system handed it to this one anyway.
    void returnActivation();

    std::unique_ptr<Ui::frmProgress> m_ui;
    int m_rangeMin = 0;
    int m_rangeMax = 0;
    int m_currentValue = 0;
    EventPacer m_events;
    // The window may be closed: after Cancel or once the operation ended.
    bool m_stopped = false;
    QPointer<QWidget> m_returnTo;
};

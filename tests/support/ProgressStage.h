#pragma once

#include <QWidget>

#include <memory>

class frmProgress;

// A main window with a long operation under way, as a prompt box meets it:
// no progress window (no operation), the program's progress window, or a
// feeder scan's own progress window above the program's that a page's save
// shows. Ends the scan's window when it goes; the program's stays installed
// (Progress::StopProgress hides it).
class ProgressStage
{
public:
    // progressWindows: 0, 1 or 2, as above.
    explicit ProgressStage(int progressWindows);
    ~ProgressStage();

    // False when the main window never became active.
    bool ready() const { return m_ready; }
    // The window a box should open over: the progress window shown last,
    // else the main window.
    QWidget *expectedParent() const { return m_expected; }
    // Stops the scan's progress window, as the end of the scan does.
    void stopScan();

private:
    QWidget m_main;
    std::unique_ptr<frmProgress> m_scan;
    QWidget *m_expected = nullptr;
    bool m_ready = false;
};

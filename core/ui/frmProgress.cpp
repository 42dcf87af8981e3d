#include "core/ui/frmProgress.h"
#include "ui_frmProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QShowEvent>
#include <QWindow>

#include "core/ui/FormPosition.h"
#include "core/ui/InputHold.h"
#include "core/ui/ProgressBarFill.h"

namespace {

bool isProgressWindow(const QWidget *window)
{
    return qobject_cast<const frmProgress *>(window) != nullptr;
}

// The progress windows on show, in the order they came up.
QList<QPointer<frmProgress>> &shownWindows()
{
    static QList<QPointer<frmProgress>> windows;
    return windows;
}

// Holds the input of every other window while a progress window is on show.
QPointer<InputHold> &inputHold()
{
    static QPointer<InputHold> hold;
    return hold;
}

void leaveShown(frmProgress *window)
{
    QList<QPointer<frmProgress>> &windows = shownWindows();
    windows.removeAll(window);
    windows.removeAll(nullptr);
    if (windows.isEmpty())
        delete inputHold();
}

} // namespace

frmProgress::frmProgress(QWidget *parent)
    : QWidget(parent, Qt::Dialog), m_ui(std::make_unique<Ui::frmProgress>())
{
    m_ui->setupUi(this);
    // The window only reports: it never takes the activation or the keyboard
    // from the window the user works in. A modal window is activated when it
    // maps; one shown and hidden again before the window manager mapped it
    // (a short delete) took the activation afterwards, hidden, and left the
    // program with no focus at all. The other windows' input is held instead
    // while an operation runs, so that no second command starts meanwhile.
    // Cancel is then a click only.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    FormPosition::SetTopMost(this, true);
    m_ui->cmdCancel->hide();
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &frmProgress::cmdCancel_Click);
}

frmProgress::~frmProgress()
{
    leaveShown(this);
    if (Progress::view() == this)
        Progress::setView(nullptr);
}

frmProgress *frmProgress::shownWindow()
{
    const QList<QPointer<frmProgress>> &windows = shownWindows();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (*it && (*it)->isVisible())
            return *it;
    }
    return nullptr;
}

void frmProgress::keepAbove(QWidget *dialog)
{
    const QWidget *parent = dialog->parentWidget();
    if (isProgressWindow(parent) && parent->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

frmProgress *frmProgress::install()
{
    static QPointer<frmProgress> instance;
    if (!instance) {
        instance = new frmProgress;
        Progress::setView(instance);
    }
    return instance;
}

void frmProgress::start(const QString &text, int rangeMin, int rangeMax, bool withCancel)
{
    // A start while shown resets the same window in place.
    m_stopped = false;
    m_ui->lblStatus->setText(text);
    m_rangeMin = rangeMin;
    m_rangeMax = rangeMax;
    m_ui->cmdCancel->setVisible(withCancel);
    if (!isVisible()) {
        QWidget *active = QApplication::activeWindow();
        if (active && !isProgressWindow(active))
            m_returnTo = active;
        standOver(QApplication::activeModalWidget());
    }
    show();
    raise();
    showValue(0);
    QCoreApplication::processEvents();
    m_events.reset();
}

void frmProgress::standOver(QWidget *modal)
{
    // A modal dialog (Send Email, a cabinet dialog, the viewer) withholds
    // the input of every window but its own and their transients: a
    // progress window shown over it as a window of its own could not be
    // clicked until the operation ended. It stands as the dialog's
    // transient instead, which also keeps it above the dialog; the dialog
    // itself is held like every other window meanwhile. Only the native
    // window is tied, so the dialog never owns this window: it may go
    // while this one lives on. A question of this window's own is never
    // taken for the window to stand over.
    if (modal && (modal == this || isAncestorOf(modal)))
        modal = nullptr;
    create();
    windowHandle()->setTransientParent(modal ? modal->window()->windowHandle() : nullptr);
}

void frmProgress::IncrementProgress(const QString &text)
{
    m_ui->lblStatus->setText(text);
    if (m_currentValue < m_rangeMax)
        showValue(m_currentValue + 1);
    // Text and bar are set at every step (cheap: they only mark the window
    // for repainting); the event pass that paints them and delivers Cancel
    // is paced, as a pass per step costs more than many a step itself.
    m_events.letThrough();
}

void frmProgress::StopProgress()
{
    m_stopped = true;
    showValue(m_rangeMax);
    hide();
    returnActivation();
}

void frmProgress::returnActivation()
{
    // Some window systems activate every window that shows, whatever it
    // asks for; the activation then goes back where it was, and with it the
    // focus to the control that had it. A window the user turned to
    // meanwhile keeps it.
    QWidget *active = QApplication::activeWindow();
    if (!m_returnTo || !m_returnTo->isVisible() || active == m_returnTo)
        return;
    if (active && !isProgressWindow(active))
        return;
    m_returnTo->activateWindow();
}

void frmProgress::showBusy()
{
    // A range without steps is the bar's own busy look; the next start
    // gives it a range again.
    m_ui->shpForeground->setRange(0, 0);
    m_events.letThrough();
}

void frmProgress::extendRange(int rangeMax)
{
    m_rangeMax = rangeMax;
    showValue(m_currentValue);
}

void frmProgress::setEventInterval(std::chrono::milliseconds interval)
{
    m_events.setInterval(interval);
}

bool frmProgress::isHeldEscape(QObject *watched, QEvent *event) const
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    return key->key() == Qt::Key_Escape && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier
           && inputHold() && inputHold()->holds(watched);
}

bool frmProgress::eventFilter(QObject *watched, QEvent *event)
{
    // The keyboard stays with the window the user works in, whose keys the
    // hold drops: Esc there is Cancel of the progress window on top, while
    // its button shows. The shortcut check before the key press is taken
    // too, so that no Esc shortcut of that window sees the key.
    if (shownWindow() != this || m_ui->cmdCancel->isHidden() || !isHeldEscape(watched, event))
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride)
        event->accept();
    else if (!m_stopped)
        m_ui->cmdCancel->click();
    return true;
}

void frmProgress::closeEvent(QCloseEvent *event)
{
    // An operation that never tests the stop request cannot be ended from
    // here, so the frame may only close the window once it is stopped.
    if (m_stopped)
        event->accept();
    else
        event->ignore();
}

void frmProgress::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    QList<QPointer<frmProgress>> &windows = shownWindows();
    if (!inputHold())
        inputHold() = new InputHold(&isProgressWindow, QCoreApplication::instance());
    windows.removeAll(this);
    windows.append(this);
    // After the hold's filter, so that this one sees an Esc first.
    QCoreApplication::instance()->installEventFilter(this);
}

void frmProgress::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        QCoreApplication::instance()->removeEventFilter(this);
        leaveShown(this);
    }
}

void frmProgress::cmdCancel_Click()
{
    // Only flags: the running loop decides where to stop, and ends the window.
    Progress::setProgressCancelled(true);
    m_stopped = true;
    Q_EMIT cancelClicked();
}

void frmProgress::showValue(int value)
{
    m_currentValue = value;
    ProgressBarFill::show(m_ui->shpForeground, value, m_rangeMin, m_rangeMax);
}

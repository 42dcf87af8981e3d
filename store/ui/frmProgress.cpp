#include "store/ui/frmProgress.h"
#include "ui_frmProgress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPointer>

#include "store/ui/FormPosition.h"
#include "store/ui/ProgressBarFill.h"

frmProgress::frmProgress(QWidget *parent)
    : QWidget(parent, Qt::Dialog), m_ui(std::make_unique<Ui::frmProgress>())
{
    m_ui->setupUi(this);
    // Events are processed during an operation so the window repaints and
    // Cancel can arrive; modality keeps every other window from taking input
    // (and starting a second command) meanwhile.
    setWindowModality(Qt::ApplicationModal);
    FormPosition::SetTopMost(this, true);
    m_ui->cmdCancel->hide();
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &frmProgress::cmdCancel_Click);
}

frmProgress::~frmProgress()
{
    if (Progress::view() == this)
        Progress::setView(nullptr);
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
    show();
    raise();
    showValue(0);
    QCoreApplication::processEvents();
    m_events.reset();
}

void frmProgress::increment(const QString &text)
{
    m_ui->lblStatus->setText(text);
    if (m_currentValue < m_rangeMax)
        showValue(m_currentValue + 1);
    // Text and bar are set at every step (cheap: they only mark the window
    // for repainting); the event pass that paints them and delivers Cancel
    // is paced, as a pass per step costs more than many a step itself.
    m_events.letThrough();
}

void frmProgress::stop()
{
    m_stopped = true;
    showValue(m_rangeMax);
    hide();
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

void frmProgress::closeEvent(QCloseEvent *event)
{
    // An operation that never tests the stop request cannot be ended from
    // here, so the frame may only close the window once it is stopped.
    if (m_stopped)
        event->accept();
    else
        event->ignore();
}

void frmProgress::cmdCancel_Click()
{
    // Only flags: the running loop decides where to stop, and ends the window.
    Progress::SetProgressCancelled(true);
    m_stopped = true;
    Q_EMIT cancelClicked();
}

void frmProgress::showValue(int value)
{
    m_currentValue = value;
    ProgressBarFill::show(m_ui->shpForeground, value, m_rangeMin, m_rangeMax);
}

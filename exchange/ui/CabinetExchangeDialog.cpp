#include "exchange/ui/CabinetExchangeDialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "core/Guard.h"
#include "core/Progress.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "core/ui/BusyCursor.h"
#include "core/ui/ProgressBarFill.h"
#include "exchange/ExchangeRules.h"

CabinetExchangeDialog::CabinetExchangeDialog(QWidget *parent, const QString &stopQuestion)
    : QDialog(parent), m_stopQuestion(stopQuestion)
{
}

CabinetExchangeDialog::~CabinetExchangeDialog() = default;

void CabinetExchangeDialog::Reset(int rangeMin, int rangeMax)
{
    m_min = rangeMin;
    m_max = rangeMax;
    drawProgressBar(0);
    QCoreApplication::processEvents();
    m_events.reset();
}

void CabinetExchangeDialog::start(const QString &text, int rangeMin, int rangeMax, bool)
{
    m_status->setText(text);
    Reset(rangeMin, rangeMax);
}

void CabinetExchangeDialog::IncrementProgress(const QString &text)
{
    m_status->setText(text);
    if (m_value < m_max)
        drawProgressBar(m_value + 1);
    // An event pass per page would cost more than many a page's copy.
    m_events.letThrough();
}

void CabinetExchangeDialog::StopProgress()
{
    drawProgressBar(m_max);
}

void CabinetExchangeDialog::showStatus(const QString &caption, const QString &detail)
{
    const QFontMetrics metrics(m_status->font());
    const int width = m_status->width();
    m_status->setText(ExchangeRules::elideStatus(
        caption, detail, [&](const QString &text) { return metrics.horizontalAdvance(text) <= width; }));
    m_events.letThrough();
}

void CabinetExchangeDialog::setBusy(bool busy)
{
    if (busy && !m_busy)
        m_busy = std::make_unique<BusyCursor>();
    else if (!busy)
        m_busy.reset();
}

void CabinetExchangeDialog::drawProgressBar(int position)
{
    m_value = position;
    ProgressBarFill::show(m_bar, position, m_min, m_max);
}

void CabinetExchangeDialog::setUpControls(QLabel *status, QProgressBar *bar, QComboBox *cabinets, QPushButton *ok)
{
    if (parentWidget())
        setWindowIcon(parentWidget()->windowIcon());
    m_status = status;
    m_bar = bar;
    m_cabinets = cabinets;
    cabinets->clear();
    guard([&] {
        for (const ExchangeRules::CabinetEntry &entry : ExchangeRules::openCabinets())
            cabinets->addItem(entry.name, entry.id);
    });
    if (cabinets->count() == 0) {
        cabinets->addItem(ExchangeRules::NoCabinetsEntry, -1);
        cabinets->setEnabled(false);
        ok->setEnabled(false);
    }
    cabinets->setCurrentIndex(0);
}

void CabinetExchangeDialog::selectCabinet(RecordId cabinetId)
{
    const int index = m_cabinets->findData(cabinetId);
    if (index < 0 || cabinetId < 0)
        return;
    m_cabinets->setCurrentIndex(index);
    m_cabinets->setEnabled(false);
}

RecordId CabinetExchangeDialog::chosenCabinet() const
{
    const QVariant id = m_cabinets->currentData();
    return id.isValid() ? id.toLongLong() : -1;
}

void CabinetExchangeDialog::setRunning(bool running)
{
    m_running = running;
    if (!running)
        setBusy(false);
}

void CabinetExchangeDialog::reject()
{
    // The run is inside this dialog's own OK handler: closing now would
    // destroy the dialog under it. Stopping is asked for instead, and the
    // run closes the dialog when it has ended.
    if (m_running) {
        if (Prompt::instance().question(m_stopQuestion))
            Progress::setProgressCancelled(true);
        return;
    }
    QDialog::reject();
}

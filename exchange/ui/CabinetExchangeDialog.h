#pragma once

#include "core/EventPacer.h"
#include "core/RecordId.h"
#include "exchange/ExchangeProgress.h"

#include <QDialog>

#include <memory>

class BusyCursor;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

// What the export and import dialogs share: the list of cabinets that may
// be chosen (by id, so a locked cabinet of the same name is never
// reached), the bar and status line the running export or import drives,
// and the rule that while it runs, Cancel, Esc and the window's close box
// only ask whether to stop it.
class CabinetExchangeDialog : public QDialog, public ExchangeProgress
{
    Q_OBJECT

public:
    ~CabinetExchangeDialog() override;

    // The bar: Min and Max, then drawn at 0.
    void Reset(int rangeMin, int rangeMax) override;
    // The status line shows text, then Reset; the dialog's Cancel is always
    // there, whatever withCancel says.
    void start(const QString &text, int rangeMin, int rangeMax, bool withCancel) override;
    // The status line shows text; the bar advances one step unless at Max.
    void IncrementProgress(const QString &text) override;
    void showStatus(const QString &caption, const QString &detail) override;
    void setBusy(bool busy) override;
    // Draws the bar at Max; the dialog stays.
    void StopProgress() override;

    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Value() const { return m_value; }
    bool running() const { return m_running; }

    // The cabinet popup's preselection: chosen and the box disabled; a
    // cabinet that is not offered (locked) leaves the box on its first entry.
    void selectCabinet(RecordId cabinetId);

    // While running: the stop question instead of closing.
    void reject() override;

protected:
    CabinetExchangeDialog(QWidget *parent, const QString &stopQuestion);

    // Takes the dialog's bar, status line and cabinet box, and fills the
    // box with the open cabinets, or the placeholder with the box and OK
    // disabled; the first entry is chosen.
    void setUpControls(QLabel *status, QProgressBar *bar, QComboBox *cabinets, QPushButton *ok);
    // The chosen cabinet's id; -1 for the placeholder.
    RecordId chosenCabinet() const;
    void setRunning(bool running);

private:
    void drawProgressBar(int position);

    QString m_stopQuestion;
    QLabel *m_status = nullptr;
    QProgressBar *m_bar = nullptr;
    QComboBox *m_cabinets = nullptr;
    std::unique_ptr<BusyCursor> m_busy;
    EventPacer m_events;
    int m_min = 0;
    int m_max = 0;
    int m_value = 0;
    bool m_running = false;
};

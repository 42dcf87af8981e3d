#pragma once

#include <QObject>
#include <QPrinter>

#include <functional>

#include "imaging/PagePrinter.h"

class QComboBox;
class QPushButton;
class QWidget;

// The printer part that both print dialogs share: the list of printers
// with the remembered one selected, the "Setup..." button, and the printer
// the pages go to. The chosen printer is handed to the job itself; the
// system's default printer is never changed.
class PrinterChoice : public QObject
{
    Q_OBJECT

public:
    // The controls stay the dialog's; printButton is disabled with the list
    // when no printer is installed.
    PrinterChoice(QComboBox *printers, QPushButton *printButton, QPushButton *setupButton, QWidget *owner);
    ~PrinterChoice() override;

    // Fills the list from the installed printers and selects the one the
    // setting Printer remembers (the last exact match), else the first.
    void load();
    // Points the printer at the selected entry and remembers its name in
    // Printer. Call before printing.
    void apply();
    // apply(), then runs the print on this printer with the busy pointer
    // and shows what it did: "Nothing found to print.", the refusal of a
    // page, the failure that ended it, the shortcut pages passed over.
    // False when the print ended in a failure.
    bool print(const std::function<PagePrinter::Outcome(PrintSink &)> &run);
    // The printer the pages are drawn on.
    QPrinter &printer() { return m_printer; }

private:
    // The driver's settings for the selected printer, for this print only.
    void cmdPrintSetup_Click();

    QComboBox *m_printers;
    QPushButton *m_printButton;
    QWidget *m_owner;
    QPrinter m_printer{QPrinter::HighResolution};
};

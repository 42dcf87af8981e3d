#include "imaging/print/PrinterChoice.h"

#include <QApplication>
#include <QComboBox>
#include <QPageSetupDialog>
#include <QPushButton>

#include "core/AppSettings.h"
#include "core/Guard.h"
#include "core/Prompt.h"
#include "core/ui/BusyCursor.h"
#include "imaging/PrintLayout.h"
#include "imaging/print/PrinterCatalog.h"
#include "imaging/print/PrinterSink.h"

PrinterChoice::PrinterChoice(QComboBox *printers, QPushButton *printButton, QPushButton *setupButton,
                             QWidget *owner)
    : QObject(owner), m_printers(printers), m_printButton(printButton), m_owner(owner)
{
    connect(setupButton, &QPushButton::clicked, this, &PrinterChoice::cmdPrintSetup_Click);
}

PrinterChoice::~PrinterChoice() = default;

void PrinterChoice::load()
{
    const QString remembered = AppSettings::Printer.read();
    const QStringList names = PrinterCatalog::printerNames();
    m_printers->clear();
    m_printers->addItems(names);
    m_printers->setCurrentIndex(PrintLayout::selectedPrinter(names, remembered));
    const bool any = !names.isEmpty();
    m_printers->setEnabled(any);
    m_printButton->setEnabled(any);
}

void PrinterChoice::apply()
{
    const QString name = m_printers->currentText();
    if (name.isEmpty())
        return;
    m_printer.setPrinterName(name);
    AppSettings::Printer.write(name);
}

bool PrinterChoice::print(const std::function<PagePrinter::Outcome(PrintSink &)> &run)
{
    PagePrinter::Outcome outcome;
    const bool ran = guard([&] {
        apply();
        PrinterSink sink(m_printer);
        BusyCursor busy;
        outcome = run(sink);
    });
    if (!ran)
        return false;
    Prompt &prompt = Prompt::instance();
    if (outcome.nothingFound)
        prompt.message(PrintLayout::NothingToPrint);
    if (!outcome.refusal.isEmpty())
        prompt.warning(outcome.refusal);
    if (outcome.failure)
        prompt.error(outcome.failure->message());
    const QString note = PagePrinter::shortcutNote(outcome);
    if (!note.isEmpty())
        prompt.message(note);
    return !outcome.failure;
}

void PrinterChoice::cmdPrintSetup_Click()
{
    // Without a printer there is nothing to set up.
    if (m_printers->currentText().isEmpty())
        return;
    m_printer.setPrinterName(m_printers->currentText());
    QPageSetupDialog dialog(&m_printer, m_owner);
    dialog.exec();
}

#include "imaging/print/frmPrintDocument.h"
#include "ui_frmPrintDocument.h"

#include "core/Guard.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "imaging/PagePrinter.h"
#include "imaging/PrintLayout.h"
#include "imaging/print/PrinterChoice.h"

frmPrintDocument::frmPrintDocument(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmPrintDocument>())
{
    m_ui->setupUi(this);
    m_choice = new PrinterChoice(m_ui->cboPrinter, m_ui->cmdPrint, m_ui->cmdPrintSetup, this);
    m_choice->load();
    connect(m_ui->cmdPrint, &QPushButton::clicked, this, &frmPrintDocument::cmdPrint_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmPrintDocument::~frmPrintDocument() = default;

void frmPrintDocument::setDocument(RecordId documentId, int fromPage, int thruPage)
{
    DocumentId = documentId;
    FromPage = fromPage;
    ThruPage = thruPage;
    m_ui->txtFromPage->setText(QString::number(fromPage));
    m_ui->txtThruPage->setText(QString::number(thruPage));
}

void frmPrintDocument::showForDocument(QWidget *parent, RecordId documentId)
{
    std::pair<int, int> range;
    if (!guard([&] { range = PagePrinter::documentPageRange(documentId); }))
        return;
    frmPrintDocument dialog(parent);
    dialog.setDocument(documentId, range.first, range.second);
    dialog.exec();
}

void frmPrintDocument::cmdPrint_Click()
{
    FromPage = PrintLayout::wholeNumber(m_ui->txtFromPage->text());
    ThruPage = PrintLayout::wholeNumber(m_ui->txtThruPage->text());
    if (const auto refusal = PrintLayout::checkRange(FromPage, ThruPage)) {
        Prompt::instance().warning(*refusal);
        m_ui->txtFromPage->setFocus();
        m_ui->txtFromPage->selectAll();
        return;
    }
    const RecordId documentId = DocumentId;
    const int from = FromPage;
    const int thru = ThruPage;
    m_choice->print([=](PrintSink &sink) { return PagePrinter::PrintDocumentPages(documentId, from, thru, sink); });
    accept();
}

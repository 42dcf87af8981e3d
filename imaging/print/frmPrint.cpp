#include "imaging/print/frmPrint.h"
#include "ui_frmPrint.h"

#include "core/RecordId.h"
#include "imaging/PagePrinter.h"
#include "imaging/print/PrinterChoice.h"

frmPrint::frmPrint(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmPrint>())
{
    m_ui->setupUi(this);
    m_choice = new PrinterChoice(m_ui->cboPrinter, m_ui->cmdPrint, m_ui->cmdPrintSetup, this);
    m_choice->load();
    connect(m_ui->cmdPrint, &QPushButton::clicked, this, &frmPrint::cmdPrint_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmPrint::~frmPrint() = default;

void frmPrint::showForPage(QWidget *parent, RecordId pageId)
{
    frmPrint dialog(parent);
    dialog.PageId = pageId;
    dialog.exec();
}

void frmPrint::cmdPrint_Click()
{
    const RecordId pageId = PageId;
    m_choice->print([pageId](PrintSink &sink) { return PagePrinter::PrintPage(pageId, sink); });
    accept();
}

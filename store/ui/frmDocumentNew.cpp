#include "store/ui/frmDocumentNew.h"
#include "ui_frmDocumentNew.h"

#include "store/RecordRules.h"
#include "store/ui/RecordDialog.h"

frmDocumentNew::frmDocumentNew(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmDocumentNew>())
{
    m_ui->setupUi(this);
    m_ui->txtName->setFocus();  // before the tab bar, which comes first in the chain
    m_info.NewDocCancelled = true;
    RecordDialog::connectTodayButton(m_ui->imgNow, m_ui->txtDateOnDocument);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmDocumentNew::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmDocumentNew::~frmDocumentNew() = default;

void frmDocumentNew::UpdateCaption()
{
    setWindowTitle(QStringLiteral("Add Document"));
}

NewDocInfo frmDocumentNew::ask(QWidget *parent)
{
    frmDocumentNew dialog(parent);
    if (dialog.exec() != QDialog::Accepted) {
        NewDocInfo cancelled;
        cancelled.NewDocCancelled = true;
        return cancelled;
    }
    return dialog.info();
}

void frmDocumentNew::cmdOK_Click()
{
    RecordRules::DocumentValues values;
    if (!RecordDialog::checkDocumentBoxes(
            {m_ui->txtName, m_ui->txtDateOnDocument, m_ui->txtAmount, m_ui->tabMain}, &values))
        return;
    m_info.NewDocCancelled = false;
    m_info.NewDocName = values.name;
    m_info.NewDocDate = values.dateOnDocument;
    m_info.NewDocDescription = m_ui->txtDescription->toPlainText();
    m_info.NewDocAmount = values.amount;
    accept();
}

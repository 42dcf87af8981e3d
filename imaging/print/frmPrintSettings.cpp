#include "imaging/print/frmPrintSettings.h"
#include "ui_frmPrintSettings.h"

#include "core/AppSettings.h"
#include "core/Prompt.h"
#include "imaging/PrintLayout.h"

frmPrintSettings::frmPrintSettings(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmPrintSettings>())
{
    m_ui->setupUi(this);
    m_ui->txtPrintWidthPct->setText(AppSettings::PrintWidthPct.text());
    m_ui->txtPrintHeightPct->setText(AppSettings::PrintHeightPct.text());
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmPrintSettings::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmPrintSettings::~frmPrintSettings() = default;

void frmPrintSettings::showSettings(QWidget *parent)
{
    frmPrintSettings dialog(parent);
    dialog.exec();
}

void frmPrintSettings::cmdOK_Click()
{
    const auto refusal = PrintLayout::saveScale(m_ui->txtPrintWidthPct->text(), m_ui->txtPrintHeightPct->text());
    if (!refusal) {
        accept();
        return;
    }
    Prompt::instance().warning(refusal->message);
    QLineEdit *box = refusal->width ? m_ui->txtPrintWidthPct : m_ui->txtPrintHeightPct;
    box->setFocus();
    box->selectAll();
}

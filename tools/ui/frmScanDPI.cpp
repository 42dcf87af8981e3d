#include "tools/ui/frmScanDPI.h"
#include "ui_frmScanDPI.h"

#include "core/Prompt.h"

namespace {

// Shows the text in the combo. A stored type that is none of the choices
// is added, so that the dialog shows, and Save keeps, what is stored.
void setType(QComboBox *combo, const QString &text)
{
    int index = combo->findText(text);
    if (index < 0) {
        combo->addItem(text);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
}

} // namespace

frmScanDPI::frmScanDPI(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::frmScanDPI>())
{
    m_ui->setupUi(this);
    if (parent)
        setWindowIcon(parent->windowIcon());
    connect(m_ui->cmdSave, &QPushButton::clicked, this, &frmScanDPI::cmdSave_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->cmdReset, &QPushButton::clicked, this, &frmScanDPI::cmdReset_Click);
    setValues(ScanDefaults::readResolution());
}

frmScanDPI::~frmScanDPI() = default;

void frmScanDPI::setValues(const ScanDefaults::Resolution &values)
{
    m_ui->txtDPIDoc->setText(values.docDpi);
    m_ui->txtQDoc->setText(values.docQuality);
    setType(m_ui->cboTypeDoc, values.docScanType);
    m_ui->txtDPIPic->setText(values.picDpi);
    m_ui->txtQPic->setText(values.picQuality);
    setType(m_ui->cboTypePic, values.picScanType);
}

ScanDefaults::Resolution frmScanDPI::values() const
{
    ScanDefaults::Resolution v;
    v.docDpi = m_ui->txtDPIDoc->text();
    v.docQuality = m_ui->txtQDoc->text();
    v.docScanType = m_ui->cboTypeDoc->currentText();
    v.picDpi = m_ui->txtDPIPic->text();
    v.picQuality = m_ui->txtQPic->text();
    v.picScanType = m_ui->cboTypePic->currentText();
    return v;
}

QLineEdit *frmScanDPI::box(ScanDefaults::Field field) const
{
    switch (field) {
    case ScanDefaults::Field::DocDpi: return m_ui->txtDPIDoc;
    case ScanDefaults::Field::DocQuality: return m_ui->txtQDoc;
    case ScanDefaults::Field::PicDpi: return m_ui->txtDPIPic;
    case ScanDefaults::Field::PicQuality: return m_ui->txtQPic;
    }
    return m_ui->txtDPIDoc;
}

bool frmScanDPI::ValidateScanDPI()
{
    ScanDefaults::Resolution v = values();
    const std::optional<ScanDefaults::Refusal> refusal = ScanDefaults::ValidateScanDPI(v);
    // The boxes show the numbers as they were read, also when one is refused.
    setValues(v);
    if (!refusal)
        return true;
    Prompt::instance().warning(refusal->message);
    QLineEdit *refused = box(refusal->field);
    refused->setFocus();
    refused->selectAll();
    return false;
}

void frmScanDPI::cmdSave_Click()
{
    if (!ValidateScanDPI())
        return;
    ScanDefaults::SaveScanDPI(values());
    Prompt::instance().message(QStringLiteral("Scanning Resolution saved."));
    accept();
}

void frmScanDPI::cmdReset_Click()
{
    if (Prompt::instance().question(QStringLiteral("Reset values to factory defaults?")))
        setValues(ScanDefaults::Resolution());
}

#include "tools/ui/frmAdvanced.h"
#include "ui_frmAdvanced.h"

#include "core/Prompt.h"

frmAdvanced::frmAdvanced(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::frmAdvanced>())
{
    m_ui->setupUi(this);
    if (parent)
        setWindowIcon(parent->windowIcon());
    connect(m_ui->cmdSave, &QPushButton::clicked, this, &frmAdvanced::cmdSave_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->cmdReset, &QPushButton::clicked, this, &frmAdvanced::cmdReset_Click);
    setValues(ScanDefaults::readAdvanced());
}

frmAdvanced::~frmAdvanced() = default;

void frmAdvanced::setValues(const ScanDefaults::Advanced &values)
{
    m_ui->chkShowUI->setChecked(values.showUi);
    m_ui->chkNativeTransfer->setChecked(values.nativeTransfer);
}

ScanDefaults::Advanced frmAdvanced::values() const
{
    return {m_ui->chkShowUI->isChecked(), m_ui->chkNativeTransfer->isChecked()};
}

void frmAdvanced::cmdSave_Click()
{
    ScanDefaults::SaveAdvancedSettings(values());
    Prompt::instance().message(QStringLiteral("Advanced settings saved."));
    accept();
}

void frmAdvanced::cmdReset_Click()
{
    // Back to the defaults (both off); nothing is stored before Save.
    setValues(ScanDefaults::Advanced());
}

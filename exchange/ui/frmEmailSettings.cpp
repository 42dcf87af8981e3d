#include "exchange/ui/frmEmailSettings.h"
#include "ui_frmEmailSettings.h"

#include "core/Guard.h"

namespace {

// The entries of cboEmail, in order.
constexpr Mail::System kSystems[] = {Mail::System::None, Mail::System::DesktopClient, Mail::System::Smtp};
// The entries of cboSmtpSecurity and the values they store.
const QString kSecurity[] = {QStringLiteral("starttls"), QStringLiteral("ssl"), QStringLiteral("none")};

} // namespace

frmEmailSettings::frmEmailSettings(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmEmailSettings>())
{
    m_ui->setupUi(this);
    connect(m_ui->cmdTest, &QPushButton::clicked, this, &frmEmailSettings::cmdTest_Click);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmEmailSettings::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->cboEmail, &QComboBox::currentIndexChanged, this, &frmEmailSettings::cboEmail_Change);
    setValues(Email::EmailSettings::read());
}

frmEmailSettings::~frmEmailSettings() = default;

void frmEmailSettings::setValues(const Email::EmailSettings &v)
{
    for (int i = 0; i < int(std::size(kSystems)); ++i) {
        if (kSystems[i] == v.system)
            m_ui->cboEmail->setCurrentIndex(i);
    }
    m_ui->txtEmail->setText(v.address);
    m_ui->txtSmtpHost->setText(v.smtp.host);
    m_ui->txtSmtpPort->setText(v.smtp.port);
    int security = 0;
    for (int i = 0; i < int(std::size(kSecurity)); ++i) {
        if (kSecurity[i] == v.smtp.security)
            security = i;
    }
    m_ui->cboSmtpSecurity->setCurrentIndex(security);
    m_ui->txtSmtpUser->setText(v.smtp.user);
    m_ui->txtSmtpPassword->setText(v.smtp.password);
    m_ui->txtSmtpFrom->setText(v.smtp.from);
    cboEmail_Change();
}

Email::EmailSettings frmEmailSettings::values() const
{
    Email::EmailSettings v;
    v.system = kSystems[std::max(0, m_ui->cboEmail->currentIndex())];
    v.address = m_ui->txtEmail->text();
    v.smtp.host = m_ui->txtSmtpHost->text().trimmed();
    v.smtp.port = m_ui->txtSmtpPort->text().trimmed();
    v.smtp.security = kSecurity[std::max(0, m_ui->cboSmtpSecurity->currentIndex())];
    v.smtp.user = m_ui->txtSmtpUser->text();
    v.smtp.password = m_ui->txtSmtpPassword->text();
    v.smtp.from = m_ui->txtSmtpFrom->text().trimmed();
    return v;
}

void frmEmailSettings::cboEmail_Change()
{
    m_ui->grpSmtp->setEnabled(kSystems[std::max(0, m_ui->cboEmail->currentIndex())] == Mail::System::Smtp);
}

void frmEmailSettings::cmdTest_Click()
{
    const Email::EmailSettings v = values();
    guard([&] { Email::sendTestEmail(v.system, v.address, v.smtp); });
}

void frmEmailSettings::cmdOK_Click()
{
    values().write();
    accept();
}

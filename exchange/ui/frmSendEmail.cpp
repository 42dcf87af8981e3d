#include "exchange/ui/frmSendEmail.h"
#include "ui_frmSendEmail.h"

#include "core/AppSettings.h"
#include "core/Guard.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "exchange/Email.h"

frmSendEmail::frmSendEmail(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmSendEmail>())
{
    m_ui->setupUi(this);
    connect(m_ui->cmdSend, &QPushButton::clicked, this, &frmSendEmail::cmdSend_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    m_ui->txtSendTo->setText(AppSettings::LastSendTo.read());
}

frmSendEmail::~frmSendEmail() = default;

void frmSendEmail::showForPage(QWidget *parent, RecordId documentId, const QString &pageFile)
{
    if (Email::currentSystem() == Mail::System::None) {
        Prompt::instance().warning(Email::noEmailSystemMessage());
        return;
    }
    QString files;
    if (!guard([&] { files = Email::documentPageFiles(documentId); }))
        return;
    frmSendEmail dialog(parent);
    dialog.filename = pageFile;
    dialog.Filenames = files;
    dialog.exec();
}

void frmSendEmail::cmdSend_Click()
{
    // Saved first, whatever happens next.
    AppSettings::LastSendTo.write(m_ui->txtSendTo->text());
    const QString attachments = m_ui->optSendPage->isChecked() ? filename : Filenames;
    const Mail::System system = Email::currentSystem();
    if (system == Mail::System::None) {
        Prompt::instance().warning(Email::noEmailSystemMessage());
        return;
    }
    guard([&] {
        Email::SendEmail(system, m_ui->txtSendTo->text(), m_ui->txtSubject->text(), m_ui->txtBody->toPlainText(),
                         attachments);
    });
}

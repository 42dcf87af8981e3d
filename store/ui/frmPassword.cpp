#include "store/ui/frmPassword.h"
#include "ui_frmPassword.h"

#include "core/Prompt.h"
#include "core/ui/TitleWidth.h"
#include "core/ui/frmProgress.h"
#include "store/Passwords.h"

frmPassword::frmPassword(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmPassword>())
{
    m_ui->setupUi(this);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmPassword::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    m_ui->lblCabinet->hide();
    TitleWidth::fit(this);
}

frmPassword::~frmPassword() = default;

void frmPassword::setCabinetName(const QString &name)
{
    // The caption stays "Enter Password"; the cabinet is named above the box
    // in full, however long its name.
    m_ui->lblCabinet->setText(QStringLiteral("File cabinet: %1").arg(name));
    m_ui->lblCabinet->setVisible(!name.isEmpty());
}

QString frmPassword::password() const
{
    return m_ui->txtPassword->text();
}

std::optional<QString> frmPassword::ask(QWidget *parent, const QString &cabinetName)
{
    frmPassword dialog(parent);
    frmProgress::keepAbove(&dialog);
    dialog.setCabinetName(cabinetName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.password();
}

void frmPassword::cmdOK_Click()
{
    // Passwords are stored scrambled code by code in 0..255, so a character
    // beyond Latin-1 could never be stored or compared: refuse it here and
    // let the user correct the text.
    if (!Passwords::isValidPasswordText(password())) {
        Prompt::instance().warning(
            QStringLiteral("A password may only hold characters of the Western European "
                           "(Latin-1) set. Please remove the other characters."),
            windowTitle());
        m_ui->txtPassword->setFocus();
        return;
    }
    accept();
}

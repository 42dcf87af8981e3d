#pragma once

#include <QDialog>

#include <memory>

#include "exchange/Email.h"

namespace Ui {
class frmEmailSettings;
}

// File > Email Settings...: the e-mail system, its SMTP server and a test
// address. Stores nothing before OK; Send Test Email uses what is shown.
class frmEmailSettings : public QDialog
{
    Q_OBJECT

public:
    explicit frmEmailSettings(QWidget *parent = nullptr);
    ~frmEmailSettings() override;

    void setValues(const Email::EmailSettings &values);
    Email::EmailSettings values() const;

private Q_SLOTS:
    void cmdTest_Click();
    void cmdOK_Click();
    void cboEmail_Change();

private:
    std::unique_ptr<Ui::frmEmailSettings> m_ui;
};

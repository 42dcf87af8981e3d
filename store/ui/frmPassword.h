#pragma once

#include <QDialog>

#include <memory>
#include <optional>

namespace Ui {
class frmPassword;
}

// Asks for a cabinet's password. OK accepts the typed text (at most ten
// characters) once it can be stored; Cancel, Esc and closing the window by
// its frame all cancel.
class frmPassword : public QDialog
{
    Q_OBJECT

public:
    explicit frmPassword(QWidget *parent = nullptr);
    ~frmPassword() override;

    // Names the locked cabinet above the password box (nothing for an empty
    // name).
    void setCabinetName(const QString &name);

    // The text typed into the password box.
    QString password() const;

    // Shows the dialog modally; the typed password, or nullopt for Cancel.
    static std::optional<QString> ask(QWidget *parent, const QString &cabinetName = QString());

private Q_SLOTS:
    void cmdOK_Click();

private:
    std::unique_ptr<Ui::frmPassword> m_ui;
};

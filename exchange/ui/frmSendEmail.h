#pragma once

#include <QDialog>

#include <memory>

#include "core/RecordId.h"

namespace Ui {
class frmSendEmail;
}

// Sends the viewer's page, or every page of its document, to an address.
// Stays open after sending; Cancel closes it.
class frmSendEmail : public QDialog
{
    Q_OBJECT

public:
    explicit frmSendEmail(QWidget *parent = nullptr);
    ~frmSendEmail() override;

    // The file of the page on screen, and every page file of its document
    // each followed by "|" (Email::documentPageFiles).
    QString filename;
    QString Filenames;

    // The viewer's E-mail button: refuses with the set-up message when no
    // system is chosen, else opens the dialog for the page (its file and
    // its document's files). Never throws.
    static void showForPage(QWidget *parent, RecordId documentId, const QString &pageFile);

private Q_SLOTS:
    void cmdSend_Click();

private:
    std::unique_ptr<Ui::frmSendEmail> m_ui;
};

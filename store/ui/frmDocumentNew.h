#pragma once

#include <QDialog>

#include <memory>

#include "store/NewDocInfo.h"

namespace Ui {
class frmDocumentNew;
}

// Asks for the name, description, date and amount of the document a scan
// is about to create. It writes nothing: the scan stores the details once
// the document exists.
class frmDocumentNew : public QDialog
{
    Q_OBJECT

public:
    explicit frmDocumentNew(QWidget *parent = nullptr);
    ~frmDocumentNew() override;

    // The design caption (nothing changes it).
    void UpdateCaption();

    // The details as last accepted; NewDocCancelled until OK passed.
    const NewDocInfo &info() const { return m_info; }

    // Shows the dialog modally. Cancel, Esc and closing the window give
    // NewDocCancelled with the other fields empty.
    static NewDocInfo ask(QWidget *parent);

private Q_SLOTS:
    void cmdOK_Click();

private:
    std::unique_ptr<Ui::frmDocumentNew> m_ui;
    NewDocInfo m_info;
};

#pragma once

#include "exchange/ui/CabinetExchangeDialog.h"

#include <memory>

namespace Ui {
class frmImport;
}

// "Import Files": the root of an exported cabinet tree (the folder holding
// its marker), the cabinet to merge it into (one that opens without a
// password) and the number of disks, checked on OK; then the import runs
// with its bar and status line in place of the inputs, reports its counts
// and the dialog closes. The path is remembered in LastImportPath.
class frmImport : public CabinetExchangeDialog
{
    Q_OBJECT

public:
    explicit frmImport(QWidget *parent = nullptr);
    ~frmImport() override;


private Q_SLOTS:
    void cmdLookup_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    // The disk count to import, or 0 when a check refused the input (its
    // message shown).
    int checkInput(const QString &root);

    std::unique_ptr<Ui::frmImport> m_ui;
};

#pragma once

#include "exchange/ui/CabinetExchangeDialog.h"

#include <memory>

namespace Ui {
class frmExport;
}

// "Export Cabinet": the cabinet (one that opens without a password) and
// the output folder, checked on OK; then the export runs with its bar and
// status line in place of the inputs, and the dialog closes when it ends.
// The output folder is remembered in LastOutputPath.
class frmExport : public CabinetExchangeDialog
{
    Q_OBJECT

public:
    explicit frmExport(QWidget *parent = nullptr);
    ~frmExport() override;


private Q_SLOTS:
    void cmdLookup_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    // False, with the reason shown and the focus in the path box, when
    // the path cannot be exported to.
    bool checkPath(const QString &path);

    std::unique_ptr<Ui::frmExport> m_ui;
};

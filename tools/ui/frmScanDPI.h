#pragma once

#include <QDialog>

#include <memory>

#include "tools/ScanDefaults.h"

namespace Ui {
class frmScanDPI;
}
class QLineEdit;

// The scanning resolution dialog: resolution, JPEG quality and colour type
// for document pages and for pictures, read from the settings when it opens
// and written by Save once every number passes its check.
class frmScanDPI : public QDialog
{
    Q_OBJECT

public:
    explicit frmScanDPI(QWidget *parent = nullptr);
    ~frmScanDPI() override;

    void setValues(const ScanDefaults::Resolution &values);
    ScanDefaults::Resolution values() const;

    // Rewrites the number boxes to their leading numbers and checks them;
    // the first failure is shown and its box gets the focus.
    bool ValidateScanDPI();

private Q_SLOTS:
    void cmdSave_Click();
    void cmdReset_Click();

private:
    QLineEdit *box(ScanDefaults::Field field) const;

    std::unique_ptr<Ui::frmScanDPI> m_ui;
};

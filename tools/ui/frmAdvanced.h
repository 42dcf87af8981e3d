#pragma once

#include <QDialog>

#include <memory>

#include "tools/ScanDefaults.h"

namespace Ui {
class frmAdvanced;
}

// The advanced scanner settings: the two scanner-interface options, read
// from the settings when the dialog opens and written by Save. Both are
// TWAIN's, and scanning through SANE never reads them: the boxes show the
// stored values disabled, with the reason in their tooltips, and Save
// writes them back as they were (Reset still clears them to the defaults).
class frmAdvanced : public QDialog
{
    Q_OBJECT

public:
    explicit frmAdvanced(QWidget *parent = nullptr);
    ~frmAdvanced() override;

    void setValues(const ScanDefaults::Advanced &values);
    ScanDefaults::Advanced values() const;

private Q_SLOTS:
    void cmdSave_Click();
    void cmdReset_Click();

private:
    std::unique_ptr<Ui::frmAdvanced> m_ui;
};

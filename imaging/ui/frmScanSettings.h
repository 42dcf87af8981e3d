#pragma once

#include <QDialog>
#include <QList>

#include <memory>

#include "platform/Scanner.h"

namespace Ui {
class frmScanSettings;
}

// The device to scan from, when a new document's details are asked, what
// follows a scanned page and whether the document feeder is used. Opening
// it counts as having set the scanner up (SetupScanSettings), whatever
// the answer; OK stores the choices, Cancel nothing.
class frmScanSettings : public QDialog
{
    Q_OBJECT

public:
    explicit frmScanSettings(QWidget *parent = nullptr);
    ~frmScanSettings() override;

    // Shows the dialog modally.
    static void showScanSettings(QWidget *parent);

private:
    void Form_Load();
    void cmdOK_Click();

    std::unique_ptr<Ui::frmScanSettings> m_ui;
    QList<ScanSource> m_sources;
};

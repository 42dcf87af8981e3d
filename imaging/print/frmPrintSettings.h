#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class frmPrintSettings;
}

// "Print Settings": the width and height percentages every printed page
// is scaled by (PrintWidthPct, PrintHeightPct). OK stores both once
// both lie within 10..200; Cancel stores nothing.
class frmPrintSettings : public QDialog
{
    Q_OBJECT

public:
    explicit frmPrintSettings(QWidget *parent = nullptr);
    ~frmPrintSettings() override;

    // File > Print Settings...
    static void showSettings(QWidget *parent);

private:
    void cmdOK_Click();

    std::unique_ptr<Ui::frmPrintSettings> m_ui;
};

#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class frmSample;
}

// Offers the sample cabinets of the outline file. Create Sample (or a
// double-click) creates the selected one under a name no cabinet has yet;
// Edit Samples opens the outline in the desktop's text editor and closes,
// so the edits show at the next opening. Enter presses Edit Samples.
class frmSample : public QDialog
{
    Q_OBJECT

public:
    explicit frmSample(QWidget *parent = nullptr);
    ~frmSample() override;

private Q_SLOTS:
    void cmdCreate_Click();
    void cmdEdit_Click();

private:
    void FillSampleList();

    std::unique_ptr<Ui::frmSample> m_ui;
};

#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class frmViewSettings;
}

// The viewer's default zoom: at 100 percent, fitted to the width or to the
// height. OK stores it in ZoomDefault and in the run's zoom mode, which
// the viewer reads at its next load; Cancel changes nothing.
class frmViewSettings : public QDialog
{
    Q_OBJECT

public:
    explicit frmViewSettings(QWidget *parent = nullptr);
    ~frmViewSettings() override;

    // Shows the dialog modally.
    static void showViewSettings(QWidget *parent);

private:
    void cmdOK_Click();

    std::unique_ptr<Ui::frmViewSettings> m_ui;
};

#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class frmAbout;
}

// The about box: the product and its version, the copyright line, a legal
// warning, the number of pages stored and a link to the maker's web page.
// Everything it shows is read when it opens.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);
    ~frmAbout() override;

    // Shows the about box modally.
    static void showAbout(QWidget *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void lblWeb_Click();

    std::unique_ptr<Ui::frmAbout> m_ui;
};

#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class QUrl;

namespace Ui {
class frmAbout;
}

// The about box: the product and its version, the copyright line, a legal
// warning, the number of pages stored and a link to the product's web page.
// Everything it shows is read when it opens.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    // Opens a web address; false when it could not be started.
    using UrlOpener = std::function<bool(const QUrl &)>;

    explicit frmAbout(QWidget *parent = nullptr);
    ~frmAbout() override;

    // Shows the about box modally.
    static void showAbout(QWidget *parent);

    // Replaces the way the web page is opened (the desktop's default browser);
    // an empty opener restores it. For tests.
    static void setUrlOpener(UrlOpener opener);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void lblWeb_Click();

    std::unique_ptr<Ui::frmAbout> m_ui;
};

#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class frmPageNumber;
}

// Asks for a page's new number. OK closes the dialog whatever was typed;
// the caller reads a text that is no whole number as no answer.
class frmPageNumber : public QDialog
{
    Q_OBJECT

public:
    explicit frmPageNumber(QWidget *parent = nullptr);
    ~frmPageNumber() override;

    // Fills the box with the number and selects it, ready to be typed over.
    void setPageNumber(int number);
    // The number typed, or -1 when the text is empty or no whole number.
    int pageNumber() const;

    // Shows the dialog modally with the current number; the new number, or
    // -1 for Cancel or a text that is no number.
    static int ask(QWidget *parent, int currentNumber);

private:
    std::unique_ptr<Ui::frmPageNumber> m_ui;
};

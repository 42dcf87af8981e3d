#pragma once

#include <QDialog>

#include <memory>

#include "core/RecordId.h"

namespace Ui {
class frmPrint;
}
class PrinterChoice;

// "Print Page": prints one page's stored image on the chosen printer.
// The caller sets PageId and shows the dialog modally (or calls
// showForPage); OK prints and closes, Cancel closes.
class frmPrint : public QDialog
{
    Q_OBJECT

public:
    explicit frmPrint(QWidget *parent = nullptr);
    ~frmPrint() override;

    // The page to print.
    RecordId PageId = 0;

    // The viewer's Print button and the page list's Print command.
    static void showForPage(QWidget *parent, RecordId pageId);

private:
    void cmdPrint_Click();

    std::unique_ptr<Ui::frmPrint> m_ui;
    PrinterChoice *m_choice;
};

#pragma once

#include <QDialog>

#include <memory>

#include "core/RecordId.h"

namespace Ui {
class frmPrintDocument;
}
class PrinterChoice;

// "Print Document": prints the pages of a document whose numbers lie in
// the range typed, each page its own job. The caller sets the document and
// its first and last page number (setDocument) and shows the dialog
// modally, or calls showForDocument.
class frmPrintDocument : public QDialog
{
    Q_OBJECT

public:
    explicit frmPrintDocument(QWidget *parent = nullptr);
    ~frmPrintDocument() override;

    RecordId DocumentId = 0;
    int FromPage = 0;
    int ThruPage = 0;

    // Sets the three fields and writes the range into the boxes.
    void setDocument(RecordId documentId, int fromPage, int thruPage);

    // The document popup's Print Document: the range runs from the
    // document's smallest to its largest page number (0 to 0 without
    // pages).
    static void showForDocument(QWidget *parent, RecordId documentId);

private:
    void cmdPrint_Click();

    std::unique_ptr<Ui::frmPrintDocument> m_ui;
    PrinterChoice *m_choice;
};

#pragma once

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>

#include "core/RecordId.h"
#include "store/RecordRules.h"

namespace Ui {
class frmDocument;
}

// Creates a document in a folder or edits one: name, description, the date
// written on it (typed month/day/year) and an amount; an existing document
// also shows its pages. Documents of a folder may share a name. Checks,
// saving and refusals otherwise work as in the cabinet dialog.
class frmDocument : public QDialog
{
    Q_OBJECT

public:
    explicit frmDocument(QWidget *parent = nullptr);
    ~frmDocument() override;

    // Set by the caller: "Add" or "Edit", the folder that holds (or will
    // hold) the document, and in Edit mode the document.
    QString Mode;
    RecordId FolderId = -1;
    RecordId DocumentId = -1;

    void UpdateCaption();

    // Fills the boxes: the date as "MM/dd/yyyy" (empty for none), the amount
    // as "12.50" (empty for 0). An amount box left as filled keeps the
    // amount exactly on OK (12.345 stays 12.345).
    void setValues(const RecordRules::DocumentValues &values);

    // The New Document and Properties commands; true when the row was saved.
    static bool addDocument(QWidget *parent, RecordId folderId);
    static bool editDocument(QWidget *parent, RecordId documentId);

private Q_SLOTS:
    void tabMain_Change(int index);
    void cmdOK_Click();
    void ShowStatistics();

private:
    void save(const RecordRules::DocumentValues &values);

    std::unique_ptr<Ui::frmDocument> m_ui;
    bool StatisticsLoaded = false;
    std::optional<RecordRules::ShownAmount> m_shownAmount;  // the stored amount, when one was shown
};

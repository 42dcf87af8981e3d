#pragma once

#include <QDialog>
#include <QString>

#include <memory>

#include "core/RecordId.h"
#include "store/RecordRules.h"

namespace Ui {
class frmCabinet;
}

// Creates a file cabinet or edits one: name, description, password, where
// its page images are stored, and (for an existing cabinet) what it holds.
// On OK the dialog checks the entry, writes the Cabinet row, mirrors it in
// the navigation tree and closes; a refusal or a database failure keeps it
// open with everything typed.
class frmCabinet : public QDialog
{
    Q_OBJECT

public:
    explicit frmCabinet(QWidget *parent = nullptr);
    ~frmCabinet() override;

    // Set by the caller before the dialog is shown: "Add" or "Edit", and in
    // Edit mode the cabinet.
    QString Mode;
    RecordId CabinetId = -1;

    // The caption for the mode; the Statistics tab is offered in Edit only.
    void UpdateCaption();

    // Fills the boxes (the password as typed, unscrambled) and selects the
    // storage option; values() reads them back.
    void setValues(const RecordRules::CabinetValues &values);
    RecordRules::CabinetValues values() const;

    // The New Cabinet and Properties commands; true when the row was saved.
    static bool addCabinet(QWidget *parent);
    static bool editCabinet(QWidget *parent, RecordId cabinetId);

private Q_SLOTS:
    void optStorage_Click();
    void cmdBrowse_Click();
    void tabMain_Change(int index);
    void cmdOK_Click();
    void ShowStatistics();

private:
    bool checkEntry(QString *name);
    bool save(const QString &name);

    std::unique_ptr<Ui::frmCabinet> m_ui;
    bool StatisticsLoaded = false;
};

#pragma once

#include <QDialog>
#include <QString>

#include <memory>

#include "core/RecordId.h"
#include "store/RecordRules.h"

namespace Ui {
class frmDrawer;
}

// Creates a drawer in a cabinet, optionally filled from a drawer template,
// or edits a drawer's name and description; an existing drawer also shows
// what it holds. Checks, saving and refusals work as in the cabinet dialog.
class frmDrawer : public QDialog
{
    Q_OBJECT

public:
    explicit frmDrawer(QWidget *parent = nullptr);
    ~frmDrawer() override;

    // Set by the caller: "Add" or "Edit", the cabinet that holds (or will
    // hold) the drawer, and in Edit mode the drawer.
    QString Mode;
    RecordId CabinetId = -1;
    RecordId DrawerId = -1;

    void UpdateCaption();
    // Offers "(none)" and the drawer templates below the tabs; with no
    // templates the choice stays hidden.
    void PopulateTemplates();

    void setValues(const RecordRules::DrawerValues &values);
    RecordRules::DrawerValues values() const;

    // The New Drawer and Properties commands; true when the row was saved.
    static bool addDrawer(QWidget *parent, RecordId cabinetId);
    static bool editDrawer(QWidget *parent, RecordId drawerId);

private Q_SLOTS:
    void tabMain_Change(int index);
    void cmdOK_Click();
    void ShowStatistics();

private:
    RecordId save(const QString &name);
    void applyTemplate(RecordId drawerId);

    std::unique_ptr<Ui::frmDrawer> m_ui;
    bool StatisticsLoaded = false;
};

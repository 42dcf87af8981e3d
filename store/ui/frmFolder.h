#pragma once

#include <QDialog>
#include <QString>

#include <memory>

#include "core/RecordId.h"
#include "store/RecordRules.h"

namespace Ui {
class frmFolder;
}

// Creates a folder in a drawer or edits one: name, the address told of new
// pages, description; an existing folder also shows what it holds. Checks,
// saving and refusals work as in the cabinet dialog.
class frmFolder : public QDialog
{
    Q_OBJECT

public:
    explicit frmFolder(QWidget *parent = nullptr);
    ~frmFolder() override;

    // Set by the caller: "Add" or "Edit", the drawer that holds (or will
    // hold) the folder, and in Edit mode the folder.
    QString Mode;
    RecordId DrawerId = -1;
    RecordId FolderId = -1;

    void UpdateCaption();

    void setValues(const RecordRules::FolderValues &values);
    RecordRules::FolderValues values() const;

    // The New Folder and Properties commands; true when the row was saved.
    static bool addFolder(QWidget *parent, RecordId drawerId);
    static bool editFolder(QWidget *parent, RecordId folderId);

private Q_SLOTS:
    void tabMain_Change(int index);
    void cmdOK_Click();
    void ShowStatistics();

private:
    bool save(const QString &name);

    std::unique_ptr<Ui::frmFolder> m_ui;
    bool StatisticsLoaded = false;
};

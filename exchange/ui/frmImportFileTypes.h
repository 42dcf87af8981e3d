#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class frmImportFileTypes;
}

// The file-type chooser of Import Files: lists the types found in the
// directory and leaves the choice in ExchangeState (ImportFileTypeList,
// ImportFileTypesCancelled).
class frmImportFileTypes : public QDialog
{
    Q_OBJECT

public:
    explicit frmImportFileTypes(QWidget *parent = nullptr);
    ~frmImportFileTypes() override;

    void setFileTypes(const QStringList &types);
    void reject() override;

    // Lists the types of the directory's files and asks. Afterwards
    // ImportFileTypeList holds "" (every type), the chosen types or
    // NoFileTypesChosen, and ImportFileTypesCancelled is true after Cancel,
    // Esc or the close box.
    static void ListImportFileTypes(const QString &directory, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private Q_SLOTS:
    void cmdOK_Click();
    void cmdAll_Click();
    void cmdCancel_Click();

private:
    // Enter in the list: the row it shows as current when none is chosen.
    bool takeCurrentRow();

    std::unique_ptr<Ui::frmImportFileTypes> m_ui;
};

#include "exchange/ui/frmImportFileTypes.h"
#include "ui_frmImportFileTypes.h"

#include "exchange/ExchangeState.h"
#include "exchange/ImportNames.h"

frmImportFileTypes::frmImportFileTypes(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmImportFileTypes>())
{
    m_ui->setupUi(this);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmImportFileTypes::cmdOK_Click);
    connect(m_ui->cmdAll, &QPushButton::clicked, this, &frmImportFileTypes::cmdAll_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &frmImportFileTypes::cmdCancel_Click);
}

frmImportFileTypes::~frmImportFileTypes() = default;

void frmImportFileTypes::setFileTypes(const QStringList &types)
{
    m_ui->lstFileTypes->clear();
    m_ui->lstFileTypes->addItems(types);
}

void frmImportFileTypes::ListImportFileTypes(const QString &directory, QWidget *parent)
{
    ExchangeState &state = ExchangeState::instance();
    state.ImportFileTypeList.clear();
    state.ImportFileTypesCancelled = false;
    frmImportFileTypes dialog(parent);
    dialog.setFileTypes(ImportNames::ListFileTypes(directory));
    dialog.exec();
}

void frmImportFileTypes::cmdOK_Click()
{
    // In list order, whatever order they were clicked in.
    QStringList chosen;
    for (int row = 0; row < m_ui->lstFileTypes->count(); ++row) {
        if (m_ui->lstFileTypes->item(row)->isSelected())
            chosen.append(m_ui->lstFileTypes->item(row)->text());
    }
    ExchangeState::instance().ImportFileTypesCancelled = false;
    ExchangeState::instance().ImportFileTypeList = ImportNames::FileTypeListOf(chosen);
    accept();
}

void frmImportFileTypes::cmdAll_Click()
{
    ExchangeState::instance().ImportFileTypesCancelled = false;
    ExchangeState::instance().ImportFileTypeList.clear();
    accept();
}

void frmImportFileTypes::cmdCancel_Click()
{
    reject();
}

void frmImportFileTypes::reject()
{
    // Esc and the close box are Cancel: leaving the chooser any way but OK or
    // All Files imports nothing.
    ExchangeState::instance().ImportFileTypesCancelled = true;
    QDialog::reject();
}

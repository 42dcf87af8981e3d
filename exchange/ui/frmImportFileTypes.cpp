#include "exchange/ui/frmImportFileTypes.h"
#include "ui_frmImportFileTypes.h"

#include <QKeyEvent>

#include "core/Prompt.h"
#include "exchange/ExchangeState.h"
#include "exchange/ImportNames.h"

frmImportFileTypes::frmImportFileTypes(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmImportFileTypes>())
{
    m_ui->setupUi(this);
    m_ui->lstFileTypes->installEventFilter(this);
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

bool frmImportFileTypes::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->lstFileTypes && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        // Enter goes on to the default button, Import Selected Files.
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !takeCurrentRow())
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool frmImportFileTypes::takeCurrentRow()
{
    // The current row is drawn as if chosen: Enter on it means that type,
    // not "nothing chosen", which would import nothing without a word.
    QListWidget *types = m_ui->lstFileTypes;
    if (!types->selectedItems().isEmpty())
        return true;
    if (QListWidgetItem *current = types->currentItem()) {
        current->setSelected(true);
        return true;
    }
    Prompt::instance().message(QStringLiteral(
        "Select the file types to import, then press Enter or click 'Import Selected Files'.  Or click 'Import All "
        "Files' to import every file."));
    return false;
}

void frmImportFileTypes::ListImportFileTypes(const QString &directory, QWidget *parent)
{
    ExchangeState &state = ExchangeState::instance();
    state.ImportFileTypeList.clear();
    state.ImportFileTypesCancelled = false;
    frmImportFileTypes dialog(parent);
    dialog.setFileTypes(ImportNames::listFileTypes(directory));
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
    ExchangeState::instance().ImportFileTypeList = ImportNames::fileTypeListOf(chosen);
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

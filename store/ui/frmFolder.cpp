#include "frmFolder.h"
#include "ui_frmFolder.h"

#include "DbError.h"
#include "NavigationSink.h"
#include "RecordDialog.h"

using RecordRules::RecordKind;

namespace {
constexpr int kStatisticsTab = 1;
const QString kAdd = QStringLiteral("Add");
} // namespace

frmFolder::frmFolder(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmFolder>())
{
    m_ui->setupUi(this);
    m_ui->txtName->setFocus();  // before the tab bar, which comes first in the chain
    connect(m_ui->tabMain, &QTabWidget::currentChanged, this, &frmFolder::tabMain_Change);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmFolder::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmFolder::~frmFolder() = default;

void frmFolder::UpdateCaption()
{
    const bool add = Mode == kAdd;
    setWindowTitle(add ? QStringLiteral("Add Folder") : QStringLiteral("Folder Properties (%1)").arg(FolderId));
    m_ui->tabMain->setTabVisible(kStatisticsTab, !add);
}

void frmFolder::setValues(const RecordRules::FolderValues &values)
{
    DrawerId = values.drawerId;
    m_ui->txtName->setText(values.name);
    m_ui->txtEmail->setText(values.email);
    m_ui->txtDescription->setPlainText(values.description);
}

RecordRules::FolderValues frmFolder::values() const
{
    return {DrawerId, m_ui->txtName->text(), m_ui->txtDescription->toPlainText(), m_ui->txtEmail->text()};
}

bool frmFolder::addFolder(QWidget *parent, int drawerId)
{
    frmFolder dialog(parent);
    dialog.Mode = kAdd;
    dialog.DrawerId = drawerId;
    dialog.UpdateCaption();
    return dialog.exec() == QDialog::Accepted;
}

bool frmFolder::editFolder(QWidget *parent, int folderId)
{
    std::optional<RecordRules::FolderValues> values;
    try {
        values = Records::ReadFolder(folderId);
    } catch (const DbError &e) {
        RecordDialog::reportError(e);
        return false;
    }
    if (!values)
        return false;
    frmFolder dialog(parent);
    dialog.FolderId = folderId;
    dialog.setValues(*values);
    dialog.Mode = QStringLiteral("Edit");
    dialog.UpdateCaption();
    return dialog.exec() == QDialog::Accepted;
}

void frmFolder::tabMain_Change(int index)
{
    if (index == kStatisticsTab)
        ShowStatistics();
}

void frmFolder::ShowStatistics()
{
    if (StatisticsLoaded)
        return;
    const int id = FolderId;
    RecordDialog::StatisticsLabels labels;
    labels.documents = m_ui->lblDOCCount;
    labels.pages = m_ui->lblPAGCount;
    labels.amount = m_ui->lblTTLAmount;
    labels.bytes = m_ui->lblByteCount;
    StatisticsLoaded = RecordDialog::showStatistics([id] { return RecordRules::FolderStatistics(id); }, labels);
}

void frmFolder::cmdOK_Click()
{
    QString name;
    const QString refusal = RecordRules::CheckName(RecordKind::Folder, m_ui->txtName->text(), &name);
    if (!name.isNull())
        m_ui->txtName->setText(name);
    if (!refusal.isEmpty()) {
        RecordDialog::refuse(refusal, m_ui->txtName, m_ui->tabMain);
        return;
    }
    try {
        if (Records::FolderNameExists(DrawerId, name, Mode == kAdd ? -1 : FolderId)) {
            RecordDialog::refuse(RecordRules::DuplicateNameMessage(RecordKind::Folder, name), m_ui->txtName,
                                 m_ui->tabMain);
            return;
        }
        save(name);
    } catch (const DbError &e) {
        RecordDialog::reportError(e);
        return;
    }
    accept();
}

// Writes the row (the address as typed) and mirrors it in the tree.
void frmFolder::save(const QString &name)
{
    RecordRules::FolderValues v = values();
    v.name = name;
    NavigationSink &tree = NavigationSink::instance();
    if (Mode != kAdd) {
        Records::UpdateFolder(FolderId, v);
        RecordDialog::mirror([&] { tree.UpdateFolderName(FolderId, name); });
        return;
    }
    const int id = Records::InsertFolder(v);
    RecordDialog::mirror([&] { tree.AddFolderToNavTree(DrawerId, id, name); });
}

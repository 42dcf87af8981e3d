#include "store/ui/frmFolder.h"
#include "ui_frmFolder.h"

#include "core/Guard.h"
#include "core/NavigationSink.h"
#include "core/RecordId.h"
#include "platform/AppError.h"
#include "store/Records.h"
#include "store/ui/RecordDialog.h"


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
    RecordDialog::setWholeText(m_ui->txtName, values.name, RecordRules::MaxNameLength);
    RecordDialog::setWholeText(m_ui->txtEmail, values.email, RecordRules::MaxEmailLength);
    m_ui->txtDescription->setPlainText(values.description);
}

RecordRules::FolderValues frmFolder::values() const
{
    return {DrawerId, m_ui->txtName->text(), m_ui->txtDescription->toPlainText(), m_ui->txtEmail->text()};
}

bool frmFolder::addFolder(QWidget *parent, RecordId drawerId)
{
    frmFolder dialog(parent);
    dialog.Mode = kAdd;
    dialog.DrawerId = drawerId;
    dialog.UpdateCaption();
    return dialog.exec() == QDialog::Accepted;
}

bool frmFolder::editFolder(QWidget *parent, RecordId folderId)
{
    std::optional<RecordRules::FolderValues> values;
    const bool read = guard([&] {
        values = Records::readFolder(folderId);
        if (!values)
            throw RecordDialog::missingRecord(RecordLevel::Folder);
    });
    if (!read)
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
    const RecordId id = FolderId;
    RecordDialog::StatisticsLabels labels;
    labels.documents = m_ui->lblDOCCount;
    labels.pages = m_ui->lblPAGCount;
    labels.amount = m_ui->lblTTLAmount;
    labels.bytes = m_ui->lblByteCount;
    StatisticsLoaded = RecordDialog::showStatistics([id] { return RecordRules::folderStatistics(id); }, labels);
}

void frmFolder::cmdOK_Click()
{
    QString name;
    const QString refusal = RecordRules::checkName(RecordLevel::Folder, m_ui->txtName->text(), &name);
    if (!name.isNull())
        RecordDialog::setWholeText(m_ui->txtName, name, RecordRules::MaxNameLength);
    if (!refusal.isEmpty()) {
        RecordDialog::refuse(refusal, m_ui->txtName, m_ui->tabMain);
        return;
    }
    if (m_ui->txtEmail->text().size() > RecordRules::MaxEmailLength) {
        RecordDialog::refuse(RecordRules::emailTooLongMessage(), m_ui->txtEmail, m_ui->tabMain);
        return;
    }
    bool saved = false;
    guard([&] { saved = save(name); });
    if (saved)
        accept();
}

// Refuses a name another folder of the drawer has, else writes the row
// (the address as typed) and mirrors it in the tree. False when refused;
// throws AppError, also when the drawer (or, in Edit mode, the folder) is
// gone.
bool frmFolder::save(const QString &name)
{
    const bool add = Mode == kAdd;
    if (add)
        RecordDialog::requireRecord(RecordLevel::Drawer, DrawerId);
    else
        RecordDialog::requireRecord(RecordLevel::Folder, FolderId);
    if (Records::folderNameExists(DrawerId, name, add ? -1 : FolderId)) {
        RecordDialog::refuse(RecordRules::duplicateNameMessage(RecordLevel::Folder, name), m_ui->txtName,
                             m_ui->tabMain);
        return false;
    }
    RecordRules::FolderValues v = values();
    v.name = name;
    NavigationSink &tree = NavigationSink::instance();
    if (!add) {
        Records::updateFolder(FolderId, v);
        RecordDialog::mirror([&] { tree.UpdateFolderName(FolderId, name); });
        return true;
    }
    const RecordId id = Records::insertFolder(v);
    RecordDialog::mirror([&] { tree.AddFolderToNavTree(DrawerId, id, name); });
    return true;
}

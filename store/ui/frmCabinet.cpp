#include "frmCabinet.h"
#include "ui_frmCabinet.h"

#include "DbError.h"
#include "NavigationSink.h"
#include "Passwords.h"
#include "RecordDialog.h"
#include "frmPathSelect.h"

using RecordRules::RecordKind;

namespace {
constexpr int kStatisticsTab = 2;
const QString kAdd = QStringLiteral("Add");
} // namespace

frmCabinet::frmCabinet(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmCabinet>())
{
    m_ui->setupUi(this);
    m_ui->txtName->setFocus();  // before the tab bar, which comes first in the chain
    connect(m_ui->optStorage0, &QRadioButton::toggled, this, &frmCabinet::optStorage_Click);
    connect(m_ui->optStorage1, &QRadioButton::toggled, this, &frmCabinet::optStorage_Click);
    connect(m_ui->cmdBrowse, &QPushButton::clicked, this, &frmCabinet::cmdBrowse_Click);
    connect(m_ui->tabMain, &QTabWidget::currentChanged, this, &frmCabinet::tabMain_Change);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmCabinet::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    optStorage_Click();
}

frmCabinet::~frmCabinet() = default;

void frmCabinet::UpdateCaption()
{
    const bool add = Mode == kAdd;
    setWindowTitle(add ? QStringLiteral("Add File Cabinet")
                       : QStringLiteral("File Cabinet Properties (%1)").arg(CabinetId));
    m_ui->tabMain->setTabVisible(kStatisticsTab, !add);
}

void frmCabinet::setValues(const RecordRules::CabinetValues &values)
{
    m_ui->txtName->setText(values.name);
    m_ui->txtDescription->setPlainText(values.description);
    m_ui->txtPassword->setText(values.password);
    m_ui->txtSaveTo->setText(values.storagePath);
    (values.ownStorage ? m_ui->optStorage1 : m_ui->optStorage0)->setChecked(true);
    optStorage_Click();
}

RecordRules::CabinetValues frmCabinet::values() const
{
    return {m_ui->txtName->text(), m_ui->txtDescription->toPlainText(), m_ui->txtPassword->text(),
            m_ui->optStorage1->isChecked(), m_ui->txtSaveTo->text()};
}

bool frmCabinet::addCabinet(QWidget *parent)
{
    frmCabinet dialog(parent);
    dialog.Mode = kAdd;
    dialog.UpdateCaption();
    dialog.setValues({});
    return dialog.exec() == QDialog::Accepted;
}

bool frmCabinet::editCabinet(QWidget *parent, int cabinetId)
{
    std::optional<RecordRules::CabinetValues> values;
    try {
        // The dialog shows the password in clear, so a locked cabinet must
        // be unlocked first (asks only once per run).
        if (!Passwords::UnlockCabinet(cabinetId))
            return false;
        values = Records::ReadCabinet(cabinetId);
    } catch (const DbError &e) {
        RecordDialog::reportError(e);
        return false;
    }
    if (!values)
        return false;
    frmCabinet dialog(parent);
    dialog.CabinetId = cabinetId;
    dialog.setValues(*values);
    dialog.Mode = QStringLiteral("Edit");
    dialog.UpdateCaption();
    return dialog.exec() == QDialog::Accepted;
}

void frmCabinet::optStorage_Click()
{
    const bool own = m_ui->optStorage1->isChecked();
    m_ui->txtSaveTo->setEnabled(own);
    m_ui->cmdBrowse->setEnabled(own);
}

void frmCabinet::cmdBrowse_Click()
{
    if (!m_ui->txtSaveTo->isEnabled())
        return;
    QString path = m_ui->txtSaveTo->text();
    if (frmPathSelect::SelectPath(this, path))
        m_ui->txtSaveTo->setText(path);
}

void frmCabinet::tabMain_Change(int index)
{
    if (index == kStatisticsTab)
        ShowStatistics();
}

void frmCabinet::ShowStatistics()
{
    if (StatisticsLoaded)
        return;
    const int id = CabinetId;
    StatisticsLoaded = RecordDialog::showStatistics(
        [id] { return RecordRules::CabinetStatistics(id); },
        {m_ui->lblDRWCount, m_ui->lblFLDCount, m_ui->lblDOCCount, m_ui->lblPAGCount, m_ui->lblByteCount,
         m_ui->lblTTLAmount});
}

void frmCabinet::cmdOK_Click()
{
    QString name;
    if (!checkEntry(&name))
        return;
    bool saved = false;
    try {
        if (Records::CabinetNameExists(name, Mode == kAdd ? -1 : CabinetId)) {
            RecordDialog::refuse(RecordRules::DuplicateNameMessage(RecordKind::Cabinet, name), m_ui->txtName,
                                 m_ui->tabMain);
            return;
        }
        save(name);
        saved = true;
    } catch (const DbError &e) {
        RecordDialog::reportError(e);
    }
    if (saved)
        accept();
}

// The checks that need no database, in the order the user meets them.
bool frmCabinet::checkEntry(QString *name)
{
    const QString refusal = RecordRules::CheckName(RecordKind::Cabinet, m_ui->txtName->text(), name);
    if (!name->isNull())
        m_ui->txtName->setText(*name);
    if (!refusal.isEmpty()) {
        RecordDialog::refuse(refusal, m_ui->txtName, m_ui->tabMain);
        return false;
    }
    if (m_ui->optStorage1->isChecked()) {
        if (m_ui->txtSaveTo->text().trimmed().isEmpty()) {
            RecordDialog::refuse(RecordRules::StoragePathRequiredMessage(), m_ui->txtSaveTo, m_ui->tabMain);
            return false;
        }
        // Pages are filed under this path later, from whatever folder the
        // program runs in, so it is made absolute now, where the user sees it.
        const QString path = RecordRules::AbsoluteStoragePath(m_ui->txtSaveTo->text());
        if (path.size() > RecordRules::MaxStoragePathLength) {
            RecordDialog::refuse(RecordRules::StoragePathTooLongMessage(), m_ui->txtSaveTo, m_ui->tabMain);
            return false;
        }
        m_ui->txtSaveTo->setText(path);
    }
    if (!Passwords::IsValidPasswordText(m_ui->txtPassword->text())) {
        RecordDialog::refuse(RecordRules::PasswordCharactersMessage(), m_ui->txtPassword, m_ui->tabMain);
        return false;
    }
    return true;
}

// Writes the row and mirrors it in the tree.
void frmCabinet::save(const QString &name)
{
    RecordRules::CabinetValues v = values();
    v.name = name;
    NavigationSink &tree = NavigationSink::instance();
    if (Mode != kAdd) {
        Records::UpdateCabinet(CabinetId, v);
        RecordDialog::mirror([&] { tree.UpdateCabinetName(CabinetId, name); });
        return;
    }
    const int id = Records::InsertCabinet(v);
    RecordDialog::mirror([&] { tree.AddCabinetToNavTree(id, name); });
}

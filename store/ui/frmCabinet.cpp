#include "store/ui/frmCabinet.h"
#include "ui_frmCabinet.h"

#include "core/Guard.h"
#include "core/NavigationSink.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "platform/AppError.h"
#include "store/Passwords.h"
#include "store/Records.h"
#include "store/ui/RecordDialog.h"


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
    RecordDialog::setWholeText(m_ui->txtName, values.name, RecordRules::MaxNameLength);
    m_ui->txtDescription->setPlainText(values.description);
    RecordDialog::setWholeText(m_ui->txtPassword, values.password, RecordRules::MaxPasswordLength);
    RecordDialog::setWholeText(m_ui->txtSaveTo, values.storagePath, RecordRules::MaxStoragePathLength);
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

bool frmCabinet::editCabinet(QWidget *parent, RecordId cabinetId)
{
    std::optional<RecordRules::CabinetValues> values;
    const bool read = guard([&] {
        // The dialog shows the password in clear, so a locked cabinet must
        // be unlocked first (asks only once per run).
        if (!Passwords::UnlockCabinet(cabinetId))
            return;
        values = Records::readCabinet(cabinetId);
        if (!values)
            throw RecordDialog::missingRecord(RecordLevel::Cabinet);
    });
    if (!read || !values)
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
    const std::optional<QString> path = Prompt::instance().chooseFolder(m_ui->txtSaveTo->text());
    if (path)
        RecordDialog::setWholeText(m_ui->txtSaveTo, *path, RecordRules::MaxStoragePathLength);
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
    const RecordId id = CabinetId;
    StatisticsLoaded = RecordDialog::showStatistics(
        [id] { return RecordRules::cabinetStatistics(id); },
        {m_ui->lblDRWCount, m_ui->lblFLDCount, m_ui->lblDOCCount, m_ui->lblPAGCount, m_ui->lblByteCount,
         m_ui->lblTTLAmount});
}

void frmCabinet::cmdOK_Click()
{
    QString name;
    if (!checkEntry(&name))
        return;
    bool saved = false;
    guard([&] { saved = save(name); });
    if (saved)
        accept();
}

// The checks that need no database, in the order the user meets them.
bool frmCabinet::checkEntry(QString *name)
{
    const QString refusal = RecordRules::checkName(RecordLevel::Cabinet, m_ui->txtName->text(), name);
    if (!name->isNull())
        RecordDialog::setWholeText(m_ui->txtName, *name, RecordRules::MaxNameLength);
    if (!refusal.isEmpty()) {
        RecordDialog::refuse(refusal, m_ui->txtName, m_ui->tabMain);
        return false;
    }
    if (m_ui->optStorage1->isChecked()) {
        // Pages are filed under this path later, from whatever folder the
        // program runs in, so it is made absolute now, where the user sees it.
        QString path;
        const QString pathRefusal = RecordRules::checkStoragePath(m_ui->txtSaveTo->text(), &path);
        if (!pathRefusal.isEmpty()) {
            RecordDialog::refuse(pathRefusal, m_ui->txtSaveTo, m_ui->tabMain);
            return false;
        }
        RecordDialog::setWholeText(m_ui->txtSaveTo, path, RecordRules::MaxStoragePathLength);
    } else {
        // With the default store the (disabled) path box keeps its text as
        // it was read or chosen, whole, and is written back unchanged, so it
        // must fit the column just the same.
        const QString keptRefusal = RecordRules::checkKeptStoragePath(m_ui->txtSaveTo->text());
        if (!keptRefusal.isEmpty()) {
            RecordDialog::refuse(keptRefusal, m_ui->txtSaveTo, m_ui->tabMain);
            return false;
        }
    }
    const QString password = m_ui->txtPassword->text();
    if (password.size() > RecordRules::MaxPasswordLength) {
        RecordDialog::refuse(RecordRules::passwordTooLongMessage(), m_ui->txtPassword, m_ui->tabMain);
        return false;
    }
    if (!Passwords::isValidPasswordText(password)) {
        RecordDialog::refuse(RecordRules::passwordCharactersMessage(), m_ui->txtPassword, m_ui->tabMain);
        return false;
    }
    return true;
}

// Refuses a name another cabinet has, else writes the row and mirrors it
// in the tree. False when refused; throws AppError.
bool frmCabinet::save(const QString &name)
{
    const bool add = Mode == kAdd;
    if (!add)
        RecordDialog::requireRecord(RecordLevel::Cabinet, CabinetId);
    if (Records::cabinetNameExists(name, add ? -1 : CabinetId)) {
        RecordDialog::refuse(RecordRules::duplicateNameMessage(RecordLevel::Cabinet, name), m_ui->txtName,
                             m_ui->tabMain);
        return false;
    }
    RecordRules::CabinetValues v = values();
    v.name = name;
    NavigationSink &tree = NavigationSink::instance();
    if (!add) {
        Records::updateCabinet(CabinetId, v);
        RecordDialog::mirror([&] { tree.UpdateCabinetName(CabinetId, name); });
        return true;
    }
    const RecordId id = Records::insertCabinet(v);
    RecordDialog::mirror([&] { tree.AddCabinetToNavTree(id, name); });
    return true;
}

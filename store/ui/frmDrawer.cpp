#include "store/ui/frmDrawer.h"
#include "ui_frmDrawer.h"

#include "core/Guard.h"
#include "core/NavigationSink.h"
#include "core/RecordId.h"
#include "platform/AppError.h"
#include "store/DrawerTemplates.h"
#include "store/Records.h"
#include "store/ui/RecordDialog.h"


namespace {
constexpr int kStatisticsTab = 1;
const QString kAdd = QStringLiteral("Add");
const QString kNoTemplate = QStringLiteral("(none)");
} // namespace

frmDrawer::frmDrawer(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmDrawer>())
{
    m_ui->setupUi(this);
    m_ui->txtName->setFocus();  // before the tab bar, which comes first in the chain
    m_ui->lblTemplate->hide();
    m_ui->cboTemplate->hide();
    connect(m_ui->tabMain, &QTabWidget::currentChanged, this, &frmDrawer::tabMain_Change);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmDrawer::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmDrawer::~frmDrawer() = default;

void frmDrawer::UpdateCaption()
{
    const bool add = Mode == kAdd;
    setWindowTitle(add ? QStringLiteral("Add Drawer") : QStringLiteral("Drawer Properties (%1)").arg(DrawerId));
    m_ui->tabMain->setTabVisible(kStatisticsTab, !add);
}

void frmDrawer::PopulateTemplates()
{
    if (DrawerTemplates::DrawerTemplateCount() < 1)
        return;
    m_ui->cboTemplate->clear();
    m_ui->cboTemplate->addItem(kNoTemplate);
    m_ui->cboTemplate->addItems(DrawerTemplates::DrawerTemplateNames());
    m_ui->cboTemplate->setCurrentIndex(0);
    m_ui->lblTemplate->show();
    m_ui->cboTemplate->show();
}

void frmDrawer::setValues(const RecordRules::DrawerValues &values)
{
    CabinetId = values.cabinetId;
    RecordDialog::setWholeText(m_ui->txtName, values.name, RecordRules::MaxNameLength);
    m_ui->txtDescription->setPlainText(values.description);
}

RecordRules::DrawerValues frmDrawer::values() const
{
    return {CabinetId, m_ui->txtName->text(), m_ui->txtDescription->toPlainText()};
}

bool frmDrawer::addDrawer(QWidget *parent, RecordId cabinetId)
{
    frmDrawer dialog(parent);
    dialog.Mode = kAdd;
    dialog.PopulateTemplates();
    dialog.CabinetId = cabinetId;
    dialog.UpdateCaption();
    return dialog.exec() == QDialog::Accepted;
}

bool frmDrawer::editDrawer(QWidget *parent, RecordId drawerId)
{
    std::optional<RecordRules::DrawerValues> values;
    const bool read = guard([&] {
        values = Records::readDrawer(drawerId);
        if (!values)
            throw RecordDialog::missingRecord(RecordLevel::Drawer);
    });
    if (!read)
        return false;
    frmDrawer dialog(parent);
    dialog.DrawerId = drawerId;
    dialog.setValues(*values);
    dialog.Mode = QStringLiteral("Edit");
    dialog.UpdateCaption();
    return dialog.exec() == QDialog::Accepted;
}

void frmDrawer::tabMain_Change(int index)
{
    if (index == kStatisticsTab)
        ShowStatistics();
}

void frmDrawer::ShowStatistics()
{
    if (StatisticsLoaded)
        return;
    const RecordId id = DrawerId;
    RecordDialog::StatisticsLabels labels;
    labels.folders = m_ui->lblFLDCount;
    labels.documents = m_ui->lblDOCCount;
    labels.pages = m_ui->lblPAGCount;
    labels.amount = m_ui->lblTTLAmount;
    labels.bytes = m_ui->lblByteCount;
    StatisticsLoaded = RecordDialog::showStatistics([id] { return RecordRules::drawerStatistics(id); }, labels);
}

void frmDrawer::cmdOK_Click()
{
    QString name;
    const QString refusal = RecordRules::checkName(RecordLevel::Drawer, m_ui->txtName->text(), &name);
    if (!name.isNull())
        RecordDialog::setWholeText(m_ui->txtName, name, RecordRules::MaxNameLength);
    if (!refusal.isEmpty()) {
        RecordDialog::refuse(refusal, m_ui->txtName, m_ui->tabMain);
        return;
    }
    RecordId drawerId = -1;
    guard([&] { drawerId = save(name); });
    if (drawerId < 0)
        return;
    if (Mode == kAdd)
        applyTemplate(drawerId);
    accept();
}

// Refuses a name another drawer of the cabinet has, else writes the row
// and mirrors it in the tree. Gives the drawer's id, -1 when refused;
// throws AppError, also when the cabinet (or, in Edit mode, the drawer) is
// gone.
RecordId frmDrawer::save(const QString &name)
{
    const bool add = Mode == kAdd;
    if (add)
        RecordDialog::requireRecord(RecordLevel::Cabinet, CabinetId);
    else
        RecordDialog::requireRecord(RecordLevel::Drawer, DrawerId);
    if (Records::drawerNameExists(CabinetId, name, add ? -1 : DrawerId)) {
        RecordDialog::refuse(RecordRules::duplicateNameMessage(RecordLevel::Drawer, name), m_ui->txtName,
                             m_ui->tabMain);
        return -1;
    }
    RecordRules::DrawerValues v = values();
    v.name = name;
    NavigationSink &tree = NavigationSink::instance();
    if (!add) {
        Records::updateDrawer(DrawerId, v);
        RecordDialog::mirror([&] { tree.UpdateDrawerName(DrawerId, name); });
        return DrawerId;
    }
    const RecordId id = Records::insertDrawer(v);
    RecordDialog::mirror([&] { tree.AddDrawerToNavTree(CabinetId, id, name); });
    return id;
}

// The template's folders and documents go in after the drawer row; a
// failure there is reported and the (empty) drawer stays.
void frmDrawer::applyTemplate(RecordId drawerId)
{
    if (DrawerTemplates::DrawerTemplateCount() < 1 || m_ui->cboTemplate->currentIndex() < 1)
        return;
    const QString chosen = m_ui->cboTemplate->currentText();
    if (chosen == kNoTemplate)
        return;
    guard([&] { DrawerTemplates::ApplyDrawerTemplate(chosen, drawerId); });
}

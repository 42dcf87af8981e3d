#include "store/ui/frmSample.h"
#include "ui_frmSample.h"

#include "core/Desktop.h"
#include "core/Guard.h"
#include "core/Prompt.h"
#include "platform/AppError.h"
#include "store/RecordRules.h"
#include "store/Records.h"
#include "store/SampleCabinets.h"

frmSample::frmSample(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmSample>())
{
    m_ui->setupUi(this);
    connect(m_ui->cmdCreate, &QPushButton::clicked, this, &frmSample::cmdCreate_Click);
    connect(m_ui->lstType, &QListWidget::itemDoubleClicked, this, &frmSample::cmdCreate_Click);
    connect(m_ui->cmdEdit, &QPushButton::clicked, this, &frmSample::cmdEdit_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    FillSampleList();
    if (m_ui->lstType->count() > 0)
        m_ui->lstType->setCurrentRow(0);
}

frmSample::~frmSample() = default;

void frmSample::FillSampleList()
{
    guard([this] { m_ui->lstType->addItems(SampleCabinets::sampleCabinetNames()); });
}

void frmSample::cmdCreate_Click()
{
    const QList<QListWidgetItem *> selected = m_ui->lstType->selectedItems();
    const QString outlineName = selected.isEmpty() ? QString() : selected.first()->text();
    // The cabinet is stored under the outline's name without the characters
    // a name may not hold, so that is the name to test.
    const QString name = SampleCabinets::cabinetNameFor(outlineName);
    if (name.isEmpty()) {
        Prompt::instance().warning(QStringLiteral("Please select a sample cabinet to create."));
        return;
    }
    // The outline is the user's text: a name the cabinet dialog would
    // refuse is refused here rather than stored (and later cut).
    QString checked;
    const QString refusal = RecordRules::checkName(RecordLevel::Cabinet, name, &checked);
    if (!refusal.isEmpty()) {
        Prompt::instance().warning(refusal);
        return;
    }
    bool taken = false;
    guard([&] {
        taken = Records::cabinetNameExists(name);
        if (taken)
            Prompt::instance().warning(QStringLiteral("A cabinet named '%1' already exists.").arg(name));
        else
            SampleCabinets::CreateSampleCabinet(outlineName);
    });
    // After a failure the rows inserted before it stay (the cabinet among
    // them), so the dialog closes as after a creation.
    if (!taken)
        accept();
}

void frmSample::cmdEdit_Click()
{
    const QString path = SampleCabinets::sampleOutlinePath();
    if (!Desktop::instance().openFile(path))
        Prompt::instance().error(
            AppError(ErrorCode::LaunchFailed, QStringLiteral("No program could be started to open \"%1\".").arg(path))
                .message());
    reject();
}

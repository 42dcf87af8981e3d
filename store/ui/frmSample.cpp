#include "frmSample.h"
#include "ui_frmSample.h"

#include <QDesktopServices>
#include <QUrl>

#include "DbError.h"
#include "Prompt.h"
#include "RecordRules.h"
#include "SampleCabinets.h"

namespace {

frmSample::OpenFileHandler &openFileHandler()
{
    static frmSample::OpenFileHandler handler;
    return handler;
}

bool openFile(const QString &path)
{
    if (openFileHandler())
        return openFileHandler()(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace

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

void frmSample::setOpenFileHandler(OpenFileHandler handler)
{
    openFileHandler() = std::move(handler);
}

void frmSample::FillSampleList()
{
    try {
        m_ui->lstType->addItems(SampleCabinets::SampleCabinetNames());
    } catch (const DbError &e) {
        Prompt::instance().error(e.message());
    }
}

void frmSample::cmdCreate_Click()
{
    const QList<QListWidgetItem *> selected = m_ui->lstType->selectedItems();
    const QString outlineName = selected.isEmpty() ? QString() : selected.first()->text();
    // The cabinet is stored under the outline's name without the characters
    // a name may not hold, so that is the name to test.
    const QString name = SampleCabinets::CabinetNameFor(outlineName);
    if (name.isEmpty()) {
        Prompt::instance().message(QStringLiteral("Please select a sample cabinet to create."));
        return;
    }
    try {
        if (Records::CabinetNameExists(name)) {
            Prompt::instance().message(QStringLiteral("A cabinet named '%1' already exists.").arg(name));
            return;
        }
        SampleCabinets::CreateSampleCabinet(outlineName);
    } catch (const DbError &e) {
        // Rows inserted before the failure stay (the cabinet among them),
        // so the dialog closes as after a creation.
        Prompt::instance().error(e.message());
    }
    accept();
}

void frmSample::cmdEdit_Click()
{
    const QString path = SampleCabinets::SampleOutlinePath();
    if (!openFile(path))
        Prompt::instance().error(
            DbError(-1, QStringLiteral("No program could be started to open \"%1\".").arg(path)).message());
    reject();
}

#include "exchange/ui/frmExport.h"
#include "ui_frmExport.h"

#include <QDir>
#include <QFileInfo>

#include "core/AppSettings.h"
#include "core/Guard.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "exchange/CabinetExport.h"
#include "exchange/ExchangeRules.h"
#include "platform/DataFolder.h"
#include "platform/PathFacts.h"

frmExport::frmExport(QWidget *parent) : CabinetExchangeDialog(parent, QStringLiteral("Stop the export?")),
    m_ui(std::make_unique<Ui::frmExport>())
{
    m_ui->setupUi(this);
    setUpControls(m_ui->lblStatus, m_ui->shpForeground, m_ui->cboCabinet, m_ui->cmdOK);
    m_ui->stkPages->setCurrentWidget(m_ui->pagInput);
    m_ui->txtOutputPath->setText(AppSettings::LastOutputPath.stored().value_or(ExchangeRules::defaultOutputPath()));
    connect(m_ui->cmdLookup, &QPushButton::clicked, this, &frmExport::cmdLookup_Click);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmExport::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &frmExport::cmdCancel_Click);
}

frmExport::~frmExport() = default;

void frmExport::cmdLookup_Click()
{
    if (const std::optional<QString> folder = Prompt::instance().chooseFolder(m_ui->txtOutputPath->text()))
        m_ui->txtOutputPath->setText(*folder);
}

bool frmExport::checkPath(const QString &path)
{
    Prompt &prompt = Prompt::instance();
    const QString dataFolder = DataFolder::path();
    bool refused = false;
    if (PathFacts::isInsideFolder(path, dataFolder)) {
        prompt.warning(ExchangeRules::insideProgramMessage(dataFolder));
        refused = true;
    } else if (!QDir::isAbsolutePath(path)) {
        // Relative to what? The program's working folder means nothing to
        // the user.
        prompt.warning(QStringLiteral("'%1' does not exist.").arg(m_ui->txtOutputPath->text()));
        refused = true;
    } else if (!QFileInfo(path).isDir()) {
        // Nothing is made here: the export makes every missing folder.
        const QString question = QStringLiteral("'%1' does not exist.  Do you want to create it?");
        refused = prompt.questionYesNoCancel(question.arg(m_ui->txtOutputPath->text())) != Prompt::Answer::Yes;
    }
    if (refused)
        m_ui->txtOutputPath->setFocus();
    return !refused;
}

void frmExport::cmdOK_Click()
{
    m_ui->txtOutputPath->setText(m_ui->txtOutputPath->text().trimmed());
    const QString path = ExchangeRules::expandPath(m_ui->txtOutputPath->text());
    const RecordId cabinetId = chosenCabinet();
    bool ok = false;
    if (!guard([&] { ok = cabinetId >= 0 && checkPath(path); }) || !ok)
        return;
    AppSettings::LastOutputPath.write(m_ui->txtOutputPath->text());
    setRunning(true);
    m_ui->stkPages->setCurrentWidget(m_ui->pagProgress);
    m_ui->cmdOK->hide();
    CabinetExport::ExportOptions options;
    options.progress = this;
    const CabinetExport::ExportResult result = CabinetExport::ExportCabinet(cabinetId, path, options);
    m_ui->stkPages->setCurrentWidget(m_ui->pagInput);
    m_ui->cmdOK->show();
    setRunning(false);
    // Cancel at the question about an earlier export in that folder wrote
    // nothing: the user may choose another folder.
    if (result.declined) {
        m_ui->txtOutputPath->setFocus();
        return;
    }
    accept();
}

void frmExport::cmdCancel_Click()
{
    // While the export runs: "Stop the export?".
    reject();
}

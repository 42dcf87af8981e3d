#include "exchange/ui/frmImport.h"
#include "ui_frmImport.h"

#include <QDir>
#include <QFileInfo>

#include "core/AppSettings.h"
#include "core/Progress.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "exchange/CabinetImport.h"
#include "exchange/ExchangeRules.h"
#include "exchange/ExchangeState.h"
#include "store/PagePaths.h"

namespace {

constexpr int kDisksWithoutQuestion = 10;

} // namespace

frmImport::frmImport(QWidget *parent) : CabinetExchangeDialog(parent, QStringLiteral("Stop the import?")),
    m_ui(std::make_unique<Ui::frmImport>())
{
    m_ui->setupUi(this);
    setUpControls(m_ui->lblStatus, m_ui->shpForeground, m_ui->cboCabinet, m_ui->cmdOK);
    m_ui->stkPages->setCurrentWidget(m_ui->pagInput);
    m_ui->txtImportPath->setText(AppSettings::LastImportPath.read());
    connect(m_ui->cmdLookup, &QPushButton::clicked, this, &frmImport::cmdLookup_Click);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmImport::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &frmImport::cmdCancel_Click);
}

frmImport::~frmImport() = default;

void frmImport::cmdLookup_Click()
{
    QString folder = PagePaths::GetFolderPart(ExchangeRules::expandPath(m_ui->txtImportPath->text()));
    const std::optional<QString> marker = Prompt::instance().openFileName(
        QStringLiteral("Import Path"), folder + QStringLiteral("VLM.txt"),
        QStringLiteral("File cabinets (vlm.txt VLM.txt Vlm.txt);;All files (*)"));
    // Cancel leaves the folder part of the former text, as the dialog was
    // opened with it.
    if (marker)
        folder = PagePaths::GetFolderPart(*marker);
    m_ui->txtImportPath->setText(folder);
}

int frmImport::checkInput(const QString &root)
{
    Prompt &prompt = Prompt::instance();
    const QString typed = m_ui->txtImportPath->text();
    const QString path = ExchangeRules::expandPath(typed);
    if (!QDir::isAbsolutePath(path) || !QFileInfo::exists(path)) {
        prompt.warning(QStringLiteral("'%1' does not exist.").arg(typed));
        m_ui->txtImportPath->setFocus();
        return 0;
    }
    if (!ExchangeRules::hasMarker(root)) {
        prompt.warning(QStringLiteral(
            "Missing VLM.TXT. This file designates the starting point of a previously exported file cabinet."));
        m_ui->txtImportPath->setFocus();
        return 0;
    }
    const int count = ExchangeRules::diskCountOf(m_ui->txtDiskCount->text());
    m_ui->txtDiskCount->setText(QString::number(count));
    if (count > kDisksWithoutQuestion
        && !prompt.question(QStringLiteral("You have designated over 10 disks to import.  Continue?")))
        return 0;
    if (count < 1) {
        prompt.warning(QStringLiteral("You have entered a disk count less than 1."));
        return 0;
    }
    return count;
}

void frmImport::cmdOK_Click()
{
    const QString root = ExchangeRules::importRoot(m_ui->txtImportPath->text());
    const RecordId cabinetId = chosenCabinet();
    const int disks = cabinetId >= 0 ? checkInput(root) : 0;
    if (disks < 1)
        return;
    AppSettings::LastImportPath.write(m_ui->txtImportPath->text());
    m_ui->stkPages->setCurrentWidget(m_ui->pagProgress);
    m_ui->cmdOK->hide();
    setRunning(true);
    Progress::setProgressCancelled(false);
    ExchangeState &state = ExchangeState::instance();
    state.ImportedFileCount = 0;
    state.ImportedShortcutCount = 0;
    const CabinetImport::TreeImportResult result = CabinetImport::ImportCabinetTree(cabinetId, root, disks, this);
    StopProgress();
    QString text = QStringLiteral("%1 files imported.\r\n%2 shortcuts created.")
                       .arg(state.ImportedFileCount)
                       .arg(state.ImportedShortcutCount);
    if (!result.failures.isEmpty())
        text += QStringLiteral("\r\n%1 could not be imported.")
                    .arg(result.failures.size() == 1 ? QStringLiteral("1 file or folder")
                                                     : QStringLiteral("%1 files or folders").arg(result.failures.size()));
    if (Progress::ProgressCancelled())
        text += QStringLiteral("\r\nImport stopped by user.");
    Prompt::instance().message(text);
    setRunning(false);
    m_ui->stkPages->setCurrentWidget(m_ui->pagInput);
    m_ui->cmdOK->show();
    accept();
}

void frmImport::cmdCancel_Click()
{
    // While the import runs: "Stop the import?".
    reject();
}

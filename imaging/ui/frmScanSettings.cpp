#include "imaging/ui/frmScanSettings.h"
#include "ui_frmScanSettings.h"

#include "core/Prompt.h"
#include "core/ui/BusyCursor.h"
#include "imaging/ScanSetup.h"

frmScanSettings::frmScanSettings(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmScanSettings>())
{
    m_ui->setupUi(this);
    if (parent)
        setWindowIcon(parent->window()->windowIcon());
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmScanSettings::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    Form_Load();
}

frmScanSettings::~frmScanSettings() = default;

void frmScanSettings::showScanSettings(QWidget *parent)
{
    frmScanSettings dialog(parent);
    dialog.exec();
}

void frmScanSettings::Form_Load()
{
    const ScanSetup::Values stored = ScanSetup::read();
    m_ui->cboAfterScan->setCurrentIndex(stored.afterScan);
    m_ui->cboGetDocInfo->setCurrentIndex(stored.getDocInfo);
    m_ui->chkADF->setChecked(stored.adf);

    std::optional<QList<ScanSource>> sources;
    QString reason;
    {
        // Finding the devices can take seconds (network and USB probing).
        BusyCursor busy;
        sources = Scanner::instance().listSources(&reason);
    }
    if (sources) {
        m_sources = *sources;
        for (const ScanSource &source : m_sources)
            m_ui->cboScanner->addItem(source.label(), source.name);
        m_ui->cboScanner->setCurrentIndex(ScanSetup::selectedSource(m_sources, stored.source));
    } else {
        Prompt::instance().warning(ScanSetup::noScannerMessage());
        m_ui->cboScanner->setEnabled(false);
        m_ui->cmdOK->setEnabled(false);
    }
    // Written before the answer on purpose: a cancelled first opening still
    // counts as set up, so the next scan goes straight to the scanner.
    ScanSetup::markShown();
}

void frmScanSettings::cmdOK_Click()
{
    if (!m_ui->cmdOK->isEnabled())
        return;
    ScanSetup::Values values;
    const int index = m_ui->cboScanner->currentIndex();
    if (index >= 0 && index < m_sources.size())
        values.source = m_sources.at(index);
    values.afterScan = m_ui->cboAfterScan->currentIndex() == 0 ? 0 : 1;
    values.getDocInfo = m_ui->cboGetDocInfo->currentIndex();
    values.adf = m_ui->chkADF->isChecked();
    ScanSetup::save(values);
    accept();
}

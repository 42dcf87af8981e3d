#include "imaging/ui/frmViewSettings.h"
#include "ui_frmViewSettings.h"

#include "imaging/ViewSettings.h"
#include "imaging/ImagingState.h"

frmViewSettings::frmViewSettings(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmViewSettings>())
{
    m_ui->setupUi(this);
    if (parent)
        setWindowIcon(parent->window()->windowIcon());
    m_ui->cboZoom->addItems(ViewSettings::zoomEntries());
    m_ui->cboZoom->setCurrentIndex(ViewSettings::zoomIndexOf(ViewSettings::readZoomDefault()));
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmViewSettings::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmViewSettings::~frmViewSettings() = default;

void frmViewSettings::showViewSettings(QWidget *parent)
{
    frmViewSettings dialog(parent);
    dialog.exec();
}

void frmViewSettings::cmdOK_Click()
{
    ImagingState::instance().ZoomMode = ViewSettings::saveZoomDefault(m_ui->cboZoom->currentIndex());
    accept();
}

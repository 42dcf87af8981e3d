#include "imaging/ui/frmPage.h"
#include "ui_frmPage.h"

#include "core/Guard.h"
#include "core/RecordId.h"
#include "imaging/PageProperties.h"

namespace {

void fill(Ui::frmPage &ui, const PageProperties::Shown &shown)
{
    ui.lblPageId->setText(shown.pageIdCaption);
    ui.lblPageIdData->setText(shown.pageId);
    ui.lblFileSizeData->setText(shown.fileSize);
    ui.lblScanDateData->setText(shown.scanDate);
    ui.lblFileTypeData->setText(shown.fileType);
    ui.lblShortcutData->setText(shown.shortcut);
}

} // namespace

frmPage::frmPage(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::frmPage>())
{
    m_ui->setupUi(this);
    if (parent)
        setWindowIcon(parent->window()->windowIcon());
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

frmPage::~frmPage() = default;

void frmPage::Populate()
{
    guard([this] { fill(*m_ui, PageProperties::describe(PageId)); });
}

void frmPage::PopulateMultiple(const QList<RecordId> &selectedPageIds)
{
    guard([&] { fill(*m_ui, PageProperties::describeSeveral(selectedPageIds)); });
}

void frmPage::showPageProperties(QWidget *parent, const QList<RecordId> &selectedPageIds)
{
    if (selectedPageIds.isEmpty())
        return;
    frmPage dialog(parent);
    if (selectedPageIds.size() < 2) {
        dialog.PageId = selectedPageIds.first();
        dialog.Populate();
    } else {
        dialog.PopulateMultiple(selectedPageIds);
    }
    dialog.exec();
}

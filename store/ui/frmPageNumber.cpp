#include "store/ui/frmPageNumber.h"
#include "ui_frmPageNumber.h"

#include "core/ui/TitleWidth.h"

#include "store/Repagination.h"

frmPageNumber::frmPageNumber(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmPageNumber>())
{
    m_ui->setupUi(this);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    TitleWidth::fit(this);
}

frmPageNumber::~frmPageNumber() = default;

void frmPageNumber::setPageNumber(int number)
{
    m_ui->txtPageNumber->setText(QString::number(number));
    m_ui->txtPageNumber->selectAll();
    m_ui->txtPageNumber->setFocus();
}

int frmPageNumber::pageNumber() const
{
    return Repagination::parsePageNumber(m_ui->txtPageNumber->text());
}

int frmPageNumber::ask(QWidget *parent, int currentNumber)
{
    frmPageNumber dialog(parent);
    dialog.setPageNumber(currentNumber);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    return dialog.pageNumber();
}

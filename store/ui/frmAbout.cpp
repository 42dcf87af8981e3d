#include "store/ui/frmAbout.h"
#include "ui_frmAbout.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QUrl>

#include "core/Desktop.h"
#include "core/Guard.h"
#include "core/Prompt.h"
#include "store/HelpText.h"

namespace {

// The maker, named the same way everywhere in the box, and its web page.
const QString kMaker = QStringLiteral("Quillhaven Software");
const QString kWebAddress = QStringLiteral("https://www.quillhaven.com/");
const QString kCopyrightYears = QStringLiteral("2026");

QString programVersion()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral(VLM_VERSION) : version;
}

} // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmAbout>())
{
    m_ui->setupUi(this);
    if (parent)
        setWindowIcon(parent->windowIcon());
    m_ui->Image1->setPixmap(windowIcon().pixmap(64, 64));
    QFont appFont = m_ui->lblApp->font();
    appFont.setBold(true);
    appFont.setPointSizeF(appFont.pointSizeF() * 1.4);
    m_ui->lblApp->setFont(appFont);

    m_ui->lblCopyright->setText(QStringLiteral("Copyright \u00A9 %1 %2").arg(kCopyrightYears, kMaker));
    m_ui->lblLegal->setText(
        QStringLiteral("Vellumark is provided as is, without warranty of any kind, to the extent permitted by law. "
                       "%1 is not liable for any loss or damage that comes from its use, lost or damaged "
                       "documents included. Keep copies of documents that matter.")
            .arg(kMaker));
    m_ui->lblPgCnt->setText(QStringLiteral("Pages stored: "));
    guard([this] { m_ui->lblPgCnt->setText(HelpText::pageCountCaption(HelpText::storedPageCount())); });
    m_ui->lblApp->setText(HelpText::versionCaption(programVersion()));

    m_ui->lblWeb->setText(kWebAddress);
    m_ui->lblWeb->setStyleSheet(QStringLiteral("color: palette(link);"));
    // The hand belongs to the link alone, so it cannot outlive the box.
    m_ui->lblWeb->setCursor(Qt::PointingHandCursor);
    m_ui->lblWeb->installEventFilter(this);

    connect(m_ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

frmAbout::~frmAbout() = default;

void frmAbout::showAbout(QWidget *parent)
{
    frmAbout box(parent);
    box.exec();
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->lblWeb && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && m_ui->lblWeb->rect().contains(mouse->position().toPoint())) {
            lblWeb_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::lblWeb_Click()
{
    if (!Prompt::instance().question(QStringLiteral("Load the %1 website?").arg(kMaker)))
        return;
    if (!Desktop::instance().openUrl(QUrl(kWebAddress)))
        Prompt::instance().warning(QStringLiteral("Could not launch browser."));
}

#include "frmAbout.h"
#include "ui_frmAbout.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

#include "DbError.h"
#include "HelpText.h"
#include "Prompt.h"

namespace {

const QString kWebAddress = QStringLiteral("https://vellumark.example.org");

frmAbout::UrlOpener &urlOpener()
{
    static frmAbout::UrlOpener opener;
    return opener;
}

bool openUrl(const QUrl &url)
{
    const frmAbout::UrlOpener &opener = urlOpener();
    return opener ? opener(url) : QDesktopServices::openUrl(url);
}

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

    m_ui->lblCopyright->setText(QStringLiteral("Copyright \u00A9 2026 The Vellumark developers"));
    try {
        m_ui->lblPgCnt->setText(HelpText::PageCountCaption(HelpText::StoredPageCount()));
    } catch (const DbError &e) {
        m_ui->lblPgCnt->setText(QStringLiteral("Pages stored: "));
        Prompt::instance().error(e.message());
    }
    m_ui->lblApp->setText(HelpText::VersionCaption(programVersion()));

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

void frmAbout::setUrlOpener(UrlOpener opener)
{
    urlOpener() = std::move(opener);
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
    if (!Prompt::instance().question(QStringLiteral("Load the Quillhaven Software website?")))
        return;
    if (!openUrl(QUrl(kWebAddress)))
        Prompt::instance().message(QStringLiteral("Could not launch browser."));
}

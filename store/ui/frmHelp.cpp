#include "store/ui/frmHelp.h"
#include "ui_frmHelp.h"

#include <QEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPointer>
#include <QStyle>

#include "store/HelpText.h"

namespace {

// The window keeps 800 twips (53 pixels at 96 dpi) from the lower right
// corner of the navigation window.
constexpr int kCornerInset = 53;

const char *const kHighlighted = "highlighted";

QPointer<frmHelp> s_instance;

// The lines of the help file as it is now; none when it cannot be read.
QStringList currentHelpLines()
{
    QString text;
    return HelpText::readHelpText(&text) ? HelpText::helpLines(text) : QStringList();
}

} // namespace

frmHelp::frmHelp(QWidget *navigationWindow)
    : QDialog(navigationWindow), m_ui(std::make_unique<Ui::frmHelp>())
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    m_ui->cmdPrev->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    m_ui->cmdNext->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    QFont titleFont = m_ui->lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    m_ui->lblTitle->setFont(titleFont);

    m_lblLine = {m_ui->lblLine_0, m_ui->lblLine_1, m_ui->lblLine_2, m_ui->lblLine_3, m_ui->lblLine_4,
                 m_ui->lblLine_5, m_ui->lblLine_6, m_ui->lblLine_7, m_ui->lblLine_8};
    for (QLabel *label : std::as_const(m_lblLine))
        label->installEventFilter(this);

    connect(m_ui->cmdTOC, &QPushButton::clicked, this, &frmHelp::cmdTOC_Click);
    connect(m_ui->cmdPrev, &QPushButton::clicked, this, &frmHelp::cmdPrev_Click);
    connect(m_ui->cmdNext, &QPushButton::clicked, this, &frmHelp::cmdNext_Click);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &frmHelp::cmdClose_Click);

    HelpLastPage = 1;
    HelpTopic = -1;
    ShowHelpSection();
    if (navigationWindow) {
        setWindowIcon(navigationWindow->windowIcon());
        placeNear(navigationWindow);
    }
}

frmHelp::~frmHelp() = default;

bool frmHelp::showHelp(QWidget *navigationWindow)
{
    QString text;
    if (!HelpText::readHelpText(&text))
        return false;
    if (!s_instance) {
        s_instance = new frmHelp(navigationWindow);
        s_instance->setAttribute(Qt::WA_DeleteOnClose);
    }
    s_instance->show();
    s_instance->raise();
    s_instance->activateWindow();
    return true;
}

bool frmHelp::eventFilter(QObject *watched, QEvent *event)
{
    const int index = m_lblLine.indexOf(qobject_cast<QLabel *>(watched));
    if (index < 0 || HelpTopic != -1)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::Enter) {
        highlightEntry(index);
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && m_lblLine.at(index)->rect().contains(mouse->position().toPoint()))
            lblLine_Click(index);
    }
    return QDialog::eventFilter(watched, event);
}

void frmHelp::ShowHelpPosition()
{
    if (HelpTopic != -1 && HelpPage < 1)
        HelpTopic = -1;
    ShowHelpSection();
}

bool frmHelp::ShowHelpSection()
{
    const QStringList lines = currentHelpLines();
    if (HelpTopic == -1) {
        ShowHelpToc(lines, HelpText::findSection(lines, HelpText::tocHeader()));
        return true;
    }
    const int from = HelpText::findSection(lines, HelpText::pageHeader(HelpTopic, HelpPage));
    if (from < 0) {
        // Past the last page (or a page gone from the file): the page shown
        // before stays on the screen.
        HelpPage = HelpLastPage;
        return false;
    }
    HelpLastPage = HelpPage;
    ShowHelpPage(lines, from);
    // Next leads nowhere from the topic's last page.
    m_ui->cmdNext->setEnabled(HelpText::findSection(lines, HelpText::pageHeader(HelpTopic, HelpPage + 1)) >= 0);
    return true;
}

void frmHelp::ShowHelpToc(const QStringList &lines, int from)
{
    clearEntries();
    m_ui->cmdTOC->hide();
    m_ui->cmdPrev->hide();
    m_ui->cmdNext->hide();
    m_ui->lblTitle->setText(tr("Table of Contents"));
    m_ui->lblPage->hide();
    m_entryTitles = HelpText::parseToc(lines, from);
    for (auto it = m_entryTitles.cbegin(); it != m_entryTitles.cend(); ++it)
        m_lblLine.at(it.key() - 1)->setText(it.value());
    for (QLabel *label : std::as_const(m_lblLine))
        label->show();
}

void frmHelp::ShowHelpPage(const QStringList &lines, int from)
{
    clearEntries();
    m_ui->cmdTOC->show();
    m_ui->cmdPrev->show();
    m_ui->cmdNext->show();
    m_ui->lblTitle->setText(HelpTopicTitle);
    m_ui->lblPage->setText(HelpText::parsePage(lines, from).join(QLatin1Char('\n')));
    m_ui->lblPage->show();
}

void frmHelp::clearEntries()
{
    m_entryTitles.clear();
    for (QLabel *label : std::as_const(m_lblLine)) {
        label->clear();
        label->hide();
    }
    highlightEntry(-1);
}

// Entries are drawn as links; the one under the mouse shows white on the
// highlight colour, and the others lose the mark.
void frmHelp::highlightEntry(int index)
{
    for (int i = 0; i < m_lblLine.size(); ++i) {
        QLabel *label = m_lblLine.at(i);
        const bool on = i == index;
        label->setProperty(kHighlighted, on);
        label->setStyleSheet(on ? QStringLiteral("color: #ffffff; background-color: palette(highlight);")
                                : QStringLiteral("color: palette(link);"));
    }
}

void frmHelp::placeNear(const QWidget *navigationWindow)
{
    // The size the window will show with, so that its corner lands right.
    ensurePolished();
    layout()->activate();
    resize(size().expandedTo(sizeHint()));
    const QRect nav = navigationWindow->frameGeometry();
    // Not shown yet, this window has no frame: take the navigation window's.
    const QSize own = size() + (nav.size() - navigationWindow->size());
    move(nav.x() + nav.width() - own.width() - kCornerInset, nav.y() + nav.height() - own.height() - kCornerInset);
}

void frmHelp::lblLine_Click(int index)
{
    const int number = index + 1;
    if (HelpTopic != -1 || !m_entryTitles.contains(number))
        return;
    const QString previousTitle = HelpTopicTitle;
    HelpTopic = number;
    HelpTopicTitle = m_entryTitles.value(number);
    HelpPage = 1;
    HelpLastPage = 1;
    if (!ShowHelpSection()) {
        // A topic without its first page: the click is ignored and the table
        // of contents stays usable.
        HelpTopic = -1;
        HelpTopicTitle = previousTitle;
    }
}

void frmHelp::cmdTOC_Click()
{
    HelpTopic = -1;
    ShowHelpPosition();
}

void frmHelp::cmdPrev_Click()
{
    --HelpPage;
    ShowHelpPosition();
}

void frmHelp::cmdNext_Click()
{
    ++HelpPage;
    ShowHelpPosition();
}

void frmHelp::cmdClose_Click()
{
    if (HelpTopic == -1) {
        close();
        return;
    }
    HelpTopic = -1;
    ShowHelpPosition();
}

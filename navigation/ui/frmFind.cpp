#include "navigation/ui/frmFind.h"
#include "ui_frmFind.h"

#include "core/Guard.h"
#include "core/Prompt.h"
#include "navigation/FindInput.h"
#include "navigation/FindLocations.h"
#include "navigation/ui/NavIcons.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QShortcut>
#include <QTimer>

using namespace FindLocations;

namespace {

constexpr int kTimerMs = 500;
const QString kZeroAmount = QStringLiteral("0.00");

void fill(QComboBox *combo, const Choices &choices)
{
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(choices.items);
    combo->setEnabled(choices.enabled);
    combo->setCurrentIndex(0);
}

// "(All)" alone, disabled.
void allOnly(QComboBox *combo)
{
    fill(combo, {{AllText}, false});
}

// Chooses the remembered item; one that is no longer offered (deleted,
// renamed or locked since) falls back to the first item.
void choose(QComboBox *combo, const QString &text)
{
    combo->setCurrentIndex(qMax(0, combo->findText(text, Qt::MatchExactly)));
}

} // namespace

frmFind::frmFind(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::frmFind>())
{
    m_ui->setupUi(this);
    setWindowIcon(NavIcons::appIcon());
    auto *group = new QButtonGroup(this);
    group->addButton(m_ui->optKeywords_0, 0);
    group->addButton(m_ui->optKeywords_1, 1);
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &frmFind::timer_Timer);
    connect(m_ui->cmdFind, &QPushButton::clicked, this, &frmFind::cmdFind_Click);
    connect(m_ui->cmdReset, &QPushButton::clicked, this, &frmFind::cmdReset_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    // A chosen name turns into its id at once, not on the next tick.
    for (QComboBox *combo : {m_ui->cboCabinet, m_ui->cboDrawer, m_ui->cboFolder})
        connect(combo, &QComboBox::currentIndexChanged, this, [this] { guard([this] { syncAll(); }); });
    // A From date goes to Thru once it is finished, and only when it is
    // another date than before: stepping through a date with the arrows
    // would copy the first step, and leaving the box untouched finishes an
    // edit too.
    const std::pair<QDateEdit *, QDateEdit *> ranges[] = {{m_ui->dtScanFrom, m_ui->dtScanThru},
                                                          {m_ui->dtDocFrom, m_ui->dtDocThru}};
    for (const auto &range : ranges) {
        // Named copies: a lambda may not capture a structured binding in C++17.
        QDateEdit *from = range.first;
        QDateEdit *thru = range.second;
        connect(from, &QDateEdit::editingFinished, this,
                [this, from, thru] { copyFromDate(from, from->date(), thru); });
        // A date picked from the calendar is finished at once.
        if (from->calendarPopup())
            connect(from->calendarWidget(), &QCalendarWidget::clicked, this,
                    [this, from, thru](const QDate &d) { copyFromDate(from, d, thru); });
    }
    m_ui->txtAmtFrom->installEventFilter(this);
    // The dialog's own keys wherever the focus is, also in a date picker
    // that would take PageUp and PageDown itself.
    auto *next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this);
    next->setContext(Qt::WidgetWithChildrenShortcut);
    connect(next, &QShortcut::activated, this, [this] { switchTab(1); });
    auto *previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this);
    previous->setContext(Qt::WidgetWithChildrenShortcut);
    connect(previous, &QShortcut::activated, this, [this] { switchTab(-1); });
    Form_Load();
    // The dialog opens on the keywords, ready for typing.
    m_ui->tabFind->setCurrentIndex(0);
    m_ui->txtKeywords->setFocus();
}

frmFind::~frmFind() = default;

void frmFind::Form_Load()
{
    IsLoading = true;
    m_ui->tabFind->setCurrentIndex(0);
    const FindCriteria &c = FindCriteria::instance();
    m_ui->txtKeywords->setText(c.FindKeywords);
    if (c.FindMatchAnyWord != 0)
        m_ui->optKeywords_0->setChecked(true);
    if (c.FindMatchAllWords != 0)
        m_ui->optKeywords_1->setChecked(true);
    m_location = {};
    LastCabinetText = LastDrawerText = LastFolderText = AllText;
    // A failure leaves the lists at "(All)"; the user has been told.
    guard([&] {
        m_syncing = true;
        FillCabinetCombo();
        fill(m_ui->cboDrawer, {{AllText}, m_ui->cboDrawer->isEnabled()});
        fill(m_ui->cboFolder, {{AllText}, m_ui->cboFolder->isEnabled()});
        m_syncing = false;
        choose(m_ui->cboCabinet, c.FindCabinetName);
        syncAll();
        choose(m_ui->cboDrawer, c.FindDrawerName);
        syncAll();
        choose(m_ui->cboFolder, c.FindFolderName);
        syncAll();
    });
    m_syncing = false;
    m_ui->dtScanFrom->setDate(c.FindScanDateFrom);
    m_ui->dtScanThru->setDate(c.FindScanDateThru);
    m_ui->dtDocFrom->setDate(c.FindDocDateFrom);
    m_ui->dtDocThru->setDate(c.FindDocDateThru);
    m_fromDates = {{m_ui->dtScanFrom, c.FindScanDateFrom}, {m_ui->dtDocFrom, c.FindDocDateFrom}};
    m_ui->txtFileSizeFrom->setText(QString::number(c.FindFileSizeFrom));
    m_ui->txtFileSizeThru->setText(QString::number(c.FindFileSizeThru));
    m_ui->txtAmtFrom->setText(FindInput::amountText(c.FindAmountFrom));
    m_ui->txtAmtThru->setText(FindInput::amountText(c.FindAmountThru));
    m_timer->start(kTimerMs);
    IsLoading = false;
}

void frmFind::FillCabinetCombo()
{
    fill(m_ui->cboCabinet, cabinetChoices());
}

void frmFind::FillDrawerCombo()
{
    fill(m_ui->cboDrawer, drawerChoices(m_location.cabinetId));
}

void frmFind::FillFolderCombo()
{
    fill(m_ui->cboFolder, folderChoices(m_location.drawerId));
}

bool frmFind::SyncFindCombos()
{
    const QString cabinet = m_ui->cboCabinet->currentText();
    if (cabinet != LastCabinetText) {
        m_location.cabinetId = GetCabinetIdByName(cabinet);
        // "No file cabinets to find" and a name without a row stand for
        // no cabinet, as "(All)" does.
        if (m_location.cabinetId == 0) {
            allOnly(m_ui->cboDrawer);
        } else {
            FillDrawerCombo();
        }
        allOnly(m_ui->cboFolder);
        LastCabinetText = cabinet;
        return true;
    }
    const QString drawer = m_ui->cboDrawer->currentText();
    if (drawer != LastDrawerText) {
        m_location.drawerId = GetDrawerIdByName(m_location.cabinetId, drawer);
        if (m_location.drawerId == 0)
            allOnly(m_ui->cboFolder);
        else
            FillFolderCombo();
        LastDrawerText = drawer;
        return true;
    }
    const QString folder = m_ui->cboFolder->currentText();
    if (folder != LastFolderText) {
        m_location.folderId = GetFolderIdByName(m_location.drawerId, folder);
        LastFolderText = folder;
        return true;
    }
    return false;
}

void frmFind::syncAll()
{
    if (m_syncing)
        return;
    m_syncing = true;
    try {
        while (SyncFindCombos()) {
        }
    } catch (...) {
        m_syncing = false;
        throw;
    }
    m_syncing = false;
}

void frmFind::timer_Timer()
{
    guard([this] { syncAll(); });
    m_ui->lblDebug->setText(QStringLiteral("%1:%2:%3")
                                .arg(m_location.cabinetId)
                                .arg(m_location.drawerId)
                                .arg(m_location.folderId));
}

void frmFind::copyFromDate(const QDateEdit *from, const QDate &date, QDateEdit *thru)
{
    if (IsLoading || date == m_fromDates.value(from))
        return;
    m_fromDates.insert(from, date);
    if (thru->date() == FindCriteria::FindDefaultThruDate())
        thru->setDate(date);
}

void frmFind::txtAmtFrom_LostFocus()
{
    const QString from = m_ui->txtAmtFrom->text();
    if (from != kZeroAmount && m_ui->txtAmtThru->text() == kZeroAmount)
        m_ui->txtAmtThru->setText(from);
}

bool frmFind::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->txtAmtFrom && event->type() == QEvent::FocusOut)
        txtAmtFrom_LostFocus();
    return QDialog::eventFilter(watched, event);
}

void frmFind::switchTab(int step)
{
    const int count = m_ui->tabFind->count();
    m_ui->tabFind->setCurrentIndex((m_ui->tabFind->currentIndex() + step + count) % count);
}

void frmFind::storeCriteria(FindCriteria &c) const
{
    c.FindKeywords = m_ui->txtKeywords->text();
    c.FindMatchAnyWord = m_ui->optKeywords_0->isChecked() ? -1 : 0;
    c.FindMatchAllWords = m_ui->optKeywords_1->isChecked() ? -1 : 0;
    c.FindCabinetName = m_ui->cboCabinet->currentText();
    c.FindDrawerName = m_ui->cboDrawer->currentText();
    c.FindFolderName = m_ui->cboFolder->currentText();
    c.FindScanDateFrom = m_ui->dtScanFrom->date();
    c.FindScanDateThru = m_ui->dtScanThru->date();
    c.FindDocDateFrom = m_ui->dtDocFrom->date();
    c.FindDocDateThru = m_ui->dtDocThru->date();
    c.FindFileSizeFrom = FindInput::fileSizeFromText(m_ui->txtFileSizeFrom->text());
    c.FindFileSizeThru = FindInput::fileSizeFromText(m_ui->txtFileSizeThru->text());
    c.FindAmountFrom = FindInput::amountFromText(m_ui->txtAmtFrom->text());
    c.FindAmountThru = FindInput::amountFromText(m_ui->txtAmtThru->text());
}

void frmFind::cmdFind_Click()
{
    m_ui->txtKeywords->setText(m_ui->txtKeywords->text().trimmed());
    if (m_ui->txtKeywords->text().isEmpty()
        && Prompt::instance().questionYesNoCancel(
               QStringLiteral("No keywords entered.  Search without keywords?"))
               != Prompt::Answer::Yes) {
        m_ui->tabFind->setCurrentIndex(0);
        m_ui->txtKeywords->setFocus();
        return;
    }
    // The lists may have changed since the last tick: the search uses the
    // ids of what they show now.
    if (!guard([this] { syncAll(); }))
        return;
    FindCriteria &criteria = FindCriteria::instance();
    storeCriteria(criteria);
    Q_EMIT searchStarted();
    FindQuery::FindResult result;
    // A failed search leaves no half-built results and the dialog open.
    if (!guard([&] { result = FindQuery::RunFind(criteria, m_location); }))
        return;
    Q_EMIT searchFinished(result);
    accept();
}

void frmFind::cmdReset_Click()
{
    if (!Prompt::instance().question(QStringLiteral("Reset find parameters?")))
        return;
    FindCriteria::instance().ResetFindCriteria();
    Form_Load();
}

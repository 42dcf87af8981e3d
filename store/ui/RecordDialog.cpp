#include "RecordDialog.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QTabWidget>

#include "Common.h"
#include "DbError.h"
#include "Prompt.h"

namespace {

void setText(QLabel *label, const QString &text)
{
    if (label)
        label->setText(text);
}

// Keeps the wait cursor up for exactly as long as the query runs, also when
// it throws.
struct WaitCursor
{
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

namespace RecordDialog {

void refuse(const QString &message, QWidget *box, QTabWidget *tabs)
{
    Prompt::instance().message(message);
    if (tabs) {
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->widget(i)->isAncestorOf(box))
                tabs->setCurrentIndex(i);
        }
    }
    box->setFocus(Qt::OtherFocusReason);
}

void reportError(const DbError &error)
{
    Prompt::instance().error(error.message());
}

void mirror(const std::function<void()> &treeChange)
{
    try {
        treeChange();
    } catch (const DbError &e) {
        reportError(e);
    }
}

bool showStatistics(const std::function<RecordRules::RecordStatistics()> &query,
                    const StatisticsLabels &labels)
{
    RecordRules::RecordStatistics stats;
    try {
        WaitCursor wait;
        stats = query();
    } catch (const DbError &e) {
        reportError(e);
        return false;
    }
    setText(labels.drawers, RecordRules::FormatCount(stats.drawers));
    setText(labels.folders, RecordRules::FormatCount(stats.folders));
    setText(labels.documents, RecordRules::FormatCount(stats.documents));
    setText(labels.pages, RecordRules::FormatCount(stats.pages));
    setText(labels.bytes, RecordRules::FormatByteCount(stats.bytes));
    setText(labels.amount, RecordRules::FormatAmountTotal(stats.amount));
    return true;
}

bool checkDocumentBoxes(const DocumentBoxes &boxes, RecordRules::DocumentValues *values)
{
    const std::optional<RecordRules::DocumentRefusal> refusal =
        RecordRules::CheckDocument(boxes.name->text(), boxes.date->text(), boxes.amount->text(), values);
    if (!values->name.isNull())
        boxes.name->setText(values->name);
    if (!refusal)
        return true;
    QLineEdit *box = boxes.name;
    if (refusal->box == RecordRules::DocumentBox::Date)
        box = boxes.date;
    else if (refusal->box == RecordRules::DocumentBox::Amount)
        box = boxes.amount;
    refuse(refusal->message, box, boxes.tabs);
    return false;
}

void connectTodayButton(QToolButton *button, QLineEdit *dateBox)
{
    QIcon icon = QIcon::fromTheme(QStringLiteral("x-office-calendar"));
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("appointment-new"));
    if (icon.isNull())
        button->setText(QStringLiteral("Today"));
    else
        button->setIcon(icon);
    QObject::connect(button, &QToolButton::clicked, dateBox,
                     [dateBox] { dateBox->setText(Common::FormatDate(QDate::currentDate())); });
}

} // namespace RecordDialog

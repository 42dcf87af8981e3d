#include "store/ui/RecordDialog.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QTabWidget>

#include "core/Guard.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "core/ui/BusyCursor.h"
#include "platform/AppError.h"
#include "store/Dates.h"
#include "store/Records.h"

namespace {

void setText(QLabel *label, const QString &text)
{
    if (label)
        label->setText(text);
}

} // namespace

namespace RecordDialog {

void refuse(const QString &message, QWidget *box, QTabWidget *tabs)
{
    Prompt::instance().warning(message);
    if (tabs) {
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->widget(i)->isAncestorOf(box))
                tabs->setCurrentIndex(i);
        }
    }
    box->setFocus(Qt::OtherFocusReason);
}

void setWholeText(QLineEdit *box, const QString &text, int limit)
{
    // setText() would cut the text to the box's maximum length.
    box->setMaxLength(qMax(limit, int(text.size())));
    box->setText(text);
}

AppError missingRecord(RecordLevel kind)
{
    return AppError(ErrorCode::RecordMissing, RecordRules::recordMissingMessage(kind));
}

void requireRecord(RecordLevel kind, RecordId id)
{
    bool exists = false;
    switch (kind) {
    case RecordLevel::Cabinet: exists = Records::readCabinet(id).has_value(); break;
    case RecordLevel::Drawer: exists = Records::readDrawer(id).has_value(); break;
    case RecordLevel::Folder: exists = Records::readFolder(id).has_value(); break;
    case RecordLevel::Document: exists = Records::readDocument(id).has_value(); break;
    case RecordLevel::Page: break;  // no record dialog edits a page
    }
    if (!exists)
        throw missingRecord(kind);
}

void mirror(const std::function<void()> &treeChange)
{
    guard(treeChange);
}

bool showStatistics(const std::function<RecordRules::RecordStatistics()> &query,
                    const StatisticsLabels &labels)
{
    RecordRules::RecordStatistics stats;
    const bool read = guard([&] {
        BusyCursor wait;
        stats = query();
    });
    if (!read)
        return false;
    setText(labels.drawers, RecordRules::formatCount(stats.drawers));
    setText(labels.folders, RecordRules::formatCount(stats.folders));
    setText(labels.documents, RecordRules::formatCount(stats.documents));
    setText(labels.pages, RecordRules::formatCount(stats.pages));
    setText(labels.bytes, RecordRules::formatByteCount(stats.bytes));
    setText(labels.amount, RecordRules::formatAmountTotal(stats.amount));
    return true;
}

bool checkDocumentBoxes(const DocumentBoxes &boxes, RecordRules::DocumentValues *values,
                        const RecordRules::ShownAmount *shown)
{
    const std::optional<RecordRules::DocumentRefusal> refusal = RecordRules::checkDocument(
        boxes.name->text(), boxes.date->text(), boxes.amount->text(), values, shown);
    if (!values->name.isNull())
        setWholeText(boxes.name, values->name, RecordRules::MaxNameLength);
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
                     [dateBox] { dateBox->setText(Dates::formatDate(QDate::currentDate())); });
}

} // namespace RecordDialog

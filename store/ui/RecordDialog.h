#pragma once

#include <QString>

#include <functional>

#include "core/RecordId.h"
#include "store/RecordRules.h"

class QLabel;
class QLineEdit;
class QToolButton;
class QTabWidget;
class QWidget;
struct AppError;

// What the cabinet, drawer, folder and document dialogs do alike: refusing
// an entry, reporting a failed database step, filling the Statistics tab.
namespace RecordDialog {

// Shows the refusal (warning icon) and puts the focus into the box to
// correct, bringing the box's tab to the front first.
void refuse(const QString &message, QWidget *box, QTabWidget *tabs);

// Fills a box with a stored or chosen value. The box takes at most limit
// characters from the keyboard, but a longer value is shown whole, so
// nothing is cut unseen; the checks on OK then refuse what does not fit.
void setWholeText(QLineEdit *box, const QString &text, int limit);

// The failure of a record that is gone (ErrorCode::RecordMissing), and the
// check that throws it, so that a dialog whose record or parent was
// deleted says so and writes nothing.
AppError missingRecord(RecordLevel kind);
void requireRecord(RecordLevel kind, RecordId id);

// Runs a change of the navigation tree after the row was saved. A failure
// there is reported and goes no further: the row is safe, so the dialog
// may close.
void mirror(const std::function<void()> &treeChange);

// The value labels of a Statistics tab; a level without a label leaves it
// null.
struct StatisticsLabels
{
    QLabel *drawers = nullptr;
    QLabel *folders = nullptr;
    QLabel *documents = nullptr;
    QLabel *pages = nullptr;
    QLabel *bytes = nullptr;
    QLabel *amount = nullptr;
};

// Runs the statistics query under the wait cursor and fills the labels.
// False when the query failed; the failure has been reported and the labels
// keep their texts.
bool showStatistics(const std::function<RecordRules::RecordStatistics()> &query,
                    const StatisticsLabels &labels);

// The boxes both document dialogs have.
struct DocumentBoxes
{
    QLineEdit *name;
    QLineEdit *date;
    QLineEdit *amount;
    QTabWidget *tabs;
};

// Checks the document boxes (RecordRules::checkDocument, with the amount
// the box was filled with, if any), shows the trimmed name, and refuses the
// first box that fails. True when all pass; *values then holds the name,
// date and amount.
bool checkDocumentBoxes(const DocumentBoxes &boxes, RecordRules::DocumentValues *values,
                        const RecordRules::ShownAmount *shown = nullptr);

// Makes the button beside the date box put today's date into it.
void connectTodayButton(QToolButton *button, QLineEdit *dateBox);

} // namespace RecordDialog

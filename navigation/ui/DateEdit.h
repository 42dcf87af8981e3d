#pragma once

#include "navigation/DateTyping.h"

#include <QDateEdit>

// A date picker whose typed dates are the dates kept. Typing over the
// whole date starts at the month, "/" after a full section does not skip
// the next one, and a day that the month and year on show lack waits for
// the rest of the date rather than being cut down, so typing 02/29/2024
// over 12/31/2099 gives 02/29/2024. The date changes only when the typed
// text is a whole, valid date; a typed text that is none when the editing
// ends leaves the date as it was. Arrows, the wheel and the calendar work
// as in any date picker.
class DateEdit : public QDateEdit
{
    Q_OBJECT

public:
    explicit DateEdit(QWidget *parent = nullptr);
    ~DateEdit() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The section typing starts in: the month when the whole date is
    // selected, else the one holding the cursor.
    DateTyping::Section startSection() const;
    void showEntry();
    // Ends a typed entry: its date when it is one, and the box shows its
    // date again either way.
    void endEntry();

    DateTyping m_typing;
};

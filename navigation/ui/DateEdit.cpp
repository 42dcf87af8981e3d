#include "navigation/ui/DateEdit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

DateEdit::DateEdit(QWidget *parent) : QDateEdit(parent)
{
    lineEdit()->installEventFilter(this);
}

DateEdit::~DateEdit() = default;

DateTyping::Section DateEdit::startSection() const
{
    // The section is told by the "/" before the selection or the cursor:
    // a selection of the whole date starts at the month.
    const QLineEdit *edit = lineEdit();
    const int position = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const qsizetype slashes = edit->text().left(position).count(QLatin1Char('/'));
    return slashes >= 2 ? DateTyping::Year : slashes == 1 ? DateTyping::Day : DateTyping::Month;
}

void DateEdit::keyPressEvent(QKeyEvent *event)
{
    const bool plain = !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
    const QString text = event->text();
    if (plain && text.size() == 1 && !isReadOnly()) {
        const QChar c = text.front();
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (digit || c == QLatin1Char('/')) {
            if (!m_typing.isActive())
                m_typing.start(date(), startSection());
            m_typing.type(c);
            if (const std::optional<QDate> typed = m_typing.completeDate(minimumDate(), maximumDate()))
                setDate(*typed);
            showEntry();
            event->accept();
            return;
        }
    }
    if (m_typing.isActive() && plain && event->key() == Qt::Key_Backspace && m_typing.backspace()) {
        showEntry();
        event->accept();
        return;
    }
    endEntry();
    QDateEdit::keyPressEvent(event);
}

void DateEdit::showEntry()
{
    QLineEdit *edit = lineEdit();
    // Neither the picker's validator nor the picker itself may see the
    // half-typed text: they would fix it up (29 February of a common year
    // becomes the 28th) or take it for the date.
    const QSignalBlocker block(edit);
    const QValidator *validator = edit->validator();
    edit->setValidator(nullptr);
    edit->setText(m_typing.text());
    edit->setValidator(validator);
    const int position = m_typing.cursorPosition();
    if (m_typing.replacedLength() > 0)
        edit->setSelection(position, m_typing.replacedLength());
    else
        edit->setCursorPosition(position);
}

void DateEdit::endEntry()
{
    if (!m_typing.isActive())
        return;
    const DateTyping::Section section = m_typing.currentSection();
    if (const std::optional<QDate> typed = m_typing.finish(minimumDate(), maximumDate()))
        setDate(*typed);
    {
        const QSignalBlocker block(lineEdit());
        lineEdit()->setText(textFromDateTime(dateTime()));
    }
    // Tab and the arrows go on from the section typed last.
    if (hasFocus())
        setSelectedSection(section == DateTyping::Year  ? QDateTimeEdit::YearSection
                           : section == DateTyping::Day ? QDateTimeEdit::DaySection
                                                        : QDateTimeEdit::MonthSection);
}

bool DateEdit::focusNextPrevChild(bool next)
{
    // Tab moves between the sections before it leaves the box.
    endEntry();
    return QDateEdit::focusNextPrevChild(next);
}

void DateEdit::focusOutEvent(QFocusEvent *event)
{
    endEntry();
    QDateEdit::focusOutEvent(event);
}

void DateEdit::mousePressEvent(QMouseEvent *event)
{
    // The arrows and the calendar button step or replace the date shown.
    endEntry();
    QDateEdit::mousePressEvent(event);
}

void DateEdit::wheelEvent(QWheelEvent *event)
{
    endEntry();
    QDateEdit::wheelEvent(event);
}

bool DateEdit::eventFilter(QObject *watched, QEvent *event)
{
    // A click in the text puts the cursor somewhere else: the typed entry
    // ends there.
    if (watched == lineEdit() && (event->type() == QEvent::MouseButtonPress
                                  || event->type() == QEvent::MouseButtonDblClick))
        endEntry();
    return QDateEdit::eventFilter(watched, event);
}

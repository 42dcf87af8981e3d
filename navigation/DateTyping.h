#pragma once

#include <QDate>
#include <QString>

#include <array>
#include <optional>

// A date typed key by key into a box that shows "MM/dd/yyyy": each section
// takes its digits as typed and the entry moves on when a section is full
// or "/" ends it, so "02/29/2024", "2/29/2024" and "02292024" all give
// 29 February 2024. The sections not typed keep the date shown. Nothing is
// fixed up on the way: a day that the month and year shown do not have
// (the 29 of "02/29" before its year is typed) waits for the rest of the
// date instead of being cut to a day that month has.
class DateTyping
{
public:
    enum Section { Month, Day, Year };

    // Starts an entry over the date shown; what is typed replaces the
    // section's digits.
    void start(const QDate &shown, Section section);
    bool isActive() const { return m_active; }

    // One typed character: a digit goes into the current section, "/" ends
    // it (a "/" right after a section that filled up and moved on by itself
    // is the one the user meant for it, and is taken as that). False for any
    // other character, which the entry ignores.
    bool type(QChar c);
    // Takes back the last digit of the current section; false when it has
    // none.
    bool backspace();

    // The text to show: the sections typed as typed, the others as shown.
    QString text() const;
    // Where the next digit goes in text(), and how many characters from
    // there are the shown digits it will replace.
    int cursorPosition() const;
    int replacedLength() const;
    // The section the next digit goes into.
    Section currentSection() const { return Section(m_current); }

    // The date of the entry once no section is half typed, when it is a
    // date between min and max; none before that.
    std::optional<QDate> completeDate(const QDate &min, const QDate &max) const;
    // Ends the entry, taking the section being typed as it stands: the date
    // it gives between min and max, or none when it gives no such date (the
    // box then keeps the date it had).
    std::optional<QDate> finish(const QDate &min, const QDate &max);

private:
    static int widthOf(int section) { return section == Year ? 4 : 2; }
    QString shownDigits(int section) const;
    QString sectionText(int section) const;
    std::optional<QDate> dateWithin(const QDate &min, const QDate &max) const;
    void advance();

    QDate m_shown;
    std::array<QString, 3> m_digits;
    std::array<bool, 3> m_typed{};
    int m_current = Month;
    // The section before moved on by itself when it filled up.
    bool m_movedOn = false;
    bool m_active = false;
};

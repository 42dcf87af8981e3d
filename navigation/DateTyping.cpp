#include "navigation/DateTyping.h"

#include "store/Dates.h"

void DateTyping::start(const QDate &shown, Section section)
{
    m_shown = shown;
    m_digits = {};
    m_typed = {};
    m_current = section;
    m_movedOn = false;
    m_active = true;
}

bool DateTyping::type(QChar c)
{
    if (!m_active)
        return false;
    if (c == QLatin1Char('/')) {
        if (m_movedOn) {
            m_movedOn = false;
            return true;
        }
        // "/" on a section with nothing typed keeps what it shows.
        m_typed[m_current] = true;
        if (m_digits[m_current].isEmpty())
            m_digits[m_current] = shownDigits(m_current);
        advance();
        m_movedOn = false;
        return true;
    }
    // ASCII digits only: other scripts' digits are no part of the form.
    if (c < QLatin1Char('0') || c > QLatin1Char('9'))
        return false;
    m_movedOn = false;
    if (m_digits[m_current].size() >= widthOf(m_current))
        return true;  // the year is full: nothing comes after it
    m_typed[m_current] = true;
    m_digits[m_current].append(c);
    if (m_digits[m_current].size() == widthOf(m_current) && m_current < Year) {
        advance();
        m_movedOn = true;
    }
    return true;
}

bool DateTyping::backspace()
{
    if (!m_active || m_digits[m_current].isEmpty())
        return false;
    m_digits[m_current].chop(1);
    m_movedOn = false;
    return true;
}

void DateTyping::advance()
{
    if (m_current < Year)
        ++m_current;
}

QString DateTyping::shownDigits(int section) const
{
    const int value = section == Month ? m_shown.month() : section == Day ? m_shown.day() : m_shown.year();
    return QStringLiteral("%1").arg(value, widthOf(section), 10, QLatin1Char('0'));
}

QString DateTyping::sectionText(int section) const
{
    if (m_typed[section] && (section != m_current || !m_digits[section].isEmpty()))
        return m_digits[section];
    return shownDigits(section);
}

QString DateTyping::text() const
{
    return sectionText(Month) + QLatin1Char('/') + sectionText(Day) + QLatin1Char('/') + sectionText(Year);
}

int DateTyping::cursorPosition() const
{
    int position = 0;
    for (int s = Month; s < m_current; ++s)
        position += int(sectionText(s).size()) + 1;
    if (m_typed[m_current] && !m_digits[m_current].isEmpty())
        position += int(m_digits[m_current].size());
    return position;
}

int DateTyping::replacedLength() const
{
    // A section not typed into yet is replaced whole by its first digit.
    return m_digits[m_current].isEmpty() ? widthOf(m_current) : 0;
}

std::optional<QDate> DateTyping::dateWithin(const QDate &min, const QDate &max) const
{
    const QDate date = Dates::ToDate(text());
    if (!date.isValid() || date < min || date > max)
        return std::nullopt;
    return date;
}

std::optional<QDate> DateTyping::completeDate(const QDate &min, const QDate &max) const
{
    if (!m_active)
        return std::nullopt;
    const QString &typing = m_digits[m_current];
    if (!typing.isEmpty() && typing.size() < widthOf(m_current))
        return std::nullopt;
    return dateWithin(min, max);
}

std::optional<QDate> DateTyping::finish(const QDate &min, const QDate &max)
{
    if (!m_active)
        return std::nullopt;
    m_active = false;
    return dateWithin(min, max);
}

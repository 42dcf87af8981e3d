#include "navigation/Paging.h"

#include <QtGlobal>

int Paging::displayCountSetting()
{
    return AppSettings::DisplayCount.read();
}

int Paging::clampDisplayCount(int count)
{
    return qBound(MinDisplayCount, count, MaxDisplayCount);
}

void Paging::reset(int recordCount)
{
    m_count = qMax(0, recordCount);
    m_start = 1;
}

void Paging::setRecordCount(int recordCount)
{
    m_count = qMax(0, recordCount);
    if (m_start > m_count)
        lastScreen();
}

int Paging::PagePaneEnd() const
{
    return qMin(m_start + m_displayCount - 1, m_count);
}

void Paging::firstScreen()
{
    m_start = 1;
}

void Paging::previousScreen()
{
    if (m_start > PagePaneFirst())
        m_start = qMax(PagePaneFirst(), m_start - m_displayCount + 1);
}

void Paging::nextScreen()
{
    if (PagePaneEnd() < m_count)
        m_start = PagePaneEnd() + 1;
}

void Paging::lastScreen()
{
    m_start = qMax(PagePaneFirst(), m_count - m_displayCount + 1);
}

void Paging::showLess()
{
    setDisplayCount(m_displayCount - 1);
    saveDisplayCount();
}

void Paging::showMore()
{
    setDisplayCount(m_displayCount + 1);
    saveDisplayCount();
}

int Paging::screenCount() const
{
    return (m_count + m_displayCount - 1) / m_displayCount;
}

int Paging::currentScreen() const
{
    return m_count == 0 ? 0 : (m_start - 1) / m_displayCount + 1;
}

QString Paging::statusText() const
{
    if (m_count == 0)
        return QStringLiteral("Showing %1 images (no images found)").arg(m_displayCount);
    return QStringLiteral(" Showing %1 images (page %2 of %3)")
        .arg(m_displayCount).arg(currentScreen()).arg(screenCount());
}

QString Paging::allPagesStatusText() const
{
    if (m_count == 0)
        return statusText();
    return QStringLiteral(" Showing %1 images (page 1 of 1)").arg(m_count);
}

void Paging::saveDisplayCount() const
{
    AppSettings::DisplayCount.write(m_displayCount);
}

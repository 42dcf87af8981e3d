#pragma once

#include <QString>

#include "core/AppSettings.h"

// Which pages of the shown document are on screen: one screen is at most
// PagePaneDisplayCount pages from PagePaneStart on. Indexes are 1-based, as
// the page pane counts them. Plain arithmetic, no database.
class Paging
{
public:
    static constexpr int MinDisplayCount = AppSettings::DisplayCount.low;
    static constexpr int MaxDisplayCount = AppSettings::DisplayCount.high;
    static constexpr int DefaultDisplayCount = AppSettings::DisplayCount.defaultValue;

    // AppSettings::DisplayCount, held to 1..64.
    static int displayCountSetting();
    static int clampDisplayCount(int count);

    // A new record count puts the first screen on show.
    void reset(int recordCount);
    // A record count after a change: the screen keeps its first page while
    // that page still exists, else the last screen is shown.
    void setRecordCount(int recordCount);

    int PageRecordCount() const { return m_count; }
    int PagePaneFirst() const { return 1; }
    int PagePaneStart() const { return m_start; }
    // The last index on screen; 0 when there are no pages.
    int PagePaneEnd() const;
    int PagePaneDisplayCount() const { return m_displayCount; }
    void setDisplayCount(int count) { m_displayCount = clampDisplayCount(count); }

    void firstScreen();
    // Back by one page less than a screen, not below the first page.
    void previousScreen();
    // The page after the last one shown.
    void nextScreen();
    // The last DisplayCount pages.
    void lastScreen();
    // One page fewer or more per screen (1..64), saved as DisplayCount;
    // the screen keeps its first page.
    void showLess();
    void showMore();

    bool canFirst() const { return m_start != PagePaneFirst(); }
    bool canPrevious() const { return canFirst(); }
    bool canNext() const { return PagePaneEnd() < m_count; }
    bool canLast() const { return canNext(); }

    // Screens needed for every page, and the one the first page on screen
    // lies in (1-based; 0 when there are no pages).
    int screenCount() const;
    int currentScreen() const;
    // "Showing 20 images (no images found)" without pages, else
    // " Showing 20 images (page 2 of 3)", the leading blank included.
    QString statusText() const;
    // The same for a view that lists every page at once (the list view):
    // every page counted, on its one screen.
    QString allPagesStatusText() const;

private:
    void saveDisplayCount() const;

    int m_count = 0;
    int m_start = 1;
    int m_displayCount = DefaultDisplayCount;
};

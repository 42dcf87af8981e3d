#pragma once

#include "core/RecordId.h"
#include "navigation/PageListModel.h"
#include "navigation/PageRecords.h"

#include <QWidget>

#include <array>

class QAbstractItemView;
class QGridLayout;
class QLabel;
class QListView;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QTreeView;

// The right-hand pane that shows a document's pages: one screen of
// thumbnails, or every page in a report list, with the view switches above
// and the show and paging buttons and the status below. The pane remembers the document it shows; the page
// commands, drops, paste and the view switch act on it.
class PagePane : public QWidget
{
    Q_OBJECT

public:
    explicit PagePane(QWidget *parent = nullptr);
    ~PagePane() override;

    // The view of the current mode: the thumbnails or the report.
    QAbstractItemView *lvwThumb() const;
    QListView *thumbnailView() const { return m_thumbView; }
    QTreeView *reportView() const { return m_listView; }
    // Both views, for whoever watches input on them.
    QList<QAbstractItemView *> views() const;
    QLabel *lblStatus() const { return m_status; }
    QPushButton *cmdFirst() const { return m_first; }
    QPushButton *cmdPrev() const { return m_prev; }
    QPushButton *cmdNext() const { return m_next; }
    QPushButton *cmdLast() const { return m_last; }
    QPushButton *cmdShowLess() const { return m_less; }
    QPushButton *cmdShowMore() const { return m_more; }
    QToolButton *imgThumb() const { return m_thumbMode; }
    QToolButton *imgList() const { return m_listMode; }
    PageListModel *model() const { return m_model; }
    const PageRecords &records() const { return m_records; }

    // The document whose pages the pane shows; -1 for none.
    RecordId documentId() const { return m_records.documentId(); }
    bool isFound() const { return m_records.isFound(); }
    PageListModel::ViewMode PagePaneViewMode() const { return m_mode; }

    // Reads the document's pages and shows the first screen. Throws
    // AppError; the pane keeps what it showed then.
    void ShowPagePane(RecordId documentId, bool found);
    // Makes the page the only selected item; nothing when it is not listed.
    void selectPage(RecordId pageId);
    // Reads the shown document again after a change to its pages.
    void reload();
    // Shows nothing and forgets the document.
    void clear();
    // Shows the items of the current screen (thumbnails) or every page
    // (list), with the buttons and the status to match.
    void ArrangePagePane();
    // Shows the view of the mode; the document is read again and its first
    // screen shown, as the view switches do.
    void setViewMode(PageListModel::ViewMode mode);

    // The selected pages, in the order of the items.
    QList<RecordId> selectedPageIds() const;
    // The page under the point of the view, 0 for none.
    RecordId pageAt(const QPoint &viewportPos) const;
    // True while the items are being filled: input is ignored then.
    bool PaneFillActive() const { return m_filling; }

    void cmdFirst_Click();
    void cmdPrev_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    void cmdShowLess_Click();
    void cmdShowMore_Click();

Q_SIGNALS:
    // A double-click or Enter on a page.
    void pageOpened(RecordId pageId);
    // A right-click in the pane; pageId 0 when not on a page.
    void contextMenuRequested(RecordId pageId, const QPoint &globalPos);
    // A key in the view; a receiver that runs a command for it sets handled.
    void keyCommandRequested(int key, int modifiers, bool *handled);

private:
    void buildViews();
    void buildControls();
    void updateButtons();
    // The widths of the report's columns' texts and headers.
    void measureColumns();
    // The report's columns as wide as their texts, the file name within
    // the room the view leaves it; measures them first after a fill.
    void sizeColumns();
    // The arrow stands above the switch of the active view.
    void markActiveView();
    // A click on imgThumb or imgList: the view, kept for the next start.
    void switchView(PageListModel::ViewMode mode);
    // Enter (open), the paging keys while their buttons are enabled, and
    // Ctrl+A; true when the key is the pane's own.
    bool paneKey(int key, int modifiers);

    PageRecords m_records;
    PageListModel *m_model;
    QStackedWidget *m_stack;
    QListView *m_thumbView;
    QTreeView *m_listView;
    QGridLayout *m_switches;
    QLabel *m_arrow;
    QLabel *m_status;
    QPushButton *m_first;
    QPushButton *m_prev;
    QPushButton *m_next;
    QPushButton *m_last;
    QPushButton *m_less;
    QPushButton *m_more;
    QToolButton *m_thumbMode;
    QToolButton *m_listMode;
    PageListModel::ViewMode m_mode = PageListModel::ViewMode::Thumbnail;
    bool m_filling = false;
    // Measured by measureColumns, for every column but the hidden sort key;
    // m_columnsMeasured says they are of the items on show.
    std::array<int, PageListModel::SortKeyColumn> m_contentWidths{};
    bool m_columnsMeasured = false;
};

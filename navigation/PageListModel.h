#pragma once

#include <functional>

#include <QAbstractTableModel>
#include <QImage>
#include <QVector>

#include "core/RecordId.h"
#include "navigation/PageRecords.h"

// The items of the page pane: in the thumbnail view one screen of pages with
// their thumbnails, in the list view every page of the document as a report
// (page number, file, size, scan date, page id and the hidden sort key of
// the page order). The view selects (several items at once) and the window
// maps the selection back to page ids here.
class PageListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum class ViewMode { Thumbnail, List };

    enum Role {
        PageIdRole = Qt::UserRole + 1,
        KeyRole,          // "PAG" & PageId
        PageNumberRole,
        FilenameRole,     // the full path
        FileSizeRole,     // as stored
        ScanDateRole,     // as stored
        ShortcutRole,     // bool
    };

    enum Column {
        PageNumberColumn,   // "Page #"
        FilenameColumn,     // "Filename"
        SizeColumn,         // "Size"
        ScanDateColumn,     // "Scan date"
        PageIdColumn,       // "Page ID"
        SortKeyColumn,      // "Hdn1", hidden: the text key of the page order
        ColumnCount
    };

    // Gives the picture of a page on screen; a null image when it has none
    // or it cannot be read. May make a missing thumbnail on the way.
    using ThumbnailLoader = std::function<QImage(const PageRecord &)>;

    explicit PageListModel(QObject *parent = nullptr);
    ~PageListModel() override;

    void setThumbnailLoader(ThumbnailLoader loader) { m_loader = std::move(loader); }
    // The picture of a page whose thumbnail fails.
    void setDefaultImage(const QImage &image) { m_defaultImage = image; }
    // The picture of every item of the list view.
    void setListImage(const QImage &image) { m_listImage = image; }

    // Fills the items from the records in one call: the current screen in
    // the thumbnail view (loading its thumbnails), every page in the list
    // view (loading none). A thumbnail that fails shows the default image
    // and the fill goes on.
    void fill(const PageRecords &records, ViewMode mode);
    void clear();
    ViewMode viewMode() const { return m_mode; }

    // The text of a page's item: in the thumbnail view "Page n", or the file
    // name for a shortcut page or a page without a number; in the list view
    // the bare number, "" for a shortcut page.
    static QString itemText(const PageRecord &record, ViewMode mode);

    // The report's text of a page in a column; the page-number column is
    // itemText's.
    static QString columnText(const PageRecord &record, int column, ViewMode mode);
    // The page number padded to ten digits (at least two), so that the text
    // order of the keys is the numeric order of the page numbers.
    static QString sortKey(int pageNumber);

    // Column 0 by default, so a one-column view can ask for a row alone.
    QModelIndex index(int row, int column = 0, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Orders the items by a column: "Page #" and the hidden key by the page
    // order, "Size" and "Page ID" by number, the others by text. Equal keys
    // keep their order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    const PageRecord *recordAt(int row) const;
    // -1 when the page has no item.
    int rowOfPage(RecordId pageId) const;
    // The page ids of the indexes in the order of the items (the order of
    // a selection as the user made it does not count).
    QList<RecordId> pageIds(const QModelIndexList &indexes) const;

private:
    bool lessThan(int column, int left, int right) const;
    QImage thumbnailOf(const PageRecord &record) const;

    QVector<PageRecord> m_records;
    QVector<QImage> m_images;
    ViewMode m_mode = ViewMode::Thumbnail;
    ThumbnailLoader m_loader;
    QImage m_defaultImage;
    QImage m_listImage;
};

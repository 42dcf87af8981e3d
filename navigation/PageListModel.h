#pragma once

#include <functional>

#include <QAbstractListModel>
#include <QImage>
#include <QVector>

#include "PageRecords.h"
#include "RecordId.h"

// The items of the page pane: in the thumbnail view one screen of pages with
// their thumbnails, in the list view every page of the document. The view
// selects (several items at once) and the window maps the selection back to
// page ids here.
class PageListModel : public QAbstractListModel
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

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    const PageRecord *recordAt(int row) const;
    // -1 when the page has no item.
    int rowOfPage(RecordId pageId) const;
    // The page ids of the indexes in the order of the items (the order of
    // a selection as the user made it does not count).
    QList<RecordId> pageIds(const QModelIndexList &indexes) const;

private:
    QImage thumbnailOf(const PageRecord &record) const;

    QVector<PageRecord> m_records;
    QVector<QImage> m_images;
    ViewMode m_mode = ViewMode::Thumbnail;
    ThumbnailLoader m_loader;
    QImage m_defaultImage;
    QImage m_listImage;
};

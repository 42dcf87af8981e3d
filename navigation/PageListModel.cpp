#include "PageListModel.h"

#include <algorithm>
#include <exception>

#include <QLoggingCategory>

#include "PagePaths.h"
#include "RecordId.h"

namespace {

Q_LOGGING_CATEGORY(lcPageList, "vlm.navigation")

} // namespace

PageListModel::PageListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

PageListModel::~PageListModel() = default;

void PageListModel::fill(const PageRecords &records, ViewMode mode)
{
    beginResetModel();
    m_mode = mode;
    m_records = mode == ViewMode::Thumbnail ? records.screen() : records.records();
    m_images.clear();
    if (mode == ViewMode::Thumbnail) {
        m_images.reserve(m_records.size());
        for (const PageRecord &record : std::as_const(m_records))
            m_images.append(thumbnailOf(record));
    }
    endResetModel();
}

void PageListModel::clear()
{
    beginResetModel();
    m_records.clear();
    m_images.clear();
    endResetModel();
}

QImage PageListModel::thumbnailOf(const PageRecord &record) const
{
    QImage image;
    if (m_loader) {
        // One unreadable page must not cost the rest of the screen.
        try {
            image = m_loader(record);
        } catch (const std::exception &e) {
            qCWarning(lcPageList) << "thumbnail of page" << record.PageId << "failed:" << e.what();
        }
    }
    return image.isNull() ? m_defaultImage : image;
}

QString PageListModel::itemText(const PageRecord &record, ViewMode mode)
{
    if (mode == ViewMode::List)
        return record.isShortcut() ? QString() : QString::number(record.PageNumber);
    if (record.isShortcut() || record.PageNumber == 0)
        return PagePaths::GetFileNamePart(record.Filename);
    return QStringLiteral("Page ") + QString::number(record.PageNumber);
}

int PageListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_records.size();
}

QVariant PageListModel::data(const QModelIndex &index, int role) const
{
    const PageRecord *record = index.isValid() ? recordAt(index.row()) : nullptr;
    if (!record)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return itemText(*record, m_mode);
    case Qt::DecorationRole:
        return m_mode == ViewMode::Thumbnail ? m_images.value(index.row()) : m_listImage;
    case PageIdRole:
        return record->PageId;
    case KeyRole:
        return record->key();
    case PageNumberRole:
        return record->PageNumber;
    case FilenameRole:
        return record->Filename;
    case FileSizeRole:
        return record->FileSize;
    case ScanDateRole:
        return record->ScanDate;
    case ShortcutRole:
        return record->isShortcut();
    default:
        return {};
    }
}

Qt::ItemFlags PageListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled
           | Qt::ItemNeverHasChildren;
}

const PageRecord *PageListModel::recordAt(int row) const
{
    return row >= 0 && row < m_records.size() ? &m_records.at(row) : nullptr;
}

int PageListModel::rowOfPage(RecordId pageId) const
{
    for (int row = 0; row < m_records.size(); ++row) {
        if (m_records.at(row).PageId == pageId)
            return row;
    }
    return -1;
}

QList<RecordId> PageListModel::pageIds(const QModelIndexList &indexes) const
{
    QList<int> rows;
    for (const QModelIndex &index : indexes) {
        if (index.isValid() && index.model() == this && !rows.contains(index.row()))
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    QList<RecordId> ids;
    for (int row : std::as_const(rows))
        ids.append(m_records.at(row).PageId);
    return ids;
}

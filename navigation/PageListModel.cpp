#include "navigation/PageListModel.h"

#include <algorithm>
#include <exception>
#include <numeric>

#include "core/RecordId.h"
#include "navigation/NavigationLog.h"
#include "store/PagePaths.h"

PageListModel::PageListModel(QObject *parent)
    : QAbstractTableModel(parent)
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
            qCWarning(lcNavigation) << "thumbnail of page" << record.PageId << "failed:" << e.what();
        }
    }
    return image.isNull() ? m_defaultImage : image;
}

QString PageListModel::itemText(const PageRecord &record, ViewMode mode)
{
    if (mode == ViewMode::List)
        return record.isShortcut() ? QString() : QString::number(record.PageNumber);
    // A tree import's copy of a file that is no image lies in the page store
    // under its page id ("21.pdf"); its page keeps the file's own name.
    if (record.isShortcut() && !record.Name.isEmpty())
        return record.Name;
    if (record.isShortcut() || record.PageNumber == 0)
        return PagePaths::GetFileNamePart(record.Filename);
    return QStringLiteral("Page ") + QString::number(record.PageNumber);
}

QString PageListModel::columnText(const PageRecord &record, int column, ViewMode mode)
{
    switch (column) {
    case PageNumberColumn:
        return itemText(record, mode);
    case FilenameColumn:
        return record.Filename;
    case SizeColumn:
        return record.FileSize;
    case ScanDateColumn:
        return record.ScanDate;
    case PageIdColumn:
        return QString::number(record.PageId);
    case SortKeyColumn:
        return sortKey(record.PageNumber);
    default:
        return QString();
    }
}

QString PageListModel::sortKey(int pageNumber)
{
    // Ten digits hold any 32-bit page number; a negative one sorts first.
    if (pageNumber < 0)
        return QStringLiteral("-") + QString::number(pageNumber);
    return QStringLiteral("%1").arg(pageNumber, 10, 10, QLatin1Char('0'));
}

QModelIndex PageListModel::index(int row, int column, const QModelIndex &parent) const
{
    return hasIndex(row, column, parent) ? createIndex(row, column) : QModelIndex();
}

int PageListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_records.size();
}

int PageListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PageListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QStringList headers{QStringLiteral("Page #"), QStringLiteral("Filename"),
                                     QStringLiteral("Size"), QStringLiteral("Scan date"),
                                     QStringLiteral("Page ID"), QStringLiteral("Hdn1")};
    return headers.value(section);
}

bool PageListModel::lessThan(int column, int left, int right) const
{
    const PageRecord &a = m_records.at(left);
    const PageRecord &b = m_records.at(right);
    switch (column) {
    case PageNumberColumn:
    case SortKeyColumn:
        return a.PageNumber < b.PageNumber;
    case SizeColumn:
        return a.FileSize.toLongLong() < b.FileSize.toLongLong();
    case PageIdColumn:
        return a.PageId < b.PageId;
    default:
        return columnText(a, column, m_mode).compare(columnText(b, column, m_mode), Qt::CaseInsensitive) < 0;
    }
}

void PageListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QVector<int> rows(m_records.size());
    std::iota(rows.begin(), rows.end(), 0);
    std::stable_sort(rows.begin(), rows.end(), [&](int left, int right) {
        return order == Qt::AscendingOrder ? lessThan(column, left, right) : lessThan(column, right, left);
    });
    QVector<PageRecord> records;
    QVector<QImage> images;
    QVector<int> newRowOf(rows.size());
    records.reserve(rows.size());
    for (int newRow = 0; newRow < rows.size(); ++newRow) {
        records.append(m_records.at(rows.at(newRow)));
        if (rows.at(newRow) < m_images.size())
            images.append(m_images.at(rows.at(newRow)));
        newRowOf[rows.at(newRow)] = newRow;
    }
    m_records = records;
    m_images = images;
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after.append(index.isValid() ? this->index(newRowOf.at(index.row()), index.column()) : QModelIndex());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QVariant PageListModel::data(const QModelIndex &index, int role) const
{
    const PageRecord *record = index.isValid() ? recordAt(index.row()) : nullptr;
    if (!record)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return columnText(*record, index.column(), m_mode);
    case Qt::ToolTipRole:
        // A path cut short in its column shows whole under the pointer.
        return index.column() == FilenameColumn ? QVariant(record->Filename) : QVariant();
    case Qt::DecorationRole:
        if (index.column() != PageNumberColumn)
            return {};
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

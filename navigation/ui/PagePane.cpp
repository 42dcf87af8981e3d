#include "navigation/ui/PagePane.h"

#include "core/AppSettings.h"
#include "core/Guard.h"
#include "core/RecordId.h"
#include "imaging/ThumbnailMaker.h"
#include "navigation/NavIconKeys.h"
#include "navigation/NavState.h"
#include "navigation/NavigationLog.h"
#include "navigation/ui/NavIcons.h"
#include "store/PagePaths.h"

#include <QContextMenuEvent>
#include <QDebug>
#include <QFileIconProvider>
#include <QKeyEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kThumbSide = ThumbnailMaker::ThumbnailSide;
const QString kListView = QStringLiteral("list");

// A thin frame keeps white pictures apart from the white view.
void drawFrame(QImage &image)
{
    QPainter p(&image);
    p.setPen(Qt::gray);
    p.drawRect(0, 0, image.width() - 1, image.height() - 1);
}

// A shortcut page's picture: the icon of its file's type at its usual 32
// pixels, in the middle of a blank square as large as a thumbnail. A file
// without an icon leaves the square blank.
QImage shortcutPicture(const PageRecord &record)
{
    constexpr int kIconSide = 32;
    QImage image(kThumbSide, kThumbSide, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QIcon icon = QFileIconProvider().icon(QFileInfo(record.Filename));
    const QPixmap pixmap = icon.pixmap(QSize(kIconSide, kIconSide), 1.0);
    if (!pixmap.isNull()) {
        QPainter p(&image);
        const QPoint corner((kThumbSide - pixmap.width()) / 2, (kThumbSide - pixmap.height()) / 2);
        p.drawPixmap(corner, pixmap);
    }
    drawFrame(image);
    return image;
}

// The picture of a page on screen: its thumbnail, made when it is missing;
// a shortcut page shows the icon of its file's type.
QImage loadThumbnail(const PageRecord &record)
{
    if (record.isShortcut())
        return shortcutPicture(record);
    const QString stored = record.Filename == PagePaths::GetDefaultPageFilePath(record.PageId)
                               ? QString() : record.Filename;
    const QString thumbPath = PagePaths::GetThumbFilePath(record.PageId, stored);
    if (thumbPath.isEmpty())
        return QImage();
    QImage image(thumbPath);
    if (image.isNull()) {
        // A page without its thumbnail gets one now; one that cannot be
        // made shows the default picture.
        if (const auto error = ThumbnailMaker::MakeThumbnail(record.PageId))
            qCWarning(lcNavigation).noquote() << "thumbnail of page" << record.PageId << ":" << error->what();
        else
            image.load(thumbPath);
    }
    if (!image.isNull()) {
        image = image.convertToFormat(QImage::Format_RGB32);
        drawFrame(image);
    }
    return image;
}

QImage framedImage(const QColor &fill, const QString &text)
{
    QImage image(kThumbSide, kThumbSide, QImage::Format_RGB32);
    image.fill(fill);
    QPainter p(&image);
    p.setPen(Qt::gray);
    p.drawRect(0, 0, kThumbSide - 1, kThumbSide - 1);
    p.drawText(image.rect(), Qt::AlignCenter, text);
    return image;
}

// A view of the pane that hands its right-click, keys and new sizes to the
// pane.
template<class View>
class PaneView : public View
{
public:
    std::function<void(const QPoint &, const QPoint &)> onContextMenu;
    std::function<bool(int, int)> onKey;
    std::function<void()> onResize;

protected:
    // Also called when only the viewport changes, as when a scroll bar comes
    // or goes.
    void resizeEvent(QResizeEvent *event) override
    {
        View::resizeEvent(event);
        if (onResize)
            onResize();
    }

    // A view filled while hidden sizes its columns when it comes on show.
    void showEvent(QShowEvent *event) override
    {
        View::showEvent(event);
        if (onResize)
            onResize();
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        if (onKey && onKey(event->key(), int(event->modifiers())))
            event->accept();
        else
            View::keyPressEvent(event);
    }

    void contextMenuEvent(QContextMenuEvent *event) override
    {
        if (onContextMenu)
            onContextMenu(event->pos(), event->globalPos());
        event->accept();
    }
};

QPushButton *pagingButton(QWidget *parent, const char *name, const QString &text, const QString &tip)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(tip);
    b->setAutoDefault(false);
    b->setFixedWidth(36);
    return b;
}

QPushButton *showButton(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

// The 16 x 16 pictures of the view switches: four small pages, or lines.
QIcon switchIcon(bool thumbnails)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    if (thumbnails) {
        for (int x : {1, 9})
            for (int y : {1, 9})
                p.drawRect(x, y, 5, 5);
    } else {
        for (int y : {2, 7, 12}) {
            p.drawRect(1, y, 2, 2);
            p.drawLine(5, y + 1, 14, y + 1);
        }
    }
    return QIcon(pixmap);
}

QToolButton *switchButton(QWidget *parent, const char *name, const QString &tip, bool thumbnails)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setIcon(switchIcon(thumbnails));
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    b->setCheckable(true);
    return b;
}

} // namespace

PagePane::PagePane(QWidget *parent)
    : QWidget(parent), m_model(new PageListModel(this)), m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("PagePane"));
    m_model->setThumbnailLoader(&loadThumbnail);
    m_model->setDefaultImage(framedImage(Qt::white, QStringLiteral("?")));
    // Every item of the list shows the tree's page image.
    m_model->setListImage(NavIcons::icon(NavIconKeys::Page).pixmap(16, 16).toImage());
    buildViews();
    buildControls();

    m_records.paging().setDisplayCount(Paging::displayCountSetting());
    setViewMode(AppSettings::ThumbView.read() == kListView ? PageListModel::ViewMode::List
                                                           : PageListModel::ViewMode::Thumbnail);
}

void PagePane::buildViews()
{
    auto *thumbs = new PaneView<QListView>;
    thumbs->setObjectName(QStringLiteral("lvwThumb"));
    thumbs->setModel(m_model);
    thumbs->setViewMode(QListView::IconMode);
    thumbs->setIconSize(QSize(kThumbSide, kThumbSide));
    thumbs->setGridSize(QSize(kThumbSide + 30, kThumbSide + 36));
    thumbs->setWrapping(true);
    thumbs->setSpacing(4);
    thumbs->setResizeMode(QListView::Adjust);
    thumbs->setMovement(QListView::Static);
    thumbs->setUniformItemSizes(true);
    m_thumbView = thumbs;

    auto *report = new PaneView<QTreeView>;
    report->setObjectName(QStringLiteral("lvwThumbReport"));
    report->setModel(m_model);
    report->setRootIsDecorated(false);
    report->setItemsExpandable(false);
    report->setUniformRowHeights(true);
    report->setAllColumnsShowFocus(true);
    report->setSelectionBehavior(QAbstractItemView::SelectRows);
    report->setIconSize(QSize(16, 16));
    report->setColumnHidden(PageListModel::SortKeyColumn, true);
    report->header()->setStretchLastSection(false);
    // A path longer than its column keeps its start and its file name.
    report->setTextElideMode(Qt::ElideMiddle);
    report->onResize = [this] { sizeColumns(); };
    report->header()->setSortIndicator(PageListModel::PageNumberColumn, Qt::AscendingOrder);
    report->setSortingEnabled(true);
    m_listView = report;

    m_stack = new QStackedWidget(this);
    for (QAbstractItemView *view : views()) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_stack->addWidget(view);
        // Not activated: some styles activate on a single click.
        connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
            if (!m_filling && index.isValid())
                Q_EMIT pageOpened(index.data(PageListModel::PageIdRole).toLongLong());
        });
    }
    const auto onContextMenu = [this](const QPoint &pos, const QPoint &global) {
        if (m_filling)
            return;
        const QPoint vp = lvwThumb()->viewport()->mapFrom(lvwThumb(), pos);
        Q_EMIT contextMenuRequested(pageAt(vp), global);
    };
    const auto onKey = [this](int key, int modifiers) {
        if (m_filling || m_records.documentId() < 0 || paneKey(key, modifiers))
            return true;
        bool handled = false;
        Q_EMIT keyCommandRequested(key, modifiers, &handled);
        return handled;
    };
    thumbs->onContextMenu = report->onContextMenu = onContextMenu;
    thumbs->onKey = report->onKey = onKey;
}

void PagePane::buildControls()
{
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_first = pagingButton(this, "cmdFirst", QStringLiteral("|<"), tr("First page"));
    m_prev = pagingButton(this, "cmdPrev", QStringLiteral("<"), tr("Previous screen"));
    m_next = pagingButton(this, "cmdNext", QStringLiteral(">"), tr("Next screen"));
    m_last = pagingButton(this, "cmdLast", QStringLiteral(">|"), tr("Last screen"));
    m_less = showButton(this, "cmdShowLess", QStringLiteral("Show Less"));
    m_more = showButton(this, "cmdShowMore", QStringLiteral("Show More"));
    m_thumbMode = switchButton(this, "imgThumb", tr("Thumbnails"), true);
    m_listMode = switchButton(this, "imgList", tr("List"), false);
    m_arrow = new QLabel(QStringLiteral("\u25BC"), this);
    m_arrow->setObjectName(QStringLiteral("imgArrowDown"));
    m_arrow->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);

    connect(m_first, &QPushButton::clicked, this, &PagePane::cmdFirst_Click);
    connect(m_prev, &QPushButton::clicked, this, &PagePane::cmdPrev_Click);
    connect(m_next, &QPushButton::clicked, this, &PagePane::cmdNext_Click);
    connect(m_last, &QPushButton::clicked, this, &PagePane::cmdLast_Click);
    connect(m_less, &QPushButton::clicked, this, &PagePane::cmdShowLess_Click);
    connect(m_more, &QPushButton::clicked, this, &PagePane::cmdShowMore_Click);
    connect(m_thumbMode, &QToolButton::clicked, this, [this] { switchView(PageListModel::ViewMode::Thumbnail); });
    connect(m_listMode, &QToolButton::clicked, this, [this] { switchView(PageListModel::ViewMode::List); });

    // The switches stand above the right edge of the view, the arrow over
    // the active one.
    m_switches = new QGridLayout;
    m_switches->setContentsMargins(4, 0, 6, 0);
    m_switches->setHorizontalSpacing(5);
    m_switches->setVerticalSpacing(0);
    m_switches->setColumnStretch(0, 1);
    m_switches->addWidget(m_thumbMode, 1, 1);
    m_switches->addWidget(m_listMode, 1, 2);
    // The show buttons at the left under the view, the status after them,
    // the paging buttons at the right edge.
    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(0, 2, 0, 2);
    footer->setSpacing(0);
    footer->addWidget(m_less);
    footer->addWidget(m_more);
    footer->addSpacing(4);
    footer->addWidget(m_status, 1);
    for (QPushButton *b : {m_first, m_prev, m_next, m_last})
        footer->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(m_switches);
    layout->addWidget(m_stack, 1);
    layout->addLayout(footer);
}

QAbstractItemView *PagePane::lvwThumb() const
{
    if (m_mode == PageListModel::ViewMode::List)
        return m_listView;
    return m_thumbView;
}

QList<QAbstractItemView *> PagePane::views() const
{
    return {m_thumbView, m_listView};
}

void PagePane::switchView(PageListModel::ViewMode mode)
{
    // The view chosen is the view of the next start.
    const QString value = mode == PageListModel::ViewMode::List ? kListView : QStringLiteral("thumbnail");
    AppSettings::ThumbView.write(value);
    NavState::instance().settings.PagePaneViewMode = value;
    // Reading the document again may fail; the user is told.
    guard([&] { setViewMode(mode); });
}

bool PagePane::paneKey(int key, int modifiers)
{
    const auto press = [](QPushButton *button) {
        if (button->isEnabled())
            button->click();
        return true;
    };
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const QList<RecordId> ids = selectedPageIds();
        if (!ids.isEmpty())
            Q_EMIT pageOpened(ids.first());
        return true;
    }
    case Qt::Key_PageUp:
        return press(m_prev);
    case Qt::Key_PageDown:
        return press(m_next);
    case Qt::Key_End:
        return press(m_last);
    case Qt::Key_Home:
        return press(m_first);
    case Qt::Key_A:
        // Ctrl alone: Ctrl+Shift+A and a plain A select nothing.
        if ((modifiers & ~Qt::KeypadModifier) != Qt::ControlModifier)
            return false;
        lvwThumb()->selectAll();
        return true;
    default:
        return false;
    }
}

PagePane::~PagePane() = default;

void PagePane::ShowPagePane(RecordId documentId, bool found)
{
    m_records.paging().setDisplayCount(Paging::displayCountSetting());
    m_records.load(documentId, found);
    ArrangePagePane();
}

void PagePane::reload()
{
    if (m_records.documentId() < 0)
        return;
    m_records.reload();
    ArrangePagePane();
}

void PagePane::selectPage(RecordId pageId)
{
    QAbstractItemView *view = lvwThumb();
    view->clearSelection();
    const QModelIndexList found = m_model->match(m_model->index(0, 0), PageListModel::PageIdRole, pageId, 1,
                                                 Qt::MatchExactly);
    if (found.isEmpty())
        return;
    view->selectionModel()->setCurrentIndex(found.first(),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(found.first());
}

void PagePane::clear()
{
    m_records.clear();
    m_model->clear();
    m_status->clear();
    updateButtons();
}

void PagePane::setViewMode(PageListModel::ViewMode mode)
{
    const bool hadFocus = lvwThumb()->hasFocus();
    m_mode = mode;
    const bool thumbs = mode == PageListModel::ViewMode::Thumbnail;
    m_thumbMode->setChecked(thumbs);
    m_listMode->setChecked(!thumbs);
    markActiveView();
    m_stack->setCurrentWidget(lvwThumb());
    if (hadFocus)
        lvwThumb()->setFocus();
    if (m_records.documentId() < 0) {
        updateButtons();
        return;
    }
    // A view switch reads the document again and starts at its first screen.
    m_records.reload();
    m_records.paging().firstScreen();
    ArrangePagePane();
}

void PagePane::markActiveView()
{
    m_switches->removeWidget(m_arrow);
    m_switches->addWidget(m_arrow, 0, m_mode == PageListModel::ViewMode::List ? 2 : 1);
}

void PagePane::ArrangePagePane()
{
    // No input reaches the pane while its items are being filled.
    m_filling = true;
    QAbstractItemView *view = lvwThumb();
    view->setUpdatesEnabled(false);
    m_model->fill(m_records, m_mode);
    if (m_mode == PageListModel::ViewMode::List) {
        // Every fill lists the pages in page order again.
        m_listView->header()->setSortIndicator(PageListModel::PageNumberColumn, Qt::AscendingOrder);
        m_columnsMeasured = false;
        sizeColumns();
    }
    view->setUpdatesEnabled(true);
    view->scrollToTop();
    m_filling = false;
    // The thumbnails show one screen; the list shows every page at once,
    // and says so.
    const Paging &paging = m_records.paging();
    m_status->setText(m_mode == PageListModel::ViewMode::List ? paging.allPagesStatusText() : paging.statusText());
    updateButtons();
}

void PagePane::measureColumns()
{
    QHeaderView *header = m_listView->header();
    // The fill's reset brings the hidden sort key back at the default width,
    // which the header goes on counting in its length (a row's focus frame
    // then runs past the last column): it is hidden again at no width.
    header->setSectionHidden(PageListModel::SortKeyColumn, false);
    header->resizeSection(PageListModel::SortKeyColumn, 0);
    header->setSectionHidden(PageListModel::SortKeyColumn, true);
    // Each column's longest text is measured, not every row's: asking the
    // view for every row of a 1,000-page report cost more than the fill.
    const QAbstractItemModel *model = m_listView->model();
    const int rows = model->rowCount();
    for (int column = 0; column < int(m_contentWidths.size()); ++column) {
        if (m_listView->isColumnHidden(column)) {
            m_contentWidths[column] = 0;
            continue;
        }
        int longestRow = -1;
        qsizetype longest = -1;
        for (int row = 0; row < rows; ++row) {
            const qsizetype length = model->index(row, column).data().toString().size();
            if (length > longest) {
                longest = length;
                longestRow = row;
            }
        }
        const int text = longestRow < 0 ? 0 : m_listView->sizeHintForIndex(model->index(longestRow, column)).width();
        m_contentWidths[column] = qMax(text, header->sectionSizeHint(column));
    }
}

void PagePane::sizeColumns()
{
    // The texts are measured once per fill, by a view on show.
    if (!m_columnsMeasured && m_listView->isVisible()) {
        measureColumns();
        m_columnsMeasured = true;
    }
    // Every column is as wide as its header and its texts. The file name
    // gets no more than the room the others leave, so that no scroll bar is
    // needed as long as they fit.
    int others = 0;
    for (int column = 0; column < int(m_contentWidths.size()); ++column) {
        if (column == PageListModel::FilenameColumn)
            continue;
        m_listView->setColumnWidth(column, m_contentWidths[column]);
        others += m_contentWidths[column];
    }
    // Where even its header does not fit, the header is shortened too
    // rather than bring the scroll bar back, down to a few letters.
    const int room = m_listView->viewport()->width() - others;
    const int fewLetters = m_listView->fontMetrics().horizontalAdvance(QStringLiteral("Filen…"));
    m_listView->setColumnWidth(PageListModel::FilenameColumn,
                               qMin(m_contentWidths[PageListModel::FilenameColumn], qMax(room, fewLetters)));
}

void PagePane::updateButtons()
{
    const Paging &p = m_records.paging();
    // Only the thumbnails go by screens: the list has every page on its one.
    const bool paged = m_records.documentId() >= 0 && m_mode == PageListModel::ViewMode::Thumbnail;
    m_first->setEnabled(paged && p.canFirst());
    m_prev->setEnabled(paged && p.canPrevious());
    m_next->setEnabled(paged && p.canNext());
    m_last->setEnabled(paged && p.canLast());
    // At a bound the click keeps the count and still fills the pane again.
    m_less->setEnabled(paged);
    m_more->setEnabled(paged);
}

QList<RecordId> PagePane::selectedPageIds() const
{
    return m_model->pageIds(lvwThumb()->selectionModel()->selectedIndexes());
}

RecordId PagePane::pageAt(const QPoint &viewportPos) const
{
    const QModelIndex index = lvwThumb()->indexAt(viewportPos);
    return index.isValid() ? index.data(PageListModel::PageIdRole).toLongLong() : 0;
}

void PagePane::cmdFirst_Click()
{
    m_records.paging().firstScreen();
    ArrangePagePane();
}

void PagePane::cmdPrev_Click()
{
    m_records.paging().previousScreen();
    ArrangePagePane();
}

void PagePane::cmdNext_Click()
{
    m_records.paging().nextScreen();
    ArrangePagePane();
}

void PagePane::cmdLast_Click()
{
    m_records.paging().lastScreen();
    ArrangePagePane();
}

void PagePane::cmdShowLess_Click()
{
    m_records.paging().showLess();
    ArrangePagePane();
}

void PagePane::cmdShowMore_Click()
{
    m_records.paging().showMore();
    ArrangePagePane();
}

#include "PagePane.h"

#include "NavState.h"
#include "PagePaths.h"
#include "RecordId.h"
#include "Settings.h"
#include "ThumbnailMaker.h"

#include <QContextMenuEvent>
#include <QDebug>
#include <QFileIconProvider>
#include <QKeyEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kThumbSide = ThumbnailMaker::ThumbnailSide;
const QString kViewSetting = QStringLiteral("ThumbView");
const QString kListView = QStringLiteral("list");

// The picture of a page on screen: its thumbnail, made when it is missing;
// a shortcut page shows the icon of its file's type.
QImage loadThumbnail(const PageRecord &record)
{
    if (record.isShortcut()) {
        const QIcon icon = QFileIconProvider().icon(QFileInfo(record.Filename));
        return icon.pixmap(48, 48).toImage();
    }
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
            qWarning().noquote() << "thumbnail of page" << record.PageId << ":" << error->what();
        else
            image.load(thumbPath);
    }
    if (!image.isNull()) {
        // A thin frame keeps white pages apart from the white view.
        image = image.convertToFormat(QImage::Format_RGB32);
        QPainter p(&image);
        p.setPen(Qt::gray);
        p.drawRect(0, 0, image.width() - 1, image.height() - 1);
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

// The view with the pane's right-click and Enter, the items not movable.
class ThumbView : public QListView
{
public:
    std::function<void(const QPoint &, const QPoint &)> onContextMenu;
    std::function<bool(int, int)> onKey;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (onKey && onKey(event->key(), int(event->modifiers())))
            event->accept();
        else
            QListView::keyPressEvent(event);
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

} // namespace

PagePane::PagePane(QWidget *parent)
    : QWidget(parent), m_model(new PageListModel(this)), m_view(new ThumbView), m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("PagePane"));
    m_model->setThumbnailLoader(&loadThumbnail);
    m_model->setDefaultImage(framedImage(Qt::white, QStringLiteral("?")));
    m_model->setListImage(framedImage(Qt::white, QString()).scaled(16, 16));

    m_view->setParent(this);
    m_view->setObjectName(QStringLiteral("lvwThumb"));
    m_view->setModel(m_model);
    m_view->setResizeMode(QListView::Adjust);
    m_view->setMovement(QListView::Static);
    m_view->setUniformItemSizes(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    static_cast<ThumbView *>(m_view)->onContextMenu = [this](const QPoint &pos, const QPoint &global) {
        if (m_filling)
            return;
        const QPoint vp = m_view->viewport()->mapFrom(m_view, pos);
        Q_EMIT contextMenuRequested(pageAt(vp), global);
    };
    static_cast<ThumbView *>(m_view)->onKey = [this](int key, int modifiers) {
        if (m_filling || m_records.documentId() < 0 || paneKey(key, modifiers))
            return true;
        bool handled = false;
        Q_EMIT keyCommandRequested(key, modifiers, &handled);
        return handled;
    };
    // Not activated: some styles activate on a single click.
    connect(m_view, &QListView::doubleClicked, this, [this](const QModelIndex &index) {
        if (!m_filling && index.isValid())
            Q_EMIT pageOpened(index.data(PageListModel::PageIdRole).toLongLong());
    });
    m_status->setObjectName(QStringLiteral("lblStatus"));

    m_first = pagingButton(this, "cmdFirst", QStringLiteral("|<"), tr("First page"));
    m_prev = pagingButton(this, "cmdPrev", QStringLiteral("<"), tr("Previous screen"));
    m_next = pagingButton(this, "cmdNext", QStringLiteral(">"), tr("Next screen"));
    m_last = pagingButton(this, "cmdLast", QStringLiteral(">|"), tr("Last screen"));
    m_less = pagingButton(this, "cmdShowLess", QStringLiteral("-"), tr("Show Less"));
    m_more = pagingButton(this, "cmdShowMore", QStringLiteral("+"), tr("Show More"));
    m_thumbMode = new QToolButton(this);
    m_thumbMode->setObjectName(QStringLiteral("imgThumb"));
    m_thumbMode->setText(tr("Thumbnails"));
    m_listMode = new QToolButton(this);
    m_listMode->setObjectName(QStringLiteral("imgList"));
    m_listMode->setText(tr("List"));
    for (QToolButton *b : {m_thumbMode, m_listMode})
        b->setCheckable(true);
    m_thumbMode->setChecked(true);

    connect(m_first, &QPushButton::clicked, this, &PagePane::cmdFirst_Click);
    connect(m_prev, &QPushButton::clicked, this, &PagePane::cmdPrev_Click);
    connect(m_next, &QPushButton::clicked, this, &PagePane::cmdNext_Click);
    connect(m_last, &QPushButton::clicked, this, &PagePane::cmdLast_Click);
    connect(m_less, &QPushButton::clicked, this, &PagePane::cmdShowLess_Click);
    connect(m_more, &QPushButton::clicked, this, &PagePane::cmdShowMore_Click);
    connect(m_thumbMode, &QToolButton::clicked, this, [this] { switchView(PageListModel::ViewMode::Thumbnail); });
    connect(m_listMode, &QToolButton::clicked, this, [this] { switchView(PageListModel::ViewMode::List); });

    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(4, 2, 4, 2);
    footer->addWidget(m_thumbMode);
    footer->addWidget(m_listMode);
    footer->addSpacing(8);
    for (QPushButton *b : {m_first, m_prev, m_next, m_last, m_less, m_more})
        footer->addWidget(b);
    footer->addWidget(m_status, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 1);
    layout->addLayout(footer);

    m_records.paging().setDisplayCount(Paging::displayCountSetting());
    setViewMode(Settings::value(kViewSetting) == kListView ? PageListModel::ViewMode::List
                                                           : PageListModel::ViewMode::Thumbnail);
}

void PagePane::switchView(PageListModel::ViewMode mode)
{
    // The view chosen is the view of the next start.
    const QString value = mode == PageListModel::ViewMode::List ? kListView : QStringLiteral("thumbnail");
    Settings::setValue(kViewSetting, value);
    NavState::instance().settings.PagePaneViewMode = value;
    setViewMode(mode);
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
        m_view->selectAll();
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

void PagePane::clear()
{
    m_records.clear();
    m_model->clear();
    m_status->clear();
    updateButtons();
}

void PagePane::setViewMode(PageListModel::ViewMode mode)
{
    m_mode = mode;
    const bool thumbs = mode == PageListModel::ViewMode::Thumbnail;
    m_thumbMode->setChecked(thumbs);
    m_listMode->setChecked(!thumbs);
    m_view->setViewMode(thumbs ? QListView::IconMode : QListView::ListMode);
    m_view->setIconSize(thumbs ? QSize(kThumbSide, kThumbSide) : QSize(16, 16));
    m_view->setGridSize(thumbs ? QSize(kThumbSide + 30, kThumbSide + 36) : QSize());
    m_view->setWrapping(thumbs);
    m_view->setSpacing(thumbs ? 4 : 0);
    if (m_records.documentId() >= 0)
        ArrangePagePane();
    else
        updateButtons();
}

void PagePane::ArrangePagePane()
{
    // No input reaches the pane while its items are being filled.
    m_filling = true;
    m_view->setUpdatesEnabled(false);
    m_model->fill(m_records, m_mode);
    m_view->setUpdatesEnabled(true);
    m_view->scrollToTop();
    m_filling = false;
    if (m_mode == PageListModel::ViewMode::Thumbnail)
        m_status->setText(m_records.paging().statusText());
    else
        m_status->setText(tr(" %n page(s)", nullptr, m_records.count()));
    updateButtons();
}

void PagePane::updateButtons()
{
    const Paging &p = m_records.paging();
    const bool paging = m_records.documentId() >= 0 && m_mode == PageListModel::ViewMode::Thumbnail;
    m_first->setEnabled(paging && p.canFirst());
    m_prev->setEnabled(paging && p.canPrevious());
    m_next->setEnabled(paging && p.canNext());
    m_last->setEnabled(paging && p.canLast());
    m_less->setEnabled(paging && p.PagePaneDisplayCount() > Paging::MinDisplayCount);
    m_more->setEnabled(paging && p.PagePaneDisplayCount() < Paging::MaxDisplayCount);
}

QList<RecordId> PagePane::selectedPageIds() const
{
    return m_model->pageIds(m_view->selectionModel()->selectedIndexes());
}

RecordId PagePane::pageAt(const QPoint &viewportPos) const
{
    const QModelIndex index = m_view->indexAt(viewportPos);
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

#include "imaging/ui/PageImageView.h"

#include "imaging/ImageOps.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QMouseEvent>
#include <QRubberBand>
#include <QScrollBar>

PageImageView::PageImageView(QWidget *parent)
    : QGraphicsView(parent), m_band(new QRubberBand(QRubberBand::Rectangle, viewport()))
{
    setScene(new QGraphicsScene(this));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setRenderHint(QPainter::SmoothPixmapTransform);
    setBackgroundBrush(palette().dark());
    setDragMode(QGraphicsView::NoDrag);
}

PageImageView::~PageImageView() = default;

void PageImageView::setImage(const QImage &image)
{
    clear();
    m_image = image;
    m_size = image.size();
    showPicture(image);
}

void PageImageView::setImage(const ImageOps::DisplayLoad &loaded)
{
    clear();
    if (loaded.picture.isNull())
        return;
    m_size = loaded.size;
    if (loaded.picture.size() == loaded.size)
        m_image = loaded.picture;
    else
        m_pending = loaded.whole;
    showPicture(loaded.picture);
}

// Scene coordinates stay whole-image pixels whatever size the picture has.
void PageImageView::showPicture(const QImage &picture)
{
    if (picture.isNull())
        return;
    const bool first = m_item == nullptr && m_shown.isNull();
    m_shown = picture;
    if (first) {
        scene()->setSceneRect(QRectF(QPointF(0, 0), QSizeF(m_size)));
        scrollToTopLeft();
    }
    // A hidden display (a feeder scan saving page after page) makes no
    // pixmap until it is shown.
    if (isVisible())
        showPixmap();
}

void PageImageView::showPixmap()
{
    // Handed over as a copy of the handle, a pixmap of the image's own
    // format shares its pixels instead of copying a whole page.
    QPixmap pixmap = QPixmap::fromImage(QImage(m_shown));
    if (!m_item) {
        m_item = scene()->addPixmap(pixmap);
        m_item->setTransformationMode(Qt::SmoothTransformation);
    } else {
        m_item->setPixmap(pixmap);
    }
    m_item->setTransform(QTransform::fromScale(qreal(m_size.width()) / m_shown.width(),
                                               qreal(m_size.height()) / m_shown.height()));
}

void PageImageView::showEvent(QShowEvent *event)
{
    if (!m_item && !m_shown.isNull())
        showPixmap();
    QGraphicsView::showEvent(event);
}

void PageImageView::clear()
{
    clearSelection();
    scene()->clear();
    m_item = nullptr;
    m_image = QImage();
    m_shown = QImage();
    m_pending = {};
    m_size = QSize();
    scene()->setSceneRect(QRectF());
}

const QImage &PageImageView::image()
{
    if (!m_pending.valid())
        return m_image;
    const std::shared_future<ImageOps::LoadResult> pending = m_pending;
    m_pending = {};
    ImageOps::LoadResult whole;
    try {
        // The decode was this view's alone: its result is moved out, not
        // copied, so the page has a single holder once the decoding thread
        // lets go of it, however late, and an edit that takes the page
        // turns it in place instead of beside a second copy.
        whole = std::move(const_cast<ImageOps::LoadResult &>(pending.get()));
    } catch (const std::exception &e) {
        whole.error = AppError(ErrorCode::Unexpected, QString::fromLocal8Bit(e.what()));
    }
    if (!whole.error && whole.image.size() != m_size)
        whole.error = AppError(ErrorCode::InvalidValue,
                               QStringLiteral("The image changed while it was loaded."));
    if (whole.error) {
        clear();
        // Sent later, so the command that asked for the image ends first.
        QMetaObject::invokeMethod(this, [this, error = *whole.error] { Q_EMIT wholeImageFailed(error); },
                                  Qt::QueuedConnection);
        return m_image;
    }
    m_image = whole.image;
    return m_image;
}

QImage PageImageView::takeImage()
{
    QImage whole = image();
    clear();
    return whole;
}

bool PageImageView::needsWholeImage() const
{
    if (!m_pending.valid() || m_shown.isNull())
        return false;
    const QSize needed = ImageOps::displayedPixels(m_size, m_zoom, devicePixelRatioF());
    return needed.width() > m_shown.width() || needed.height() > m_shown.height();
}

void PageImageView::setZoom(double percent)
{
    m_zoom = percent;
    setTransform(QTransform::fromScale(percent / 100.0, percent / 100.0));
    // A reduced picture zoomed past its own pixels would blur.
    if (needsWholeImage()) {
        const QImage &whole = image();
        if (!whole.isNull())
            showPicture(whole);
    }
    showBand();
}

QSize PageImageView::displaySize() const
{
    // The area inside the frame, without the scroll bars that a zoomed
    // image may have brought.
    return contentsRect().size();
}

void PageImageView::scrollToTopLeft()
{
    horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
}

QRect PageImageView::selectionInImage() const
{
    if (!m_selecting || m_size.isEmpty())
        return QRect();
    const QRect rect = ImageOps::selectionToImage(m_start, m_end, QRectF(QPointF(0, 0), QSizeF(m_size)), m_size);
    return rect.width() >= 1 && rect.height() >= 1 ? rect : QRect();
}

void PageImageView::clearSelection()
{
    m_selecting = false;
    m_dragging = false;
    m_band->hide();
}

void PageImageView::mousePressEvent(QMouseEvent *event)
{
    // Only the left button selects: another button, or a click without a
    // drag, must never leave a stale or empty rectangle for Crop.
    if (event->button() != Qt::LeftButton || !hasImage()) {
        QGraphicsView::mousePressEvent(event);
        return;
    }
    m_selecting = true;
    m_dragging = true;
    m_start = m_end = mapToScene(event->position().toPoint());
    showBand();
}

void PageImageView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        m_end = mapToScene(event->position().toPoint());
        showBand();
    }
    QGraphicsView::mouseMoveEvent(event);
}

void PageImageView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_end = mapToScene(event->position().toPoint());
        m_dragging = false;
        if (selectionInImage().isEmpty())
            clearSelection();
        else
            showBand();
    }
    QGraphicsView::mouseReleaseEvent(event);
}

void PageImageView::scrollContentsBy(int dx, int dy)
{
    QGraphicsView::scrollContentsBy(dx, dy);
    showBand();
}

void PageImageView::showBand()
{
    if (!m_selecting) {
        m_band->hide();
        return;
    }
    m_band->setGeometry(QRect(mapFromScene(m_start), mapFromScene(m_end)).normalized());
    m_band->show();
}

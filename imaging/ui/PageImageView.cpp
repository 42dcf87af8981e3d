#include "PageImageView.h"

#include "ImageOps.h"

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
    if (image.isNull())
        return;
    if (isVisible())
        showPixmap();
    scene()->setSceneRect(QRectF(QPointF(0, 0), QSizeF(image.size())));
    scrollToTopLeft();
}

// A hidden display (a feeder scan saving page after page) makes no pixmap
// until it is shown.
void PageImageView::showPixmap()
{
    m_item = scene()->addPixmap(QPixmap::fromImage(m_image));
    m_item->setTransformationMode(Qt::SmoothTransformation);
}

void PageImageView::showEvent(QShowEvent *event)
{
    if (!m_item && !m_image.isNull())
        showPixmap();
    QGraphicsView::showEvent(event);
}

void PageImageView::clear()
{
    clearSelection();
    scene()->clear();
    m_item = nullptr;
    m_image = QImage();
    scene()->setSceneRect(QRectF());
}

void PageImageView::setZoom(double percent)
{
    m_zoom = percent;
    setTransform(QTransform::fromScale(percent / 100.0, percent / 100.0));
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
    if (!m_selecting || m_image.isNull())
        return QRect();
    const QRect rect = ImageOps::selectionToImage(m_start, m_end, QRectF(QPointF(0, 0), QSizeF(m_image.size())),
                                                  m_image.size());
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
    if (event->button() != Qt::LeftButton || m_image.isNull()) {
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

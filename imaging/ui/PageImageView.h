#pragma once

#include <QGraphicsView>
#include <QImage>
#include <QPointF>

class QGraphicsPixmapItem;
class QRubberBand;

// The page display of the viewer: the image at a zoom percentage with
// scroll bars where it is larger than the view, and a selection drawn with
// the left mouse button. Scene coordinates are image pixels, so a
// selection maps to pixels through the view's own transform at any zoom.
class PageImageView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit PageImageView(QWidget *parent = nullptr);
    ~PageImageView() override;

    // Shows the image at the current zoom, scrolled to its top-left corner;
    // any selection ends.
    void setImage(const QImage &image);
    // Shows nothing.
    void clear();
    const QImage &image() const { return m_image; }
    bool hasImage() const { return !m_image.isNull(); }

    // The zoom, a percentage of the image's pixel size.
    double zoom() const { return m_zoom; }
    void setZoom(double percent);
    // The size in pixels the image can fill without scroll bars.
    QSize displaySize() const;
    void scrollToTopLeft();

    // A selection has been started and not yet used by a crop.
    bool selecting() const { return m_selecting; }
    // The image pixels under the selection, not clamped; empty when the
    // selection holds less than one pixel.
    QRect selectionInImage() const;
    void clearSelection();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent *event) override;

private:
    void showBand();
    void showPixmap();

    QImage m_image;
    QGraphicsPixmapItem *m_item = nullptr;
    QRubberBand *m_band = nullptr;
    double m_zoom = 100;
    bool m_selecting = false;
    bool m_dragging = false;
    QPointF m_start;  // scene coordinates
    QPointF m_end;
};

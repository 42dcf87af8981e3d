#pragma once

#include <QGraphicsView>
#include <QImage>
#include <QPointF>

#include "imaging/ImageOps.h"

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
    // The same for a page loaded for display: its picture is shown (a
    // reduced one stands for the whole image, which takes its place when a
    // zoom needs more detail or an edit needs the image).
    void setImage(const ImageOps::DisplayLoad &loaded);
    // Shows nothing.
    void clear();
    // The whole image, waiting for its decoding when it is still under way.
    // When that decoding failed the display is cleared, wholeImageFailed
    // is sent once control returns to the event loop, and the image is null.
    const QImage &image();
    // The whole image handed over to an edit that replaces it: the display
    // is cleared (the zoom stays), so the caller holds the only copy of the
    // pixels and may turn them in place. Null as image() is.
    QImage takeImage();
    // The size of the whole image, known as soon as it is shown.
    QSize imageSize() const { return m_size; }
    bool hasImage() const { return !m_size.isEmpty(); }
    // The size of the picture on the screen: the whole image's, or that of
    // the reduced decode shown in its place.
    QSize pictureSize() const { return m_shown.size(); }

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

Q_SIGNALS:
    // The whole image of a page shown from a reduced picture could not be
    // decoded; the display is empty.
    void wholeImageFailed(const AppError &error);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent *event) override;

private:
    void showBand();
    void showPicture(const QImage &picture);
    bool needsWholeImage() const;
    void showPixmap();

    QImage m_image;   // the whole image, once it is there
    std::shared_future<ImageOps::LoadResult> m_pending;
    QSize m_size;
    QImage m_shown;   // what the pixmap shows: the whole image or a reduced picture
    QGraphicsPixmapItem *m_item = nullptr;
    QRubberBand *m_band = nullptr;
    double m_zoom = 100;
    bool m_selecting = false;
    bool m_dragging = false;
    QPointF m_start;  // scene coordinates
    QPointF m_end;
};

#include "tools/ui/ToolsIcon.h"

#include <QPainter>
#include <QPixmap>

namespace {

// The shapes of resources/vellumark.svg on its 32x32 grid, painted here
// because Qt reads no SVG without its optional Svg module.
QPixmap paintCabinet(int size)
{
    const QColor outline(70, 70, 78);
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(outline, 1.2));
    p.setBrush(QColor(176, 186, 198));
    p.drawRoundedRect(QRectF(6, 2.5, 20, 27), 1.5, 1.5);
    p.setBrush(QColor(214, 221, 229));
    for (int i = 0; i < 3; ++i) {
        const QRectF front(8, 4.5 + i * 8.3, 16, 7);
        p.drawRect(front);
        p.fillRect(QRectF(13, front.top() + 2.5, 6, 1.8), outline);
    }
    QColor label(252, 252, 250);
    label.setAlphaF(0.9);
    p.fillRect(QRectF(10, 6.2, 4, 3), label);
    return pixmap;
}

} // namespace

namespace ToolsIcon {

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(paintCabinet(size));
    return icon;
}

} // namespace ToolsIcon

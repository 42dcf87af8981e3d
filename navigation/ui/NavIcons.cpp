#include "navigation/ui/NavIcons.h"

#include "navigation/NavIconKeys.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor kOutline(70, 70, 78);
const QColor kSteel(176, 186, 198);
const QColor kSteelLight(214, 221, 229);
const QColor kWood(196, 150, 96);
const QColor kManila(238, 201, 110);
const QColor kManilaDark(214, 172, 72);
const QColor kPaper(252, 252, 250);
const QColor kInk(120, 130, 150);
const QColor kGold(222, 178, 40);

// Everything is drawn on a 32x32 grid and scaled to the pixmap's size.
void drawCabinet(QPainter &p)
{
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(kSteel);
    p.drawRoundedRect(QRectF(6, 2.5, 20, 27), 1.5, 1.5);
    p.setBrush(kSteelLight);
    for (int i = 0; i < 3; ++i) {
        const QRectF front(8, 4.5 + i * 8.3, 16, 7);
        p.drawRect(front);
        p.fillRect(QRectF(13, front.top() + 2.5, 6, 1.8), kOutline);
    }
}

void drawLock(QPainter &p)
{
    p.setPen(QPen(kOutline, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(18.5, 13, 9, 10), 0, 180 * 16);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kGold);
    p.drawRoundedRect(QRectF(16.5, 18, 13, 11), 1.5, 1.5);
    p.setBrush(kOutline);
    p.drawEllipse(QRectF(22, 21.5, 2.2, 2.2));
}

void drawDrawer(QPainter &p)
{
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(kWood.lighter(115));
    QPolygonF box;
    box << QPointF(4, 12) << QPointF(10, 6) << QPointF(28, 6) << QPointF(28, 22) << QPointF(22, 28)
        << QPointF(4, 28);
    p.drawPolygon(box);
    p.setBrush(kWood);
    p.drawRect(QRectF(4, 12, 18, 16));
    p.drawLine(QPointF(22, 12), QPointF(28, 6));
    p.fillRect(QRectF(9, 18.5, 8, 2.2), kOutline);
}

void drawFolder(QPainter &p)
{
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(kManilaDark);
    QPainterPath back;
    back.moveTo(3, 9);
    back.lineTo(12, 9);
    back.lineTo(14, 6);
    back.lineTo(29, 6);
    back.lineTo(29, 27);
    back.lineTo(3, 27);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(kPaper);
    p.drawRect(QRectF(6, 9, 20, 12));
    p.setBrush(kManila);
    p.drawRect(QRectF(3, 13, 26, 14));
}

void drawDocument(QPainter &p)
{
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(kPaper);
    QPainterPath page;
    page.moveTo(7, 2.5);
    page.lineTo(20, 2.5);
    page.lineTo(26, 8.5);
    page.lineTo(26, 29.5);
    page.lineTo(7, 29.5);
    page.closeSubpath();
    p.drawPath(page);
    p.drawLine(QPointF(20, 2.5), QPointF(20, 8.5));
    p.drawLine(QPointF(20, 8.5), QPointF(26, 8.5));
    p.setPen(QPen(kInk, 1.4));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(10, 13 + i * 3.5), QPointF(i == 4 ? 17 : 23, 13 + i * 3.5));
}

void drawPage(QPainter &p)
{
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(kPaper);
    p.drawRect(QRectF(6, 2.5, 20, 27));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 170, 220));
    p.drawRect(QRectF(9, 6, 14, 12));
    p.setBrush(QColor(90, 150, 90));
    QPolygonF hill;
    hill << QPointF(9, 18) << QPointF(14, 11) << QPointF(18, 15) << QPointF(20, 13) << QPointF(23, 18);
    p.drawPolygon(hill);
    p.setPen(QPen(kInk, 1.4));
    p.drawLine(QPointF(9, 22), QPointF(23, 22));
    p.drawLine(QPointF(9, 25.5), QPointF(19, 25.5));
}

void drawRoot(QPainter &p)
{
    p.save();
    p.translate(-3, 0);
    p.scale(0.8, 1.0);
    drawCabinet(p);
    p.restore();
    p.save();
    p.translate(9, 4);
    p.scale(0.72, 0.87);
    drawCabinet(p);
    p.restore();
}

void drawFound(QPainter &p)
{
    p.setPen(QPen(kOutline, 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(28, 28));
    p.setPen(QPen(kOutline, 1.6));
    p.setBrush(QColor(200, 228, 250));
    p.drawEllipse(QPointF(13, 13), 9, 9);
}

QPixmap paint(const QString &key, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    if (key == NavIconKeys::Cabinet) {
        drawCabinet(p);
    } else if (key == NavIconKeys::Locked) {
        drawCabinet(p);
        drawLock(p);
    } else if (key == NavIconKeys::Drawer) {
        drawDrawer(p);
    } else if (key == NavIconKeys::Folder) {
        drawFolder(p);
    } else if (key == NavIconKeys::Document) {
        drawDocument(p);
    } else if (key == NavIconKeys::Page) {
        drawPage(p);
    } else if (key == NavIconKeys::Root) {
        drawRoot(p);
    } else if (key == NavIconKeys::Found) {
        drawFound(p);
    }
    return pm;
}

} // namespace

namespace NavIcons {

QIcon icon(const QString &iconKey)
{
    static QHash<QString, QIcon> cache;
    auto it = cache.constFind(iconKey);
    if (it != cache.constEnd())
        return it.value();
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(paint(iconKey, size));
    cache.insert(iconKey, icon);
    return icon;
}

QIcon appIcon()
{
    return icon(NavIconKeys::Cabinet);
}

} // namespace NavIcons

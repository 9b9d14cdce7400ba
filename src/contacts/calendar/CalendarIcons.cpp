#include "calendar/CalendarIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace {

void PaintDay(QPainter &p)
{
    p.setPen(QColor(0x2b, 0x5d, 0x9c));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 13, 12));
    p.fillRect(QRectF(2, 3, 12, 3), QColor(0xc0, 0x39, 0x2b));
    p.setPen(QColor(0x40, 0x40, 0x40));
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col)
            p.drawPoint(QPointF(4.5 + col * 3.5, 8.5 + row * 3));
    }
}

void PaintCake(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe0, 0x8a, 0x1e));
    p.drawRect(QRectF(2, 8, 12, 6));
    p.setBrush(QColor(0xf6, 0xd8, 0xe4));
    p.drawRect(QRectF(2, 8, 12, 2));
    p.setBrush(QColor(0x2b, 0x5d, 0x9c));
    for (const qreal x : {4.5, 7.5, 10.5})
        p.drawRect(QRectF(x, 4, 1.2, 4));
    p.setBrush(QColor(0xf0, 0xc0, 0x20));
    for (const qreal x : {5.1, 8.1, 11.1})
        p.drawEllipse(QPointF(x, 3), 1.1, 1.4);
}

void PaintHeart(QPainter &p)
{
    QPainterPath heart;
    heart.moveTo(8, 14);
    heart.cubicTo(1, 9, 1, 3, 5, 3);
    heart.cubicTo(6.8, 3, 8, 4.5, 8, 5.5);
    heart.cubicTo(8, 4.5, 9.2, 3, 11, 3);
    heart.cubicTo(15, 3, 15, 9, 8, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd0, 0x2c, 0x4c));
    p.drawPath(heart);
}

void PaintLantern(QPainter &p)
{
    p.setPen(QPen(QColor(0x80, 0x50, 0x10), 1));
    p.drawLine(QPointF(8, 0.5), QPointF(8, 3));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe0, 0x20, 0x20));
    p.drawEllipse(QRectF(2, 3, 12, 9));
    p.setBrush(QColor(0xf0, 0xc0, 0x20));
    p.drawRect(QRectF(5, 2.5, 6, 1.5));
    p.drawRect(QRectF(5, 11.5, 6, 1.5));
    p.drawRect(QRectF(7.5, 13, 1, 3));
}

void PaintNote(QPainter &p)
{
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.setBrush(QColor(0xff, 0xf4, 0xb0));
    p.drawRect(QRectF(2.5, 1.5, 11, 13));
    p.setPen(QColor(0x2b, 0x5d, 0x9c));
    for (const qreal y : {5.0, 8.0, 11.0})
        p.drawLine(QPointF(4.5, y), QPointF(11.5, y));
}

} // namespace

QImage CalendarImage(int index)
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: PaintDay(p); break;
    case 8: PaintCake(p); break;
    case 9: PaintHeart(p); break;
    case 10: PaintLantern(p); break;
    case 11: PaintNote(p); break;
    default: break;
    }
    return image;
}

#include "main/MainIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor Ink(0x2b, 0x5d, 0x9c);
const QColor Accent(0xe0, 0x8a, 0x1e);
const QColor Danger(0xc0, 0x39, 0x2b);

// Head and shoulders in a box of side s at (x, y).
void PaintPerson(QPainter &p, qreal x, qreal y, qreal s, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QRectF(x + s * 0.3, y + s * 0.05, s * 0.4, s * 0.4));
    QPainterPath body;
    body.moveTo(x + s * 0.1, y + s);
    body.cubicTo(x + s * 0.1, y + s * 0.45, x + s * 0.9, y + s * 0.45, x + s * 0.9, y + s);
    body.closeSubpath();
    p.drawPath(body);
}

void PaintPlus(QPainter &p, qreal cx, qreal cy, qreal arm)
{
    p.setPen(QPen(Accent, arm * 0.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(cx - arm, cy), QPointF(cx + arm, cy));
    p.drawLine(QPointF(cx, cy - arm), QPointF(cx, cy + arm));
}

QPixmap Paint(TMainIcon which, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    switch (which) {
    case TMainIcon::Program: {
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        p.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.18, s * 0.18);
        PaintPerson(p, s * 0.2, s * 0.16, s * 0.6, Qt::white);
        break;
    }
    case TMainIcon::Contacts:
        PaintPerson(p, s * 0.3, s * 0.12, s * 0.62, Ink.lighter(140));
        PaintPerson(p, s * 0.05, s * 0.25, s * 0.62, Ink);
        break;
    case TMainIcon::Calendar: {
        p.setPen(QPen(Ink, s * 0.07));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.18, s * 0.8, s * 0.72), s * 0.08, s * 0.08);
        p.setPen(Qt::NoPen);
        p.setBrush(Danger);
        p.drawRect(QRectF(s * 0.13, s * 0.21, s * 0.74, s * 0.17));
        p.setBrush(Ink);
        for (int row = 0; row < 2; ++row) {
            for (int col = 0; col < 3; ++col)
                p.drawRect(QRectF(s * (0.22 + col * 0.2), s * (0.48 + row * 0.18), s * 0.12, s * 0.1));
        }
        break;
    }
    case TMainIcon::NewContact:
        PaintPerson(p, s * 0.05, s * 0.2, s * 0.7, Ink);
        PaintPlus(p, s * 0.78, s * 0.25, s * 0.17);
        break;
    case TMainIcon::NewGroup: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xf2, 0xc1, 0x4e));
        QPainterPath folder;
        folder.moveTo(s * 0.05, s * 0.25);
        folder.lineTo(s * 0.38, s * 0.25);
        folder.lineTo(s * 0.46, s * 0.35);
        folder.lineTo(s * 0.9, s * 0.35);
        folder.lineTo(s * 0.9, s * 0.85);
        folder.lineTo(s * 0.05, s * 0.85);
        folder.closeSubpath();
        p.drawPath(folder);
        PaintPlus(p, s * 0.75, s * 0.25, s * 0.17);
        break;
    }
    case TMainIcon::Delete:
        p.setPen(QPen(Danger, s * 0.14, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.22, s * 0.22), QPointF(s * 0.78, s * 0.78));
        p.drawLine(QPointF(s * 0.78, s * 0.22), QPointF(s * 0.22, s * 0.78));
        break;
    case TMainIcon::ViewStyle:
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        for (int row = 0; row < 3; ++row) {
            p.drawRect(QRectF(s * 0.1, s * (0.16 + row * 0.26), s * 0.18, s * 0.16));
            p.drawRect(QRectF(s * 0.36, s * (0.19 + row * 0.26), s * 0.54, s * 0.1));
        }
        break;
    case TMainIcon::Search:
        p.setPen(QPen(Ink, s * 0.12));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(s * 0.12, s * 0.12, s * 0.5, s * 0.5));
        p.setPen(QPen(Ink, s * 0.15, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.56, s * 0.56), QPointF(s * 0.86, s * 0.86));
        break;
    }
    return pixmap;
}

} // namespace

QIcon MainIcon(TMainIcon which)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(Paint(which, size));
    return icon;
}

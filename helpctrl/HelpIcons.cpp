#include "helpctrl/HelpIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace HelpIcons {

namespace {

// A picture drawn on a 16 by 16 grid, at 16, 24 and 32 pixels so it stays sharp at every size.
QIcon Drawn(const std::function<void(QPainter&)>& draw)
{
    QIcon icon;
    for (const int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        draw(painter);
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QColor Ink(60, 60, 60);
const QColor Cover(40, 90, 170);
const QColor Paper(255, 255, 255);

} // namespace

QIcon Book()
{
    return Drawn([](QPainter& p) {
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(Paper);
        p.drawRect(QRectF(4.5, 2.5, 9, 12));
        p.setBrush(Cover);
        p.drawRect(QRectF(2.5, 1.5, 9, 12));
        p.setPen(QPen(Paper, 1));
        p.drawLine(QPointF(4.5, 1.5), QPointF(4.5, 13.5));
    });
}

QIcon OpenBook()
{
    return Drawn([](QPainter& p) {
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(Cover);
        p.drawRect(QRectF(0.5, 4.5, 15, 9));
        p.setBrush(Paper);
        QPainterPath left, right;
        left.moveTo(8, 5);
        left.cubicTo(6, 3, 3, 3, 1.5, 3.5);
        left.lineTo(1.5, 12.5);
        left.cubicTo(3, 12, 6, 12, 8, 13);
        right.moveTo(8, 5);
        right.cubicTo(10, 3, 13, 3, 14.5, 3.5);
        right.lineTo(14.5, 12.5);
        right.cubicTo(13, 12, 10, 12, 8, 13);
        p.drawPath(left);
        p.drawPath(right);
    });
}

QIcon Page()
{
    return Drawn([](QPainter& p) {
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(Paper);
        QPainterPath sheet;
        sheet.moveTo(3.5, 1.5);
        sheet.lineTo(10, 1.5);
        sheet.lineTo(12.5, 4);
        sheet.lineTo(12.5, 14.5);
        sheet.lineTo(3.5, 14.5);
        sheet.closeSubpath();
        p.drawPath(sheet);
        p.setPen(QPen(Cover, 0.8));
        for (const double y : {5.5, 7.5, 9.5, 11.5})
            p.drawLine(QPointF(5, y), QPointF(11, y));
    });
}

QIcon Pane()
{
    return Drawn([](QPainter& p) {
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(Paper);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.setBrush(Cover);
        p.drawRect(QRectF(1.5, 2.5, 4.5, 11));
    });
}

// A green arrow pointing left, or right when mirrored: the toolbar's Back and Forward.
QIcon Arrow(bool right)
{
    return Drawn([right](QPainter& p) {
        if (right) {
            p.translate(16, 0);
            p.scale(-1, 1);
        }
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(QColor(60, 140, 60));
        p.drawPolygon(QPolygonF({QPointF(1.5, 8), QPointF(8, 1.5), QPointF(8, 5.5), QPointF(14.5, 5.5),
                                 QPointF(14.5, 10.5), QPointF(8, 10.5), QPointF(8, 14.5)}));
    });
}

QIcon Home()
{
    return Drawn([](QPainter& p) {
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(Paper);
        p.drawRect(QRectF(3.5, 7.5, 9, 7));
        p.setBrush(QColor(170, 50, 40));
        p.drawPolygon(QPolygonF({QPointF(1, 8.5), QPointF(8, 1.5), QPointF(15, 8.5)}));
        p.setBrush(Cover);
        p.drawRect(QRectF(6.5, 10, 3, 4.5));
    });
}

QIcon Print()
{
    return Drawn([](QPainter& p) {
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(Paper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(190, 190, 190));
        p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
        p.setBrush(Paper);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
    });
}

} // namespace HelpIcons

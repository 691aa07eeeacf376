#include "ui/ButtonPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace {

// Drawn on a 32 x 32 canvas, offered at the sizes buttons use.
QIcon drawn(const std::function<void(QPainter&)>& paint) {
    QIcon icon;
    for (const int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 32.0, size / 32.0);
        paint(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPen roundPen(const QColor& colour, qreal width) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

} // namespace

QIcon pictureAdd() {
    return drawn([](QPainter& p) {
        p.setPen(roundPen(QColor(0x1e, 0x8c, 0x2e), 6));
        p.drawLine(16, 5, 16, 27);
        p.drawLine(5, 16, 27, 16);
    });
}

QIcon pictureDelete() {
    return drawn([](QPainter& p) {
        p.setPen(roundPen(QColor(0xc6, 0x28, 0x28), 6));
        p.drawLine(7, 7, 25, 25);
        p.drawLine(25, 7, 7, 25);
    });
}

QIcon pictureSave() {
    return drawn([](QPainter& p) {
        p.setPen(roundPen(QColor(0x1f, 0x3f, 0x7a), 2));
        p.setBrush(QColor(0x3a, 0x6e, 0xc2));
        p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 4, 14, 9));
        p.setBrush(QColor(0xdd, 0xe6, 0xf5));
        p.drawRect(QRectF(8, 18, 16, 10));
    });
}

QIcon pictureShowPassword() {
    return drawn([](QPainter& p) {
        QPainterPath eye;
        eye.moveTo(3, 16);
        eye.quadTo(16, 3, 29, 16);
        eye.quadTo(16, 29, 3, 16);
        p.setPen(roundPen(QColor(0x33, 0x33, 0x33), 2));
        p.setBrush(Qt::white);
        p.drawPath(eye);
        p.setBrush(QColor(0x2a, 0x5d, 0xa8));
        p.drawEllipse(QPointF(16, 16), 5, 5);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(16, 16), 2, 2);
    });
}

QIcon pictureFolder() {
    return drawn([](QPainter& p) {
        p.setPen(roundPen(QColor(0x9a, 0x6b, 0x12), 2));
        p.setBrush(QColor(0xf2, 0xc1, 0x4e));
        QPainterPath back;
        back.moveTo(3, 8);
        back.lineTo(12, 8);
        back.lineTo(15, 11);
        back.lineTo(28, 11);
        back.lineTo(28, 26);
        back.lineTo(3, 26);
        back.closeSubpath();
        p.drawPath(back);
        p.setBrush(QColor(0xf8, 0xd8, 0x7c));
        QPainterPath front;
        front.moveTo(3, 26);
        front.lineTo(7, 15);
        front.lineTo(31, 15);
        front.lineTo(28, 26);
        front.closeSubpath();
        p.drawPath(front);
    });
}

#include "tablecreate/ButtonPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace tablecreate {

namespace {

// Draws a picture on a 32 x 32 canvas, at one and at two device pixels per pixel.
QIcon drawn(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(32 * scale, 32 * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QColor kInk(40, 50, 70);
const QColor kSheet(250, 250, 245);
const QColor kRule(150, 170, 200);
const QColor kGreen(40, 150, 60);
const QColor kRed(200, 50, 40);
const QColor kFolder(230, 180, 60);

// A small ruled sheet: the field list or a table.
void sheet(QPainter& painter, const QRectF& box) {
    painter.setPen(QPen(kInk, 1.2));
    painter.setBrush(kSheet);
    painter.drawRect(box);
    painter.setPen(QPen(kRule, 1));
    for (qreal y = box.top() + 5; y < box.bottom() - 1; y += 5) {
        painter.drawLine(QPointF(box.left() + 3, y), QPointF(box.right() - 3, y));
    }
}

void badge(QPainter& painter, const QColor& colour, const QPointF& centre) {
    painter.setPen(QPen(colour.darker(130), 1));
    painter.setBrush(colour);
    painter.drawEllipse(centre, 8, 8);
}

void plus(QPainter& painter, const QPointF& c) {
    painter.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(c + QPointF(-4.5, 0), c + QPointF(4.5, 0));
    painter.drawLine(c + QPointF(0, -4.5), c + QPointF(0, 4.5));
}

void minus(QPainter& painter, const QPointF& c) {
    painter.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(c + QPointF(-4.5, 0), c + QPointF(4.5, 0));
}

void cross(QPainter& painter, const QPointF& c, const QColor& colour, qreal half, qreal width) {
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(c + QPointF(-half, -half), c + QPointF(half, half));
    painter.drawLine(c + QPointF(-half, half), c + QPointF(half, -half));
}

void tick(QPainter& painter, const QPointF& c, const QColor& colour, qreal width) {
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath path;
    path.moveTo(c + QPointF(-5, 0));
    path.lineTo(c + QPointF(-1.5, 4));
    path.lineTo(c + QPointF(5.5, -5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

}  // namespace

QIcon addFieldPicture() {
    return drawn([](QPainter& p) {
        sheet(p, QRectF(3, 3, 18, 24));
        badge(p, kGreen, QPointF(22, 22));
        plus(p, QPointF(22, 22));
    });
}

QIcon deleteFieldPicture() {
    return drawn([](QPainter& p) {
        sheet(p, QRectF(3, 3, 18, 24));
        badge(p, kRed, QPointF(22, 22));
        minus(p, QPointF(22, 22));
    });
}

QIcon createTablePicture() {
    return drawn([](QPainter& p) {
        sheet(p, QRectF(4, 4, 22, 24));
        p.setPen(QPen(kRule, 1));
        p.drawLine(QPointF(12, 5), QPointF(12, 27));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 200, 40));
        QPainterPath star;
        star.moveTo(25, 1);
        star.lineTo(27, 6);
        star.lineTo(31, 7);
        star.lineTo(27, 9.5);
        star.lineTo(28, 14);
        star.lineTo(25, 11.5);
        star.lineTo(22, 14);
        star.lineTo(23, 9.5);
        star.lineTo(19, 7);
        star.lineTo(23, 6);
        star.closeSubpath();
        p.drawPath(star);
    });
}

QIcon closeWindowPicture() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(200, 215, 235));
        p.drawRect(QRectF(3, 5, 26, 22));
        p.setBrush(QColor(70, 110, 170));
        p.drawRect(QRectF(3, 5, 26, 5));
        cross(p, QPointF(16, 18.5), kRed, 4.5, 2.5);
    });
}

QIcon selectFolderPicture() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(kFolder.darker(150), 1.2));
        p.setBrush(kFolder);
        QPainterPath folder;
        folder.moveTo(3, 8);
        folder.lineTo(12, 8);
        folder.lineTo(14, 11);
        folder.lineTo(29, 11);
        folder.lineTo(29, 27);
        folder.lineTo(3, 27);
        folder.closeSubpath();
        p.drawPath(folder);
        tick(p, QPointF(16, 19), kGreen.darker(110), 3);
    });
}

QIcon cancelPicture() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(kRed.darker(130), 1));
        p.setBrush(kRed);
        p.drawEllipse(QPointF(16, 16), 12, 12);
        cross(p, QPointF(16, 16), Qt::white, 5, 3);
    });
}

}  // namespace tablecreate

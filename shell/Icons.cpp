#include "shell/Icons.h"

#include <QAbstractButton>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include <cmath>
#include <numbers>

namespace shell {

namespace {

// Our drawings are made on a 48-unit square and rendered at each of these pixel sizes, so that
// a button of any size (and any device pixel ratio) gets a sharp picture.
constexpr double kCanvas = 48.0;
constexpr int kRenderedSizes[] = {16, 24, 32, 48, 64, 96};

const QColor kPurple(128, 0, 128);
const QColor kInk(40, 50, 70);
const QColor kSheet(250, 250, 245);
const QColor kRule(150, 170, 200);
const QColor kGreen(40, 150, 60);
const QColor kRed(200, 50, 40);

struct PictureSource {
    const char* themeNames[2];
    // The style's picture for it; SP_CustomBase when the style has none that fits.
    QStyle::StandardPixmap standard;
};

PictureSource sourceOf(Picture which) {
    switch (which) {
        case Picture::New:
            return {{"document-new", nullptr}, QStyle::SP_FileIcon};
        case Picture::Open:
            return {{"document-open", "folder-open"}, QStyle::SP_DialogOpenButton};
        case Picture::Close:
            return {{"document-close", "window-close"}, QStyle::SP_DialogCloseButton};
        case Picture::Export:
            return {{"document-save-as", "x-office-spreadsheet"}, QStyle::SP_DialogSaveButton};
        case Picture::About:
            return {{"help-about", nullptr}, QStyle::SP_MessageBoxInformation};
        case Picture::Exit:
            return {{"application-exit", "system-log-out"}, QStyle::SP_CustomBase};
        case Picture::Select:
            return {{"dialog-ok", "dialog-ok-apply"}, QStyle::SP_DialogOkButton};
        case Picture::Cancel:
            return {{"dialog-cancel", nullptr}, QStyle::SP_DialogCancelButton};
        case Picture::AddField:
            return {{"list-add", nullptr}, QStyle::SP_CustomBase};
        case Picture::DeleteField:
            return {{"list-remove", nullptr}, QStyle::SP_CustomBase};
        case Picture::CreateTable:
            return {{"document-save", nullptr}, QStyle::SP_DialogSaveButton};
    }
    return {{nullptr, nullptr}, QStyle::SP_CustomBase};
}

void drawPage(QPainter& p) {
    p.setPen(QPen(Qt::darkGray, 2));
    p.setBrush(Qt::white);
    QPainterPath page;
    page.moveTo(10, 4);
    page.lineTo(30, 4);
    page.lineTo(38, 12);
    page.lineTo(38, 44);
    page.lineTo(10, 44);
    page.closeSubpath();
    p.drawPath(page);
}

void drawCross(QPainter& p, const QPointF& centre, qreal half, const QPen& pen) {
    p.setPen(pen);
    p.drawLine(centre + QPointF(-half, -half), centre + QPointF(half, half));
    p.drawLine(centre + QPointF(-half, half), centre + QPointF(half, -half));
}

// A small ruled sheet: the field list, or a table.
void drawSheet(QPainter& p, const QRectF& box) {
    p.setPen(QPen(kInk, 1.8));
    p.setBrush(kSheet);
    p.drawRect(box);
    p.setPen(QPen(kRule, 1.5));
    for (qreal y = box.top() + 7.5; y < box.bottom() - 1.5; y += 7.5) {
        p.drawLine(QPointF(box.left() + 4.5, y), QPointF(box.right() - 4.5, y));
    }
}

// A round badge with a plus (add) or a bar (remove) on it.
void drawBadge(QPainter& p, const QColor& colour, const QPointF& centre, bool plus) {
    p.setPen(QPen(colour.darker(130), 1.5));
    p.setBrush(colour);
    p.drawEllipse(centre, 12, 12);
    p.setPen(QPen(Qt::white, 3.75, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(-6.75, 0), centre + QPointF(6.75, 0));
    if (plus) p.drawLine(centre + QPointF(0, -6.75), centre + QPointF(0, 6.75));
}

void drawStar(QPainter& p, const QPointF& centre, qreal outer) {
    QPainterPath star;
    for (int point = 0; point < 10; ++point) {
        const qreal radius = point % 2 == 0 ? outer : outer * 0.45;
        const qreal angle = -std::numbers::pi / 2 + point * std::numbers::pi / 5;
        const QPointF at = centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        if (point == 0) {
            star.moveTo(at);
        } else {
            star.lineTo(at);
        }
    }
    star.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 200, 40));
    p.drawPath(star);
}

void drawPicture(Picture which, QPainter& p) {
    switch (which) {
        case Picture::New:
            drawPage(p);
            p.setPen(QPen(QColor(0, 128, 0), 4));
            p.drawLine(24, 18, 24, 34);
            p.drawLine(16, 26, 32, 26);
            break;
        case Picture::Open:
            p.setPen(QPen(QColor(120, 90, 0), 2));
            p.setBrush(QColor(240, 200, 80));
            p.drawRect(4, 12, 36, 28);
            p.setBrush(QColor(250, 220, 120));
            p.drawPolygon(QPolygonF({{8, 20}, {44, 20}, {38, 40}, {4, 40}}));
            break;
        case Picture::Close:
            drawPage(p);
            drawCross(p, {24, 24}, 12, QPen(QColor(160, 0, 0), 6, Qt::SolidLine, Qt::RoundCap));
            break;
        case Picture::Export:
            p.setPen(QPen(QColor(0, 100, 0), 2));
            p.setBrush(Qt::white);
            p.drawRect(4, 8, 30, 34);
            for (int y = 16; y < 42; y += 8) p.drawLine(4, y, 34, y);
            p.drawLine(18, 8, 18, 42);
            p.setPen(QPen(kPurple, 4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(28, 30, 44, 30);
            p.drawLine(38, 24, 44, 30);
            p.drawLine(38, 36, 44, 30);
            break;
        case Picture::About:
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(30, 90, 180));
            p.drawEllipse(4, 4, 40, 40);
            p.setBrush(Qt::white);
            p.drawEllipse(21, 10, 6, 6);
            p.drawRect(21, 20, 6, 18);
            break;
        case Picture::Exit:
            p.setPen(QPen(Qt::darkGray, 2));
            p.setBrush(QColor(150, 100, 60));
            p.drawRect(6, 4, 22, 40);
            p.setPen(QPen(QColor(160, 0, 0), 4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(22, 24, 44, 24);
            p.drawLine(36, 16, 44, 24);
            p.drawLine(36, 32, 44, 24);
            break;
        case Picture::Select:
            p.setPen(QPen(kGreen, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({{8, 26}, {20, 38}, {40, 10}}));
            break;
        case Picture::Cancel:
            p.setPen(QPen(kRed.darker(130), 1.5));
            p.setBrush(kRed);
            p.drawEllipse(QPointF(24, 24), 18, 18);
            drawCross(p, {24, 24}, 7.5, QPen(Qt::white, 4.5, Qt::SolidLine, Qt::RoundCap));
            break;
        case Picture::AddField:
            drawSheet(p, QRectF(4.5, 4.5, 27, 36));
            drawBadge(p, kGreen, QPointF(33, 33), true);
            break;
        case Picture::DeleteField:
            drawSheet(p, QRectF(4.5, 4.5, 27, 36));
            drawBadge(p, kRed, QPointF(33, 33), false);
            break;
        case Picture::CreateTable:
            drawSheet(p, QRectF(6, 6, 33, 36));
            p.setPen(QPen(kRule, 1.5));
            p.drawLine(QPointF(18, 7.5), QPointF(18, 40.5));
            drawStar(p, QPointF(37.5, 11), 10);
            break;
    }
}

}  // namespace

QIcon drawnPicture(Picture which) {
    QIcon icon;
    for (int size : kRenderedSizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / kCanvas, size / kCanvas);
        drawPicture(which, painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon picture(Picture which, const QStyle* style) {
    const PictureSource source = sourceOf(which);
    for (const char* name : source.themeNames) {
        if (name != nullptr && QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    }
    if (style != nullptr && source.standard != QStyle::SP_CustomBase) {
        QIcon standard = style->standardIcon(source.standard);
        if (!standard.isNull()) return standard;
    }
    return drawnPicture(which);
}

void setPicture(QAbstractButton& button, Picture which, const QSize& size) {
    button.setIcon(picture(which, button.style()));
    button.setIconSize(size);
}

QPixmap logoPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    QLinearGradient tile(0, 0, 64, 64);
    tile.setColorAt(0, QColor(170, 40, 170));
    tile.setColorAt(1, QColor(90, 0, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);

    // A small table: a header row and three records.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(12, 16, 34, 34));
    p.setBrush(QColor(230, 200, 240));
    p.drawRect(QRectF(12, 16, 34, 8));
    p.setPen(QPen(QColor(90, 0, 90), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(12, 16, 34, 34));
    for (double y : {24.0, 33.0, 42.0}) p.drawLine(QPointF(12, y), QPointF(46, y));
    p.drawLine(QPointF(26, 16), QPointF(26, 50));

    // The quill, crossing the table's corner.
    QPainterPath quill;
    quill.moveTo(56, 6);
    quill.cubicTo(44, 10, 36, 22, 34, 40);
    quill.cubicTo(42, 30, 52, 22, 56, 6);
    p.setPen(QPen(QColor(120, 80, 0), 1));
    p.setBrush(QColor(250, 210, 60));
    p.drawPath(quill);
    p.setPen(QPen(QColor(60, 40, 0), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(36, 38), QPointF(31, 48));
    return pixmap;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(logoPixmap(size));
    return icon;
}

}  // namespace shell

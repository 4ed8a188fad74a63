#include "shell/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include <functional>

namespace shell {

namespace {

constexpr int kDrawnSize = 48;
const QColor kPurple(128, 0, 128);

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
    }
    return {{nullptr, nullptr}, QStyle::SP_FileIcon};
}

QPixmap drawn(const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(kDrawnSize, kDrawnSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(kDrawnSize / 48.0, kDrawnSize / 48.0);
    draw(painter);
    return pixmap;
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

void drawCross(QPainter& p, const QColor& colour) {
    p.setPen(QPen(colour, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(12, 12, 36, 36);
    p.drawLine(36, 12, 12, 36);
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
            drawCross(p, QColor(160, 0, 0));
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
            p.setPen(QPen(QColor(0, 128, 0), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({{8, 26}, {20, 38}, {40, 10}}));
            break;
        case Picture::Cancel:
            drawCross(p, QColor(180, 0, 0));
            break;
    }
}

}  // namespace

QIcon drawnPicture(Picture which) {
    return QIcon(drawn([which](QPainter& painter) { drawPicture(which, painter); }));
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

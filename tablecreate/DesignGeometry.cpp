#include "tablecreate/DesignGeometry.h"

#include <QFont>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace tablecreate {

namespace {

constexpr double kTwipsPerInch = 1440.0;

QRect scaled(const QRect& design, double dpiX, double dpiY) {
    return QRect(twipsToPixels(design.x() * kTwipsPerDesignPixel, dpiX),
                 twipsToPixels(design.y() * kTwipsPerDesignPixel, dpiY),
                 twipsToPixels(design.width() * kTwipsPerDesignPixel, dpiX),
                 twipsToPixels(design.height() * kTwipsPerDesignPixel, dpiY));
}

}  // namespace

int twipsToPixels(int twips, double logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / kTwipsPerInch));
}

void applyDesignGeometry(QWidget& window) {
    const double dpiX = window.logicalDpiX();
    const double dpiY = window.logicalDpiY();
    // Only controls placed by the form: a control's own inner widgets (a list's viewport, a
    // combo box's popup) are laid out by the control itself.
    for (QWidget* child : window.findChildren<QWidget*>()) {
        QWidget* parent = child->parentWidget();
        if (parent == &window ||
            (qobject_cast<QGroupBox*>(parent) != nullptr && parent->parentWidget() == &window)) {
            child->setGeometry(scaled(child->geometry(), dpiX, dpiY));
        }
    }
    const QRect client = scaled(QRect(QPoint(0, 0), window.size()), dpiX, dpiY);
    window.setFixedSize(client.size());
}

void applyDesignFont(QWidget& window) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    window.setFont(font);
}

void centreOnScreen(QWidget& window) {
    QWidget* parent = window.parentWidget();
    QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    window.move(screen->availableGeometry().center() - window.rect().center());
}

}  // namespace tablecreate

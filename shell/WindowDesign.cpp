#include "shell/WindowDesign.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace shell {

QFont designFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

void applyDesignFont(QWidget& window) { window.setFont(designFont()); }

void centreOnScreen(QWidget& window) {
    const QWidget* anchor = window.parentWidget() != nullptr ? window.parentWidget() : &window;
    QScreen* screen =
        anchor->screen() != nullptr ? anchor->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect available = screen->availableGeometry();
    QRect frame = window.frameGeometry();
    frame.moveCenter(available.center());
    window.move(frame.topLeft());
}

}  // namespace shell

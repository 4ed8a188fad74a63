// Design positions are in twips (1440 to the inch); every window places its controls from one
// table of them in code (its WindowLayout), converted to pixels at the screen's logical DPI. The
// window's .ui file holds its controls and texts but no geometry; the window's tests read the
// same table.
#pragma once

#include <QRect>
#include <QWidget>

#include <cmath>
#include <span>

namespace shell {

inline constexpr double kTwipsPerInch = 1440.0;

// Converts between twips and pixels for one widget's screen.
class TwipsScale {
public:
    explicit TwipsScale(double dotsPerInchX, double dotsPerInchY)
        : m_dpiX(dotsPerInchX), m_dpiY(dotsPerInchY) {}
    // The logical DPI of the screen the widget is on (or will be shown on).
    explicit TwipsScale(const QWidget& widget)
        : TwipsScale(widget.logicalDpiX(), widget.logicalDpiY()) {}

    int x(double twips) const {
        return static_cast<int>(std::lround(twips * m_dpiX / kTwipsPerInch));
    }
    int y(double twips) const {
        return static_cast<int>(std::lround(twips * m_dpiY / kTwipsPerInch));
    }
    QRect rect(double left, double top, double width, double height) const {
        return QRect(x(left), y(top), x(width), y(height));
    }
    QSize size(double width, double height) const { return QSize(x(width), y(height)); }
    double twipsX(double pixels) const { return pixels * kTwipsPerInch / m_dpiX; }
    double twipsY(double pixels) const { return pixels * kTwipsPerInch / m_dpiY; }

private:
    double m_dpiX;
    double m_dpiY;
};

// Places a widget at a design position given in twips.
inline void placeInTwips(QWidget& widget, double left, double top, double width, double height) {
    widget.setGeometry(TwipsScale(widget).rect(left, top, width, height));
}

// One control's design place: its object name, and left, top, width and height in twips from
// the top-left corner of its parent (the window's client area, or the frame it stands in).
struct ControlPlace {
    const char* name;
    double left, top, width, height;
};

// A window's design: its client size and its controls' places, in twips.
struct WindowLayout {
    double width, height;
    std::span<const ControlPlace> controls;
};

// Places every control of layout that window holds (found by object name) at its place.
inline void placeControls(QWidget& window, const WindowLayout& layout) {
    const TwipsScale twips(window);
    for (const ControlPlace& place : layout.controls) {
        if (auto* control = window.findChild<QWidget*>(place.name)) {
            control->setGeometry(twips.rect(place.left, place.top, place.width, place.height));
        }
    }
}

}  // namespace shell

// Design positions are in twips (1440 to the inch); every window places its controls from them
// in code, converted to pixels at the screen's logical DPI. The geometry in a window's .ui file
// is only the form editor's picture of it at 96 DPI (twips / 15); the twips in the code rule.
#pragma once

#include <QRect>
#include <QWidget>

#include <cmath>

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

}  // namespace shell

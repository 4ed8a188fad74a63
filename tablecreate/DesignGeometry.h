// Window layouts drawn in twips (1440 to the inch), shown at the screen's logical DPI, and the
// font they were drawn for.
#pragma once

class QWidget;

namespace tablecreate {

// The .ui files of this folder place every control in design pixels: pixels at 96 DPI, that is
// twips / 15, so that they read the same in the form editor.
inline constexpr int kTwipsPerDesignPixel = 15;

// Twips to device-independent pixels at a logical DPI, rounded to the nearest pixel.
int twipsToPixels(int twips, double logicalDpi);

// Rescales a window built from its .ui file to the logical DPI of its screen: the client size
// (fixed: these windows cannot be resized) and the geometry of every control placed on the
// window or inside one of its frames. Call once, right after setupUi.
void applyDesignGeometry(QWidget& window);

// Gives the window the small sans-serif face its controls were measured for (8 points), so that
// every caption fits the box the layout gives it.
void applyDesignFont(QWidget& window);

// Centres a window on the screen it will appear on (its parent's, else the primary screen),
// whatever window it belongs to.
void centreOnScreen(QWidget& window);

}  // namespace tablecreate

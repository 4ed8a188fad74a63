// How every window of the application is drawn: the face its controls were measured for, and
// where it appears.
#pragma once

class QFont;
class QWidget;

namespace shell {

// The small sans-serif face (8 points) the window layouts were measured for, so that every
// caption, label and list entry fits the box the layout gives it whatever the desktop's own font
// is. Labels that name a face of their own (the splash's) keep theirs.
QFont designFont();

// Gives a window, and through it every control on it, the design face. A window does not pass
// its font on to the windows it opens, so each window applies it itself.
void applyDesignFont(QWidget& window);

// Moves a top-level window so that its frame is centred on the available area of its screen
// (its parent's screen for a secondary window), not on the window that opened it.
void centreOnScreen(QWidget& window);

}  // namespace shell

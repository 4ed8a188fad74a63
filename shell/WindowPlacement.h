// Where windows appear: every window of the application opens centred on its screen.
#pragma once

class QWidget;

namespace shell {

// Moves a top-level window so that its frame is centred on the available area of its screen
// (its parent's screen for a secondary window).
void centreOnScreen(QWidget& window);

}  // namespace shell

// Whether a window's fixed texts fit their controls at the window's design size, and whether its
// controls stand where its layout table puts them.
#pragma once

#include <QStringList>

class QWidget;

namespace shell {
struct WindowLayout;
}

namespace testsupport {

// The controls of layout that window lacks or holds elsewhere than their place (converted at the
// window's DPI), one line each; those named in moved (placed by a rule of their own afterwards)
// are only looked for. Also the window's client size, when it is not the layout's.
QStringList misplacedControls(const QWidget& window, const shell::WindowLayout& layout,
                              const QStringList& moved = {});

// The captions (buttons, option and check boxes, frames), labels and drop-down entries of the
// window that the style cannot draw inside the box their control has, one line each:
// "name: \"text\" needs WxH, has WxH". Empty when every text fits. Entries of the file-system
// lists and text typed into boxes are data, not design, and are not looked at.
QStringList clippedTexts(const QWidget& window);

}  // namespace testsupport

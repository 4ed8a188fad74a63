// Whether a window's fixed texts fit their controls at the window's design size.
#pragma once

#include <QStringList>

class QWidget;

namespace testsupport {

// The captions (buttons, option and check boxes, frames), labels and drop-down entries of the
// window that the style cannot draw inside the box their control has, one line each:
// "name: \"text\" needs WxH, has WxH". Empty when every text fits. Entries of the file-system
// lists and text typed into boxes are data, not design, and are not looked at.
QStringList clippedTexts(const QWidget& window);

}  // namespace testsupport

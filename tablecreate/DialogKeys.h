// Enter and Escape in a window that has neither a default nor a cancel button.
#pragma once

#include <QKeyEvent>

namespace tablecreate {

// True (and the event accepted) for Enter and Escape, which press no button and close nothing in
// such a window; the window's keyPressEvent passes every other key on.
inline bool swallowDefaultButtonKeys(QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event.accept();
            return true;
        default:
            return false;
    }
}

}  // namespace tablecreate

#include "shell/SecondaryWindow.h"

#include "shell/Icons.h"
#include "shell/WindowDesign.h"

#include <QKeyEvent>

namespace shell {

SecondaryWindow::SecondaryWindow(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(applicationIcon());
    applyDesignFont(*this);
}

void SecondaryWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void SecondaryWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_placed) return;
    m_placed = true;
    centreOnScreen(*this);
}

}  // namespace shell

// What every secondary window (open table, new table, folder picker, About) shares: a fixed
// dialog frame, the application's icon and design face, its place on the screen, and the keys
// that press no button.
#pragma once

#include <QDialog>

namespace shell {

// A dialog with a title and a close box but no minimise, maximise or help box, carrying the
// application's icon and the design face (so its controls are measured as its layout expects).
// The first showing centres it on the screen, not on the window that opened it. None of these
// windows has a default or a cancel button: Enter and Escape press nothing and close nothing,
// while a control that takes those keys itself (a list opening a folder on Enter) still does.
// Each window fixes its own client size.
class SecondaryWindow : public QDialog {
    Q_OBJECT
public:
    explicit SecondaryWindow(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool m_placed = false;
};

}  // namespace shell

// The splash window: product, version, platform and maker, shown while the main window loads.
#pragma once

#include <QWidget>

#include <memory>

namespace platform {
class Prompts;
}
namespace Ui {
class frmPresentacion;
}

namespace shell {

struct WindowLayout;

// Frameless, fixed, off the task bar, centred. Closes on a key that produces a character or on a
// click on the frame's free area; clicks on the labels and the logo do nothing.
class frmPresentacion : public QWidget {
    Q_OBJECT
public:
    explicit frmPresentacion(platform::Prompts& prompts, QWidget* parent = nullptr);
    ~frmPresentacion() override;

    // The design: the client size and every control's place (twips).
    static const WindowLayout& designLayout();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void Form_KeyPress(const QString& character);
    void Frame1_Click();

    void applyDesign();

    std::unique_ptr<Ui::frmPresentacion> ui;
    platform::Prompts& m_prompts;
    bool m_framePressed = false;
};

}  // namespace shell

#include "shell/frmPresentacion.h"

#include "shell/Handlers.h"
#include "shell/Icons.h"
#include "shell/Twips.h"
#include "shell/WindowDesign.h"
#include "shell/modPrincipal.h"
#include "ui_frmPresentacion.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFrame>

namespace {

constexpr shell::ControlPlace kPlaces[] = {
    {"Frame1", 150, 60, 5745, 2835},
    // In the frame.
    {"imgLogo", 240, 240, 735, 705},
    {"lblProductName", 1200, 240, 1770, 480},
    {"lblCompanyProduct", 1155, 840, 4380, 435},
    {"lblPlatform", 3240, 1440, 2235, 360},
    {"lblVersion", 4560, 1920, 885, 285},
    {"lblCopyright", 120, 1500, 2415, 255},
    {"lblCompany", 120, 1710, 2415, 255},
    {"lblWarning", 150, 2280, 5535, 435},
};
constexpr shell::WindowLayout kLayout{6000, 2970, kPlaces};

struct LabelDesign {
    QLabel* Ui::frmPresentacion::*label;
    const char* family;
    double points;
    bool bold;
    bool sizedToText;
};

QFont namedFont(const char* family, double points, bool bold) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// A label sized to its text keeps its left edge, or its right edge when right-aligned.
void sizeToText(QLabel& label) {
    const QRect design = label.geometry();
    const QSize fitted = label.sizeHint();
    QRect placed(design.topLeft(), fitted);
    if (label.alignment() & Qt::AlignRight) placed.moveRight(design.right());
    label.setGeometry(placed);
}

}  // namespace

namespace shell {

frmPresentacion::frmPresentacion(platform::Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui::frmPresentacion>()),
      m_prompts(prompts) {
    ui->setupUi(this);
    setWindowTitle(QString());
    setWindowIcon(applicationIcon());
    applyDesignFont(*this);  // every label below names its own face
    applyDesign();
    trapped(m_prompts, [this] { Form_Load(); });
}

frmPresentacion::~frmPresentacion() = default;

const WindowLayout& frmPresentacion::designLayout() { return kLayout; }

void frmPresentacion::applyDesign() {
    const TwipsScale twips(*this);
    setFixedSize(twips.size(kLayout.width, kLayout.height));
    placeControls(*this, kLayout);
    ui->Frame1->installEventFilter(this);
    ui->imgLogo->setPixmap(logoPixmap(128));

    static const LabelDesign kLabels[] = {
        {&Ui::frmPresentacion::lblProductName, "Verdana", 20.25, true, true},
        {&Ui::frmPresentacion::lblCompanyProduct, "Arial", 18, true, true},
        {&Ui::frmPresentacion::lblPlatform, "Arial", 15.75, true, true},
        {&Ui::frmPresentacion::lblVersion, "Arial", 12, true, true},
        {&Ui::frmPresentacion::lblCopyright, "Arial", 8.25, false, false},
        {&Ui::frmPresentacion::lblCompany, "Arial", 8.25, false, false},
        {&Ui::frmPresentacion::lblWarning, "Arial", 8.25, false, false},
    };
    const QColor highlight = palette().color(QPalette::Highlight);
    for (const LabelDesign& design : kLabels) {
        QLabel& label = *(ui.get()->*design.label);
        label.setFont(namedFont(design.family, design.points, design.bold));
        if (design.sizedToText) {
            QPalette colours = label.palette();
            colours.setColor(QPalette::WindowText, highlight);
            label.setPalette(colours);
        }
        // A click on a label or the logo must not reach the frame.
        label.setAttribute(Qt::WA_NoMousePropagation);
    }
    ui->imgLogo->setAttribute(Qt::WA_NoMousePropagation);

    QPalette purple = ui->lblProductName->palette();
    purple.setColor(QPalette::WindowText, QColor(128, 0, 128));
    ui->lblProductName->setPalette(purple);
}

void frmPresentacion::Form_Load() {
    ui->lblVersion->setText(QString::fromStdString(modPrincipal::versionText()));
    ui->lblProductName->setText("Sorvela");
    for (QLabel* label :
         {ui->lblProductName, ui->lblCompanyProduct, ui->lblPlatform, ui->lblVersion}) {
        sizeToText(*label);
    }
}

void frmPresentacion::Form_KeyPress(const QString& /*character*/) { close(); }

void frmPresentacion::Frame1_Click() { close(); }

void frmPresentacion::keyPressEvent(QKeyEvent* event) {
    // Only keys that produce a character (Escape, Enter and Backspace included) close it.
    if (event->text().isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    trapped(m_prompts, [&] { Form_KeyPress(event->text()); });
}

bool frmPresentacion::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->Frame1) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_framePressed = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease && m_framePressed) {
            m_framePressed = false;
            const auto* release = static_cast<QMouseEvent*>(event);
            if (release->button() == Qt::LeftButton &&
                ui->Frame1->rect().contains(release->position().toPoint())) {
                trapped(m_prompts, [this] { Frame1_Click(); });
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmPresentacion::paintEvent(QPaintEvent* event) {
    // The fixed dialog border the window system does not draw for a frameless window.
    QWidget::paintEvent(event);
    QPainter painter(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    option.lineWidth = 2;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_Frame, &option, &painter, this);
}

void frmPresentacion::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    centreOnScreen(*this);
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
}

}  // namespace shell

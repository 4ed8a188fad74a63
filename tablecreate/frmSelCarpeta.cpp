#include "tablecreate/frmSelCarpeta.h"

#include "shell/AppServices.h"
#include "shell/Handlers.h"
#include "shell/Icons.h"
#include "shell/Twips.h"
#include "ui_frmSelCarpeta.h"

#include <QLineEdit>

namespace tablecreate {

namespace {

constexpr shell::ControlPlace kPlaces[] = {
    {"Drive1", 120, 120, 3795, 315},
    {"Dir1", 120, 600, 3705, 3915},
    {"cmdCancelar", 3960, 2760, 975, 855},
    {"cmdAceptar", 3960, 3720, 975, 855},
};
constexpr shell::WindowLayout kLayout{5040, 4650, kPlaces};

}  // namespace

frmSelCarpeta::frmSelCarpeta(shell::AppServices& services, QLineEdit& txtBaseDeDatos,
                             QWidget* parent)
    : shell::SecondaryWindow(parent),
      ui(std::make_unique<Ui::frmSelCarpeta>()),
      m_services(services),
      m_txtBaseDeDatos(txtBaseDeDatos) {
    ui->setupUi(this);
    applyDesign();

    platform::Prompts& prompts = m_services.prompts;
    using shell::connectHandler;
    connectHandler(ui->Drive1, &shell::DriveListBox::Change, this, prompts,
                   [this] { Drive1_Change(); });
    connectHandler(ui->cmdAceptar, &QToolButton::clicked, this, prompts,
                   [this](bool) { cmdAceptar_Click(); });
    connectHandler(ui->cmdCancelar, &QToolButton::clicked, this, prompts,
                   [this](bool) { cmdCancelar_Click(); });

    ui->Dir1->setFocus();
}

frmSelCarpeta::~frmSelCarpeta() = default;

const shell::WindowLayout& frmSelCarpeta::designLayout() { return kLayout; }

void frmSelCarpeta::applyDesign() {
    const shell::TwipsScale twips(*this);
    setFixedSize(twips.size(kLayout.width, kLayout.height));
    shell::placeControls(*this, kLayout);
    shell::setPicture(*ui->cmdAceptar, shell::Picture::Select, twips.size(480, 480));
    shell::setPicture(*ui->cmdCancelar, shell::Picture::Cancel, twips.size(480, 480));
}

void frmSelCarpeta::Drive1_Change() { ui->Dir1->setPath(ui->Drive1->Drive()); }

void frmSelCarpeta::cmdAceptar_Click() {
    shell::trapped(m_services.prompts, [this] {
        m_txtBaseDeDatos.setText(ui->Dir1->Path());
        accept();
    });
}

void frmSelCarpeta::cmdCancelar_Click() {
    shell::trapped(m_services.prompts, [this] { reject(); });
}

}  // namespace tablecreate

#include "tablecreate/frmSelCarpeta.h"

#include "shell/AppServices.h"
#include "shell/Handlers.h"
#include "tablecreate/ButtonPictures.h"
#include "tablecreate/DesignGeometry.h"
#include "tablecreate/DialogKeys.h"
#include "ui_frmSelCarpeta.h"

#include <QLineEdit>

namespace tablecreate {

frmSelCarpeta::frmSelCarpeta(shell::AppServices& services, QLineEdit& txtBaseDeDatos,
                             QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::frmSelCarpeta>()),
      m_services(services),
      m_txtBaseDeDatos(txtBaseDeDatos) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    applyDesignFont(*this);
    applyDesignGeometry(*this);
    centreOnScreen(*this);
    ui->cmdAceptar->setIcon(selectFolderPicture());
    ui->cmdCancelar->setIcon(cancelPicture());

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

void frmSelCarpeta::keyPressEvent(QKeyEvent* event) {
    // Neither button is the default or the cancel button: Enter and Escape do nothing (Enter on
    // the folder list still opens the highlighted folder, which the list handles itself).
    if (!swallowDefaultButtonKeys(*event)) QDialog::keyPressEvent(event);
}

}  // namespace tablecreate

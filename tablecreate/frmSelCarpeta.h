// The folder picker of the new-table window: a drive list and a folder list; "Select" writes the
// open folder into the new-table window's folder box.
#pragma once

#include "shell/SecondaryWindow.h"

#include <memory>

class QLineEdit;

namespace Ui {
class frmSelCarpeta;
}

namespace shell {
struct AppServices;
struct WindowLayout;
}  // namespace shell

namespace tablecreate {

// Opens on the process's current folder. "Select" writes the folder that is open in the folder
// list (not one that is merely highlighted) into txtBaseDeDatos and closes the picker; "Cancel"
// closes it and leaves txtBaseDeDatos alone. Both report their failures themselves; after a
// failed "Select" the picker stays open.
class frmSelCarpeta : public shell::SecondaryWindow {
    Q_OBJECT
public:
    // txtBaseDeDatos is the new-table window's folder box, the one thing the picker writes.
    frmSelCarpeta(shell::AppServices& services, QLineEdit& txtBaseDeDatos,
                  QWidget* parent = nullptr);
    ~frmSelCarpeta() override;

    // The design: the client size and every control's place (twips).
    static const shell::WindowLayout& designLayout();

private slots:
    void Drive1_Change();
    void cmdAceptar_Click();
    void cmdCancelar_Click();

private:
    void applyDesign();

    std::unique_ptr<Ui::frmSelCarpeta> ui;
    shell::AppServices& m_services;
    QLineEdit& m_txtBaseDeDatos;
};

}  // namespace tablecreate

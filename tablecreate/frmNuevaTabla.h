// The new-table window: a folder and a table name, then a list of fields, then the table.
#pragma once

#include "shell/SecondaryWindow.h"

#include <memory>
#include <string>

class QButtonGroup;

namespace Ui {
class frmNuevaTabla;
}

namespace shell {
struct AppServices;
struct WindowLayout;
}  // namespace shell

namespace tablecreate {

class Dbase;

// The user names a folder and a table and accepts them (a new definition in dbase), adds and
// deletes fields, and creates the table. The field list shows the fields the definition holds.
// The window ends on "Create" (after the table is written) and on "Close"; the new table is not
// opened.
//
// Every handler runs through the shell's guard: a refusal of the engine or a length that does
// not convert is reported through the error reporter, and the handler's remaining steps are
// skipped (a failed "Create" leaves the window open).
class frmNuevaTabla : public shell::SecondaryWindow {
    Q_OBJECT
public:
    // dbase outlives the window (it holds the pending definition for the whole run);
    // optDBFVersion is the main window's format option group, of which buttons 0-2 choose the
    // dBASE version of the new table.
    frmNuevaTabla(shell::AppServices& services, Dbase& dbase, const QButtonGroup& optDBFVersion,
                  QWidget* parent = nullptr);
    ~frmNuevaTabla() override;

    // The design: the client size and every control's place (twips).
    static const shell::WindowLayout& designLayout();

private slots:
    void cmdExaminar_Click();
    void cmdAceptar_Click();
    void cboTipoDatos_Click();
    void cmdAgregar_Click();
    void cmdEliminar_Click();
    void cmdCrear_Click();
    void cmdCerrar_Click();

private:
    void applyDesign();
    // The driver text of the version chosen in the main window; "" when none of the dBASE
    // versions is chosen.
    std::string connectString() const;
    void showValidationMessage(const char* text);

    std::unique_ptr<Ui::frmNuevaTabla> ui;
    shell::AppServices& m_services;
    Dbase& m_dbase;
    const QButtonGroup& m_optDBFVersion;
};

}  // namespace tablecreate

// The open-table window: a drive, folder and file list from which the user picks a .dbf table or
// an .xls workbook.
#pragma once

#include "shell/SecondaryWindow.h"

#include <QString>

#include <memory>

class QButtonGroup;
class QCheckBox;

namespace engine {
class DataControl;
}
namespace shell {
struct AppServices;
struct WindowLayout;
}  // namespace shell
namespace Ui {
class frmSelArchivo;
}

namespace browser {

// What choosing a file writes into the data control: ReadOnly := readOnly; for a workbook
// (workbook true) a snapshot of its worksheet "Sheet1" under "Excel 8.0;", the workbook's path
// being folder, a slash and fileName; otherwise a dynaset of the dBASE table fileName in folder,
// under whatever driver Connect holds.
void writeOpenChoice(engine::DataControl& dtcDbf, bool readOnly, bool workbook,
                     const QString& folder, const QString& fileName);

// Opens nothing itself: "Select" (or a double-click on a file) writes the choice into the data
// control's ReadOnly, RecordsetType, Connect (workbooks only), DatabaseName and RecordSource and
// closes the window; "Cancel" closes it writing nothing. Whether the file is read as a table or
// as a workbook follows the main window's format option, not the file's extension. Starts at the
// process's current volume and folder; remembers nothing between showings.
class frmSelArchivo : public shell::SecondaryWindow {
    Q_OBJECT
public:
    // Reads chkSoloLectura and optDBFVersion (index 3 is the workbook option) and writes dtcDbf.
    frmSelArchivo(shell::AppServices& services, engine::DataControl& dtcDbf,
                  const QCheckBox& chkSoloLectura, const QButtonGroup& optDBFVersion,
                  QWidget* parent = nullptr);
    ~frmSelArchivo() override;

    // The design: the client size and every control's place (twips).
    static const shell::WindowLayout& designLayout();

private slots:
    void Drive1_Change();
    void Dir1_Change();
    void File1_DblClick();
    void cmdAceptar_Click();
    void cmdCancelar_Click();

private:
    void Form_Load();
    void applyDesign();

    std::unique_ptr<Ui::frmSelArchivo> ui;
    shell::AppServices& m_services;
    engine::DataControl& dtcDbf;
    const QCheckBox& chkSoloLectura;
    const QButtonGroup& optDBFVersion;
};

}  // namespace browser

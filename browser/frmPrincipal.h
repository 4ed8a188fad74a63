// The main window: command bar, format options, record buttons, the grid bound to the data
// control, and the data control drawn as a navigation bar.
#pragma once

#include "engine/DataControl.h"
#include "tablecreate/Dbase.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QButtonGroup;

namespace shell {
struct AppServices;
struct WindowLayout;
}  // namespace shell
namespace Ui {
class frmPrincipal;
}

namespace browser {

class GridCommands;
class TableTools;
class TableToolCommands;
class NavigationBar;
class RecordsetModel;

// Owns the data control dtcDbf for the whole run; every other window reaches table data through
// it. Handlers that the user's actions run report their failures through MostrarError (the
// resize handler ignores them); nothing is undone after a failure.
class frmPrincipal : public QMainWindow, private engine::DataControlListener {
    Q_OBJECT
public:
    // Indexes of the command bar's buttons.
    enum MenuCommand { kNew = 0, kOpen = 1, kClose = 2, kExport = 3, kAbout = 4, kExit = 5 };
    // Indexes of the format options.
    enum FormatOption { kDbaseIII = 0, kDbaseIV = 1, kDbaseV = 2, kExcel = 3 };

    explicit frmPrincipal(shell::AppServices& services, QWidget* parent = nullptr);
    ~frmPrincipal() override;

    // The design: the client size and every control's place (twips).
    static const shell::WindowLayout& designLayout();

    // The read-only toggle, as if the check box had been clicked: applies the box to the data
    // control's ReadOnly and the grid's permissions, then rebuilds the position caption.
    void chkSoloLectura_Click();

    // Opens the table at path as the Open command's completion does, at start-up (the program's
    // argument): a .xls file as the worksheet Sheet1 of a workbook under the Excel option, any
    // other as a dBASE table; with "Read only" checked when the file is write-protected. A
    // failure is reported through MostrarError and leaves the window as it was.
    void openAtStart(const QString& path);

    engine::DataControl& dataControl() { return dtcDbf; }
    // What "Exit" does to end the application at once (by default, leave the event loop).
    void setEndApplication(std::function<void()> endApplication);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void cmdMenu_Click(int index);
    void optDBFVersion_Click(int index);
    void dtcDbf_Reposition();
    void cmdRegistroAgregar_Click();
    void cmdRegistroEliminar_Click();
    void cmdRegistroReemplazar_Click();

private:
    void Form_Load();
    void Form_Resize();

    void applyDesign();
    void connectHandlers();
    void connectShortcuts();
    void dockNavigationBar();
    void completeOpen();
    void closeTable();
    void exportTable();
    void showOpenWarnings();
    engine::Recordset& openRecordset();
    void recordPositionChanged() override;

    std::unique_ptr<Ui::frmPrincipal> ui;
    shell::AppServices& m_services;
    engine::DataControl dtcDbf;
    // The table definition the new-table window builds, kept for the whole run.
    tablecreate::Dbase m_dbase;
    QButtonGroup* cmdMenu;
    QButtonGroup* optDBFVersion;
    RecordsetModel* m_model;
    NavigationBar* m_navigationBar;
    GridCommands* m_gridCommands;
    TableTools* m_tableTools = nullptr;
    TableToolCommands* m_deletedRecordTools = nullptr;
    // The grid's top, and the part of the client height not given to the grid (twips); set by
    // Form_Load, read by Form_Resize, under the names the layout rule uses.
    float sngGridTop = 0;     // NOLINT(readability-identifier-naming)
    float sngGridMargin = 0;  // NOLINT(readability-identifier-naming)
    std::function<void()> m_endApplication;
    bool m_placed = false;
};

}  // namespace browser

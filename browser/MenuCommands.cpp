// The command bar of the main window: New, Open, Close, Export, About and Exit.
#include "base/ShownText.h"
#include "browser/RecordCaption.h"
#include "browser/TableTools.h"
#include "browser/frmPrincipal.h"
#include "browser/frmSelArchivo.h"
#include "engine/Driver.h"
#include "engine/Recordset.h"
#include "export/ExportarExcel.h"
#include "platform/Prompts.h"
#include "shell/AppServices.h"
#include "shell/Handlers.h"
#include "shell/frmAbout.h"
#include "shell/modPrincipal.h"
#include "tablecreate/frmNuevaTabla.h"
#include "ui_frmPrincipal.h"

#include <QButtonGroup>
#include <QFileInfo>

namespace browser {

namespace {

// The design's entry first, and selected; the chosen entry gives a name without one its extension.
constexpr const char* kExportFilter =
    "Microsoft Excel files (*.xls)|*.xls|Excel workbook (*.xlsx)|*.xlsx|CSV, UTF-8 (*.csv)|*.csv";

}  // namespace

void frmPrincipal::cmdMenu_Click(int index) {
    shell::trapped(m_services.prompts, [&] {
        switch (index) {
            case kNew: {
                tablecreate::frmNuevaTabla window(m_services, m_dbase, *optDBFVersion, this);
                m_services.showModal(window);
                break;
            }
            case kOpen: {
                {
                    frmSelArchivo window(m_services, dtcDbf, *ui->chkSoloLectura, *optDBFVersion,
                                         this);
                    m_services.showModal(window);
                }
                completeOpen();
                break;
            }
            case kClose:
                closeTable();
                break;
            case kExport:
                exportTable();
                break;
            case kAbout: {
                shell::frmAbout window(m_services, this);
                m_services.showModal(window);
                break;
            }
            case kExit:
                m_endApplication();
                break;
            default:
                break;
        }
    });
}

// Whatever way the open window was closed, the data control's RecordSource decides.
void frmPrincipal::completeOpen() {
    if (dtcDbf.RecordSource().empty()) return;
    dtcDbf.Refresh();
    ui->dbgDbf->Refresh();
    chkSoloLectura_Click();
    ui->dbgDbf->setCaption(QString::fromStdString(
        base::shownText(dtcDbf.DatabaseName() + "/" + dtcDbf.RecordSource())));
    engine::Recordset& set = openRecordset();
    if (!set.IsBOF()) {
        set.MoveFirst();
        ui->cmdRegistroEliminar->setEnabled(true);
        ui->cmdRegistroReemplazar->setEnabled(true);
    }
    ui->cmdRegistroAgregar->setEnabled(true);
    showOpenWarnings();
}

void frmPrincipal::openAtStart(const QString& path) {
    const QFileInfo file(path);
    const bool workbook = file.suffix().compare("xls", Qt::CaseInsensitive) == 0;
    // Write-protected as the file manager shows it, or as this process finds it.
    const bool writeProtected =
        file.exists() &&
        (!file.isWritable() ||
         !(file.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)));
    const int option = optDBFVersion->checkedId();
    const std::string connect = dtcDbf.Connect();
    const Qt::CheckState readOnly = ui->chkSoloLectura->checkState();
    if (workbook) optDBFVersion->button(kExcel)->setChecked(true);
    if (writeProtected) ui->chkSoloLectura->setChecked(true);
    shell::trapped(m_services.prompts, [&] {
        writeOpenChoice(dtcDbf, ui->chkSoloLectura->isChecked(), workbook, file.absolutePath(),
                        file.fileName());
        try {
            completeOpen();
        } catch (...) {
            // Nothing was opened: the window goes back to the state it had.
            if (dtcDbf.GetRecordset() == nullptr) {
                dtcDbf.SetDatabaseName("");
                dtcDbf.SetRecordSource("");
                dtcDbf.SetConnect(connect);
                optDBFVersion->button(option)->setChecked(true);
                ui->chkSoloLectura->setCheckState(readOnly);
            }
            throw;
        }
    });
}

void frmPrincipal::showOpenWarnings() {
    const std::vector<std::string>& warnings = dtcDbf.ImportantOpenWarnings();
    if (warnings.empty()) return;
    std::string text;
    for (const std::string& warning : warnings) {
        if (!text.empty()) text += "\n";
        text += base::shownText(warning);
    }
    // Damage that repair may mend is offered to be mended; worksheets have none.
    const bool dbase = engine::isDbase(engine::parseDriver(dtcDbf.Connect()));
    if (m_services.prompts.messageBox(
            text, dbase ? platform::MessageButtons::OkRepair : platform::MessageButtons::Ok,
            platform::MessageIcon::Exclamation,
            modPrincipal::kAppTitle) == platform::MessageResult::Repair) {
        m_tableTools->repair();
    }
}

void frmPrincipal::closeTable() {
    dtcDbf.SetDatabaseName("");
    dtcDbf.SetRecordSource("");
    dtcDbf.SetRecordsetNothing();
    dtcDbf.Refresh();
    ui->dbgDbf->Refresh();
    dtcDbf.SetCaption(kClosedCaption);
    ui->cmdRegistroEliminar->setEnabled(false);
    ui->cmdRegistroReemplazar->setEnabled(false);
    ui->cmdRegistroAgregar->setEnabled(false);
}

void frmPrincipal::exportTable() {
    const std::optional<platform::SavedFileName> chosen =
        m_services.prompts.saveFileName(kExportFilter);
    // A cancelled dialog ends the command: nothing is exported and nothing is said.
    if (!chosen.has_value()) return;
    tableexport::ExportarExcel(
        dtcDbf, platform::withFilterExtension(chosen->path, kExportFilter, chosen->filter),
        m_services.prompts);
}

}  // namespace browser

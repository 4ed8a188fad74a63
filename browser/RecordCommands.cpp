// The record buttons of the main window: Add, Delete and Replace.
#include "browser/DataGrid.h"
#include "browser/frmPrincipal.h"
#include "engine/Recordset.h"
#include "engine/Replace.h"
#include "engine/Value.h"
#include "platform/Prompts.h"
#include "shell/AppServices.h"
#include "shell/Handlers.h"
#include "ui_frmPrincipal.h"

#include <QPushButton>

#include <memory>
#include <string>

namespace browser {

namespace {

constexpr const char* kReplaceTitle = "Replace records";

}  // namespace

void frmPrincipal::cmdRegistroAgregar_Click() {
    shell::trapped(m_services.prompts, [this] {
        engine::Recordset& set = openRecordset();
        set.AddNew();
        set.Update(1, false);
        set.MoveLast(0);
        ui->cmdRegistroEliminar->setEnabled(true);
        ui->cmdRegistroReemplazar->setEnabled(true);
        // The user types the new record's values next: into the grid, not onto the buttons.
        ui->dbgDbf->takeFocusOnCurrentRecord();
    });
}

void frmPrincipal::cmdRegistroEliminar_Click() {
    shell::trapped(m_services.prompts, [this] {
        engine::Recordset& set = openRecordset();
        if (set.AbsolutePosition() != -1) set.Delete();
        if (set.RecordCount() == 0) {
            ui->cmdRegistroEliminar->setEnabled(false);
            ui->cmdRegistroReemplazar->setEnabled(false);
        }
    });
}

void frmPrincipal::cmdRegistroReemplazar_Click() {
    shell::trapped(m_services.prompts, [this] {
        platform::Prompts& prompts = m_services.prompts;
        const std::string fieldName = prompts.inputBox("Enter the field name:", kReplaceTitle);
        if (fieldName.empty()) return;
        const std::string oldValue = prompts.inputBox("Enter the old value:", kReplaceTitle);
        if (oldValue.empty()) return;
        // An empty new value (Cancel included) is a value like any other.
        const std::string newValue = prompts.inputBox("Enter the new value:", kReplaceTitle);
        if (prompts.messageBox("Are you sure ?", platform::MessageButtons::OkCancel,
                               platform::MessageIcon::None,
                               kReplaceTitle) != platform::MessageResult::Ok) {
            return;
        }
        std::unique_ptr<platform::ProgressReport> report =
            prompts.progress("Replacing the values of " + fieldName + "...", kReplaceTitle);
        const engine::ReplaceOutcome outcome = engine::ReplaceValues(
            openRecordset(), fieldName, oldValue, engine::Value::text(newValue),
            [&report](long done, long total) { return report->advance(done, total); });
        report.reset();
        if (outcome.cancelled) {
            prompts.messageBox("Replace cancelled: " + std::to_string(outcome.replaced) +
                                   (outcome.replaced == 1 ? " record" : " records") + " replaced.",
                               platform::MessageButtons::Ok, platform::MessageIcon::None,
                               kReplaceTitle);
        }
    });
}

}  // namespace browser

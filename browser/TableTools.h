// The grid's menu entries that work on the open table's files: reopening it with another code
// page, converting its code page, and (from the open warnings) repairing it.
#pragma once

#include "browser/GridMenuTools.h"

#include <functional>

namespace browser {

// Adds its entries to the grid's context menu (after those already there) and enables them
// while a dBASE table is open. A tool that rewrites the table drops the record set first (its
// files must not be held open) and has the table opened again afterwards through reopen, which
// opens it from the data control's settings as the Open command does, whether the tool worked
// or failed. Failures are reported through MostrarError; every question goes through the
// prompts.
class TableTools : public GridMenuTools {
    Q_OBJECT
public:
    TableTools(DataGrid& grid, engine::DataControl& dataControl, shell::AppServices& services,
               QMenu& menu, std::function<void()> reopen, QObject* parent = nullptr);

    // "Reopen with code page...": the usual code pages with the first values of the current
    // column in each; the one chosen becomes the data control's Encoding and the table is
    // opened again (the Encoding goes back when that fails).
    void reopenWithCodePage();
    // "Convert code page...": the code page chosen, a confirmation, then the text converted
    // from the code page the table is read in now (old files kept as backups).
    void convertCodePage();
    // The open warnings' "Repair...": checks the table, says what repair would change and asks,
    // then repairs it and says what it changed.
    void repair();

private:
    void enableForMenu() override;
    // Runs the work with the record set dropped, then opens the table again. When the work
    // fails, the table is opened as it was; when only the opening fails, the failure begins
    // with done(): what the work did.
    void withTableClosed(const std::function<void()>& work,
                         const std::function<std::string()>& done);
};

}  // namespace browser

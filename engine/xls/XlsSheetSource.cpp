#include "engine/xls/XlsSheetSource.h"

#include "engine/EngineError.h"
#include "engine/TableSource.h"

namespace engine {

std::unique_ptr<TableSource> openWorksheet(const std::string& workbookPath,
                                           const std::string& /*sheetName*/) {
    throw EngineError("Cannot open " + workbookPath + ": workbooks are not supported yet.");
}

}  // namespace engine

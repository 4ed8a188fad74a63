// Placeholders for the .xls reader and writer until the format library is linked in.
#include "xls/WorkbookData.h"

namespace xls {

WorkbookData readWorkbook(const std::string& path) {
    throw XlsError("Cannot open " + path + ": the .xls reader is not available.");
}

void writeWorkbook(const std::string& path, const WorkbookData& /*workbook*/) {
    throw XlsError("Cannot write " + path + ": the .xls writer is not available.");
}

}  // namespace xls

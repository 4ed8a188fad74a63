// writeWorkbook: the checked, laid-out workbook stream, put into a new compound file.
#include "xls/WorkbookData.h"
#include "xls/biff8/CompoundFile.h"
#include "xls/biff8/WorkbookStream.h"

namespace xls {

void writeWorkbook(const std::string& path, const WorkbookData& workbook) {
    biff8::Bytes stream;
    try {
        stream = biff8::buildWorkbookStream(workbook);
    } catch (const XlsError& error) {
        throw XlsError("Cannot write the workbook \"" + path + "\": " + error.what() + ".");
    }
    biff8::writeCompoundFile(path, stream);
}

}  // namespace xls

// readWorkbook: the compound file, its workbook stream, and what else the container holds.
#include "xls/WorkbookData.h"
#include "xls/biff8/Biff8Format.h"
#include "xls/biff8/CompoundFile.h"
#include "xls/biff8/Utf16.h"
#include "xls/biff8/WorkbookParser.h"

namespace xls {

namespace {

// Names, in WorkbookData::unsupportedContent, for the container's other entries.
void noteOtherEntries(const std::vector<std::string>& entries, WorkbookData& data) {
    auto note = [&](const std::string& content) {
        for (const std::string& known : data.unsupportedContent) {
            if (known == content) return;
        }
        data.unsupportedContent.push_back(content);
    };
    for (const std::string& name : entries) {
        if (name == "\005SummaryInformation" || name == "\005DocumentSummaryInformation") {
            note("document properties");
        } else if (name == "\001CompObj" || name == "\001Ole") {
            // Class and link bookkeeping that a plain workbook does without.
        } else if (name.rfind("_VBA_PROJECT", 0) == 0) {
            note("macros");
        } else {
            std::string shown;
            for (char c : name) {
                if (static_cast<unsigned char>(c) >= 0x20) shown.push_back(c);
            }
            note("other content (\"" + shown + "\")");
        }
    }
}

}  // namespace

WorkbookData readWorkbook(const std::string& path) {
    biff8::CompoundContent content = biff8::readCompoundFile(path);
    WorkbookData data = biff8::parseWorkbookStream(content.workbook, path);
    noteOtherEntries(content.otherEntries, data);
    data.damagedContainer = content.damaged;
    return data;
}

bool sameSheetName(const std::string& a, const std::string& b) {
    std::u16string x, y;
    if (!biff8::utf8ToUtf16(a, x) || !biff8::utf8ToUtf16(b, y)) return a == b;
    return biff8::foldCase(x) == biff8::foldCase(y);
}

std::string errorText(std::uint8_t code) {
    for (const biff8::ErrorCode& error : biff8::kErrorCodes) {
        if (error.code == code) return error.text;
    }
    return "#UNKNOWN!";
}

}  // namespace xls

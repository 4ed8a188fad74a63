// writeWorkbook: the checked, measured workbook stream, written into a new compound file.
#include "xls/WorkbookData.h"
#include "xls/WorkbookView.h"
#include "xls/biff8/CompoundFile.h"
#include "xls/biff8/WorkbookStream.h"

#include <optional>

namespace xls {

namespace {

// Every check runs before the file is started, so a refused workbook writes nothing.
template <typename Check>
auto checked(const std::string& path, Check check) {
    try {
        return check();
    } catch (const XlsError& error) {
        throw XlsError("Cannot write the workbook \"" + path + "\": " + error.what() + ".");
    }
}

void writeLayout(const std::string& path, const biff8::WorkbookLayout& layout) {
    biff8::CompoundFileWriter file(path);
    biff8::StreamBuffer out([&file](std::span<const std::uint8_t> piece) { file.append(piece); });
    layout.write(out);
    file.commit();
}

}  // namespace

void writeWorkbook(const std::string& path, const WorkbookView& workbook) {
    std::optional<biff8::WorkbookLayout> layout;
    checked(path, [&] { layout.emplace(workbook); });
    writeLayout(path, *layout);
}

void writeWorkbook(const std::string& path, const WorkbookData& workbook) {
    std::optional<biff8::PackedWorkbook> packed;
    std::optional<biff8::WorkbookLayout> layout;
    checked(path, [&] {
        packed.emplace(workbook);
        layout.emplace(packed->view());
    });
    writeLayout(path, *layout);
}

}  // namespace xls

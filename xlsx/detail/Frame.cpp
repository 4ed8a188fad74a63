#include "xlsx/detail/Frame.h"

#include "xlsx/WorkbookView.h"

#include <memory>
#include <xlsxwriter.h>

namespace xlsx::detail {

namespace {

constexpr std::uint8_t kShortDate = 14;
constexpr std::uint8_t kDateTime = 22;
constexpr std::uint8_t kTimeOfDay = 21;

// Frees a workbook that was never closed (a failure before workbook_close).
struct WorkbookFree {
    void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};

std::uint32_t styleOf(lxw_workbook* workbook, std::uint8_t numberFormat) {
    lxw_format* format = workbook_add_format(workbook);
    if (format == nullptr) throw XlsxError("libxlsxwriter could not make a cell format.");
    format_set_num_format_index(format, numberFormat);
    // Asking for the index puts the format into the workbook's styles, as a cell using it would.
    return static_cast<std::uint32_t>(lxw_format_get_xf_index(format));
}

}  // namespace

FrameStyles writeFrame(const std::string& path, const WorkbookView& workbook,
                       const std::string& tmpdir) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    std::string tmp = tmpdir;
    options.tmpdir = tmp.data();
    options.use_zip64 = LXW_FALSE;
    std::unique_ptr<lxw_workbook, WorkbookFree> book(workbook_new_opt(path.c_str(), &options));
    if (!book) throw XlsxError("libxlsxwriter could not start a workbook.");

    FrameStyles styles;
    styles.date = styleOf(book.get(), kShortDate);
    styles.dateTime = styleOf(book.get(), kDateTime);
    styles.time = styleOf(book.get(), kTimeOfDay);
    for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
        const SheetView& view = workbook.sheets[i];
        lxw_worksheet* sheet = workbook_add_worksheet(book.get(), view.name.c_str());
        if (sheet == nullptr) {
            throw XlsxError("libxlsxwriter refused the sheet name \"" + view.name + "\".");
        }
        if (i == workbook.activeSheet) {
            worksheet_activate(sheet);
        } else if (view.visibility != xls::SheetVisibility::Visible) {
            worksheet_hide(sheet);
        } else if (view.selected) {
            worksheet_select(sheet);
        }
    }
    lxw_error error = workbook_close(book.release());
    if (error != LXW_NO_ERROR) {
        throw XlsxError(std::string("libxlsxwriter could not write the workbook: ") +
                        lxw_strerror(error) + ".");
    }
    return styles;
}

std::string sheetPartName(std::size_t index) {
    return "xl/worksheets/sheet" + std::to_string(index + 1) + ".xml";
}

}  // namespace xlsx::detail

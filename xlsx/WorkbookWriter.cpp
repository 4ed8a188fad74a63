// writeWorkbook: the frame from libxlsxwriter, the sheet parts streamed beside it, and the two
// joined into the workbook file.
#include "base/TemporaryFile.h"
#include "xlsx/WorkbookView.h"
#include "xlsx/detail/Frame.h"
#include "xlsx/detail/SheetData.h"
#include "xlsx/detail/Zip.h"

#include <filesystem>
#include <system_error>

namespace xlsx {

namespace {

// Deflate level of the sheet parts. Levels 1 to 3 take about the same time on sheet markup,
// which compresses to about an eighth at level 2; the default level 6 takes five times as long.
constexpr int kSheetLevel = 2;

constexpr std::string_view kEmptyDimension = "<dimension ref=\"A1\"/>";
constexpr std::string_view kEmptySheetData = "<sheetData/>";

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

void check(const WorkbookView& workbook) {
    if (workbook.sheets.empty()) throw XlsxError("a workbook needs at least one sheet");
    if (workbook.activeSheet >= workbook.sheets.size()) {
        throw XlsxError("the active sheet does not exist");
    }
    for (const SheetView& sheet : workbook.sheets) {
        for (const xls::PackedCell& cell : sheet.cells) {
            if (cell.type() != xls::CellType::Text) continue;
            if (workbook.texts == nullptr || cell.textId() >= workbook.texts->size()) {
                throw XlsxError("a text cell of " + sheet.name + " has no text");
            }
            const std::size_t units = workbook.texts->units(cell.textId());
            if (units > kMaxCellTextUnits) {
                throw XlsxError("cell " + detail::cellName(cell.row(), cell.column()) + " of " +
                                sheet.name + " holds " + std::to_string(units) +
                                " characters; a cell holds at most 32767");
            }
        }
        if (!sheet.block || sheet.block->rows == 0 || sheet.block->columns == 0) continue;
        const RowBlock& block = *sheet.block;
        if (std::uint64_t{block.top} + block.rows > kMaxRows) {
            throw XlsxError(sheet.name + " would reach row " +
                            std::to_string(std::uint64_t{block.top} + block.rows) +
                            "; a worksheet has " + std::to_string(kMaxRows) + " rows");
        }
        if (std::uint64_t{block.left} + block.columns > kMaxColumns) {
            throw XlsxError(sheet.name + " would reach column " +
                            std::to_string(std::uint64_t{block.left} + block.columns) +
                            "; a worksheet has " + std::to_string(kMaxColumns) + " columns");
        }
        if (block.producer == nullptr) throw XlsxError("a block of " + sheet.name + " has no rows");
    }
}

// The frame's part for a sheet, with the sheet's cells and used range put in.
void writeSheetPart(detail::ZipWriter& parts, const std::string& name, const std::string& framePart,
                    const SheetView& sheet, const WorkbookView& workbook,
                    const detail::FrameStyles& styles) {
    const std::size_t dimension = framePart.find(kEmptyDimension);
    const std::size_t data = framePart.find(kEmptySheetData);
    if (dimension == std::string::npos || data == std::string::npos || data < dimension) {
        throw XlsxError("libxlsxwriter wrote the sheet " + sheet.name + " in an unknown form");
    }
    static const xls::StringTable kNoTexts;
    const xls::StringTable& texts = workbook.texts != nullptr ? *workbook.texts : kNoTexts;

    // Up to 4 GB the part needs no ZIP64; its final copy decides by its real size.
    parts.begin(name, kSheetLevel, true);
    parts.write(std::string_view(framePart).substr(0, dimension));
    parts.write("<dimension ref=\"" + detail::dimensionOf(sheet) + "\"/>");
    const std::size_t afterDimension = dimension + kEmptyDimension.size();
    parts.write(std::string_view(framePart).substr(afterDimension, data - afterDimension));
    detail::writeSheetData(sheet, texts, styles,
                           [&parts](std::string_view piece) { parts.write(piece); });
    parts.write(std::string_view(framePart).substr(data + kEmptySheetData.size()));
    parts.end();
}

}  // namespace

void writeWorkbook(const std::string& path, const WorkbookView& workbook) {
    try {
        check(workbook);
        base::TemporaryFile frame(path, "frame", 0600);
        base::TemporaryFile parts(path, "sheets", 0600);
        base::TemporaryFile result(path, "new");
        // libxlsxwriter names its temporary files for a moment before it unlinks them: they
        // go where the system keeps such files, never beside the user's workbook.
        const detail::FrameStyles styles = detail::writeFrame(
            frame.path(), workbook, std::filesystem::temp_directory_path().string());

        detail::ZipReader frameZip(frame.path());
        const std::vector<std::string> names = frameZip.names();
        {
            detail::ZipWriter sheets(parts.path());
            for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
                const std::string name = detail::sheetPartName(i);
                writeSheetPart(sheets, name, frameZip.read(name), workbook.sheets[i], workbook,
                               styles);
            }
            sheets.close();
        }
        detail::ZipReader sheetsZip(parts.path());
        detail::ZipWriter out(result.path());
        for (const std::string& name : names) {
            bool isSheet = false;
            for (std::size_t i = 0; i < workbook.sheets.size() && !isSheet; ++i) {
                isSheet = name == detail::sheetPartName(i);
            }
            out.copy(isSheet ? sheetsZip : frameZip, name);
        }
        out.close();
        result.replace(path);
    } catch (const XlsxError& error) {
        throw XlsxError("Cannot write the workbook " + quoted(path) + ": " + error.what() + ".");
    } catch (const std::system_error& error) {
        throw XlsxError("Cannot write the workbook " + quoted(path) + ": " + error.what() + ".");
    }
}

}  // namespace xlsx

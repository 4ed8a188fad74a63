// The Open XML workbook (.xlsx) writer: a model's packed cells written in place, and blocks of
// rows produced while the file is written, so that a sheet of a million rows never lives in
// memory.
#pragma once

#include "xls/StringTable.h"
#include "xls/WorkbookData.h"
#include "xls/WorkbookView.h"

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace xlsx {

// The one failure type of the writer; what() is the description the user sees.
class XlsxError : public std::runtime_error {
public:
    explicit XlsxError(const std::string& description) : std::runtime_error(description) {}
};

// The limits of an Open XML worksheet.
inline constexpr std::uint32_t kMaxRows = 1048576;
inline constexpr std::uint32_t kMaxColumns = 16384;
inline constexpr std::size_t kMaxCellTextUnits = xls::kMaxCellTextUnits;  // UTF-16 code units

// One cell of a produced row. Text is viewed, not owned: valid UTF-8 of at most
// kMaxCellTextUnits UTF-16 units, which the producer checks (the writer escapes any characters
// XML cannot hold, but does not measure). An empty text is written as no cell.
struct RowCell {
    enum class Kind : std::uint8_t { Empty, Number, Text, Boolean, Error };
    Kind kind = Kind::Empty;
    xls::NumberFormat format = xls::NumberFormat::General;  // Number
    double number = 0;                                      // Number (finite)
    bool boolean = false;                                   // Boolean
    std::uint8_t errorCode = 0;                             // Error, as in xls::errorText
    std::string_view text;                                  // Text
};

// Produces the rows of a block, in order, while the workbook is written.
class RowProducer {
public:
    virtual ~RowProducer() = default;
    // Called once before the block's first row each time the workbook is written.
    virtual void start() = 0;
    // The next row's cells, one per column of the block; valid until the next call. Any
    // exception passes out of writeWorkbook unchanged, after the temporary files are removed.
    virtual std::span<const RowCell> next() = 0;
};

// rows x columns cells from (top, left) on, 0-based; the block lies inside the worksheet's
// limits and holds no position that a packed cell of its sheet holds.
struct RowBlock {
    std::uint32_t top = 0;
    std::uint32_t left = 0;
    std::uint32_t rows = 0;
    std::uint32_t columns = 0;
    RowProducer* producer = nullptr;
};

struct SheetView {
    std::string name;  // UTF-8, valid as a sheet name (as the .xls format demands)
    xls::SheetVisibility visibility = xls::SheetVisibility::Visible;  // very hidden: hidden
    bool selected = false;
    // Ascending by key, at most one per position, read where they are.
    std::span<const xls::PackedCell> cells;
    std::optional<RowBlock> block;
};

struct WorkbookView {
    const xls::StringTable* texts = nullptr;  // the texts of the packed text cells
    std::vector<SheetView> sheets;
    std::size_t activeSheet = 0;
};

// Writes a new .xlsx workbook at path: the package around the sheets (content types,
// relationships, workbook, styles with the date formats, theme, document properties) comes from
// libxlsxwriter, each sheet's cells are streamed into its part by this writer. Numbers are number
// cells, Date, DateTime and Time numbers carry the built-in formats 14, 22 and 21 (as in the .xls
// writer; Other is General), text is inline text (never a formula), booleans and errors keep
// their types. Parts are deflated at a fast level, with ZIP64 only for a part that needs it.
// The file appears whole or not at all: everything goes to temporary files beside path, and a
// file already at path is replaced only on success.
//
// Throws XlsxError, leaving nothing behind, for a workbook without sheets, an active sheet that
// does not exist, a stored text longer than a cell holds, a block past the limits, or a failure
// of the file system or of libxlsxwriter; what a producer throws passes unchanged.
void writeWorkbook(const std::string& path, const WorkbookView& workbook);

}  // namespace xlsx

// What the writer reads in place: sheets of packed cells whose texts live in one string table.
// A spreadsheet model keeps its cells in this form, so saving copies nothing.
#pragma once

#include "xls/StringTable.h"
#include "xls/WorkbookData.h"

#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace xls {

// One cell in 16 bytes: its position, its type and number format, and its value; a text cell
// holds the id of its text in the workbook's StringTable.
//
// The position is kept as one key, row * 256 + column, so that ascending keys are row order:
// row by row, left to right in a row. Rows must be below 2^24 (the writer refuses those past
// 65,536 with a clear description); columns must be below 256 (kMaxColumns), which callers check
// before packing.
class PackedCell {
public:
    static PackedCell number(std::uint32_t row, std::uint32_t column, double value,
                             NumberFormat format = NumberFormat::General) {
        return {keyOf(row, column), CellType::Number, format, 0,
                std::bit_cast<std::uint64_t>(value)};
    }
    static PackedCell text(std::uint32_t row, std::uint32_t column, std::uint32_t textId) {
        return {keyOf(row, column), CellType::Text, NumberFormat::General, 0, textId};
    }
    static PackedCell boolean(std::uint32_t row, std::uint32_t column, bool value) {
        return {keyOf(row, column), CellType::Boolean, NumberFormat::General,
                static_cast<std::uint8_t>(value ? 1 : 0), 0};
    }
    static PackedCell error(std::uint32_t row, std::uint32_t column, std::uint8_t code) {
        return {keyOf(row, column), CellType::Error, NumberFormat::General, code, 0};
    }

    static constexpr std::uint32_t keyOf(std::uint32_t row, std::uint32_t column) {
        return row << 8 | column;
    }

    std::uint32_t key() const { return m_key; }
    std::uint32_t row() const { return m_key >> 8; }
    std::uint16_t column() const { return static_cast<std::uint16_t>(m_key & 0xFF); }
    CellType type() const { return m_type; }
    // Number: how it is shown (dates are numbers with a date format); General for other types.
    NumberFormat format() const { return m_format; }

    // The value of each type; only the accessor of the cell's own type has a meaning.
    double number() const { return std::bit_cast<double>(m_payload); }
    std::uint32_t textId() const { return static_cast<std::uint32_t>(m_payload); }
    bool boolean() const { return m_code != 0; }
    std::uint8_t errorCode() const { return m_code; }

    // The same value at another position (same limits as the factories).
    void moveTo(std::uint32_t row, std::uint32_t column) { m_key = keyOf(row, column); }

    friend bool operator==(const PackedCell&, const PackedCell&) = default;

private:
    PackedCell(std::uint32_t key, CellType type, NumberFormat format, std::uint8_t code,
               std::uint64_t payload)
        : m_key(key), m_type(type), m_format(format), m_code(code), m_payload(payload) {}

    std::uint32_t m_key;
    CellType m_type;
    NumberFormat m_format;
    std::uint8_t m_code;      // Boolean: 0 or 1; Error: the error code
    std::uint64_t m_payload;  // Number: the double's bits; Text: the text id
};
static_assert(sizeof(PackedCell) == 16, "a packed cell is meant to take 16 bytes");

struct SheetView {
    std::string name;  // UTF-8
    SheetVisibility visibility = SheetVisibility::Visible;
    bool selected = false;  // selected in the workbook window
    // Ascending by key, at most one per position; a text cell whose text is empty is written as
    // no cell. The cells are read where they are, not copied.
    std::span<const PackedCell> cells;
};

struct WorkbookView {
    const StringTable* texts = nullptr;  // the texts of every sheet's text cells
    std::vector<SheetView> sheets;       // worksheets only
    std::size_t activeSheet = 0;
    bool date1904 = false;
};

// Writes a new BIFF8 workbook in a compound file holding only its "Workbook" stream, reading the
// cells where they are; the file appears whole or not at all, and a file already at path is
// replaced only on success. What is written for each cell is as for writeWorkbook of
// WorkbookData (WorkbookData.h); texts go to the shared string table in the order in which cells
// first show them, each once. The workbook must not change while it is written.
// Throws XlsError, having written nothing, when a limit or rule is broken (as writeWorkbook of
// WorkbookData states; here also cells out of row order), and on a failure of the file system.
void writeWorkbook(const std::string& path, const WorkbookView& workbook);

}  // namespace xls

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

// One cell in 12 bytes: its position, its type and number format, and its value; a text cell
// holds the id of its text in the workbook's StringTable.
//
// Rows must be below kMaxRows and columns below kMaxColumns; callers check before packing (the
// spreadsheet model cannot address others, and the writer of WorkbookData refuses them first).
// key() is row * 256 + column, so that ascending keys are row order: row by row, left to right
// in a row.
class PackedCell {
public:
    static PackedCell number(std::uint32_t row, std::uint32_t column, double value,
                             NumberFormat format = NumberFormat::General) {
        auto bits = std::bit_cast<std::uint64_t>(value);
        return {head(row, column, CellType::Number, format), static_cast<std::uint32_t>(bits),
                static_cast<std::uint32_t>(bits >> 32)};
    }
    static PackedCell text(std::uint32_t row, std::uint32_t column, std::uint32_t textId) {
        return {head(row, column, CellType::Text, NumberFormat::General), textId, 0};
    }
    static PackedCell boolean(std::uint32_t row, std::uint32_t column, bool value) {
        return {head(row, column, CellType::Boolean, NumberFormat::General), value ? 1u : 0u, 0};
    }
    static PackedCell error(std::uint32_t row, std::uint32_t column, std::uint8_t code) {
        return {head(row, column, CellType::Error, NumberFormat::General), code, 0};
    }

    static constexpr std::uint32_t keyOf(std::uint32_t row, std::uint32_t column) {
        return row << 8 | column;
    }

    std::uint32_t key() const { return m_head >> 8; }
    std::uint32_t row() const { return m_head >> 16; }
    std::uint16_t column() const { return static_cast<std::uint16_t>((m_head >> 8) & 0xFF); }
    CellType type() const { return static_cast<CellType>((m_head >> 6) & 0x3); }
    // Number: how it is shown (dates are numbers with a date format); General for other types.
    NumberFormat format() const { return static_cast<NumberFormat>((m_head >> 3) & 0x7); }

    // The value of each type; only the accessor of the cell's own type has a meaning.
    double number() const { return std::bit_cast<double>(std::uint64_t{m_high} << 32 | m_low); }
    std::uint32_t textId() const { return m_low; }
    bool boolean() const { return m_low != 0; }
    std::uint8_t errorCode() const { return static_cast<std::uint8_t>(m_low); }

    // The same value at another position (same limits as the factories).
    void moveTo(std::uint32_t row, std::uint32_t column) {
        m_head = keyOf(row, column) << 8 | (m_head & 0xFF);
    }

    friend bool operator==(const PackedCell&, const PackedCell&) = default;

private:
    // Bits 31-16 the row, 15-8 the column, 7-6 the type, 5-3 the number format.
    static constexpr std::uint32_t head(std::uint32_t row, std::uint32_t column, CellType type,
                                        NumberFormat format) {
        return keyOf(row, column) << 8 | static_cast<std::uint32_t>(type) << 6 |
               static_cast<std::uint32_t>(format) << 3;
    }

    PackedCell(std::uint32_t head, std::uint32_t low, std::uint32_t high)
        : m_head(head), m_low(low), m_high(high) {}

    std::uint32_t m_head;
    std::uint32_t m_low;   // Number: the low half of the double's bits; Text: the id; the code
    std::uint32_t m_high;  // Number: the high half
};
static_assert(sizeof(PackedCell) == 12, "a packed cell is meant to take 12 bytes");
static_assert(static_cast<int>(CellType::Error) < 4 && static_cast<int>(NumberFormat::Other) < 8,
              "the type and format fields of a packed cell are too narrow");

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
// WorkbookData states; here also cells out of row order, a text cell whose id the table does not
// hold, and a text the table took longer than a cell holds), and on a failure of the file system.
void writeWorkbook(const std::string& path, const WorkbookView& workbook);

}  // namespace xls

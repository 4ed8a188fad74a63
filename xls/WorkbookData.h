// The content of a BIFF8 workbook as plain data: what the reader returns and the writer takes.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace xls {

// The one failure type of the format library; what() is the description the user sees.
class XlsError : public std::runtime_error {
public:
    explicit XlsError(const std::string& description) : std::runtime_error(description) {}
};

// BIFF8 limits, checked by the writer before any byte is written.
inline constexpr std::uint32_t kMaxRows = 65536;
inline constexpr std::uint32_t kMaxColumns = 256;
inline constexpr std::size_t kMaxCellTextUnits = 32767;  // UTF-16 code units
inline constexpr std::size_t kMaxSheetNameUnits = 31;

enum class CellType { Number, Text, Boolean, Error };

// How a number cell is displayed, from its XF's number format.
enum class NumberFormat { General, Date, DateTime, Time, Other };

struct Cell {
    std::uint32_t row = 0;     // 0-based, < kMaxRows
    std::uint16_t column = 0;  // 0-based, < kMaxColumns
    CellType type = CellType::Number;
    double number = 0;           // Number: the value, or a date serial when format is a date/time
    std::string text;            // Text: UTF-8, never empty when written
    bool boolean = false;        // Boolean
    std::uint8_t errorCode = 0;  // Error: 0x00 #NULL!, 0x07 #DIV/0!, ... 0x2A #N/A
    NumberFormat format = NumberFormat::General;
    bool fromFormula = false;  // read: the cached result of a formula
};

enum class SheetVisibility { Visible, Hidden, VeryHidden };
enum class SheetKind { Worksheet, Chart, Macro, Other };

struct Sheet {
    std::string name;  // UTF-8
    SheetVisibility visibility = SheetVisibility::Visible;
    SheetKind kind = SheetKind::Worksheet;
    std::vector<Cell> cells;  // ascending by row, then column; at most one per cell
    bool selected = false;    // selected in the workbook window
};

struct WorkbookData {
    bool date1904 = false;
    std::vector<Sheet> sheets;
    std::size_t activeSheet = 0;
    // Read only: what the file holds that this data does not ("formulas", "cell formatting",
    // "merged cells", "charts", "macros", "defined names", ...). Saving the data over the file
    // would lose these.
    std::vector<std::string> unsupportedContent;
};

// The display text of a BIFF8 error code ("#DIV/0!" for 0x07); "#UNKNOWN!" for a code that
// does not exist.
std::string errorText(std::uint8_t code);

// True when two sheet names (UTF-8) are the same without regard to case, as the format compares
// them.
bool sameSheetName(const std::string& a, const std::string& b);

// Reads every sheet of a BIFF8 workbook. Throws XlsError with a clear description for a file
// that is missing, not a compound file, damaged, not BIFF8 (BIFF2-5, xlsx), or password-protected.
WorkbookData readWorkbook(const std::string& path);

// Writes a new BIFF8 workbook; the file appears whole or not at all. Throws XlsError, writing
// nothing, when a limit is exceeded (rows, columns, cell text, sheet names) or on I/O failure.
void writeWorkbook(const std::string& path, const WorkbookData& workbook);

}  // namespace xls

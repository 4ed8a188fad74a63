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

enum class CellType : std::uint8_t { Number, Text, Boolean, Error };

// How a number cell is displayed, from its XF's number format.
enum class NumberFormat : std::uint8_t { General, Date, DateTime, Time, Other };

struct Cell {
    std::uint32_t row = 0;     // 0-based, < kMaxRows
    std::uint16_t column = 0;  // 0-based, < kMaxColumns
    CellType type = CellType::Number;
    double number = 0;           // Number: the value, or a date serial when format is a date/time
    std::string text;            // Text: UTF-8 (an empty text is written as no cell)
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
    // Read only: the compound-file container is damaged in parts the reader read past, so the
    // sheets hold what could be read and may be incomplete.
    bool damagedContainer = false;
};

// The display text of a BIFF8 error code ("#DIV/0!" for 0x07); "#UNKNOWN!" for a code that
// does not exist.
std::string errorText(std::uint8_t code);

// True when two sheet names (UTF-8) are the same without regard to case, as the format compares
// them.
bool sameSheetName(const std::string& a, const std::string& b);

// Reads every sheet of a BIFF8 workbook (the compound file's "Workbook" stream, or "Book", names
// compared without regard to case). Cells come sorted by row and column: numbers (RK, MULRK and
// NUMBER records) with the kind of their number format, text (shared strings or LABEL; rich-text
// runs and phonetic guides are dropped), booleans and errors, and for formula cells the cached
// result (a formula with an empty text result is a Text cell with empty text). Blank cells are
// not cells. The DIMENSIONS record is not trusted; the counts of the shared string table are not
// either (the strings present are read). Chart and macro sheets are listed without cells.
// Throws XlsError with a clear description, naming the file, for a file that is missing, not a
// compound file (saying what it looks like: .xlsx, BIFF2-4, too short), password-protected
// (checked before any other record), BIFF5 or of an unknown version, or damaged (a record past
// the end of its stream, a sheet cut short or placed outside the stream, a cell that refers to a
// shared string the file does not hold, an invalid compound file).
WorkbookData readWorkbook(const std::string& path);

// Writes a new BIFF8 workbook in a compound file holding only its "Workbook" stream; the file
// appears whole or not at all, and a file already at path is replaced only on success. Numbers
// are RK records when that is exact, else NUMBER; Date, DateTime and Time numbers get the
// built-in formats 14 (short date), 22 (date and time) and 21 (h:mm:ss), Other is written as
// General; booleans and errors are BOOLERR; text goes to the shared string table, each text once,
// and an empty text is written as no cell. Cells may come in any order; fromFormula is ignored.
// The active sheet is shown and selected, as is every sheet marked selected; visibility is kept.
// The workbook stream is handed to the file in pieces as it is laid out, never held whole.
// (xls/WorkbookView.h writes a model's cells in place, without this copy into packed form.)
// Throws XlsError, having written nothing, when a limit or rule is broken: no sheet, a sheet that
// is not a worksheet, a row past 65,536 or a column past 256, more than 32,767 UTF-16 units in
// a cell, two values for one cell, a number that is not finite, an unknown error code, text that
// is not UTF-8, a sheet name that is empty, longer than 31 units, holds : \ / ? * [ ], begins or
// ends with an apostrophe, or equals another without regard to case; an active sheet that does
// not exist. Throws XlsError on a failure of the file system (missing folder, full disk).
void writeWorkbook(const std::string& path, const WorkbookData& workbook);

}  // namespace xls

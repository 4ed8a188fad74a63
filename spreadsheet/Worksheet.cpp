#include "spreadsheet/Worksheet.h"

#include "base/AsciiCase.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/PivotTable.h"
#include "spreadsheet/RowSource.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/TypedInput.h"
#include "spreadsheet/Variant.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/detail/Printing.h"
#include "spreadsheet/detail/Text.h"

#include <algorithm>

namespace spreadsheet {

namespace {

constexpr std::size_t kMaxSheetName = 31;

}  // namespace

void checkSheetName(const std::string& name) {
    auto refuse = [&](const std::string& why) {
        return SpreadsheetError::operationFailed("\"" + name + "\" cannot be a sheet name: " + why);
    };
    std::optional<std::size_t> length = detail::utf16Length(name);
    if (!length) throw refuse("it is not valid UTF-8.");
    if (*length == 0) throw refuse("it is empty.");
    if (*length > kMaxSheetName) {
        throw refuse("it has " + std::to_string(*length) + " characters, more than 31.");
    }
    if (name.find_first_of(":\\/?*[]") != std::string::npos) {
        throw refuse("it holds one of the characters : \\ / ? * [ ].");
    }
    if (name.front() == '\'' || name.back() == '\'') {
        throw refuse("it starts or ends with an apostrophe.");
    }
}

Worksheet::Worksheet(Workbook& parent, std::string name)
    : m_parent(&parent), m_name(std::move(name)) {}

Worksheet::~Worksheet() = default;

Application& Worksheet::application() const { return m_parent->application(); }

void Worksheet::SetName(const std::string& name) {
    checkSheetName(name);
    Worksheet* other = m_parent->Sheets().find(name);
    if (other != nullptr && other != this) {
        throw SpreadsheetError::operationFailed("cannot rename the sheet " + m_name + " to " +
                                                name + ": another sheet has that name.");
    }
    m_name = name;
}

Range Worksheet::Range(std::string_view reference) {
    return spreadsheet::Range(*this, parseReference(reference));
}

void Worksheet::Select(bool replace) {
    if (m_visibility != SheetVisibility::Visible) {
        throw SpreadsheetError::operationFailed("the sheet " + m_name +
                                                " is hidden and cannot be selected.");
    }
    if (replace) {
        for (int i = 1; i <= m_parent->Sheets().Count(); ++i) {
            m_parent->Sheets().Item(i).setSelected(false);
        }
    }
    m_selected = true;
    m_parent->setActiveSheet(*this);
}

void Worksheet::Activate() { Select(true); }

void Worksheet::Delete() { SheetGroup(*m_parent, {this}).Delete(); }

PivotTable& Worksheet::PivotTableWizard(int sourceType, const std::string& sourceData,
                                        const std::string& tableDestination,
                                        const std::string& tableName) {
    if (sourceType != 1) {
        throw SpreadsheetError::operationFailed(
            "a pivot table can only be built from a list of cells (source type 1).");
    }
    if (!tableDestination.empty()) {
        throw SpreadsheetError::operationFailed(
            "a pivot table can only be placed on a new sheet (an empty destination).");
    }
    if (tableName.empty()) {
        throw SpreadsheetError::operationFailed("a pivot table needs a name.");
    }
    CellArea source = parseReference(sourceData);
    std::optional<CellArea> used = usedArea();
    if (used) {
        source.bottom = std::min(source.bottom, used->bottom);
        source.right = std::min(source.right, used->right);
    }
    auto notAList = [&](const std::string& why) {
        return SpreadsheetError::operationFailed("cannot build a pivot table from " + sourceData +
                                                 " on " + m_name + ": " + why);
    };
    if (!used || source.bottom < source.top || source.right < source.left) {
        throw notAList("the range is empty.");
    }
    std::vector<std::string> names;
    for (int column = source.left; column <= source.right; ++column) {
        CellValue heading = value(source.top, column);
        if (heading.isEmpty()) {
            throw notAList("the column " + columnLetters(column) +
                           " has no heading; every column of the list must be named in its "
                           "first row.");
        }
        names.push_back(heading.displayText());
    }
    std::vector<std::vector<CellValue>> records;
    for (int row = source.top + 1; row <= source.bottom; ++row) {
        std::vector<CellValue>& record = records.emplace_back();
        for (int column = source.left; column <= source.right; ++column) {
            record.push_back(value(row, column));
        }
    }
    Worksheet& target = m_parent->Sheets().Add();
    return target.addPivotTable(
        std::make_unique<PivotTable>(target, tableName, std::move(names), std::move(records)));
}

PivotTable& Worksheet::PivotTables(const std::string& name) {
    for (const auto& table : m_pivotTables) {
        if (base::equalsIgnoringCase(table->Name(), name)) return *table;
    }
    throw SpreadsheetError::operationFailed("the sheet " + m_name + " has no pivot table named " +
                                            name + ".");
}

PivotTable& Worksheet::addPivotTable(std::unique_ptr<PivotTable> table) {
    m_pivotTables.push_back(std::move(table));
    return *m_pivotTables.back();
}

void Worksheet::PrintOut(int copies, std::optional<bool> collate) {
    Cells().PrintOut(copies, collate);
}

CellValue Worksheet::value(int row, int column) const {
    const xls::PackedCell* cell = store().find(row, column);
    return cell == nullptr ? CellValue() : valueOf(*cell);
}

CellValue Worksheet::valueOf(const xls::PackedCell& cell) const {
    switch (cell.type()) {
        case xls::CellType::Number:
            switch (cell.format()) {
                case xls::NumberFormat::Date:
                    return CellValue::dateSerial(cell.number(), DateStyle::Date);
                case xls::NumberFormat::DateTime:
                    return CellValue::dateSerial(cell.number(), DateStyle::DateTime);
                case xls::NumberFormat::Time:
                    return CellValue::dateSerial(cell.number(), DateStyle::Time);
                case xls::NumberFormat::General:
                case xls::NumberFormat::Other:
                    return CellValue::number(cell.number());
            }
            break;
        case xls::CellType::Text:
            return CellValue::text(std::string(m_parent->texts().text(cell.textId())));
        case xls::CellType::Boolean:
            return CellValue::boolean(cell.boolean());
        case xls::CellType::Error:
            return CellValue::error(cell.errorCode());
    }
    return {};
}

void Worksheet::setValue(int row, int column, CellValue value) {
    auto r = static_cast<std::uint32_t>(row);
    auto c = static_cast<std::uint32_t>(column);
    TypedCell typed;
    typed.kind = value.kind();
    switch (value.kind()) {
        case CellValue::Kind::Number:
            typed.number = value.asNumber();
            break;
        case CellValue::Kind::Date:
            typed.number = value.asDateSerial();
            typed.style = value.dateStyle();
            break;
        case CellValue::Kind::Text:
            typed.text = value.asText();
            break;
        case CellValue::Kind::Boolean:
            typed.boolean = value.asBoolean();
            break;
        case CellValue::Kind::Error:
            storeTyped(row, column, {});
            m_cells.put(xls::PackedCell::error(r, c, value.asError()));
            return;
        case CellValue::Kind::Empty:
            break;
    }
    storeTyped(row, column, typed);
}

void Worksheet::assign(int row, int column, const Variant& dat) {
    std::string madeText;
    storeTyped(row, column, readTypedInput(dat, madeText));
}

void Worksheet::storeTyped(int row, int column, const TypedCell& cell) {
    if (m_block && m_block->row <= row && row - m_block->row < m_block->rows &&
        m_block->column <= column && column - m_block->column < m_block->columns) {
        fillBlock();
    }
    putTyped(row, column, cell);
}

void Worksheet::putTyped(int row, int column, const TypedCell& cell) const {
    auto r = static_cast<std::uint32_t>(row);
    auto c = static_cast<std::uint32_t>(column);
    switch (cell.kind) {
        case CellValue::Kind::Empty:
        case CellValue::Kind::Error:
            m_cells.erase(row, column);
            return;
        case CellValue::Kind::Number:
            m_cells.put(xls::PackedCell::number(r, c, cell.number));
            return;
        case CellValue::Kind::Date:
            m_cells.put(
                xls::PackedCell::number(r, c, cell.number, detail::numberFormatOf(cell.style)));
            return;
        case CellValue::Kind::Boolean:
            m_cells.put(xls::PackedCell::boolean(r, c, cell.boolean));
            return;
        case CellValue::Kind::Text:
            m_cells.put(xls::PackedCell::text(r, c, addText(row, column, cell.text)));
            return;
    }
}

std::uint32_t Worksheet::addText(int row, int column, std::string_view text) const {
    xls::StringTable::Added added = m_parent->texts().add(text);
    switch (added.refusal) {
        case xls::StringTable::Refusal::None:
            break;
        case xls::StringTable::Refusal::NotUtf8:
            throw detail::cellTextRefusal(cellName(row, column), m_name, std::nullopt);
        case xls::StringTable::Refusal::TooLong:
            throw detail::cellTextRefusal(cellName(row, column), m_name, added.units);
    }
    return added.id;
}

void Worksheet::setRows(int row, int column, std::shared_ptr<RowSource> source) {
    if (row < 0 || row >= kRowCount || column < 0 || column >= kColumnCount) {
        throw SpreadsheetError::operationFailed("rows can only be put from a cell of the sheet.");
    }
    fillRows();
    const long rows = source->rowCount();
    const int columns = source->columnCount();
    if (rows <= 0 || columns <= 0) return;
    m_cells.eraseArea({row, column, static_cast<int>(std::min<long>(row + rows, kRowCount) - 1),
                       std::min(column + columns, kColumnCount) - 1});
    m_block = RowBlock{row, column, rows, columns, std::move(source)};
}

void Worksheet::fillBlock() const {
    RowBlock block = std::move(*m_block);
    m_block.reset();
    const long lastRow = block.row + block.rows - 1;
    const int lastColumn = block.column + block.columns - 1;
    if (lastRow >= kRowCount || lastColumn >= kColumnCount) {
        const std::string reach =
            cellName(static_cast<int>(std::min<long>(lastRow, 1 << 30)), lastColumn);
        const std::string from = cellName(block.row, block.column);
        m_block = std::move(block);
        throw SpreadsheetError::operationFailed(
            "the rows put on " + m_name + " from " + from + " reach " + reach +
            ", past the last cell (IV65536) whose value can be used here; the sheet can only "
            "be saved as .xlsx.");
    }
    const CellArea area{block.row, block.column, static_cast<int>(lastRow), lastColumn};
    try {
        block.source->rewind();
        m_cells.reserve(m_cells.cells().size() + static_cast<std::size_t>(block.rows) *
                                                     static_cast<std::size_t>(block.columns));
        std::string madeText;
        for (int r = area.top; r <= area.bottom; ++r) {
            std::span<const Variant> values = block.source->nextRow();
            if (values.size() < static_cast<std::size_t>(block.columns)) {
                throw SpreadsheetError::operationFailed(
                    "the source of the rows on " + m_name + " gave " +
                    std::to_string(values.size()) + " values for row " + std::to_string(r + 1) +
                    " of " + std::to_string(block.columns) + " columns.");
            }
            for (int k = 0; k < block.columns; ++k) {
                putTyped(r, area.left + k,
                         readCellData(values[static_cast<std::size_t>(k)], madeText));
            }
        }
    } catch (...) {
        m_cells.eraseArea(area);
        m_block = std::move(block);
        throw;
    }
}

}  // namespace spreadsheet

#include "spreadsheet/Worksheet.h"

#include "spreadsheet/Application.h"
#include "spreadsheet/PivotTable.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/detail/Printing.h"
#include "spreadsheet/detail/Text.h"

#include <algorithm>

namespace spreadsheet {

namespace {

constexpr std::size_t kMaxSheetName = 31;
constexpr std::size_t kMaxCellText = 32767;

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

Range Worksheet::Cells() {
    return spreadsheet::Range(*this, {0, 0, kRowCount - 1, kColumnCount - 1});
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
        if (detail::equalFolded(table->Name(), name)) return *table;
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
    const xls::Cell* cell = m_cells.find(row, column);
    return cell == nullptr ? CellValue() : detail::fromXlsCell(*cell);
}

void Worksheet::setValue(int row, int column, CellValue value) {
    if (value.isEmpty()) {
        m_cells.erase(row, column);
        return;
    }
    if (value.kind() == CellValue::Kind::Text) {
        std::optional<std::size_t> length = detail::utf16Length(value.asText());
        if (!length) {
            throw SpreadsheetError::operationFailed("the text for cell " + cellName(row, column) +
                                                    " of " + m_name + " is not valid UTF-8.");
        }
        if (*length > kMaxCellText) {
            throw SpreadsheetError::operationFailed(
                "the text for cell " + cellName(row, column) + " of " + m_name + " has " +
                std::to_string(*length) + " characters; a cell holds at most 32767.");
        }
    }
    m_cells.put(detail::toXlsCell(row, column, std::move(value)));
}

void Worksheet::setSelection(const CellArea& selection, int activeRow, int activeColumn) {
    m_selection = selection;
    m_activeRow = activeRow;
    m_activeColumn = activeColumn;
}

}  // namespace spreadsheet

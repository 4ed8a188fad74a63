#include "engine/xls/WorksheetTable.h"

#include "engine/xls/SerialDates.h"
#include "xls/WorkbookData.h"

#include <algorithm>
#include <set>

namespace engine {

namespace {

constexpr std::size_t kDetailedWarnings = 10;

enum class Kind { Null, Number, Date, Boolean, Text };

// A cell as the driver sees it.
struct Interpreted {
    Kind kind = Kind::Null;
    double number = 0;
    DateTime date;
    bool boolean = false;
    std::string text;
    std::string problem;  // why a date cell reads as a number
};

Interpreted interpret(const xls::Cell& cell, bool date1904) {
    Interpreted value;
    switch (cell.type) {
        case xls::CellType::Number:
            switch (cell.format) {
                case xls::NumberFormat::Date:
                case xls::NumberFormat::DateTime:
                    value.number = cell.number;
                    if (auto date =
                            xlsdates::dateFromSerial(cell.number, date1904, &value.problem)) {
                        value.kind = Kind::Date;
                        value.date = *date;
                    } else {
                        value.kind = Kind::Number;  // a number that names no day stays one
                    }
                    break;
                case xls::NumberFormat::Time:
                    value.kind = Kind::Text;
                    value.text = xlsdates::timeText(cell.number);
                    break;
                case xls::NumberFormat::General:
                case xls::NumberFormat::Other:
                    value.kind = Kind::Number;
                    value.number = cell.number;
                    break;
            }
            break;
        case xls::CellType::Text:
            if (!cell.text.empty()) {
                value.kind = Kind::Text;
                value.text = cell.text;
            }
            break;
        case xls::CellType::Boolean:
            value.kind = Kind::Boolean;
            value.boolean = cell.boolean;
            break;
        case xls::CellType::Error:
            value.kind = Kind::Text;
            value.text = xls::errorText(cell.errorCode);
            break;
    }
    return value;
}

// The plain text of a value, as a mixed column and a header show it.
std::string plainText(const Interpreted& value) {
    switch (value.kind) {
        case Kind::Number:
            return Value::number(value.number).toString();
        case Kind::Date:
            return value.date.toIsoString();
        case Kind::Boolean:
            return value.boolean ? "TRUE" : "FALSE";
        case Kind::Text:
            return value.text;
        case Kind::Null:
            break;
    }
    return {};
}

std::string columnLetters(std::size_t column) {
    std::string letters;
    for (std::size_t n = column + 1; n > 0; n = (n - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return letters;
}

// Makes names unique without regard to case: the first keeps its name, later ones get "_<n>".
void makeUnique(std::vector<FieldInfo>& fields) {
    auto taken = [&](const std::string& name, std::size_t before) {
        for (std::size_t i = 0; i < before; ++i) {
            if (xls::sameSheetName(fields[i].name, name)) return true;
        }
        return false;
    };
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (!taken(fields[i].name, i)) continue;
        for (int n = 2;; ++n) {
            std::string candidate = fields[i].name + "_" + std::to_string(n);
            if (!taken(candidate, i)) {
                fields[i].name = std::move(candidate);
                break;
            }
        }
    }
}

FieldInfo fieldOf(std::string name, Kind kind) {
    FieldInfo field;
    field.name = std::move(name);
    field.typeLetter = 0;
    switch (kind) {
        case Kind::Number:
            field.type = FieldType::Numeric;
            field.length = 8;
            break;
        case Kind::Date:
            field.type = FieldType::Date;
            field.length = 8;
            break;
        case Kind::Boolean:
            field.type = FieldType::Logical;
            field.length = 1;
            break;
        case Kind::Null:
        case Kind::Text:
            field.type = FieldType::Character;
            field.length = 255;
            break;
    }
    return field;
}

}  // namespace

WorksheetTable::WorksheetTable(const xls::Sheet& sheet, bool date1904) {
    if (sheet.cells.empty()) {
        m_fields.push_back(fieldOf("F1", Kind::Text));
        m_columns.resize(1);
        return;
    }
    std::uint32_t lastRow = 0;
    std::size_t lastColumn = 0;
    for (const xls::Cell& cell : sheet.cells) {
        lastRow = std::max(lastRow, cell.row);
        lastColumn = std::max<std::size_t>(lastColumn, cell.column);
    }
    const std::size_t columnCount = lastColumn + 1;
    m_records = lastRow;

    // Names from row 1, kinds from the rows below.
    std::vector<std::string> names(columnCount);
    std::vector<std::set<Kind>> kinds(columnCount);
    std::size_t badDates = 0;
    for (const xls::Cell& cell : sheet.cells) {
        Interpreted value = interpret(cell, date1904);
        if (cell.row == 0) {
            names[cell.column] = plainText(value);
            continue;
        }
        if (value.kind != Kind::Null) kinds[cell.column].insert(value.kind);
        if (!value.problem.empty() && ++badDates <= kDetailedWarnings) {
            m_warnings.push_back("Cell " + columnLetters(cell.column) +
                                 std::to_string(cell.row + 1) + " of worksheet \"" + sheet.name +
                                 "\" holds " + value.problem + "; it reads as the number " +
                                 Value::number(value.number).toString() + ".");
        }
    }
    if (badDates > kDetailedWarnings) {
        m_warnings.push_back(std::to_string(badDates - kDetailedWarnings) +
                             " more cells of worksheet \"" + sheet.name +
                             "\" hold dates that name no real day; they read as numbers.");
    }

    for (std::size_t column = 0; column < columnCount; ++column) {
        std::string name = names[column];
        if (name.empty()) name.append("F").append(std::to_string(column + 1));
        Kind kind = kinds[column].size() == 1 ? *kinds[column].begin() : Kind::Text;
        m_fields.push_back(fieldOf(std::move(name), kind));
    }
    makeUnique(m_fields);

    // Cells come by row, so each column's records arrive ascending.
    m_columns.resize(columnCount);
    for (const xls::Cell& cell : sheet.cells) {
        if (cell.row == 0) continue;
        Interpreted value = interpret(cell, date1904);
        if (value.kind == Kind::Null) continue;
        Column& storage = m_columns[cell.column];
        storage.records.push_back(cell.row - 1);
        switch (m_fields[cell.column].type) {
            case FieldType::Numeric:
                storage.numbers.push_back(value.number);
                break;
            case FieldType::Date:
                storage.dates.push_back(value.date);
                break;
            case FieldType::Logical:
                storage.booleans.push_back(value.boolean ? 1 : 0);
                break;
            default:
                storage.texts.push_back(plainText(value));
                break;
        }
    }
}

Value WorksheetTable::value(std::uint32_t record, std::size_t field) const {
    const Column& column = m_columns[field];
    const auto found = std::lower_bound(column.records.begin(), column.records.end(), record);
    if (found == column.records.end() || *found != record) return Value();
    const auto at = static_cast<std::size_t>(found - column.records.begin());
    switch (m_fields[field].type) {
        case FieldType::Numeric:
            return Value::number(column.numbers[at]);
        case FieldType::Date:
            return Value::date(column.dates[at]);
        case FieldType::Logical:
            return Value::boolean(column.booleans[at] != 0);
        default:
            return Value::text(column.texts[at]);
    }
}

}  // namespace engine

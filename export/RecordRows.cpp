#include "export/RecordRows.h"

#include "engine/Recordset.h"
#include "engine/Value.h"

namespace tableexport {

bool exceedsSpreadsheetDigits(std::string_view decimal) {
    // Not even the sign and the point leave room for more digits.
    if (decimal.size() <= static_cast<std::size_t>(kSpreadsheetDigits)) return false;
    const std::size_t first = decimal.find_first_of("123456789");
    if (first == std::string_view::npos) return false;
    const std::size_t last = decimal.find_last_of("123456789");
    int digits = 0;
    for (std::size_t i = first; i <= last; ++i) digits += decimal[i] != '.' ? 1 : 0;
    return digits > kSpreadsheetDigits;
}

bool assignCellValue(const engine::Value& value, spreadsheet::Variant& cell) {
    switch (value.kind()) {
        case engine::Value::Kind::Null:
            cell.setNull();
            return false;
        case engine::Value::Kind::Text:
            cell.assignText().assign(value.asText());
            return false;
        case engine::Value::Kind::Number:
            if (exceedsSpreadsheetDigits(value.exactNumberText())) {
                cell.assignText().assign(value.exactNumberText());
                return true;
            }
            cell.setNumber(value.asNumber());
            return false;
        case engine::Value::Kind::Boolean:
            cell.setBoolean(value.asBoolean());
            return false;
        case engine::Value::Kind::Date:
            cell.setDate(value.asDate());
            return false;
        case engine::Value::Kind::DateTime:
            cell.setDateTime(value.asDateTime());
            return false;
        case engine::Value::Kind::Binary:
            // Bytes are never text of the table's: the cell shows them as \x and hex digits.
            value.appendTo(cell.assignText());
            return false;
    }
    return false;
}

RecordRows::RecordRows(engine::Recordset& recordset, engine::Progress progress)
    : m_recordset(recordset), m_progress(std::move(progress)) {}

RecordRows::~RecordRows() = default;

long RecordRows::rowCount() const { return m_recordset.RecordCount(); }

int RecordRows::columnCount() const { return m_recordset.Fields().Count(); }

void RecordRows::rewind() {
    m_done = 0;
    if (m_recordset.RecordCount() > 0) m_recordset.MoveFirst();
    const auto count = static_cast<std::size_t>(columnCount());
    m_read.resize(count);
    m_values.resize(count);
    m_numbersAsText.resize(count);
}

std::span<const spreadsheet::Variant> RecordRows::nextRow() {
    engine::FieldCollection& fields = m_recordset.Fields();
    for (std::size_t k = 0; k < m_values.size(); ++k) {
        fields.Item(static_cast<int>(k)).GetValueInto(m_read[k]);
        if (assignCellValue(m_read[k], m_values[k])) m_numbersAsText[k] = 1;
    }
    m_recordset.MoveNext();
    ++m_done;
    if (m_progress && !m_progress(m_done, rowCount()) && m_done < rowCount()) {
        throw ExportCancelled();
    }
    return m_values;
}

std::vector<std::string> RecordRows::fieldsWithNumbersAsText() const {
    std::vector<std::string> names;
    for (std::size_t k = 0; k < m_numbersAsText.size(); ++k) {
        if (m_numbersAsText[k] != 0) {
            names.push_back(m_recordset.Fields().Item(static_cast<int>(k)).Name());
        }
    }
    return names;
}

}  // namespace tableexport

#include "export/RecordRows.h"

#include "engine/Recordset.h"
#include "engine/Value.h"

namespace tableexport {

void assignCellValue(const engine::Value& value, spreadsheet::Variant& cell) {
    switch (value.kind()) {
        case engine::Value::Kind::Null:
            cell.setNull();
            return;
        case engine::Value::Kind::Text:
            cell.assignText().assign(value.asText());
            return;
        case engine::Value::Kind::Number:
            cell.setNumber(value.asNumber());
            return;
        case engine::Value::Kind::Boolean:
            cell.setBoolean(value.asBoolean());
            return;
        case engine::Value::Kind::Date:
            cell.setDate(value.asDate());
            return;
        case engine::Value::Kind::DateTime:
            cell.setDateTime(value.asDateTime());
            return;
        case engine::Value::Kind::Binary:
            // Bytes are never text of the table's: the cell shows them as \x and hex digits.
            value.appendTo(cell.assignText());
            return;
    }
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
}

std::span<const spreadsheet::Variant> RecordRows::nextRow() {
    engine::FieldCollection& fields = m_recordset.Fields();
    for (std::size_t k = 0; k < m_values.size(); ++k) {
        fields.Item(static_cast<int>(k)).GetValueInto(m_read[k]);
        assignCellValue(m_read[k], m_values[k]);
    }
    m_recordset.MoveNext();
    ++m_done;
    if (m_progress && !m_progress(m_done, rowCount()) && m_done < rowCount()) {
        throw ExportCancelled();
    }
    return m_values;
}

}  // namespace tableexport

#include "engine/CsvWriter.h"

#include "engine/Recordset.h"
#include "engine/Value.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

namespace {

constexpr std::size_t kFlushAt = 1 << 20;

// Appends text as one CSV field, quoted when it holds a comma, a quote or a line break.
void appendCsvText(std::string& out, std::string_view text) {
    bool plain = true;
    for (char c : text) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            plain = false;
            break;
        }
    }
    if (plain) {
        out.append(text);
        return;
    }
    out.push_back('"');
    for (char c : text) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

void appendCsvValue(std::string& out, const Value& value) {
    if (value.kind() == Value::Kind::Text) {
        appendCsvText(out, value.asText());
    } else {
        value.appendTo(out);  // numbers, dates and booleans never need quotes
    }
}

}  // namespace

bool writeCsv(const Recordset& recordset, const std::function<void(std::string_view)>& write,
              const Progress& progress, bool withDeleted) {
    std::string out;
    out.reserve(kFlushAt + 64 * 1024);
    if (withDeleted) out += "_deleted,";
    const auto& fields = recordset.fieldInfos();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out.push_back(',');
        appendCsvText(out, fields[i].name);
    }
    out += "\r\n";
    std::vector<Value> row;
    const std::vector<std::uint32_t> none;
    const std::vector<std::uint32_t>& deleted =
        withDeleted ? recordset.deletedRecordNumbers() : none;
    const long live = recordset.RecordCount();
    const long count = live + static_cast<long>(deleted.size());
    std::size_t nextDeleted = 0;
    long position = 0;
    for (long done = 0; done < count; ++done) {
        // Table order: the deleted record first when it comes before the next live one.
        const bool isDeleted =
            nextDeleted < deleted.size() &&
            (position == live || deleted[nextDeleted] < recordset.recordNumber(position));
        if (isDeleted) {
            recordset.readDeletedRowInto(deleted[nextDeleted++], row);
        } else {
            recordset.readRowInto(position++, row);
        }
        if (withDeleted) out += isDeleted ? "true," : "false,";
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) out.push_back(',');
            appendCsvValue(out, row[i]);
        }
        out += "\r\n";
        if (out.size() >= kFlushAt) {
            write(out);
            out.clear();
        }
        if (progress && !progress(done + 1, count) && done + 1 < count) return false;
    }
    if (!out.empty()) write(out);
    return true;
}

}  // namespace engine

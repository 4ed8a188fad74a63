// quillon-cli dump: every live record as RFC 4180 CSV in UTF-8 on standard output.
#include "cli/CliArguments.h"
#include "cli/OpenTable.h"
#include "engine/DataControl.h"
#include "engine/Recordset.h"
#include "engine/Value.h"

#include <cstdio>
#include <iostream>

namespace cli {

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

void appendCsvValue(std::string& out, const engine::Value& value) {
    if (value.kind() == engine::Value::Kind::Text) {
        appendCsvText(out, value.asText());
    } else {
        value.appendTo(out);  // numbers, dates and booleans never need quotes
    }
}

void flush(std::string& out) {
    if (!out.empty() && std::fwrite(out.data(), 1, out.size(), stdout) != out.size()) {
        throw std::runtime_error("Cannot write to standard output.");
    }
    out.clear();
}

}  // namespace

int runDump(const std::vector<std::string>& arguments) {
    CliArguments parsed = parseArguments(arguments, {"encoding", "connect"});
    if (parsed.positional.size() != 1) throw UsageError("dump takes one TABLE");
    engine::DataControl dtcDbf;
    openTable(dtcDbf, parsed.positional[0], parsed, false);
    const engine::Recordset& recordset = *dtcDbf.GetRecordset();

    std::string out;
    out.reserve(kFlushAt + 64 * 1024);
    const auto& fields = recordset.fieldInfos();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out.push_back(',');
        appendCsvText(out, fields[i].name);
    }
    out += "\r\n";
    std::vector<engine::Value> row;
    const long count = recordset.RecordCount();
    for (long position = 0; position < count; ++position) {
        recordset.readRowInto(position, row);
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) out.push_back(',');
            appendCsvValue(out, row[i]);
        }
        out += "\r\n";
        if (out.size() >= kFlushAt) flush(out);
    }
    flush(out);
    if (std::fflush(stdout) != 0) throw std::runtime_error("Cannot write to standard output.");
    for (const std::string& warning : recordset.warnings()) {
        std::cerr << "warning: " << warning << "\n";
    }
    return 0;
}

}  // namespace cli

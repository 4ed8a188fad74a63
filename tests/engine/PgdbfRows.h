// Comparing what the engine reads with what pgdbf reads: pgdbf writes a table's live records as
// PostgreSQL's COPY text (tab-separated, \N for null, t and f, date-times as a Julian day and a
// time, doubles with the field's decimals), which is compared with the engine's values cell by
// cell.
#pragma once

#include "base/CivilDate.h"
#include "engine/dbf/DbfTable.h"
#include "tests/support/RunCommand.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace enginetest {

// pgdbf's COPY rows: the cells of each line between "\COPY" and "\.", unescaped.
inline std::vector<std::vector<std::string>> pgdbfRows(const std::string& output) {
    std::vector<std::vector<std::string>> rows;
    bool inRows = false;
    std::size_t begin = 0;
    while (begin < output.size()) {
        std::size_t end = output.find('\n', begin);
        if (end == std::string::npos) end = output.size();
        const std::string line = output.substr(begin, end - begin);
        begin = end + 1;
        if (line.rfind("\\COPY", 0) == 0) {
            inRows = true;
        } else if (line == "\\.") {
            inRows = false;
        } else if (inRows) {
            rows.emplace_back();
            std::string cell;
            for (std::size_t i = 0; i <= line.size(); ++i) {
                if (i == line.size() || line[i] == '\t') {
                    rows.back().push_back(cell);
                    cell.clear();
                } else if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] != 'N') {
                    char next = line[++i];
                    cell.push_back(next == 't'   ? '\t'
                                   : next == 'n' ? '\n'
                                   : next == 'r' ? '\r'
                                                 : next);
                } else {
                    cell.push_back(line[i]);
                }
            }
        }
    }
    return rows;
}

// A value as pgdbf writes it.
inline std::string pgdbfText(const engine::FieldInfo& field, const engine::Value& value) {
    using Kind = engine::Value::Kind;
    if (value.isNull()) return "\\N";
    if (value.kind() == Kind::Boolean) return value.asBoolean() ? "t" : "f";
    char text[64];
    if (value.kind() == Kind::DateTime) {
        const engine::DateTime& moment = value.asDateTime();
        const long long seconds = moment.microsecondsOfDay / 1'000'000;
        std::snprintf(text, sizeof text, "J%lld %02lld:%02lld:%02lld",
                      static_cast<long long>(
                          base::daysSince1970(moment.year, moment.month, moment.day) + 2'440'588),
                      seconds / 3600, seconds / 60 % 60, seconds % 60);
        return text;
    }
    if (field.type == engine::FieldType::Double && field.typeLetter == 'B') {
        std::snprintf(text, sizeof text, "%.*f", field.decimals, value.asNumber());
        return text;
    }
    return value.toString();
}

// One line per cell where pgdbf and the engine differ (nothing when they agree). pgdbf ignores
// null flags (a null reads as its blank: "", or a zero) and reads an unknown logical as false.
inline std::string pgdbfDifferences(const std::filesystem::path& path,
                                    const engine::dbf::DbfTable& table) {
    std::vector<std::string> arguments{"-C", "-D", "-T", "-P"};
    if (!table.codePage().converter.empty()) {
        arguments.insert(arguments.end(), {"-s", table.codePage().converter});
    }
    const std::vector<std::string> files = table.files();
    if (table.header().hasMemoFields() && std::filesystem::exists(files[1])) {
        arguments.insert(arguments.end(), {"-m", files[1]});
    }
    arguments.push_back(path.string());
    auto result = testsupport::runCommand("/usr/bin/pgdbf", arguments);
    if (result.exitStatus != 0) return "pgdbf failed: " + result.err;
    const auto theirs = pgdbfRows(result.out);
    std::string out;
    const auto deleted = table.deletedRecords();
    std::vector<engine::Value> row;
    std::size_t r = 0;
    for (std::uint32_t i = 0; i < table.physicalCount(); ++i) {
        if (std::binary_search(deleted.begin(), deleted.end(), i)) continue;
        if (r == theirs.size()) return out + "pgdbf has fewer records\n";
        table.readRecord(i, row);
        for (std::size_t f = 0; f < row.size() && f < theirs[r].size(); ++f) {
            const engine::FieldInfo& field = table.fields()[f];
            const std::string ours = pgdbfText(field, row[f]);
            const std::string& other = theirs[r][f];
            const bool mayReadBlank = field.nullable || field.type == engine::FieldType::Logical;
            const bool blank = field.type == engine::FieldType::Logical
                                   ? other == "f"
                                   : other.find_first_not_of("0.") == std::string::npos;
            if (ours != other && !(row[f].isNull() && (other.empty() || (mayReadBlank && blank)))) {
                out += "record " + std::to_string(r + 1) + " field " + std::to_string(f + 1) +
                       ": ours " + ours + ", pgdbf " + other + "\n";
            }
        }
        ++r;
    }
    if (r != theirs.size()) out += "pgdbf has more records\n";
    return out;
}

}  // namespace enginetest

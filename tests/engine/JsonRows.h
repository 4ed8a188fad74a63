// Comparing what the engine reads with what python3-dbfread (or python3-dbf) reads: the engine's
// rows go to a JSON file, and a Python script compares them with the other reader's, cell by
// cell.
#pragma once

#include "engine/TableSource.h"
#include "engine/dbf/CodePage.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/RunCommand.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace enginetest {

inline void appendJsonString(std::string& out, const std::string& text) {
    out.push_back('"');
    for (char c : text) {
        auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (b < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", b);
            out += escape;
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
}

inline void appendJsonValue(std::string& out, const engine::Value& value) {
    switch (value.kind()) {
        case engine::Value::Kind::Null:
            out += "null";
            break;
        case engine::Value::Kind::Text:
            appendJsonString(out, value.asText());
            break;
        case engine::Value::Kind::Number:
            out += "{\"n\":";
            appendJsonString(out, value.toString());
            out += "}";
            break;
        case engine::Value::Kind::Date:
            out += "{\"d\":";
            appendJsonString(out, value.toString());
            out += "}";
            break;
        case engine::Value::Kind::Boolean:
            out += value.asBoolean() ? "true" : "false";
            break;
        case engine::Value::Kind::DateTime:
            out += "{\"t\":";
            appendJsonString(out, value.toString());
            out += "}";
            break;
        case engine::Value::Kind::Binary:
            out += "{\"x\":";
            appendJsonString(out, value.toString().substr(2));
            out += "}";
            break;
    }
}

// {"types": "CNDM...", "nullable": "-n-...", "rows": [[cell, ...], ...]} for the live records,
// in order.
inline void writeJsonRows(const engine::TableSource& table, const std::filesystem::path& path) {
    std::string out = "{\"types\":\"";
    for (const auto& field : table.fields()) out.push_back(field.typeLetter);
    out += "\",\"nullable\":\"";
    for (const auto& field : table.fields()) out.push_back(field.nullable ? 'n' : '-');
    out += "\",\"rows\":[";
    auto deleted = table.deletedRecords();
    std::vector<engine::Value> row;
    bool first = true;
    for (std::uint32_t i = 0; i < table.physicalCount(); ++i) {
        if (std::binary_search(deleted.begin(), deleted.end(), i)) continue;
        table.readRecord(i, row);
        out += first ? "[" : ",[";
        first = false;
        for (std::size_t f = 0; f < row.size(); ++f) {
            if (f > 0) out.push_back(',');
            appendJsonValue(out, row[f]);
        }
        out += "]";
    }
    out += "]}";
    std::ofstream(path, std::ios::binary) << out;
}

// The Python codec name of a code page.
inline std::string pythonCodec(const engine::dbf::CodePage& page) {
    switch (page.number) {
        case 65001:
            return "utf-8";
        case 10000:
            return "mac_roman";
        case 10007:
            return "mac_cyrillic";
        case 10029:
            return "mac_latin2";
        case 0:
            return page.converter;
        default:
            // A code page without a converter is read as the engine reads it.
            if (page.converter.empty()) return page.number >= 10000 ? "mac_roman" : "cp437";
            return "cp" + std::to_string(page.number);
    }
}

// argv: table path, JSON rows, codec, and as many more such triples as there are tables. Prints
// one line per difference (nothing when they agree), naming the table when there are several.
// dbfread is told to read what it cannot parse as None (the engine reads it as null and warns),
// and to decode bytes a code page leaves undefined as the character of the same number (as the
// engine does). Known differences of dbfread: blank text is "" where the engine has null, and
// dBASE IV memos come with the 8 bytes after their end (unless a 0x1F filler cut them). In
// FoxPro tables dbfread shows the _NullFlags field and ignores its bits (a null reads as the
// blank value), keeps the length byte of V fields and does not round date-times to the second.
inline const char* kCompareWithDbfread = R"PY(
import codecs, datetime, decimal, json, sys
from dbfread import DBF, FieldParser

def same_number(byte_error):
    return (chr(byte_error.object[byte_error.start]), byte_error.start + 1)
codecs.register_error('quillon', same_number)
def same_byte(char_error):
    return (bytes([ord(char_error.object[char_error.start])]), char_error.start + 1)
codecs.register_error('quillon_bytes', same_byte)

class Tolerant(FieldParser):
    def parse(self, field, data):
        try:
            return FieldParser.parse(self, field, data)
        except ValueError:
            return None

def same(ours, theirs, kind, nullable, codec):
    if ours is None:
        if nullable and theirs in (0, None, ''):
            return True
        if kind == 'V' and isinstance(theirs, str):
            return theirs[:-1].strip(' \0') == ''
        return theirs is None or theirs == ''
    if isinstance(ours, bool):
        return theirs is ours
    if isinstance(ours, dict) and 'n' in ours:
        if theirs is None or isinstance(theirs, bool):
            return False
        if isinstance(theirs, (int, decimal.Decimal)):
            return decimal.Decimal(ours['n']) == theirs
        return float(ours['n']) == theirs
    if isinstance(ours, dict) and 'd' in ours:
        return isinstance(theirs, datetime.date) and theirs.isoformat() == ours['d']
    if isinstance(ours, dict) and 't' in ours:
        if not isinstance(theirs, datetime.datetime):
            return False
        rounded = (theirs + datetime.timedelta(microseconds=500000)).replace(microsecond=0)
        return datetime.datetime.fromisoformat(ours['t']) in (theirs, rounded)
    if isinstance(ours, dict) and 'x' in ours:
        if isinstance(theirs, str):
            theirs = theirs.encode(codec, 'quillon_bytes')
            return bytes.fromhex(ours['x']).rstrip(b' \0') == theirs
        return isinstance(theirs, bytes) and theirs.hex() == ours['x']
    if not isinstance(theirs, str):
        return False
    if kind == 'V' and theirs != ours:
        return theirs[:-1].rstrip(' \0') == ours
    if kind == 'M':
        if theirs.startswith(ours) and len(theirs) - len(ours) <= 8:
            return True
        return ours.startswith(theirs) and ours[len(theirs)] == '\x1f'
    return ours == theirs

def compare(path, rows_path, codec):
    with open(rows_path, encoding='utf-8') as f:
        ours = json.load(f)
    table = DBF(path, encoding=codec, char_decode_errors='quillon',
                ignore_missing_memofile=True, parserclass=Tolerant, recfactory=None)
    shown = [i for i, field in enumerate(table.fields) if field.type != '0']
    theirs = [[record[i][1] for i in shown] for record in table]
    problems = []
    if len(theirs) != len(ours['rows']):
        problems.append('records: ours %d, dbfread %d' % (len(ours['rows']), len(theirs)))
    for r, (mine, other) in enumerate(zip(ours['rows'], theirs)):
        if len(mine) != len(other):
            problems.append('record %d: ours %d fields, dbfread %d' % (r + 1, len(mine), len(other)))
            continue
        for f, (a, b) in enumerate(zip(mine, other)):
            if not same(a, b, ours['types'][f], ours['nullable'][f] == 'n', codec):
                problems.append('record %d field %d: ours %r, dbfread %r' % (r + 1, f + 1, a, b))
    return problems[:20]

triples = [sys.argv[i:i + 3] for i in range(1, len(sys.argv), 3)]
problems = []
for path, rows_path, codec in triples:
    try:
        found = compare(path, rows_path, codec)
    except Exception as error:
        found = ['dbfread cannot read it: %s: %s' % (type(error).__name__, error)]
    problems += [(path + ': ' if len(triples) > 1 else '') + p for p in found]
print('\n'.join(problems), end='')
)PY";

// argv: table path, JSON rows. python3-dbf pads text with spaces, reads blank text as "" and a
// null as its Null; it reads currency as a Decimal.
inline const char* kCompareWithPythonDbf = R"PY(
import datetime, decimal, json, sys
import dbf

path, rows_path = sys.argv[1:3]
with open(rows_path, encoding='utf-8') as f:
    ours = json.load(f)
table = dbf.Table(path)
table.open(dbf.READ_ONLY)
theirs = [list(record) for record in table if not dbf.is_deleted(record)]
table.close()
problems = []
if len(theirs) != len(ours['rows']):
    problems.append('records: ours %d, dbf %d' % (len(ours['rows']), len(theirs)))
for r, (mine, other) in enumerate(zip(ours['rows'], theirs)):
    for f, (a, b) in enumerate(zip(mine, other)):
        if isinstance(b, str) and ours['types'][f] == 'C':
            b = b.rstrip(' ')
        if a is None:
            ok = b is None or b == '' or b is dbf.Null
        elif isinstance(a, bool):
            ok = b is a
        elif isinstance(a, dict) and 'n' in a:
            if isinstance(b, decimal.Decimal):
                ok = decimal.Decimal(a['n']) == b
            else:
                ok = b is not None and b is not dbf.Null and float(a['n']) == b
        elif isinstance(a, dict) and 'd' in a:
            ok = isinstance(b, datetime.date) and b.isoformat() == a['d']
        elif isinstance(a, dict) and 't' in a:
            ok = isinstance(b, datetime.datetime) and datetime.datetime.fromisoformat(a['t']) == b
        else:
            ok = a == b
        if not ok:
            problems.append('record %d field %d: ours %r, dbf %r' % (r + 1, f + 1, a, b))
print('\n'.join(problems[:20]), end='')
)PY";

// Runs a comparison script (one of the above) over the table's rows as the engine reads them:
// its output, or why Python failed. extra: the script's arguments after the table and the rows.
inline std::string compareWith(const char* script, const std::filesystem::path& table,
                               std::vector<std::string> extra = {}) {
    auto source = openTable(table, false);
    std::filesystem::path rows = table.parent_path() / "rows.json";
    writeJsonRows(*source, rows);
    std::vector<std::string> arguments{table.string(), rows.string()};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    auto result = testsupport::runPython(script, arguments);
    std::filesystem::remove(rows);
    if (result.exitStatus != 0) return "python failed: " + result.err;
    return result.out;
}

}  // namespace enginetest

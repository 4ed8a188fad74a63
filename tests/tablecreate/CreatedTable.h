// Reading a table that the table-creation code wrote, for the tests: where its files are, and
// what an independent reader (dbfread) and our own engine make of it.
#pragma once

#include "base/AsciiCase.h"
#include "base/Endian.h"
#include "engine/Recordset.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TableFiles.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

// The file NAME.EXT in the folder, matched without regard to case.
inline std::optional<std::filesystem::path> findTableFile(const std::filesystem::path& folder,
                                                          const std::string& name,
                                                          const std::string& extension) {
    const std::string wanted = name + "." + extension;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (base::equalsIgnoringCase(entry.path().filename().string(), wanted)) {
            return entry.path();
        }
    }
    return std::nullopt;
}

// One line per field, "NAME TYPE LENGTH DECIMALS", then "records N", as dbfread reads the table
// (with its memo file); dbfread's error text when it cannot.
inline std::string describeWithDbfread(const std::filesystem::path& table) {
    const char* script =
        "import sys, dbfread\n"
        "table = dbfread.DBF(sys.argv[1], load=False)\n"
        "for f in table.fields:\n"
        "    print(f.name, f.type, f.length, f.decimal_count)\n"
        "print('records', sum(1 for _ in table))\n";
    CommandResult result = runPython(script, {table.string()});
    return result.exitStatus == 0 ? result.out : "dbfread failed: " + result.err;
}

// The same description from the engine's own record set.
inline std::string describeWithEngine(const std::filesystem::path& table) {
    const std::unique_ptr<engine::DataControl> control = openTable(table, "dBASE IV;");
    const engine::Recordset& set = *control->GetRecordset();
    std::ostringstream out;
    for (const engine::FieldInfo& field : set.fieldInfos()) {
        out << field.name << ' ' << field.typeLetter << ' ' << field.length << ' ' << field.decimals
            << '\n';
    }
    out << "records " << set.RecordCount() << '\n';
    return out.str();
}

// The first four bytes of a memo file: the next free block, 1 while it holds no memo.
inline std::uint32_t memoNextFreeBlock(const std::filesystem::path& memo) {
    std::ifstream in(memo, std::ios::binary);
    std::uint8_t bytes[4] = {};
    in.read(reinterpret_cast<char*>(bytes), 4);
    return base::loadLittle<std::uint32_t>(bytes);
}

inline std::string fileContents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace testsupport

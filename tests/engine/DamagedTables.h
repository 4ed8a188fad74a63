// Small tables of every dialect the engine writes, as bytes for tests to damage, check and repair.
#pragma once

#include "base/Endian.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/FoxBuilder.h"
#include "tests/support/MemoryFile.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace enginetest {

inline constexpr const char* kTable = "/t/t.dbf";
inline constexpr const char* kMemo = "/t/t.dbt";

// A table of three records of a dialect, with a memo field when its version has memo files, as
// bytes a case damages.
struct Sample {
    testsupport::Bytes dbf;
    testsupport::Bytes memo;
    std::string memoPath;
    bool digits = true;           // memo pointers as digits (else Visual FoxPro's four bytes)
    bool bigEndian = false;       // the memo header's byte order
    std::uint32_t firstMemo = 1;  // the block of record 1's memo

    bool hasMemo() const { return !memo.empty(); }
    void putInto(testsupport::MemoryFileSystem& files) const {
        files.put(kTable, dbf);
        if (hasMemo()) files.put(memoPath, memo);
    }
    // Points record (from 1) at block.
    void point(int record, std::uint32_t block) {
        const std::size_t width = digits ? 10 : 4;
        const std::size_t at = base::loadLittle<std::uint16_t>(dbf.data() + 8) +
                               (record - 1) * base::loadLittle<std::uint16_t>(dbf.data() + 10) + 8;
        std::string bytes =
            digits ? std::to_string(block) : testsupport::FoxBuilder::le32(int(block));
        if (digits) bytes.insert(0, width - bytes.size(), ' ');
        std::copy(bytes.begin(), bytes.end(), dbf.begin() + static_cast<std::ptrdiff_t>(at));
    }
    void setNextFree(std::uint32_t block) {
        if (bigEndian) {
            base::storeBig(memo.data(), block);
        } else {
            base::storeLittle(memo.data(), block);
        }
    }
};

inline Sample sample(std::uint8_t version) {
    Sample out;
    const char* names[] = {"Ann", "Bob", "Cy"};
    if (version == 0x30 || version == 0xF5) {
        testsupport::FoxBuilder table(version);
        const int width = version == 0x30 ? 4 : 10;
        table.field("NAME", 'C', 4).field("QTY", 'N', 3).field("NOTE", 'M', width);
        for (const char* name : names) {
            table.record({name, "  7", table.memo(std::string("about ") + name, width)});
        }
        return {table.dbf(), table.fpt(), "/t/t.fpt", width == 10, true, 8};
    }
    const bool memo = version == 0x83 || version == 0x8B || version == 0x8C;
    testsupport::DbfBuilder table(version);
    table.field("NAME", 'C', 4).field("QTY", 'N', 3);
    if (memo) table.field("NOTE", 'M', 10);
    for (const char* name : names) {
        std::vector<std::string> values{name, "7"};
        if (memo) values.emplace_back(std::string("about ") + name);
        table.record(values);
    }
    out.dbf = table.dbf();
    out.memo = table.dbt();
    out.memoPath = kMemo;
    return out;
}

}  // namespace enginetest

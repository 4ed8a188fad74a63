// The damage sweep every table layout goes through: each header byte set in turn to telling
// values, the table cut at every length and its memo file at many: each variant either opens and
// reads every cell (null where damaged) or is refused with a description naming the file; and its
// memo file's header damaged.
#pragma once

#include "engine/EngineError.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/MemoryFile.h"

#include <gtest/gtest.h>

namespace enginetest {

// A table (and its memo file, memoPath, when memo is not empty) as bytes. headerEnd: the bytes
// of the header to damage (and a few records' bytes after them).
inline void expectDamageHandled(const testsupport::Bytes& original, const testsupport::Bytes& memo,
                                const std::string& memoPath, std::size_t headerEnd) {
    testsupport::MemoryFileSystem files;
    if (!memo.empty()) files.put(memoPath, memo);
    auto tryTable = [&](const testsupport::Bytes& bytes) {
        files.put("/t/t.dbf", bytes);
        try {
            auto table = openTable(files, "/t/t.dbf", false);
            std::vector<engine::Value> row;
            for (std::uint32_t i = 0; i < table->physicalCount(); ++i) table->readRecord(i, row);
            table->deletedRecords();
            table->properties();
        } catch (const engine::EngineError& error) {
            EXPECT_NE(std::string(error.what()).find("/t/t.dbf"), std::string::npos)
                << error.what();
        }
    };
    for (std::size_t offset = 0; offset < std::min(headerEnd + 12, original.size()); ++offset) {
        for (std::uint8_t value : {0x00, 0x01, 0x0D, 0x20, 0x7F, 0xFF}) {
            auto damaged = original;
            damaged[offset] = value;
            tryTable(damaged);
        }
    }
    for (std::size_t size = 0; size <= original.size(); ++size) {
        tryTable(testsupport::Bytes(original.begin(), original.begin() + static_cast<long>(size)));
    }
    if (memo.empty()) return;
    for (std::size_t size = 0; size <= memo.size(); size += 37) {
        files.put(memoPath,
                  testsupport::Bytes(memo.begin(), memo.begin() + static_cast<long>(size)));
        tryTable(original);
    }
    // The memo file's header: next free block and block size.
    for (std::size_t offset = 0; offset < std::min<std::size_t>(24, memo.size()); ++offset) {
        for (std::uint8_t value : {0x00, 0x01, 0xFF}) {
            auto damaged = memo;
            damaged[offset] = value;
            files.put(memoPath, damaged);
            tryTable(original);
        }
    }
}

inline void expectDamageHandled(const testsupport::DbfBuilder& builder, std::size_t headerEnd) {
    expectDamageHandled(builder.dbf(), builder.hasMemo() ? builder.dbt() : testsupport::Bytes(),
                        "/t/t.dbt", headerEnd);
}

}  // namespace enginetest

// The damage sweep every table layout goes through: each header byte set in turn to telling
// values, the table cut at every length and its memo file at many: each variant either opens and
// reads every cell (null where damaged) or is refused with a description naming the file.
#pragma once

#include "engine/EngineError.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/MemoryFile.h"

#include <gtest/gtest.h>

namespace enginetest {

// headerEnd: the bytes of the header to damage (and a few records' bytes after them).
inline void expectDamageHandled(const testsupport::DbfBuilder& builder, std::size_t headerEnd) {
    const testsupport::Bytes original = builder.dbf();
    testsupport::MemoryFileSystem files;
    if (builder.hasMemo()) files.put("/t/t.dbt", builder.dbt());
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
    if (!builder.hasMemo()) return;
    auto memo = builder.dbt();
    for (std::size_t size = 0; size <= memo.size(); size += 37) {
        files.put("/t/t.dbt",
                  testsupport::Bytes(memo.begin(), memo.begin() + static_cast<long>(size)));
        tryTable(original);
    }
}

}  // namespace enginetest

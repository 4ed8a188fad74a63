// The record page cache: which calls read the file, which pages go, and what it shows after a
// write, a cut file or a drop. Ten 4-byte records after a 2-byte header, two records a page.
#include "engine/EngineError.h"
#include "engine/dbf/RecordCache.h"
#include "tests/support/MemoryFile.h"

#include <gtest/gtest.h>

using engine::dbf::File;
using engine::dbf::RecordCache;
using testsupport::FileCall;

namespace {

class RecordCacheTest : public testing::Test {
protected:
    RecordCacheTest() {
        testsupport::Bytes bytes{'H', 'H'};
        for (std::uint8_t r = '0'; r <= '9'; ++r) bytes.insert(bytes.end(), {' ', 'r', r, '.'});
        files.put("/t.dbf", bytes);
        file = files.open("/t.dbf", File::Mode::ReadOnly);
        cache.emplace(*file, 2, 4, 10, 9);
    }
    // The record's text, and how many reads of the file it took.
    std::pair<std::string, int> read(std::uint32_t physical) {
        int before = files.calls("/t.dbf", FileCall::Read);
        const std::uint8_t* record = cache->record(physical);
        return {std::string(record, record + 4), files.calls("/t.dbf", FileCall::Read) - before};
    }

    testsupport::MemoryFileSystem files;
    std::unique_ptr<File> file;
    std::optional<RecordCache> cache;
};

TEST_F(RecordCacheTest, PagesAreReadOnceAndTheLeastRecentlyUsedGoes) {
    struct Step {
        std::uint32_t record;
        int reads;
    };
    // Pages 0-1, 2-3, 4-5, 6-7 fill the four slots; then each new page evicts the least recently
    // used one: 8 evicts 2-3, 3 evicts 8-9, 9 evicts 0-1.
    const Step steps[] = {{0, 1}, {1, 0}, {0, 0}, {2, 1}, {4, 1}, {6, 1}, {1, 0},
                          {8, 1}, {0, 0}, {5, 0}, {7, 0}, {3, 1}, {9, 1}, {1, 1}};
    for (const Step& step : steps) {
        auto [text, reads] = read(step.record);
        EXPECT_EQ(text, std::string(" r") + static_cast<char>('0' + step.record) + ".");
        EXPECT_EQ(reads, step.reads) << "record " << step.record;
    }
    EXPECT_THROW(cache->record(10), engine::EngineError);
}

TEST_F(RecordCacheTest, WritesArePatchedInAndADropRereads) {
    read(4);
    const std::uint8_t star = '*';
    cache->patch(4, 0, &star, 1);
    cache->patch(7, 0, &star, 1);  // not cached: nothing to do
    EXPECT_EQ(read(4), std::make_pair(std::string("*r4."), 0));
    EXPECT_EQ(read(5), std::make_pair(std::string(" r5."), 0));
    cache->drop();
    EXPECT_EQ(read(4), std::make_pair(std::string(" r4."), 1));  // the file never changed
    cache->setCount(11);
    EXPECT_THROW(cache->record(10), engine::EngineError);
}

TEST_F(RecordCacheTest, AFileCutShortFailsOnlyForTheRecordsItLost) {
    files.resizeAt("/t.dbf", FileCall::Read, 1, 2 + 4 * 9 + 2);  // record 9 is cut
    EXPECT_EQ(read(8).first, " r8.");
    try {
        cache->record(9);
        ADD_FAILURE() << "read a cut record";
    } catch (const engine::EngineError& error) {
        EXPECT_STREQ(error.what(),
                     "Cannot read record 10 of /t.dbf: the file ends sooner than its header says.");
    }
    EXPECT_EQ(read(0).first, " r0.");
}

}  // namespace

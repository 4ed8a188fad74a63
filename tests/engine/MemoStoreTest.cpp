// The three memo file formats: what an append writes and where, read back by the same store,
// and the .fpt files of real FoxPro tables read block by block against python3-dbfread.
#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/dbf/MemoStore.h"
#include "tests/support/MemoryFile.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>

using engine::dbf::File;
using engine::dbf::MemoStore;
using engine::dbf::MemoStyle;
using testsupport::Bytes;
using testsupport::MemoryFileSystem;

namespace {

enum class Format { DbtIII, DbtIV, Fpt };

// An empty memo file of that format and block size, as a new table gets it.
Bytes emptyMemoFile(Format format, std::uint16_t blockSize) {
    Bytes bytes(512, 0);
    if (format == Format::Fpt) {
        base::storeBig<std::uint32_t>(bytes.data(), (512u + blockSize - 1) / blockSize);
        base::storeBig<std::uint16_t>(bytes.data() + 6, blockSize);
    } else {
        base::storeLittle<std::uint32_t>(bytes.data(), 1);
        if (format == Format::DbtIV) base::storeLittle<std::uint16_t>(bytes.data() + 20, blockSize);
    }
    return bytes;
}

std::unique_ptr<MemoStore> openStore(const MemoryFileSystem& files, Format format) {
    auto file = files.open("/t/m", File::Mode::ReadWrite);
    if (format == Format::Fpt) return engine::dbf::openFptMemo(std::move(file));
    return engine::dbf::openDbtMemo(std::move(file),
                                    format == Format::DbtIII ? MemoStyle::III : MemoStyle::IV);
}

struct AppendCase {
    const char* name;
    Format format;
    std::uint16_t blockSize;
    std::uint32_t firstBlock;  // where the first memo goes
    Bytes blockHeader;         // the bytes before the text of "hello" (block header)
    Bytes after;               // the bytes right after it (end marks), then zeros to the block
};

class MemoAppendTest : public testing::TestWithParam<AppendCase> {};

TEST_P(MemoAppendTest, MemosGoToFreshBlocksAndReadBack) {
    const AppendCase& c = GetParam();
    MemoryFileSystem files;
    files.put("/t/m", emptyMemoFile(c.format, c.blockSize));
    auto store = openStore(files, c.format);
    EXPECT_EQ(store->blockSize(), c.blockSize);
    const std::string longText(700, 'x');
    std::uint32_t first = store->append("hello", MemoStore::Content::Text);
    std::uint32_t second = store->append(longText, MemoStore::Content::Text);
    EXPECT_EQ(first, c.firstBlock);
    const Bytes& bytes = files.bytes("/t/m");
    const std::size_t at = std::size_t{first} * c.blockSize;
    Bytes expected = c.blockHeader;
    expected.insert(expected.end(), {'h', 'e', 'l', 'l', 'o'});
    expected.insert(expected.end(), c.after.begin(), c.after.end());
    expected.resize((expected.size() + c.blockSize - 1) / c.blockSize * c.blockSize, 0);
    EXPECT_EQ(Bytes(bytes.begin() + static_cast<long>(at),
                    bytes.begin() + static_cast<long>(at + expected.size())),
              expected);
    EXPECT_EQ(second * std::size_t{c.blockSize}, at + expected.size());
    // Whole blocks, and the header's next-free pointer just past the last.
    EXPECT_EQ(bytes.size() % c.blockSize, 0u);
    std::uint32_t nextFree = c.format == Format::Fpt
                                 ? base::loadBig<std::uint32_t>(bytes.data())
                                 : base::loadLittle<std::uint32_t>(bytes.data());
    EXPECT_EQ(std::uint64_t{nextFree} * c.blockSize, bytes.size());

    std::string text;
    auto reopened = openStore(files, c.format);
    EXPECT_EQ(reopened->read(first, text), MemoStore::ReadStatus::Ok);
    EXPECT_EQ(text, "hello");
    EXPECT_EQ(reopened->read(second, text), MemoStore::ReadStatus::Ok);
    EXPECT_EQ(text, longText);
    EXPECT_EQ(reopened->read(nextFree + 100, text), MemoStore::ReadStatus::PastEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, MemoAppendTest,
    testing::Values(
        AppendCase{"DbtIII", Format::DbtIII, 512, 1, {}, {0x1A, 0x1A}},
        AppendCase{"DbtIV512", Format::DbtIV, 512, 1, {0xFF, 0xFF, 0x08, 0x00, 13, 0, 0, 0}, {}},
        AppendCase{"DbtIV64", Format::DbtIV, 64, 8, {0xFF, 0xFF, 0x08, 0x00, 13, 0, 0, 0}, {}},
        AppendCase{"Fpt64", Format::Fpt, 64, 8, {0, 0, 0, 1, 0, 0, 0, 5}, {}},
        AppendCase{"Fpt512", Format::Fpt, 512, 1, {0, 0, 0, 1, 0, 0, 0, 5}, {}},
        AppendCase{"Fpt1", Format::Fpt, 1, 512, {0, 0, 0, 1, 0, 0, 0, 5}, {}}),
    [](const testing::TestParamInfo<AppendCase>& param) { return std::string(param.param.name); });

TEST(MemoStoreTest, AnAppendStartsPastEverythingInUse) {
    struct Case {
        Format format;
        std::uint32_t nextFree;  // what the header says
        std::size_t fileSize;    // what the file holds
        std::uint32_t expected;  // where the memo goes
    };
    const Case cases[] = {
        {Format::DbtIV, 3, 512, 3},          // the pointer leads the file
        {Format::DbtIV, 1, 5 * 512 - 7, 5},  // another writer's unpadded memo past the pointer
        {Format::DbtIII, 0, 512, 1},         // a zero pointer never aims at the header
        {Format::Fpt, 2, 512, 8},            // nor inside a FoxPro header
        {Format::Fpt, 20, 512, 20},
        {Format::Fpt, 8, 36179, 566},  // the unpadded end of a real FoxPro file
    };
    for (const Case& c : cases) {
        MemoryFileSystem files;
        Bytes bytes = emptyMemoFile(c.format, c.format == Format::Fpt ? 64 : 512);
        bytes.resize(c.fileSize, 0);
        if (c.format == Format::Fpt) {
            base::storeBig(bytes.data(), c.nextFree);
        } else {
            base::storeLittle(bytes.data(), c.nextFree);
        }
        files.put("/t/m", bytes);
        auto store = openStore(files, c.format);
        EXPECT_EQ(store->append("z", MemoStore::Content::Binary), c.expected)
            << static_cast<int>(c.format) << " " << c.nextFree << " " << c.fileSize;
    }
    // Binary FoxPro memos are marked type 0, and dBASE III memos cannot hold their end mark.
    MemoryFileSystem files;
    files.put("/t/m", emptyMemoFile(Format::Fpt, 64));
    openStore(files, Format::Fpt)->append("\x1A", MemoStore::Content::Binary);
    EXPECT_EQ(base::loadBig<std::uint32_t>(files.bytes("/t/m").data() + 512), 0u);
    EXPECT_TRUE(openStore(files, Format::Fpt)->canHold("\x1A"));
    files.put("/t/m", emptyMemoFile(Format::DbtIII, 512));
    EXPECT_FALSE(openStore(files, Format::DbtIII)->canHold("a\x1A"));
}

TEST(MemoStoreTest, DamagedFoxProFilesAndPointers) {
    MemoryFileSystem files;
    Bytes bytes = emptyMemoFile(Format::Fpt, 64);
    bytes.resize(64 * 9, 0);
    base::storeBig<std::uint32_t>(bytes.data() + 512, 1);
    base::storeBig<std::uint32_t>(bytes.data() + 516, 100);  // 100 bytes, 56 there
    files.put("/t/m", bytes);
    auto store = openStore(files, Format::Fpt);
    std::string text;
    EXPECT_EQ(store->read(3, text), MemoStore::ReadStatus::InHeader);
    EXPECT_EQ(store->read(8, text), MemoStore::ReadStatus::Cut);
    EXPECT_EQ(text.size(), 56u);
    EXPECT_EQ(store->read(9, text), MemoStore::ReadStatus::PastEnd);
    bytes[7] = 0;  // block size 0
    files.put("/t/m", bytes);
    EXPECT_THROW(openStore(files, Format::Fpt), engine::EngineError);
    files.put("/t/m", Bytes(5, 0));
    EXPECT_THROW(openStore(files, Format::Fpt), engine::EngineError);
}

TEST(MemoStoreTest, RealFoxProMemoFilesReadAsTheIndependentReaderReadsThem) {
    // Walks each file's blocks from the first after the header to its next-free pointer and
    // compares the memos, as hex, with the non-empty memo cells dbfread reads from the table.
    const char* script = R"PY(
import sys
from dbfread import DBF
table = DBF(sys.argv[1], encoding='latin-1')
memos = sorted((v if isinstance(v, bytes) else v.encode('latin-1')).hex()
               for r in table for f in table.fields if f.type in 'MGP' for v in [r[f.name]] if v)
print('\n'.join(memos))
)PY";
    for (const char* name :
         {"infused-dbf/dbase_30", "infused-dbf/dbase_f5", "luads-php-xbase/pr90"}) {
        auto path = testsupport::dataPath(std::string("dbf/") + name + ".fpt");
        std::ifstream in(path, std::ios::binary);
        MemoryFileSystem files;
        files.put("/t/m", Bytes(std::istreambuf_iterator<char>(in), {}));
        auto store = openStore(files, Format::Fpt);
        const std::uint32_t end = base::loadBig<std::uint32_t>(files.bytes("/t/m").data());
        std::vector<std::string> ours;
        std::string memo;
        for (std::uint32_t block = (512 + store->blockSize() - 1) / store->blockSize(); block < end;
             block += static_cast<std::uint32_t>((8 + memo.size() + store->blockSize() - 1) /
                                                 store->blockSize())) {
            ASSERT_EQ(store->read(block, memo), MemoStore::ReadStatus::Ok) << name << " " << block;
            std::string hex;
            for (unsigned char c : memo) {
                static const char* digits = "0123456789abcdef";
                hex += digits[c >> 4];
                hex += digits[c & 15];
            }
            ours.push_back(hex);
        }
        std::sort(ours.begin(), ours.end());
        std::string expected;
        for (const std::string& hex : ours) expected += (expected.empty() ? "" : "\n") + hex;
        auto result = testsupport::runPython(
            script, {testsupport::dataPath(std::string("dbf/") + name + ".dbf").string()});
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.out, expected + "\n") << name;
    }
}

}  // namespace

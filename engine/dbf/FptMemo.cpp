// The .fpt memo files of FoxPro: a 512-byte header with the next free block and the block size
// (both big-endian), then blocks that start with a big-endian type (1 text, 0 binary) and data
// length (not counting those 8 bytes). The header fills the first 512 / block size blocks.
#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/dbf/MemoBlocks.h"
#include "engine/dbf/MemoStore.h"

#include <vector>

namespace engine::dbf {

namespace {

using memoblocks::kReadChunk;

constexpr std::uint32_t kFptHeaderSize = 512;
constexpr std::size_t kFptBlockSizeAt = 6;  // uint16 BE
constexpr std::size_t kFptBlockHeaderSize = 8;
constexpr std::uint32_t kFptText = 1;
constexpr std::uint32_t kFptBinary = 0;

class FptMemo final : public MemoStore {
public:
    explicit FptMemo(std::unique_ptr<File> file) : m_file(std::move(file)) {
        std::uint8_t header[8] = {};
        if (m_file->readAt(0, header, sizeof header) < sizeof header) {
            throw EngineError("Cannot read the memo file " + path() + ": it is too short.");
        }
        m_blockSize = base::loadBig<std::uint16_t>(header + kFptBlockSizeAt);
        if (m_blockSize == 0) {
            // Some writers mean blocks of one byte; then the next free block is about the size.
            const std::uint64_t nextFree = base::loadBig<std::uint32_t>(header);
            const std::uint64_t size = m_file->size();
            if (nextFree < kFptHeaderSize || nextFree > size + kFptHeaderSize ||
                nextFree + kFptHeaderSize < size) {
                throw EngineError("Cannot read the memo file " + path() +
                                  ": its header gives a block size of 0.");
            }
            m_blockSize = 1;
            m_doubt = "its header gives a block size of 0";
        }
        m_firstBlock = (kFptHeaderSize + m_blockSize - 1) / m_blockSize;
    }

    const std::string& path() const override { return m_file->path(); }
    std::uint32_t blockSize() const override { return m_blockSize; }
    std::string description() const override {
        return "FoxPro blocks of " + std::to_string(m_blockSize) + " bytes";
    }

    ReadStatus read(std::uint32_t block, std::string& bytes) const override {
        bytes.clear();
        if (block < m_firstBlock) return block == 0 ? ReadStatus::PastEnd : ReadStatus::InHeader;
        const std::uint64_t start = std::uint64_t{block} * m_blockSize;
        char chunk[kReadChunk];
        std::size_t got = m_file->readAt(start, chunk, sizeof chunk);
        if (got == 0) return ReadStatus::PastEnd;
        if (got < kFptBlockHeaderSize) return ReadStatus::Cut;
        // The block type (text, picture, object) is the field's business: any is read.
        std::uint32_t length =
            base::loadBig<std::uint32_t>(reinterpret_cast<const std::uint8_t*>(chunk) + 4);
        return memoblocks::readCounted(*m_file, chunk + kFptBlockHeaderSize,
                                       got - kFptBlockHeaderSize, got == sizeof chunk,
                                       start + kFptBlockHeaderSize, length, bytes);
    }

    std::string doubt() const override { return m_doubt; }
    bool canHold(std::string_view) const override { return true; }

    std::uint32_t append(std::string_view bytes, Content content) override {
        return memoblocks::appendMemo(
            *m_file, m_blockSize, m_firstBlock, memoblocks::ByteOrder::Big,
            framed(content == Content::Text ? kFptText : kFptBinary, bytes));
    }

    ReadStatus readStored(std::uint32_t block, std::vector<std::uint8_t>& stored) const override {
        std::string bytes;
        const ReadStatus status = read(block, bytes);
        std::uint8_t type[4] = {0, 0, 0, kFptText};
        if (status != ReadStatus::PastEnd && status != ReadStatus::InHeader) {
            m_file->readAt(std::uint64_t{block} * m_blockSize, type, sizeof type);
        }
        stored = framed(base::loadBig<std::uint32_t>(type), bytes);
        return status;
    }

    std::uint32_t firstBlock() const override { return m_firstBlock; }

    std::vector<std::uint8_t> freshHeader(std::uint32_t next) const override {
        std::vector<std::uint8_t> header(kFptHeaderSize, 0);
        header.resize(m_file->readAt(0, header.data(), header.size()));
        header.resize(std::size_t{m_firstBlock} * m_blockSize, 0);
        base::storeBig(header.data(), next);
        return header;
    }

    std::uint32_t nextFree() const override {
        return memoblocks::readNextFree(*m_file, memoblocks::ByteOrder::Big);
    }
    void setNextFree(std::uint32_t block) override {
        memoblocks::writeNextFree(*m_file, memoblocks::ByteOrder::Big, block);
    }
    std::uint64_t size() const override { return m_file->size(); }

    ReadStatus span(std::uint32_t block, std::uint64_t& blocks) const override {
        blocks = 0;
        if (block < m_firstBlock) return block == 0 ? ReadStatus::PastEnd : ReadStatus::InHeader;
        const std::uint64_t start = std::uint64_t{block} * m_blockSize;
        std::uint8_t header[kFptBlockHeaderSize];
        const std::size_t got = m_file->readAt(start, header, sizeof header);
        if (got == 0) return ReadStatus::PastEnd;
        const std::uint64_t taken =
            got < sizeof header
                ? got
                : kFptBlockHeaderSize + std::uint64_t{base::loadBig<std::uint32_t>(header + 4)};
        blocks = memoblocks::blocksTaken(*m_file, m_blockSize, block, taken);
        return start + taken > m_file->size() || got < sizeof header ? ReadStatus::Cut
                                                                     : ReadStatus::Ok;
    }

private:
    // A memo as a block of the file holds it: its type, its length, its bytes.
    static std::vector<std::uint8_t> framed(std::uint32_t type, std::string_view bytes) {
        std::uint8_t header[kFptBlockHeaderSize];
        base::storeBig(header, type);
        base::storeBig(header + 4, static_cast<std::uint32_t>(bytes.size()));
        std::vector<std::uint8_t> memo;
        memo.reserve(sizeof header + bytes.size());
        memo.assign(std::begin(header), std::end(header));
        memo.insert(memo.end(), bytes.begin(), bytes.end());
        return memo;
    }

    std::unique_ptr<File> m_file;
    std::uint32_t m_blockSize = 0;
    std::uint32_t m_firstBlock = 1;
    std::string m_doubt;
};

}  // namespace

std::unique_ptr<MemoStore> openFptMemo(std::unique_ptr<File> file) {
    return std::make_unique<FptMemo>(std::move(file));
}

}  // namespace engine::dbf

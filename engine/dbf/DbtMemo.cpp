// The .dbt memo files of dBASE: III style (text ended by 0x1A in 512-byte blocks) and IV style
// (used by dBASE IV, 5 and 7: FF FF 08 00 and a length including those 8 bytes, block size from
// the header). One reader serves both, since the block header decides whatever the table says.
#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/dbf/MemoBlocks.h"
#include "engine/dbf/MemoStore.h"

#include <algorithm>
#include <vector>

namespace engine::dbf {

namespace {

using memoblocks::kReadChunk;

class DbtMemo final : public MemoStore {
public:
    DbtMemo(std::unique_ptr<File> file, MemoStyle style) : m_file(std::move(file)), m_style(style) {
        std::uint8_t header[24] = {};
        std::size_t got = m_file->readAt(0, header, sizeof header);
        if (got < 4) {
            throw EngineError("Cannot read the memo file " + path() + ": it is too short.");
        }
        std::uint16_t declared =
            got >= 22 ? base::loadLittle<std::uint16_t>(header + kMemoHeaderBlockSize) : 0;
        if (m_style == MemoStyle::None) {
            // A table whose version byte names no memo style but which has memo fields: a
            // dBASE IV header has a block size and no III-style marker at byte 16.
            m_style = declared != 0 && header[16] == 0 ? MemoStyle::IV : MemoStyle::III;
        }
        if (m_style == MemoStyle::IV && declared >= 64) m_blockSize = declared;
    }

    const std::string& path() const override { return m_file->path(); }
    std::uint32_t blockSize() const override { return m_blockSize; }
    std::string description() const override {
        return std::string(m_style == MemoStyle::IV ? "dBASE IV" : "dBASE III") + " blocks of " +
               std::to_string(m_blockSize) + " bytes";
    }

    ReadStatus read(std::uint32_t block, std::string& bytes) const override {
        bool ivBlock = false;
        return readMemo(block, bytes, ivBlock);
    }

    bool canHold(std::string_view bytes) const override {
        return m_style != MemoStyle::III || bytes.find(static_cast<char>(kEndOfFile)) == bytes.npos;
    }

    std::uint32_t append(std::string_view bytes, Content) override {
        return memoblocks::appendMemo(*m_file, m_blockSize, 1, memoblocks::ByteOrder::Little,
                                      framed(bytes));
    }

    ReadStatus readStored(std::uint32_t block, std::vector<std::uint8_t>& stored) const override {
        std::string bytes;
        const ReadStatus status = read(block, bytes);
        stored = framed(bytes);
        return status;
    }

    std::vector<std::uint8_t> freshHeader(std::uint32_t next) const override {
        // Block 0, of which no more than the first 512 bytes mean anything.
        std::vector<std::uint8_t> header(m_blockSize, 0);
        header.resize(m_file->readAt(0, header.data(), std::min<std::size_t>(m_blockSize, 512)));
        header.resize(m_blockSize, 0);
        base::storeLittle(header.data() + kMemoHeaderNextFree, next);
        return header;
    }

    std::uint32_t firstBlock() const override { return 1; }
    std::uint32_t nextFree() const override {
        return memoblocks::readNextFree(*m_file, memoblocks::ByteOrder::Little);
    }
    void setNextFree(std::uint32_t block) override {
        memoblocks::writeNextFree(*m_file, memoblocks::ByteOrder::Little, block);
    }
    std::uint64_t size() const override { return m_file->size(); }

    // A dBASE IV memo takes its block header and its data, a dBASE III memo its text and the end
    // mark that ends it; measured without holding the memo, whatever length its header states.
    ReadStatus span(std::uint32_t block, std::uint64_t& blocks) const override {
        blocks = 0;
        if (block == 0) return ReadStatus::PastEnd;
        const std::uint64_t start = std::uint64_t{block} * m_blockSize;
        char chunk[kReadChunk];
        std::size_t got = m_file->readAt(start, chunk, sizeof chunk);
        if (got == 0) return ReadStatus::PastEnd;
        const std::uint64_t size = m_file->size();
        ReadStatus status = ReadStatus::Ok;
        std::uint64_t taken = 0;
        if (got >= kMemoBlockHeaderSize &&
            std::equal(chunk, chunk + 4, reinterpret_cast<const char*>(kMemoSignature))) {
            const std::uint32_t length =
                base::loadLittle<std::uint32_t>(reinterpret_cast<const std::uint8_t*>(chunk) + 4);
            if (lengthLeavesOutHeader(chunk, got, start, length)) {
                status = ReadStatus::LengthWithoutHeader;
                taken = kMemoBlockHeaderSize + std::uint64_t{length};
            } else {
                taken = std::max<std::uint64_t>(length, kMemoBlockHeaderSize);
            }
            if (start + taken > size) status = ReadStatus::Cut;
        } else {
            if (m_style == MemoStyle::IV) status = ReadStatus::NotIvStyle;
            for (std::uint64_t pos = start; got > 0;
                 got = m_file->readAt(pos, chunk, sizeof chunk)) {
                const char* end = std::find(chunk, chunk + got, static_cast<char>(kEndOfFile));
                taken += static_cast<std::uint64_t>(end - chunk);
                if (end != chunk + got) {
                    ++taken;
                    break;
                }
                pos += got;
            }
        }
        blocks = memoblocks::blocksTaken(*m_file, m_blockSize, block, taken);
        return status;
    }

private:
    // read, telling whether the memo had a dBASE IV block header.
    ReadStatus readMemo(std::uint32_t block, std::string& bytes, bool& ivBlock) const {
        bytes.clear();
        if (block == 0) return ReadStatus::PastEnd;
        const std::uint64_t start = std::uint64_t{block} * m_blockSize;
        char chunk[kReadChunk];
        std::size_t got = m_file->readAt(start, chunk, sizeof chunk);
        if (got == 0) return ReadStatus::PastEnd;
        // No dBASE III text starts with FF FF 08 00.
        ivBlock = got >= kMemoBlockHeaderSize &&
                  std::equal(chunk, chunk + 4, reinterpret_cast<const char*>(kMemoSignature));
        if (ivBlock) {
            std::uint32_t length =
                base::loadLittle<std::uint32_t>(reinterpret_cast<const std::uint8_t*>(chunk) + 4);
            const bool withoutHeader = lengthLeavesOutHeader(chunk, got, start, length);
            if (!withoutHeader) {
                if (length < kMemoBlockHeaderSize) return ReadStatus::Ok;  // empty
                length -= static_cast<std::uint32_t>(kMemoBlockHeaderSize);
            }
            ReadStatus status = memoblocks::readCounted(
                *m_file, chunk + kMemoBlockHeaderSize, got - kMemoBlockHeaderSize,
                got == sizeof chunk, start + kMemoBlockHeaderSize, length, bytes);
            return status == ReadStatus::Ok && withoutHeader ? ReadStatus::LengthWithoutHeader
                                                             : status;
        }
        ReadStatus status = m_style == MemoStyle::IV ? ReadStatus::NotIvStyle : ReadStatus::Ok;
        // dBASE III: text up to the first 0x1A, or the end of the file.
        std::uint64_t pos = start;
        while (got > 0) {
            const char* end = std::find(chunk, chunk + got, static_cast<char>(kEndOfFile));
            bytes.append(chunk, static_cast<std::size_t>(end - chunk));
            if (end != chunk + got) return status;
            pos += got;
            got = m_file->readAt(pos, chunk, sizeof chunk);
        }
        return status;
    }

    // A memo as a block of the file holds it.
    std::vector<std::uint8_t> framed(std::string_view bytes) const {
        std::vector<std::uint8_t> memo;
        if (m_style == MemoStyle::IV) {
            memo.resize(kMemoBlockHeaderSize + bytes.size());
            std::copy(std::begin(kMemoSignature), std::end(kMemoSignature), memo.begin());
            base::storeLittle(memo.data() + 4,
                              static_cast<std::uint32_t>(bytes.size() + kMemoBlockHeaderSize));
            std::copy(bytes.begin(), bytes.end(), memo.begin() + kMemoBlockHeaderSize);
        } else {
            memo.assign(bytes.begin(), bytes.end());
            memo.push_back(kEndOfFile);
            memo.push_back(kEndOfFile);
        }
        return memo;
    }

    // Some writers store the text's length without the 8 bytes of the block header. Read as
    // stated, such a memo would lose its last 8 bytes; the sign is text in those 8 bytes
    // (no NUL, no end mark, no 0x1F filler) with an end mark right after them.
    bool lengthLeavesOutHeader(const char* chunk, std::size_t got, std::uint64_t start,
                               std::uint32_t length) const {
        const std::uint64_t end = start + kMemoBlockHeaderSize + length;  // the end mark
        const std::uint64_t from = start + std::max<std::uint64_t>(length, kMemoBlockHeaderSize);
        char window[kMemoBlockHeaderSize + 1];
        const auto size = static_cast<std::size_t>(end + 1 - from);
        if (end + 1 <= start + got) {
            std::copy_n(chunk + (from - start), size, window);
        } else if (m_file->readAt(from, window, size) != size) {
            return false;
        }
        if (window[size - 1] != static_cast<char>(kEndOfFile)) return false;
        return std::none_of(window, window + size - 1, [](char c) {
            return c == 0 || c == static_cast<char>(kEndOfFile) || c == 0x1F;
        });
    }

    std::unique_ptr<File> m_file;
    MemoStyle m_style;
    std::uint32_t m_blockSize = kMemoBlockSize;
};

}  // namespace

std::unique_ptr<MemoStore> openDbtMemo(std::unique_ptr<File> file, MemoStyle style) {
    return std::make_unique<DbtMemo>(std::move(file), style);
}

}  // namespace engine::dbf

#include "engine/dbf/MemoFile.h"

#include "base/Endian.h"
#include "engine/EngineError.h"

#include <algorithm>
#include <vector>

namespace engine::dbf {

namespace {

constexpr std::size_t kReadChunk = 4096;

}  // namespace

MemoFile::MemoFile(std::unique_ptr<File> file, MemoStyle style)
    : m_file(std::move(file)), m_style(style) {
    std::uint8_t header[24] = {};
    std::size_t got = m_file->readAt(0, header, sizeof header);
    if (got < 4) {
        throw EngineError("Cannot read the memo file " + path() + ": it is too short.");
    }
    std::uint16_t declared =
        got >= 22 ? base::loadLittle<std::uint16_t>(header + kMemoHeaderBlockSize) : 0;
    if (m_style == MemoStyle::None) {
        // A table whose version byte names no memo style but which has memo fields: a dBASE IV
        // header has a block size and no III-style marker at byte 16.
        m_style = declared != 0 && header[16] == 0 ? MemoStyle::IV : MemoStyle::III;
    }
    if (m_style == MemoStyle::IV && declared >= 64) m_blockSize = declared;
}

MemoFile::ReadStatus MemoFile::read(std::uint32_t block, std::string& bytes) const {
    bytes.clear();
    if (block == 0) return ReadStatus::PastEnd;
    // One read takes the block header and, for most memos, the whole text: a table's memos are
    // read one after another, and each system call costs more than the text it fetches.
    const std::uint64_t start = std::uint64_t{block} * m_blockSize;
    char chunk[kReadChunk];
    std::size_t got = m_file->readAt(start, chunk, sizeof chunk);
    if (got == 0) return ReadStatus::PastEnd;

    ReadStatus status = ReadStatus::Ok;
    // The block header decides, whatever the version byte says: no dBASE III text starts
    // with FF FF 08 00.
    bool ivBlock = got >= kMemoBlockHeaderSize &&
                   std::equal(chunk, chunk + 4, reinterpret_cast<const char*>(kMemoSignature));
    if (ivBlock) {
        std::uint32_t length =
            base::loadLittle<std::uint32_t>(reinterpret_cast<const std::uint8_t*>(chunk) + 4);
        if (length < kMemoBlockHeaderSize) return ReadStatus::Ok;  // empty
        const std::uint64_t dataStart = start + kMemoBlockHeaderSize;
        std::uint64_t wanted = length - kMemoBlockHeaderSize;
        const std::size_t inChunk = got - kMemoBlockHeaderSize;
        if (wanted <= inChunk) {
            bytes.assign(chunk + kMemoBlockHeaderSize, static_cast<std::size_t>(wanted));
            return status;
        }
        if (got < sizeof chunk) {  // the file ends inside the chunk
            bytes.assign(chunk + kMemoBlockHeaderSize, inChunk);
            return ReadStatus::Cut;
        }
        // A long memo: never more than the file holds, whatever its length says.
        std::uint64_t fileSize = m_file->size();
        if (dataStart + wanted > fileSize) {
            wanted = fileSize > dataStart ? fileSize - dataStart : 0;
            status = ReadStatus::Cut;
        }
        bytes.resize(static_cast<std::size_t>(wanted));
        bytes.resize(m_file->readAt(dataStart, bytes.data(), bytes.size()));
        if (bytes.size() < wanted) status = ReadStatus::Cut;
        return status;
    }
    if (m_style == MemoStyle::IV) status = ReadStatus::NotIvStyle;
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

bool MemoFile::canHold(std::string_view bytes) const {
    return m_style != MemoStyle::III || bytes.find(static_cast<char>(kEndOfFile)) == bytes.npos;
}

std::uint32_t MemoFile::append(std::string_view bytes) {
    ByteLock lock(*m_file, kHeaderLockOffset,
                  "The memo file " + m_file->path() + " is locked by another user.");
    std::uint8_t header[4];
    m_file->readExactly(0, header, sizeof header);
    std::uint64_t nextFree = base::loadLittle<std::uint32_t>(header);
    std::uint64_t fileBlocks = (m_file->size() + m_blockSize - 1) / m_blockSize;
    std::uint64_t first = std::max<std::uint64_t>({nextFree, fileBlocks, 1});

    std::vector<std::uint8_t> data;
    if (m_style == MemoStyle::IV) {
        data.resize(kMemoBlockHeaderSize);
        std::copy(std::begin(kMemoSignature), std::end(kMemoSignature), data.begin());
        base::storeLittle<std::uint32_t>(
            data.data() + 4, static_cast<std::uint32_t>(bytes.size() + kMemoBlockHeaderSize));
        data.insert(data.end(), bytes.begin(), bytes.end());
    } else {
        data.assign(bytes.begin(), bytes.end());
        data.push_back(kEndOfFile);
        data.push_back(kEndOfFile);
    }
    std::uint64_t blocks = (data.size() + m_blockSize - 1) / m_blockSize;
    data.resize(static_cast<std::size_t>(blocks * m_blockSize), 0);
    std::uint64_t end = (first + blocks) * m_blockSize;
    if (end > kMaxFileSize || first + blocks > 0xFFFF'FFFFu) {
        throw EngineError("Cannot write to the memo file " + m_file->path() +
                          ": it would grow past 2 GB.");
    }
    m_file->writeAt(first * m_blockSize, data.data(), data.size());
    std::uint8_t next[4];
    base::storeLittle<std::uint32_t>(next, static_cast<std::uint32_t>(first + blocks));
    m_file->writeAt(0, next, sizeof next);
    return static_cast<std::uint32_t>(first);
}

}  // namespace engine::dbf

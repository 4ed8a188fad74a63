#include "engine/dbf/MemoBlocks.h"

#include "base/Endian.h"
#include "engine/EngineError.h"

#include <algorithm>

namespace engine::dbf::memoblocks {

MemoStore::ReadStatus readCounted(const File& file, const char* chunk, std::size_t inChunk,
                                  bool chunkFull, std::uint64_t dataStart, std::uint64_t wanted,
                                  std::string& bytes) {
    if (wanted <= inChunk) {
        bytes.assign(chunk, static_cast<std::size_t>(wanted));
        return MemoStore::ReadStatus::Ok;
    }
    if (!chunkFull) {  // the file ends inside the chunk
        bytes.assign(chunk, inChunk);
        return MemoStore::ReadStatus::Cut;
    }
    MemoStore::ReadStatus status = MemoStore::ReadStatus::Ok;
    std::uint64_t fileSize = file.size();
    if (dataStart + wanted > fileSize) {
        wanted = fileSize > dataStart ? fileSize - dataStart : 0;
        status = MemoStore::ReadStatus::Cut;
    }
    bytes.resize(static_cast<std::size_t>(wanted));
    bytes.resize(file.readAt(dataStart, bytes.data(), bytes.size()));
    if (bytes.size() < wanted) status = MemoStore::ReadStatus::Cut;
    return status;
}

std::uint32_t readNextFree(const File& file, ByteOrder order) {
    std::uint8_t header[4];
    file.readExactly(kMemoHeaderNextFree, header, sizeof header);
    return order == ByteOrder::Little ? base::loadLittle<std::uint32_t>(header)
                                      : base::loadBig<std::uint32_t>(header);
}

void writeNextFree(File& file, ByteOrder order, std::uint32_t block) {
    std::uint8_t header[4];
    if (order == ByteOrder::Little) {
        base::storeLittle(header, block);
    } else {
        base::storeBig(header, block);
    }
    file.writeAt(kMemoHeaderNextFree, header, sizeof header);
}

std::uint64_t blocksTaken(const File& file, std::uint32_t blockSize, std::uint32_t block,
                          std::uint64_t bytes) {
    const std::uint64_t start = std::uint64_t{block} * blockSize;
    const std::uint64_t size = file.size();
    if (size > start) bytes = std::min(bytes, size - start);
    return std::max<std::uint64_t>(1, (bytes + blockSize - 1) / blockSize);
}

std::uint32_t appendMemo(File& file, std::uint32_t blockSize, std::uint64_t firstUsable,
                         ByteOrder order, std::vector<std::uint8_t> memo) {
    ByteLock lock(file, kHeaderLockOffset,
                  "The memo file " + file.path() + " is locked by another user.");
    const std::uint64_t nextFree = readNextFree(file, order);
    const std::uint64_t fileBlocks = (file.size() + blockSize - 1) / blockSize;
    const std::uint64_t first = std::max({nextFree, fileBlocks, firstUsable});
    const std::uint64_t blocks = (memo.size() + blockSize - 1) / blockSize;
    memo.resize(static_cast<std::size_t>(blocks * blockSize), 0);
    if ((first + blocks) * blockSize > kMaxFileSize || first + blocks > 0xFFFF'FFFFu) {
        throw EngineError("Cannot write to the memo file " + file.path() +
                          ": it would grow past 2 GB.");
    }
    file.writeAt(first * blockSize, memo.data(), memo.size());
    writeNextFree(file, order, static_cast<std::uint32_t>(first + blocks));
    return static_cast<std::uint32_t>(first);
}

}  // namespace engine::dbf::memoblocks

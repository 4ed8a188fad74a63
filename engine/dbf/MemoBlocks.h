// What the memo file formats share: reading a memo whose block header states its length, and
// the one way a new memo is added to a file.
#pragma once

#include "engine/dbf/MemoStore.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace engine::dbf::memoblocks {

// One read at a memo's first block takes its block header and, for most memos, the whole
// text: a table's memos are read one after another, and each call costs more than the text.
inline constexpr std::size_t kReadChunk = 4096;

// The memo of `wanted` data bytes at dataStart, of which the first `inChunk` are already at
// `chunk` (chunkFull: the chunk was read whole, so the file may hold more). Never reads past
// the end of the file, whatever the length says: such a memo is read as far as it goes, Cut.
MemoStore::ReadStatus readCounted(const File& file, const char* chunk, std::size_t inChunk,
                                  bool chunkFull, std::uint64_t dataStart, std::uint64_t wanted,
                                  std::string& bytes);

enum class ByteOrder { Little, Big };

// The next free block a memo file's header states (a uint32 at offset 0 in that byte order), and
// writing it (one write of four bytes).
std::uint32_t readNextFree(const File& file, ByteOrder order);
void writeNextFree(File& file, ByteOrder order, std::uint32_t block);

// The blocks from block that bytes bytes take, at least one, as far as the file holds them.
std::uint64_t blocksTaken(const File& file, std::uint32_t blockSize, std::uint32_t block,
                          std::uint64_t bytes);

// Adds a memo (its block header, data and end marks already in memo) to the file as
// MemoStore::append describes: the first block is the largest of the header's next-free
// pointer (a uint32 at offset 0 in that byte order), the first block past the end of the file
// and firstUsable.
std::uint32_t appendMemo(File& file, std::uint32_t blockSize, std::uint64_t firstUsable,
                         ByteOrder order, std::vector<std::uint8_t> memo);

}  // namespace engine::dbf::memoblocks

// The memo file (.dbt) of a table: reading a memo by its first block, and writing a new memo to
// fresh blocks. Both block styles: dBASE III (text ended by 0x1A, 512-byte blocks) and
// dBASE IV/5 (FF FF 08 00 and a length before the data, block size from the file header).
#pragma once

#include "engine/dbf/DbfFormat.h"
#include "engine/dbf/File.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace engine::dbf {

class MemoFile {
public:
    enum class ReadStatus {
        Ok,
        PastEnd,    // the block lies beyond the end of the file: nothing read
        Cut,        // the memo runs past the end of the file: what the file holds was read
        NotIvStyle  // a dBASE IV memo without its block header: read as dBASE III text
    };

    // Reads the memo file's header; style is the one the table's version byte names (None when
    // it names none: the style is then taken from the file's header). Throws EngineError when
    // the header cannot be read.
    MemoFile(std::unique_ptr<File> file, MemoStyle style);

    MemoStyle style() const { return m_style; }
    std::uint32_t blockSize() const { return m_blockSize; }
    const std::string& path() const { return m_file->path(); }

    // The bytes of the memo starting at block (> 0), in the table's code page.
    ReadStatus read(std::uint32_t block, std::string& bytes) const;

    // Whether the style can hold these bytes (a dBASE III memo ends at the first 0x1A).
    bool canHold(std::string_view bytes) const;
    // Writes bytes as a new memo after every block in use and returns its first block. Live
    // memos are never overwritten: the data goes to fresh blocks first, then the header's
    // next-free pointer is raised; the caller then stores the block number in the record.
    // Throws EngineError on I/O failure or when the file would grow past 2 GB.
    std::uint32_t append(std::string_view bytes);

private:
    std::unique_ptr<File> m_file;
    MemoStyle m_style;
    std::uint32_t m_blockSize = kMemoBlockSize;
};

}  // namespace engine::dbf

// The memo file of a table: memos read by their first block, and new memos written to fresh
// blocks. Three formats behind one interface: dBASE III .dbt (text ended by 0x1A, 512-byte
// blocks), dBASE IV/5/7 .dbt (FF FF 08 00 and a length before the data, block size from the
// header) and FoxPro .fpt (big-endian header and block headers with a type and a length). How a
// record points at a memo (ASCII digits or a binary number) is the field's business, not the
// memo file's.
#pragma once

#include "engine/dbf/DbfFormat.h"
#include "engine/dbf/File.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine::dbf {

class MemoStore {
public:
    enum class ReadStatus {
        Ok,
        PastEnd,     // the block lies beyond the end of the file: nothing read
        Cut,         // the memo runs past the end of the file: what the file holds was read
        NotIvStyle,  // a dBASE IV memo without its block header: read as dBASE III text
        InHeader,    // the block lies inside the file's header: nothing read
        // A dBASE IV memo whose stated length leaves out its 8-byte block header (the text runs
        // on to an end mark 8 bytes further): the whole text was read.
        LengthWithoutHeader,
    };
    enum class Content { Text, Binary };

    virtual ~MemoStore() = default;

    virtual const std::string& path() const = 0;
    virtual std::uint32_t blockSize() const = 0;
    // What the table-information command says of the file: "dBASE IV blocks of 512 bytes".
    virtual std::string description() const = 0;

    // The bytes of the memo starting at block (> 0), as stored (text in the table's code page).
    virtual ReadStatus read(std::uint32_t block, std::string& bytes) const = 0;
    // Why the file should only be read ("its header gives a block size of 0"), when its header
    // had to be guessed at; empty otherwise.
    virtual std::string doubt() const { return {}; }
    // Whether the format can hold these bytes (a dBASE III memo ends at the first 0x1A).
    virtual bool canHold(std::string_view bytes) const = 0;
    // Writes bytes as a new memo after every block in use and returns its first block. Live
    // memos are never overwritten: under the memo file's lock the header is read again, the data
    // goes to fresh blocks (padded with zeros to a whole block), and only then is the header's
    // next-free pointer raised; the caller then stores the block number in the record. Throws
    // EngineError on I/O failure or when the file would grow past 2 GB.
    virtual std::uint32_t append(std::string_view bytes, Content content) = 0;

    // For checking and repairing the file: the first block a memo may start at (the header
    // comes before it), the next free block its header states, and the blocks the memo starting
    // at block takes (its block header, data and end mark, as far as the file holds them), with
    // the status read would give.
    virtual std::uint32_t firstBlock() const = 0;
    virtual std::uint32_t nextFree() const = 0;
    virtual ReadStatus span(std::uint32_t block, std::uint64_t& blocks) const = 0;
    // The file's size in bytes.
    virtual std::uint64_t size() const = 0;
    // Writes block as the header's next free block: four bytes in one write.
    virtual void setNextFree(std::uint32_t block) = 0;
    // For writing a fresh memo file of this one's format (pack): the memo at block as a block
    // of the new file is to hold it (its block header, data and end marks; a .fpt memo keeps
    // its type), read as read() reads it.
    virtual ReadStatus readStored(std::uint32_t block, std::vector<std::uint8_t>& stored) const = 0;
    // The header (block 0 onwards, up to firstBlock()) of a fresh file whose next free block is
    // next: this file's, with its block size and other bytes.
    virtual std::vector<std::uint8_t> freshHeader(std::uint32_t next) const = 0;
};

// Why a memo whose read gave status cannot be copied whole ("it lies past the end of the memo
// file"), or nullptr when it can.
inline const char* unreadableMemo(MemoStore::ReadStatus status) {
    switch (status) {
        case MemoStore::ReadStatus::PastEnd:
            return "it lies past the end of the memo file";
        case MemoStore::ReadStatus::Cut:
            return "it runs past the end of the memo file";
        case MemoStore::ReadStatus::InHeader:
            return "it points into the memo file's header";
        default:
            return nullptr;
    }
}

// A .dbt file; style is the one the table's version byte names (None when it names none: the
// style is then taken from the file's header). Throws EngineError when the header cannot be read.
std::unique_ptr<MemoStore> openDbtMemo(std::unique_ptr<File> file, MemoStyle style);
// A FoxPro .fpt file. Throws EngineError when the header cannot be read, or gives block size 0
// and a next free block that is not the file's size in bytes (with which it is read with blocks
// of one byte, and doubted).
std::unique_ptr<MemoStore> openFptMemo(std::unique_ptr<File> file);

}  // namespace engine::dbf

// The records of a table file read a page at a time: a few pages of consecutive records kept in
// memory, the least recently used one given up for a new page. Records are read one after
// another, field by field, so the record found last is remembered too.
#pragma once

#include "engine/dbf/File.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace engine::dbf {

class RecordCache {
public:
    static constexpr std::size_t kDefaultPageBytes = 64 * 1024;

    // Records of recordLength bytes from offset firstRecord of file, which must outlive the
    // cache. A page holds as many whole records as fit in pageBytes (at least one).
    RecordCache(const File& file, std::uint64_t firstRecord, std::size_t recordLength,
                std::uint32_t count, std::size_t pageBytes = kDefaultPageBytes);

    std::uint32_t count() const { return m_count; }
    // Changes how many records there are; pages already read stay as they were read.
    void setCount(std::uint32_t count) { m_count = count; }

    // The bytes of record physical (0-based, deleted records counted), valid until the next call.
    // Throws EngineError when the record does not exist or the file ends before it.
    const std::uint8_t* record(std::uint32_t physical);
    // Puts bytes just written at offset within a record into the pages that hold it.
    void patch(std::uint32_t physical, std::size_t offset, const std::uint8_t* bytes,
               std::size_t size);
    // Forgets every page, as after another program may have changed the file.
    void drop();

private:
    struct Page {
        std::uint32_t first = 0;
        std::uint32_t count = 0;  // 0: empty slot
        std::uint64_t lastUse = 0;
        std::vector<std::uint8_t> bytes;
    };

    Page& load(std::uint32_t first);

    const File* m_file;
    std::uint64_t m_firstRecord;
    std::size_t m_recordLength;
    std::uint32_t m_count;
    std::uint32_t m_recordsPerPage;
    std::array<Page, 4> m_pages;
    std::uint64_t m_clock = 0;
    // The record found last (null: none). A page being loaded or dropped forgets it.
    std::uint32_t m_lastPhysical = 0;
    const std::uint8_t* m_lastRecord = nullptr;
};

}  // namespace engine::dbf

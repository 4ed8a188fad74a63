#include "engine/dbf/RecordCache.h"

#include "engine/EngineError.h"

#include <algorithm>

namespace engine::dbf {

RecordCache::RecordCache(const File& file, std::uint64_t firstRecord, std::size_t recordLength,
                         std::uint32_t count, std::size_t pageBytes)
    : m_file(&file),
      m_firstRecord(firstRecord),
      m_recordLength(recordLength),
      m_count(count),
      m_recordsPerPage(
          static_cast<std::uint32_t>(std::max<std::size_t>(1, pageBytes / recordLength))) {}

const std::uint8_t* RecordCache::record(std::uint32_t physical) {
    if (physical >= m_count) {
        throw EngineError("Record " + std::to_string(physical + 1) + " of " + m_file->path() +
                          " does not exist.");
    }
    if (m_lastRecord != nullptr && physical == m_lastPhysical) return m_lastRecord;
    const std::uint32_t first = physical / m_recordsPerPage * m_recordsPerPage;
    auto found = std::find_if(m_pages.begin(), m_pages.end(), [&](const Page& page) {
        return page.count > 0 && page.first == first;
    });
    Page& page = found != m_pages.end() ? *found : load(first);
    page.lastUse = ++m_clock;
    if (physical - first >= page.count) {
        page.count = 0;
        m_lastRecord = nullptr;
        throw EngineError("Cannot read record " + std::to_string(physical + 1) + " of " +
                          m_file->path() + ": the file ends sooner than its header says.");
    }
    m_lastPhysical = physical;
    m_lastRecord = page.bytes.data() + (physical - first) * m_recordLength;
    return m_lastRecord;
}

RecordCache::Page& RecordCache::load(std::uint32_t first) {
    Page& page =
        *std::min_element(m_pages.begin(), m_pages.end(),
                          [](const Page& a, const Page& b) { return a.lastUse < b.lastUse; });
    m_lastRecord = nullptr;
    page.count = 0;
    page.bytes.resize(std::min(m_recordsPerPage, m_count - first) * m_recordLength);
    std::size_t got = m_file->readAt(m_firstRecord + std::uint64_t{first} * m_recordLength,
                                     page.bytes.data(), page.bytes.size());
    page.first = first;
    page.count = static_cast<std::uint32_t>(got / m_recordLength);
    return page;
}

void RecordCache::patch(std::uint32_t physical, std::size_t offset, const std::uint8_t* bytes,
                        std::size_t size) {
    for (Page& page : m_pages) {
        if (page.count > 0 && physical >= page.first && physical - page.first < page.count) {
            std::size_t at = (physical - page.first) * m_recordLength + offset;
            std::copy(bytes, bytes + size, page.bytes.begin() + static_cast<std::ptrdiff_t>(at));
        }
    }
}

void RecordCache::drop() {
    m_lastRecord = nullptr;
    for (Page& page : m_pages) page.count = 0;
}

}  // namespace engine::dbf

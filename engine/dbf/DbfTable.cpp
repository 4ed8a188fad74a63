#include "engine/dbf/DbfTable.h"

#include "engine/EngineError.h"
#include "engine/dbf/RecordCells.h"

#include <algorithm>
#include <filesystem>

namespace engine::dbf {

namespace {

constexpr std::size_t kScanBytes = 1024 * 1024;

}  // namespace

std::unique_ptr<DbfTable> DbfTable::open(const std::string& path, const DbfOpenOptions& options) {
    return std::unique_ptr<DbfTable>(new DbfTable(openTable(path, options)));
}

DbfTable::DbfTable(OpenedTable table)
    : m_table(std::move(table)),
      m_cache(*m_table.file, m_table.header.headerLength, m_table.header.recordLength,
              m_table.count),
      m_warnings(std::move(m_table.warnings)),
      m_context{m_table.codec.get(), &m_table.codePage.name, m_table.memo.get(), &m_memoBytes},
      m_writer(m_table, m_cache, m_context) {}

std::vector<std::uint32_t> DbfTable::deletedRecords() const {
    std::vector<std::uint32_t> deleted;
    const std::uint64_t recordLength = m_table.header.recordLength;
    const std::uint64_t perBlock = std::max<std::uint64_t>(1, kScanBytes / recordLength);
    std::vector<std::uint8_t> block(static_cast<std::size_t>(perBlock * recordLength));
    bool oddFlags = false;
    for (std::uint64_t first = 0; first < m_table.count; first += perBlock) {
        std::uint64_t count = std::min<std::uint64_t>(perBlock, m_table.count - first);
        std::size_t bytes = static_cast<std::size_t>(count * recordLength);
        m_table.file->readExactly(m_table.header.headerLength + first * recordLength, block.data(),
                                  bytes);
        for (std::uint64_t i = 0; i < count; ++i) {
            std::uint8_t flag = block[static_cast<std::size_t>(i * recordLength)];
            if (flag == kDeletedFlag) {
                deleted.push_back(static_cast<std::uint32_t>(first + i));
            } else if (flag != kLiveFlag) {
                oddFlags = true;
            }
        }
    }
    if (oddFlags) m_warnings.oddDeletionMarks();
    return deleted;
}

void DbfTable::decodeField(const std::uint8_t* record, std::uint32_t physical, std::size_t field,
                           Value& out) const {
    const FieldDescriptor& descriptor = m_table.header.fields[field];
    CellProblem problem = decodeCell(m_table.header, descriptor, record, m_context, out);
    if (problem != CellProblem::None) {
        m_warnings.badCell(field, m_table.fields[field].name, physical, problem);
    }
}

void DbfTable::readRecord(std::uint32_t physical, std::vector<Value>& values) const {
    const std::uint8_t* record = m_cache.record(physical);
    values.resize(m_table.fields.size());
    for (std::size_t i = 0; i < values.size(); ++i) decodeField(record, physical, i, values[i]);
}

Value DbfTable::readField(std::uint32_t physical, int field) const {
    Value value;
    readFieldInto(physical, field, value);
    return value;
}

void DbfTable::readFieldInto(std::uint32_t physical, int field, Value& out) const {
    if (field < 0 || static_cast<std::size_t>(field) >= m_table.fields.size()) {
        throw EngineError("Field number " + std::to_string(field) + " does not exist in " +
                          m_table.path + ".");
    }
    decodeField(m_cache.record(physical), physical, static_cast<std::size_t>(field), out);
}

Value DbfTable::prepareValue(int field, const Value& value) const {
    return m_writer.prepare(field, value);
}

void DbfTable::updateRecord(std::uint32_t physical, const Assignments& assigned) {
    m_writer.update(physical, assigned);
}

std::uint32_t DbfTable::appendRecord(const Assignments& assigned) {
    return m_writer.append(assigned);
}

void DbfTable::deleteRecord(std::uint32_t physical) { m_writer.remove(physical); }

void DbfTable::recallRecord(std::uint32_t physical) { m_writer.recall(physical); }

std::vector<std::string> DbfTable::files() const {
    if (m_table.memo) return {m_table.path, m_table.memo->path()};
    const bool fpt = m_table.header.versionInfo.memoStyle == MemoStyle::Fpt;
    return {m_table.path,
            std::filesystem::path(m_table.path).replace_extension(fpt ? ".fpt" : ".dbt").string()};
}

std::string DbfTable::indexText() const {
    const bool foxPro = (m_table.header.versionInfo.dialects & kFoxFamily) != 0;
    std::string text = !m_table.header.indexFlag ? "none named in the header"
                       : foxPro                  ? "a structural index (.cdx) named in the header"
                                                 : "a production index (.mdx) named in the header";
    if (!m_table.indexFile.empty()) text += "; " + m_table.indexFile + " is beside the table";
    return text;
}

std::vector<std::pair<std::string, std::string>> DbfTable::properties() const {
    const TableHeader& header = m_table.header;
    std::vector<std::pair<std::string, std::string>> out;
    out.emplace_back("Format", header.versionInfo.description + " (version byte " +
                                   hexByte(header.version) + ")");
    out.emplace_back("Code page", m_table.codePage.name + ", " + m_table.codePageSource);
    std::string updated = "unknown";
    if (header.updateYear != 0) {
        updated =
            DateTime{header.updateYear, header.updateMonth, header.updateDay, 0}.toIsoString();
    }
    out.emplace_back("Last update", updated);
    out.emplace_back("Record length", std::to_string(header.recordLength) + " bytes");
    out.emplace_back("Header length", std::to_string(header.headerLength) + " bytes");
    if (header.versionInfo.layout.backlinkSize > 0) {
        out.emplace_back("Database", m_table.backlink.empty() ? std::string("none (a free table)")
                                                              : m_table.backlink);
    }
    out.emplace_back("Index", indexText());
    std::string required;
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        if (header.fields[i].required) {
            required += (required.empty() ? "" : ", ") + m_table.fields[i].name;
        }
    }
    if (!required.empty()) out.emplace_back("Required", required);
    if (m_table.memo) {
        out.emplace_back("Memo file",
                         m_table.memo->path() + " (" + m_table.memo->description() + ")");
    }
    const std::string& reason = m_table.readOnlyReason;
    out.emplace_back("Access", m_table.writable ? "read and write"
                               : reason.empty() ? std::string("read-only (opened for reading)")
                                                : "read-only: " + reason);
    return out;
}

}  // namespace engine::dbf

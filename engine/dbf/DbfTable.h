// A dBASE table file (and its memo file) as a TableSource, assembled from the parts opening
// found (TableOpen.h): records read on demand through a page cache and decoded by each field's
// kind, writes through a RecordWriter that touches only the bytes they change.
#pragma once

#include "engine/TableSource.h"
#include "engine/dbf/FieldKinds.h"
#include "engine/dbf/RecordCache.h"
#include "engine/dbf/RecordWriter.h"
#include "engine/dbf/TableOpen.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace engine::dbf {

class DbfTable final : public TableSource {
public:
    // Opens the table file at path; see openTable (TableOpen.h) for what is refused and what
    // opens read-only.
    static std::unique_ptr<DbfTable> open(const std::string& path, const DbfOpenOptions& options);

    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    const std::vector<FieldInfo>& fields() const override { return m_table.fields; }
    std::uint32_t physicalCount() const override { return m_table.count; }
    std::vector<std::uint32_t> deletedRecords() const override;
    void readRecord(std::uint32_t physical, std::vector<Value>& values) const override;
    Value readField(std::uint32_t physical, int field) const override;
    void readFieldInto(std::uint32_t physical, int field, Value& out) const override;
    bool isWritable() const override { return m_table.writable; }
    Value prepareValue(int field, const Value& value) const override;
    void holdRecord(std::uint32_t physical) override { m_writer.hold(physical); }
    void releaseRecord() override { m_writer.release(); }
    void updateRecord(std::uint32_t physical, const Assignments& assigned) override;
    std::uint32_t appendRecord(const Assignments& assigned) override;
    void deleteRecord(std::uint32_t physical) override;
    void recallRecord(std::uint32_t physical) override;
    const std::vector<std::string>& warnings() const override { return m_warnings.all(); }
    const std::vector<std::string>& importantWarnings() const override {
        return m_warnings.important();
    }
    std::string description() const override { return m_table.path; }
    std::vector<std::string> files() const override;
    std::string readOnlyReason() const override { return m_table.readOnlyReason; }
    std::vector<std::pair<std::string, std::string>> properties() const override;

    const TableHeader& header() const { return m_table.header; }
    const CodePage& codePage() const { return m_table.codePage; }

private:
    explicit DbfTable(OpenedTable table);

    // The Index line of properties(): what the header says and which index files are there.
    std::string indexText() const;
    void decodeField(const std::uint8_t* record, std::uint32_t physical, std::size_t field,
                     Value& out) const;

    OpenedTable m_table;
    // Reading changes what is cached and what has been told, never the table.
    mutable RecordCache m_cache;
    mutable TableWarnings m_warnings;
    mutable std::string m_memoBytes;
    CellContext m_context;
    RecordWriter m_writer;
};

}  // namespace engine::dbf

// A dBASE table file (and its memo file) as a TableSource: records read on demand through a
// small page cache, writes that touch only the bytes they change, and dBASE-style byte locks.
#pragma once

#include "engine/TableSource.h"
#include "engine/dbf/CodePage.h"
#include "engine/dbf/DbfHeader.h"
#include "engine/dbf/File.h"
#include "engine/dbf/RecordCache.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace engine::dbf {

class MemoStore;

struct DbfOpenOptions {
    // False opens the table read-only: nothing is written and no lock is taken.
    bool writable = true;
    // Overrides the table's code page ("" = the table's own); see codePageFromUserName.
    std::string encoding;
    // Where the table's files are; null: on disk.
    const FileSystem* fileSystem = nullptr;
};

class DbfTable final : public TableSource {
public:
    // Opens the table file at path. Throws EngineError for a file that is missing, unreadable or
    // refused (see parseHeader). A table that can be read but not safely written (missing memo
    // file, truncated file, production index, incomplete transaction, write-protected file, a
    // code page without converter, a read-only version) opens read-only with a warning saying
    // why.
    static std::unique_ptr<DbfTable> open(const std::string& path, const DbfOpenOptions& options);

    ~DbfTable() override;
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    const std::vector<FieldInfo>& fields() const override { return m_fields; }
    std::uint32_t physicalCount() const override { return m_count; }
    std::vector<std::uint32_t> deletedRecords() const override;
    void readRecord(std::uint32_t physical, std::vector<Value>& values) const override;
    Value readField(std::uint32_t physical, int field) const override;
    void readFieldInto(std::uint32_t physical, int field, Value& out) const override;
    bool isWritable() const override { return m_writable; }
    Value prepareValue(int field, const Value& value) const override;
    void updateRecord(std::uint32_t physical, const Assignments& assigned) override;
    std::uint32_t appendRecord(const Assignments& assigned) override;
    void deleteRecord(std::uint32_t physical) override;
    const std::vector<std::string>& warnings() const override { return m_warnings; }
    std::string description() const override { return m_path; }
    std::vector<std::string> files() const override;
    std::string readOnlyReason() const override { return m_readOnlyReason; }
    std::vector<std::pair<std::string, std::string>> properties() const override;

    const TableHeader& header() const { return m_header; }
    const CodePage& codePage() const { return m_codePage; }

private:
    DbfTable() = default;

    void makeReadOnly(const std::string& reason, const std::string& warning);
    void chooseCodePage(const DbfOpenOptions& options, const FileSystem& files);
    void buildFieldInfos();
    void reconcileCount(std::uint64_t fileSize);
    void openMemoFile(bool writable, const FileSystem& files);

    std::uint64_t recordOffset(std::uint32_t physical) const;
    void decodeField(const std::uint8_t* record, std::uint32_t physical, int field,
                     Value& out) const;
    void warnBadValue(int field, std::uint32_t physical, const char* what) const;

    void requireWritable() const;
    // The bytes a non-memo field stores for a prepared value (exactly its width).
    std::string encodeField(int field, const Value& prepared) const;
    // Writes a memo value to the memo file and returns the field's 10 pointer bytes.
    std::string storeMemo(int field, const Value& prepared);
    [[noreturn]] void refuseValue(int field, const Value& value, const std::string& why) const;

    std::string m_path;
    std::string m_name;  // file name without folder, for messages
    std::unique_ptr<File> m_file;
    TableHeader m_header;
    std::vector<FieldInfo> m_fields;
    std::uint32_t m_count = 0;
    bool m_writable = false;
    std::string m_readOnlyReason;
    mutable std::vector<std::string> m_warnings;
    mutable std::vector<bool> m_fieldWarned;
    mutable bool m_flagsWarned = false;

    CodePage m_codePage;
    std::string m_codePageSource;
    std::shared_ptr<const TextCodec> m_codec;

    std::unique_ptr<MemoStore> m_memo;
    mutable std::string m_memoBytes;

    mutable std::optional<RecordCache> m_cache;
};

}  // namespace engine::dbf
